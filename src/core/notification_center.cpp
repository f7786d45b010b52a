#include "core/notification_center.h"

#include <algorithm>

namespace quorvel::core {

ObserverToken NotificationCenter::addObserver(std::string name, Handler handler) {
    const ObserverToken token = nextToken_++;
    entries_.push_back(std::make_shared<Entry>(Entry{token, std::move(name), std::move(handler)}));
    return token;
}

void NotificationCenter::removeObserver(ObserverToken token) {
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [token](const auto& e) { return e->token == token; });
    if (it == entries_.end()) return;
    // A delivery in progress holds its own snapshot; the flag keeps it from
    // calling an observer that was removed after the snapshot was taken.
    (*it)->alive = false;
    entries_.erase(it);
}

void NotificationCenter::post(const std::string& name, UserInfo userInfo) {
    const Notification note{name, std::move(userInfo)};
    if (trace_) trace_(note);
    std::vector<std::shared_ptr<Entry>> snapshot;
    for (const auto& e : entries_) {
        if (e->name.empty() || e->name == name) snapshot.push_back(e);
    }
    for (const auto& e : snapshot) {
        if (e->alive) e->handler(note);
    }
}

}  // namespace quorvel::core
