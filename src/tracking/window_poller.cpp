#include "tracking/window_poller.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>

namespace quorvel::tracking {

namespace {

using platform::RawWindow;

bool contains(auto const& table, const std::string& value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

/// The smallest window number of `owner` over the whole list, every layer counted.
std::optional<std::int64_t> smallestNumberOf(const std::string& owner,
                                             const std::vector<RawWindow>& list) {
    std::optional<std::int64_t> smallest;
    for (const auto& w : list) {
        if (!w.ownerName || !w.windowNumber) continue;
        if (*w.ownerName != owner) continue;
        if (!smallest || *w.windowNumber < *smallest) smallest = *w.windowNumber;
    }
    return smallest;
}

bool passesOwnerRules(const RawWindow& w, const std::vector<RawWindow>& list) {
    const std::string& owner = *w.ownerName;
    if (contains(WindowPoller::kExcludedOwners, owner)) return false;
    if (owner.find("Adobe") != std::string::npos) {
        // Such applications list many palettes; only their lowest-numbered
        // window stands for them.
        return smallestNumberOf(owner, list) == w.windowNumber;
    }
    if (owner == "Raycast") return w.bounds->height >= 200.0;
    return true;
}

std::optional<WindowInfo> candidate(const RawWindow& w, const std::vector<RawWindow>& list) {
    if (!w.ownerName) return std::nullopt;
    if (!w.layer || *w.layer != 0) return std::nullopt;
    if (!w.windowNumber) return std::nullopt;
    if (!w.bounds) return std::nullopt;
    if (!(w.bounds->width > 50.0) || !(w.bounds->height > 50.0)) return std::nullopt;
    if (*w.ownerName == kApplicationOwnerName) {
        if (!w.title || !contains(WindowPoller::kOwnWindowTitles, *w.title)) return std::nullopt;
    } else if (!passesOwnerRules(w, list)) {
        return std::nullopt;
    }
    return WindowInfo{*w.bounds, *w.windowNumber, *w.ownerName};
}

}  // namespace

WindowPoller::WindowPoller(core::Scheduler& scheduler, platform::WindowList& windowList,
                           platform::Screens& screens, core::PreferenceStore& standardStore)
    : scheduler_(scheduler),
      windowList_(windowList),
      screens_(screens),
      detector_(standardStore, scheduler) {
    windowList_.setChangeHandler([this] { windowsMayHaveChanged(); });
}

WindowPoller::~WindowPoller() {
    windowList_.setChangeHandler(nullptr);
}

void WindowPoller::startPolling() {
    if (isPolling_) return;
    displayStates_.clear();
    // Common mode: the sample keeps running while a menu is open.
    pollingTimer_ =
        scheduler_.repeating(kInterval, core::TimerMode::Common, [this] { pollWindowsTimer(); });
    isPolling_ = true;
    pollWindowsTimer();
}

void WindowPoller::stopPolling() {
    if (!isPolling_) return;
    pollingTimer_.cancel();
    changeSample_.cancel();
    isPolling_ = false;
    displayStates_.clear();
}

void WindowPoller::pollWindowsTimer() {
    const auto raw = sample();
    detector_.detect(raw, screens_.screens(), displayStates_, delegate_);
    const auto reduced = windowInfos(raw);
    if (delegate_) delegate_->didUpdateWindows(reduced);
}

std::vector<RawWindow> WindowPoller::sample() {
    // Changes reported while the list is read are in this very sample.
    sampling_ = true;
    changeSample_.cancel();
    lastSample_ = scheduler_.now();
    auto raw = windowList_.onScreenWindows(platform::WindowListOption::OnScreenOnly);
    sampling_ = false;
    return raw;
}

void WindowPoller::windowsMayHaveChanged() {
    if (!isPolling_ || sampling_ || changeSample_.isActive()) return;
    const double wait = std::max(0.0, lastSample_ + kMinimumChangeSpacing - scheduler_.now());
    changeSample_ =
        scheduler_.after(wait, core::TimerMode::Common, [this] { sampleAfterChange(); });
}

void WindowPoller::sampleAfterChange() {
    const auto reduced = windowInfos(sample());
    if (delegate_) delegate_->didUpdateWindows(reduced);
}

std::vector<WindowInfo> WindowPoller::windowInfos(const std::vector<RawWindow>& list) {
    std::vector<WindowInfo> result;
    for (const auto& w : list) {
        if (auto info = candidate(w, list)) result.push_back(std::move(*info));
    }
    return result;
}

}  // namespace quorvel::tracking
