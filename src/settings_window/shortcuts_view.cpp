#include "settings_window/shortcuts_view.h"

namespace quorvel::settings_window {

namespace {
struct RowInfo {
    std::string_view title;
    std::string_view caption;
};

constexpr std::array<RowInfo, 3> kRows{{
    {"Toggle focus", "Turn the veil behind your window on or off"},
    {"Switch mode", "Choose between ambient and deep focus"},
    {"Exclude/include app", "Add the application in front to the excluded ones, or take it off"},
}};
}  // namespace

std::string_view rowTitle(ShortcutRow row) {
    return kRows[static_cast<std::size_t>(row)].title;
}
std::string_view rowCaption(ShortcutRow row) {
    return kRows[static_cast<std::size_t>(row)].caption;
}

ShortcutsView::ShortcutsView(SettingsWindowServices& services) : services_(services) {
    for (ShortcutRow row : allShortcutRows) {
        auto recorder = std::make_unique<KeyEventRecorder>(services_.scheduler);
        recorder->onRecord = [this, row](std::optional<settings::KeyCombo> combo) {
            record(row, combo);
        };
        recorder->onCancel = [this, row] { cancel(row); };
        recorders_[index(row)] = std::move(recorder);
    }
    for (ShortcutRow row : allShortcutRows) {
        watches_.push_back(setting(row).changed().connect([this] { changed.emit(); }));
    }
}

ShortcutsView::~ShortcutsView() {
    // Leaving the tab or closing the window while a row listens would keep
    // the global shortcuts switched off until the next recording ends.
    if (isAnyRecording()) tellRecording(false);
}

settings::Shortcut& ShortcutsView::setting(ShortcutRow row) const {
    auto& settings = services_.settings;
    switch (row) {
        case ShortcutRow::mode:
            return settings.modeShortcut;
        case ShortcutRow::exclude:
            return settings.excludeShortcut;
        case ShortcutRow::toggle:
            break;
    }
    return settings.toggleShortcut;
}

std::optional<settings::KeyCombo> ShortcutsView::shortcut(ShortcutRow row) const {
    return setting(row).get();
}

bool ShortcutsView::isAnyRecording() const {
    return recording_[0] || recording_[1] || recording_[2];
}

std::string ShortcutsView::label(ShortcutRow row) const {
    if (isRecording(row)) return "Recording...";
    const auto combo = shortcut(row);
    if (!combo) return "Record";
    return combo->displayString(services_.keyboardLayout);
}

std::string ShortcutsView::problem(ShortcutRow row) const {
    if (isRecording(row) || !services_.hooks.shortcutProblem) return {};
    return services_.hooks.shortcutProblem(static_cast<int>(index(row)));
}

bool ShortcutsView::showsTrash(ShortcutRow row) const {
    return isTrashHovered(row) && shortcut(row).has_value();
}

void ShortcutsView::setRecording(ShortcutRow row, bool recording) {
    recording_[index(row)] = recording;
    recorders_[index(row)]->isRecording = recording;
}

void ShortcutsView::tellRecording(bool recording) {
    if (services_.hooks.setRecording) services_.hooks.setRecording(recording);
}

void ShortcutsView::startRecording(ShortcutRow row) {
    if (isAnyRecording()) {
        for (ShortcutRow r : allShortcutRows) setRecording(r, false);
        tellRecording(false);
    }
    setRecording(row, true);
    tellRecording(true);
    changed.emit();
}

void ShortcutsView::record(ShortcutRow row, std::optional<settings::KeyCombo> combo) {
    setRecording(row, false);
    tellRecording(false);
    if (combo) {
        for (ShortcutRow other : allShortcutRows) {
            // A combination one of the other rows holds is dropped silently.
            if (other != row && shortcut(other) == combo) {
                changed.emit();
                return;
            }
        }
    }
    setting(row).set(combo);
    changed.emit();
}

void ShortcutsView::cancel(ShortcutRow row) {
    setRecording(row, false);
    tellRecording(false);
    changed.emit();
}

void ShortcutsView::trash(ShortcutRow row) {
    setting(row).set(std::nullopt);
    setRecording(row, false);
    hovered_[index(row)] = false;
    tellRecording(false);
    changed.emit();
}

void ShortcutsView::setHovered(ShortcutRow row, bool hovered) {
    if (hovered_[index(row)] == hovered) return;
    hovered_[index(row)] = hovered;
    changed.emit();
}

}  // namespace quorvel::settings_window
