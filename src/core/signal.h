#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace quorvel::core {

/// Disconnects its slot when destroyed; owners keep one per subscription so a
/// destroyed observer is never called.
class Connection {
public:
    Connection() = default;
    explicit Connection(std::function<void()> disconnect) : disconnect_(std::move(disconnect)) {}
    Connection(Connection&& o) noexcept : disconnect_(std::exchange(o.disconnect_, nullptr)) {}
    Connection& operator=(Connection&& o) noexcept {
        if (this != &o) {
            reset();
            disconnect_ = std::exchange(o.disconnect_, nullptr);
        }
        return *this;
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    ~Connection() { reset(); }

    void reset() {
        if (auto d = std::exchange(disconnect_, nullptr)) d();
    }

private:
    std::function<void()> disconnect_;
};

/// A small synchronous observer list. Slots run in connection order; a slot may
/// disconnect itself or others while the signal is being emitted.
template <typename... Args>
class Signal {
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Connection connect(Slot slot) {
        auto entry = std::make_shared<Entry>(Entry{std::move(slot), true});
        entries_->push_back(entry);
        std::weak_ptr<std::vector<std::shared_ptr<Entry>>> list = entries_;
        return Connection([list, entry] {
            entry->alive = false;
            if (auto l = list.lock()) std::erase(*l, entry);
        });
    }

    void emit(Args... args) const {
        auto snapshot = *entries_;
        for (const auto& e : snapshot) {
            if (e->alive) e->slot(args...);
        }
    }

    std::size_t size() const { return entries_->size(); }

private:
    struct Entry {
        Slot slot;
        bool alive;
    };
    std::shared_ptr<std::vector<std::shared_ptr<Entry>>> entries_ =
        std::make_shared<std::vector<std::shared_ptr<Entry>>>();
};

}  // namespace quorvel::core
