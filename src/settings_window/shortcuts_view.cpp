#include "settings_window/shortcuts_view.h"

#include "settings/notification_names.h"

namespace quorvel::settings_window {

namespace names = settings::notifications;

namespace {
struct RowInfo {
    std::string_view title;
    std::string_view caption;
};

constexpr std::array<RowInfo, 3> kRows{{
    {"Toggle focus", "Show or hide the window focus overlay"},
    {"Switch mode", "Choose between ambient and deep focus"},
    {"Exclude/include app", "Add or remove app from excluded list"},
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
    for (const char* name : {names::shortcutDidChange, names::focusModeShortcutDidChange,
                             names::excludeAppShortcutDidChange}) {
        observations_.emplace_back(services_.center, name, [this](const auto&) { changed.emit(); });
    }
}

ShortcutsView::~ShortcutsView() {
    // Leaving the tab or closing the window while a row listens would keep
    // the global shortcuts switched off until the next recording ends.
    if (isAnyRecording()) postRecording(false);
}

std::optional<settings::KeyCombo> ShortcutsView::shortcut(ShortcutRow row) const {
    switch (row) {
        case ShortcutRow::overlay:
            return services_.settings.shortcut();
        case ShortcutRow::focusMode:
            return services_.settings.focusModeShortcut();
        case ShortcutRow::excludeApp:
            return services_.settings.excludeAppShortcut();
    }
    return std::nullopt;
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

void ShortcutsView::postRecording(bool recording) {
    services_.center.post(names::shortcutRecordingDidChange, {{names::isRecordingKey, recording}});
}

void ShortcutsView::startRecording(ShortcutRow row) {
    if (isAnyRecording()) {
        for (ShortcutRow r : allShortcutRows) setRecording(r, false);
        postRecording(false);
    }
    setRecording(row, true);
    postRecording(true);
    changed.emit();
}

void ShortcutsView::record(ShortcutRow row, std::optional<settings::KeyCombo> combo) {
    setRecording(row, false);
    postRecording(false);
    if (combo) {
        for (ShortcutRow other : allShortcutRows) {
            // A combination one of the other rows holds is dropped silently.
            if (other != row && shortcut(other) == combo) {
                changed.emit();
                return;
            }
        }
    }
    store(row, combo);
    changed.emit();
}

void ShortcutsView::cancel(ShortcutRow row) {
    setRecording(row, false);
    postRecording(false);
    changed.emit();
}

void ShortcutsView::trash(ShortcutRow row) {
    store(row, std::nullopt);
    setRecording(row, false);
    hovered_[index(row)] = false;
    postRecording(false);
    changed.emit();
}

void ShortcutsView::setHovered(ShortcutRow row, bool hovered) {
    if (hovered_[index(row)] == hovered) return;
    hovered_[index(row)] = hovered;
    changed.emit();
}

void ShortcutsView::store(ShortcutRow row, std::optional<settings::KeyCombo> combo) {
    switch (row) {
        case ShortcutRow::overlay:
            services_.settings.setShortcut(combo);
            break;
        case ShortcutRow::focusMode:
            services_.settings.setFocusModeShortcut(combo);
            break;
        case ShortcutRow::excludeApp:
            services_.settings.setExcludeAppShortcut(combo);
            break;
    }
}

}  // namespace quorvel::settings_window
