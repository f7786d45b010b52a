#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/signal.h"
#include "settings/key_combo.h"
#include "settings_window/settings_window_services.h"
#include "settings_window/shortcut_recorder.h"

namespace quorvel::settings_window {

/// The three shortcut rows, top to bottom.
enum class ShortcutRow { toggle, mode, exclude };

inline constexpr std::array<ShortcutRow, 3> allShortcutRows{ShortcutRow::toggle, ShortcutRow::mode,
                                                            ShortcutRow::exclude};

std::string_view rowTitle(ShortcutRow row);
std::string_view rowCaption(ShortcutRow row);

/// The Shortcuts tab: records, replaces and clears the three global shortcuts,
/// one row at a time, and tells the global shortcuts to stand aside while a
/// row listens.
class ShortcutsView {
public:
    explicit ShortcutsView(SettingsWindowServices& services);
    /// A row still listening stops, and the global shortcuts come back.
    ~ShortcutsView();
    ShortcutsView(const ShortcutsView&) = delete;
    ShortcutsView& operator=(const ShortcutsView&) = delete;

    std::optional<settings::KeyCombo> shortcut(ShortcutRow row) const;
    bool isRecording(ShortcutRow row) const { return recording_[index(row)]; }
    bool isAnyRecording() const;
    bool isTrashHovered(ShortcutRow row) const { return hovered_[index(row)]; }
    /// "Recording...", "Record", or the shortcut as the keyboard shows it.
    std::string label(ShortcutRow row) const;
    /// Why the row's shortcut does not work right now; empty when it does.
    std::string problem(ShortcutRow row) const;
    /// The trash button shows while the row is hovered and holds a shortcut.
    bool showsTrash(ShortcutRow row) const;
    /// The key catcher of a row; the widget routes key presses to it.
    KeyEventRecorder& recorder(ShortcutRow row) { return *recorders_[index(row)]; }

    // The user's actions.
    void startRecording(ShortcutRow row);
    void record(ShortcutRow row, std::optional<settings::KeyCombo> combo);
    void cancel(ShortcutRow row);
    void trash(ShortcutRow row);
    void setHovered(ShortcutRow row, bool hovered);

    /// Fires after every change of what the tab shows.
    core::Signal<> changed;

private:
    static std::size_t index(ShortcutRow row) { return static_cast<std::size_t>(row); }
    settings::Shortcut& setting(ShortcutRow row) const;
    void setRecording(ShortcutRow row, bool recording);
    void tellRecording(bool recording);

    SettingsWindowServices& services_;
    std::array<bool, 3> recording_{};
    std::array<bool, 3> hovered_{};
    std::array<std::unique_ptr<KeyEventRecorder>, 3> recorders_;
    std::vector<core::Connection> watches_;
};

}  // namespace quorvel::settings_window
