#pragma once

#include <algorithm>
#include <vector>

namespace quorvel::core {

/// The observers of one event source, told in the order they came. An
/// observer may add or remove observers while it is told: one removed before
/// its turn is not told, one added is told from the next event on.
template <class Observer>
class ObserverList {
public:
    void add(Observer& observer) {
        if (!contains(&observer)) observers_.push_back(&observer);
    }
    void remove(Observer& observer) { std::erase(observers_, &observer); }

    template <class Call>
    void notify(Call call) {
        const auto snapshot = observers_;
        for (Observer* observer : snapshot) {
            if (contains(observer)) call(*observer);
        }
    }

private:
    bool contains(const Observer* observer) const {
        return std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
    }

    std::vector<Observer*> observers_;
};

}  // namespace quorvel::core
