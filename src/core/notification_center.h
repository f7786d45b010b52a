#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvel::core {

/// User information travels as typed values under text keys; a reader that
/// asks for the wrong type gets nothing, which is how malformed requests are
/// told apart from good ones.
using UserInfo = std::map<std::string, std::any>;

struct Notification {
    std::string name;
    UserInfo userInfo;

    template <typename T>
    std::optional<T> value(const std::string& key) const {
        auto it = userInfo.find(key);
        if (it == userInfo.end()) return std::nullopt;
        if (const T* v = std::any_cast<T>(&it->second)) return *v;
        return std::nullopt;
    }
};

using ObserverToken = std::uint64_t;

/// The process's default notification center: delivery is synchronous on the
/// posting thread, in registration order, and finished before `post` returns.
class NotificationCenter {
public:
    using Handler = std::function<void(const Notification&)>;

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    /// An empty name observes every notification.
    ObserverToken addObserver(std::string name, Handler handler);
    /// Safe at any time, also from inside a handler that is being called.
    void removeObserver(ObserverToken token);
    void post(const std::string& name, UserInfo userInfo = {});
    /// Sees every notification as it is posted, before any observer does, so a
    /// trace shows causes before the notifications their observers post.
    void setTrace(Handler trace) { trace_ = std::move(trace); }

    std::size_t observerCount() const { return entries_.size(); }

private:
    struct Entry {
        ObserverToken token;
        std::string name;
        Handler handler;
        bool alive = true;
    };
    std::vector<std::shared_ptr<Entry>> entries_;
    ObserverToken nextToken_ = 1;
    Handler trace_;
};

/// Removes its observer when destroyed, so an owner that goes away is never
/// called again.
class Observation {
public:
    Observation() = default;
    Observation(NotificationCenter& center, std::string name, NotificationCenter::Handler handler)
        : center_(&center), token_(center.addObserver(std::move(name), std::move(handler))) {}
    Observation(Observation&& o) noexcept
        : center_(std::exchange(o.center_, nullptr)), token_(o.token_) {}
    Observation& operator=(Observation&& o) noexcept {
        if (this != &o) {
            reset();
            center_ = std::exchange(o.center_, nullptr);
            token_ = o.token_;
        }
        return *this;
    }
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;
    ~Observation() { reset(); }

    void reset() {
        if (center_) center_->removeObserver(token_);
        center_ = nullptr;
    }

private:
    NotificationCenter* center_ = nullptr;
    ObserverToken token_ = 0;
};

}  // namespace quorvel::core
