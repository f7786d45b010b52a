#include "tracking/window_poller.h"

#include <algorithm>
#include <optional>
#include <string>

namespace quorvel::tracking {

namespace {

using ports::RawWindow;

bool contains(auto const& table, const std::string& value) {
    return std::find(table.begin(), table.end(), value) != table.end();
}

bool passesOwnerRules(const RawWindow& w) {
    return !contains(WindowPoller::kExcludedOwners, *w.ownerName);
}

std::optional<WindowInfo> candidate(const RawWindow& w) {
    if (!WindowPoller::rejection(w).empty()) return std::nullopt;
    return WindowInfo{*w.bounds, *w.windowNumber, *w.ownerName, w.fullscreen};
}

}  // namespace

WindowPoller::WindowPoller(core::Scheduler& scheduler, ports::WindowList& windowList,
                           ports::Screens& screens, core::PreferenceStore& standardStore)
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
    auto raw = windowList_.onScreenWindows(ports::WindowListOption::OnScreenOnly);
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

std::string WindowPoller::rejection(const RawWindow& w) {
    if (!w.ownerName) return "no owner";
    if (!w.layer) return "no layer";
    if (*w.layer != 0) return "layer " + std::to_string(*w.layer);
    if (!w.windowNumber) return "no window id";
    if (!w.bounds) return "no bounds";
    if (!(w.bounds->width > 50.0) || !(w.bounds->height > 50.0)) return "too small";
    if (*w.ownerName == kApplicationOwnerName) {
        if (!w.title || !contains(WindowPoller::kOwnWindowTitles, *w.title)) return "own window";
    } else if (!passesOwnerRules(w)) {
        return "excluded owner";
    }
    return {};
}

std::vector<WindowInfo> WindowPoller::windowInfos(const std::vector<RawWindow>& list) {
    std::vector<WindowInfo> result;
    for (const auto& w : list) {
        if (auto info = candidate(w)) result.push_back(std::move(*info));
    }
    return result;
}

}  // namespace quorvel::tracking
