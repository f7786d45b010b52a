#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/preference_store.h"

namespace quorvel::settings {

/// Which panels hide while focus is on: every panel, the dock (and other
/// panels away from the top), or only the top panel.
enum class PanelChoice { all, dock, top };

/// In the order the Rules tab lists them.
inline constexpr std::array<PanelChoice, 3> allPanelChoices{PanelChoice::all, PanelChoice::dock,
                                                            PanelChoice::top};

/// The stored text: "both", "dock", "top".
std::string_view storedValue(PanelChoice choice);
/// Reads a stored text case-insensitively, the older names ("menu bar",
/// "as system") included; nothing for any other text.
std::optional<PanelChoice> parsePanelChoice(std::string_view stored);

/// The setting's store form; an unknown text reads as the default (every panel).
struct PanelChoiceCodec {
    std::optional<PanelChoice> read(const core::PreferenceValue& v) const;
    core::PreferenceValue write(PanelChoice choice) const;
};

}  // namespace quorvel::settings
