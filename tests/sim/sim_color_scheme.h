#pragma once

#include "core/signal.h"
#include "ports/color_scheme.h"

namespace quorvel::sim {

/// The desktop's light or dark preference, as the test sets and announces it.
class SimColorScheme final : public ports::ColorSchemeSource {
public:
    ports::SystemColorScheme colorScheme() const override { return scheme; }
    core::Signal<>& colorSchemeChanged() override { return changed; }

    ports::SystemColorScheme scheme = ports::SystemColorScheme::light;
    core::Signal<> changed;
};

}  // namespace quorvel::sim
