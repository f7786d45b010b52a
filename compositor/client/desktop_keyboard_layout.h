#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "ports/keyboard_layout.h"

struct xkb_context;
struct xkb_keymap;

namespace quorvel::compositor {

/// An XKB layout by name, as the desktop's settings give it.
struct LayoutNames {
    std::string layout;   // "de"; empty for xkbcommon's default
    std::string variant;  // "nodeadkeys"
    std::string options;  // "ctrl:nocaps"
    bool operator==(const LayoutNames&) const = default;
};

/// GNOME's first keyboard layout from `gsettings get
/// org.gnome.desktop.input-sources sources` ("[('xkb', 'de+nodeadkeys')]")
/// and its xkb-options; nothing when no XKB source is listed.
std::optional<LayoutNames> gnomeLayout(const std::string& sources, const std::string& options);
/// Plasma's first keyboard layout from kxkbrc's text; nothing when it names none.
std::optional<LayoutNames> plasmaLayout(const std::string& kxkbrc);

/// Names keys through the layout the desktop's settings name, where Quorvel
/// has no X server to ask (its own windows native on Wayland): GNOME's input
/// sources or Plasma's keyboard settings, compiled with xkbcommon, read anew
/// when a key is named (at most every two seconds).
class DesktopKeyboardLayout final : public ports::KeyboardLayout {
public:
    /// `names` reads the desktop's settings now.
    explicit DesktopKeyboardLayout(std::function<std::optional<LayoutNames>()> names);
    ~DesktopKeyboardLayout() override;
    DesktopKeyboardLayout(const DesktopKeyboardLayout&) = delete;
    DesktopKeyboardLayout& operator=(const DesktopKeyboardLayout&) = delete;

    std::optional<std::string> characters(std::uint32_t keyCode) const override;

    /// The reader for this session's desktop (GNOME or Plasma).
    static std::function<std::optional<LayoutNames>()> readerFor(bool gnome);

private:
    bool ensureKeymap() const;

    std::function<std::optional<LayoutNames>()> names_;
    xkb_context* context_ = nullptr;
    mutable xkb_keymap* keymap_ = nullptr;
    mutable std::optional<LayoutNames> compiled_;
    mutable LayoutNames current_;
    mutable std::optional<std::chrono::steady_clock::time_point> asked_;
};

}  // namespace quorvel::compositor
