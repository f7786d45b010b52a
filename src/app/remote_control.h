#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/application.h"

namespace quorvel::app {

/// What a script can read about the running instance.
struct RemoteState {
    bool focusOn = false;
    std::string mode;       // "ambient" or "deep"
    bool excluded = false;  // the application in front
    bool operator==(const RemoteState&) const = default;
};

/// The commands a script sends (over D-Bus in the real program), through the
/// same focus session and application in front as the tray icon.
class RemoteControl {
public:
    using ChangeHandler = std::function<void(const RemoteState& now, const RemoteState& before)>;

    explicit RemoteControl(Application& application);
    RemoteControl(const RemoteControl&) = delete;
    RemoteControl& operator=(const RemoteControl&) = delete;

    void toggle();
    void setFocus(bool on);
    /// False, and nothing changes, for anything but "ambient" and "deep".
    bool setMode(std::string_view mode);
    /// False when no application with a desktop entry is in front.
    bool excludeFront() { return application_.front().setExcluded(true); }
    bool includeFront() { return application_.front().setExcluded(false); }
    void openSettings();

    RemoteState state() const;
    /// Called once per change of the state, whatever caused it.
    void onChange(ChangeHandler handler) { handler_ = std::move(handler); }

private:
    void refresh();

    Application& application_;
    ChangeHandler handler_;
    std::optional<RemoteState> last_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::app
