#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/notification_center.h"
#include "ports/workspace.h"

namespace quorvel::app {

class AppContext;

/// What a script can read about the running instance.
struct RemoteState {
    bool focusEnabled = false;
    std::string mode;       // "ambient" or "deep"
    bool excluded = false;  // of the application in front
    bool operator==(const RemoteState&) const = default;
};

/// The commands a script sends (over D-Bus in the real program). Each one
/// takes the same path as the tray menu, so it logs and notifies alike.
class RemoteControl final : private ports::WorkspaceEvents {
public:
    using ChangeHandler = std::function<void(const RemoteState& now, const RemoteState& before)>;

    /// Made after the delegate, so that the tray item already exists.
    explicit RemoteControl(AppContext& context);
    ~RemoteControl() override;
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    void toggle();
    void setFocus(bool enabled);
    /// False, and nothing changes, for anything but "ambient" and "deep".
    bool setMode(std::string_view mode);
    /// False when no known application is in front.
    bool excludeFrontmost();
    bool includeFrontmost();
    void openSettings();

    RemoteState state() const;
    /// Called once per change of the state, whatever caused it.
    void onChange(ChangeHandler handler) { handler_ = std::move(handler); }

private:
    bool setFrontmostExcluded(bool excluded);
    void refresh();
    void didActivateApplication(const ports::RunningApplication& app) override;

    AppContext& context_;
    ChangeHandler handler_;
    std::optional<RemoteState> last_;
    std::vector<core::Observation> observations_;
};

}  // namespace quorvel::app
