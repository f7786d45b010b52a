#include "settings/panel_choice.h"

#include <string>

#include "settings/key_combo.h"

namespace quorvel::settings {

std::string_view storedValue(PanelChoice choice) {
    switch (choice) {
        case PanelChoice::dock:
            return "dock";
        case PanelChoice::top:
            return "top";
        case PanelChoice::all:
            break;
    }
    return "both";
}

std::optional<PanelChoice> parsePanelChoice(std::string_view stored) {
    const std::string lower = lowerCased(stored);
    if (lower == "dock") return PanelChoice::dock;
    // Earlier versions named the top panel after another platform's menu bar.
    if (lower == "top" || lower == "menu bar" || lower == "menubar") return PanelChoice::top;
    if (lower == "both" || lower == "as system") return PanelChoice::all;
    return std::nullopt;
}

std::optional<PanelChoice> PanelChoiceCodec::read(const core::PreferenceValue& v) const {
    const auto* text = std::get_if<std::string>(&v);
    return text ? parsePanelChoice(*text) : std::nullopt;
}

core::PreferenceValue PanelChoiceCodec::write(PanelChoice choice) const {
    return std::string(storedValue(choice));
}

}  // namespace quorvel::settings
