#pragma once

#include "core/signal.h"

namespace quorvel::ports {

/// The desktop's light or dark preference.
enum class SystemColorScheme { light, dark };

/// Where the desktop's light/dark preference comes from.
class ColorSchemeSource {
public:
    virtual ~ColorSchemeSource() = default;
    /// Called before every redraw of the veil; light when the desktop states no preference.
    virtual SystemColorScheme colorScheme() const = 0;
    /// Connected once by the veil's renderer; fires on the main thread after each change.
    virtual core::Signal<>& colorSchemeChanged() = 0;
};

}  // namespace quorvel::ports
