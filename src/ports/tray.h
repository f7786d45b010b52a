#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/geometry.h"

namespace quorvel::ports {

/// One row of the tray menu, as data: the adapter builds the real menu from it.
struct MenuItem {
    std::string title{};
    int tag = 0;
    bool enabled = true;
    bool separator = false;
    bool checkable = false;
    bool checked = false;
    std::string action{};    // what `menuItemActivated` reports back; empty for separators
    std::string iconName{};  // theme name or image path; empty for no icon
    bool iconFaded = false;  // drawn grey at half opacity

    bool operator==(const MenuItem&) const = default;

    static MenuItem makeSeparator() { return MenuItem{.separator = true}; }
};

struct MenuModel {
    double minimumWidth = 0;
    std::vector<MenuItem> items{};

    bool operator==(const MenuModel&) const = default;
};

enum class MouseButton { Left, Right, Middle };

/// The keyboard modifiers held at a click.
struct KeyModifiers {
    bool shift = false;
    bool control = false;
    bool alt = false;
    bool super = false;
    bool operator==(const KeyModifiers&) const = default;
};

/// What the tray icon tells its observers, on the main thread.
class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    /// The icon was clicked (button released) with these modifiers held.
    virtual void clicked(MouseButton button, KeyModifiers modifiers) = 0;
    /// The user chose an enabled item of the menu last shown.
    virtual void menuItemActivated(const std::string& action, int tag) = 0;
    /// A tray host appeared or went away.
    virtual void availabilityChanged(bool /*available*/) {}
    /// The icon moved within the tray (only when the host says so).
    virtual void geometryChanged() {}
};

/// The application's icon in the desktop's tray (or, on GNOME, its item in
/// the top bar).
class Tray {
public:
    virtual ~Tray() = default;
    /// Called once, when the icon is first needed; puts it into the tray.
    virtual void show() = 0;
    /// Called before the icon changes; false while no tray host shows icons.
    virtual bool isAvailable() const = 0;
    /// Called on every state change; a named image, tinted to the panel like a symbol.
    virtual void setIcon(const std::string& name) = 0;
    /// Called when the hint text changes; empty removes it.
    virtual void setToolTip(const std::string& text) = 0;
    /// Called on a right-click; opens `menu` at the icon. Choices arrive as events.
    virtual void showMenu(const MenuModel& menu) = 0;
    /// Called to place hints; the icon's frame in the desktop's coordinates,
    /// nothing when the tray host does not say.
    virtual std::optional<core::Rect> geometry() const = 0;
    /// Called by owners at creation; events arrive on the main thread until removed.
    virtual void addObserver(TrayEvents& observer) = 0;
    /// Called by owners at destruction; unknown observers are ignored.
    virtual void removeObserver(TrayEvents& observer) = 0;
};

}  // namespace quorvel::ports
