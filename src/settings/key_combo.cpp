#include "settings/key_combo.h"

#include <array>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "settings/key_codes.h"

namespace quorvel::settings {

namespace {

using nlohmann::json;

// Names as Linux desktops print them on menus and in shortcut settings.
constexpr std::array<std::pair<std::uint32_t, const char*>, 26> kSpecialKeys{{
    {36, "Enter"},        {48, "Tab"},      {49, "Space"},      {51, "Backspace"},
    {53, "Esc"},          {114, "Insert"},  {115, "Home"},      {116, "Page Up"},
    {117, "Delete"},      {119, "End"},     {121, "Page Down"}, {123, "Left"},
    {124, "Right"},       {125, "Down"},    {126, "Up"},        {65, "Keypad ."},
    {67, "Keypad *"},     {69, "Keypad +"}, {71, "Num Lock"},   {75, "Keypad /"},
    {76, "Keypad Enter"}, {78, "Keypad -"}, {81, "Keypad ="},   {72, "Volume Up"},
    {73, "Volume Down"},  {74, "Mute"},
}};

std::optional<std::uint32_t> unsigned32(const json& object, const char* member) {
    auto it = object.find(member);
    if (it == object.end() || !it->is_number_unsigned()) return std::nullopt;
    const auto value = it->get<std::uint64_t>();
    if (value > std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

// One code point from UTF-8 at `i`; a malformed byte stands for itself so that
// nothing is lost when text is not UTF-8.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = lead < 0x80           ? 1
                 : (lead >> 5) == 0x6  ? 2
                 : (lead >> 4) == 0xE  ? 3
                 : (lead >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + length > text.size()) {
        ++i;
        return 0xDC00 + lead;  // lone surrogate range: never a real character
    }
    char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xDC00 + lead;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp >= 0xD800 && cp <= 0xDFFF) {
        ++i;
        return 0xDC00 + lead;
    }
    i += length;
    return cp;
}

void append(std::string& out, char32_t cp) {
    if (cp >= 0xDC80 && cp <= 0xDCFF) {
        out += static_cast<char>(cp - 0xDC00);
    } else if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Latin Extended-A pairs upper/lower on even/odd code points, except in the
// two runs where the pairing is shifted by one.
bool oddIsUpper(char32_t cp) {
    return (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
}

char32_t toUpper(char32_t cp) {
    if (cp >= 'a' && cp <= 'z') return cp - 0x20;
    if ((cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) || (cp >= 0x3B1 && cp <= 0x3C9 && cp != 0x3C2) ||
        (cp >= 0x430 && cp <= 0x44F)) {
        return cp - 0x20;
    }
    if (cp == 0xFF) return 0x178;
    if (cp == 0x3C2) return 0x3A3;
    if (cp >= 0x450 && cp <= 0x45F) return cp - 0x50;
    if (cp >= 0x100 && cp <= 0x17E && cp != 0x131 && cp != 0x138 && cp != 0x149) {
        const bool isLower = oddIsUpper(cp) ? cp % 2 == 0 : cp % 2 == 1;
        if (isLower) return cp - 1;
    }
    return cp;
}

char32_t toLower(char32_t cp) {
    if (cp >= 'A' && cp <= 'Z') return cp + 0x20;
    if ((cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) || (cp >= 0x391 && cp <= 0x3A9 && cp != 0x3A2) ||
        (cp >= 0x410 && cp <= 0x42F)) {
        return cp + 0x20;
    }
    if (cp == 0x178) return 0xFF;
    if (cp >= 0x400 && cp <= 0x40F) return cp + 0x50;
    if (cp >= 0x100 && cp <= 0x17E && cp != 0x130 && cp != 0x138 && cp != 0x149) {
        const bool isUpper = oddIsUpper(cp) ? cp % 2 == 1 : cp % 2 == 0;
        if (isUpper) return cp + 1;
    }
    return cp;
}

}  // namespace

std::string KeyCombo::toJson() const {
    return json{{"keyCode", keyCode}, {"modifiers", modifiers}}.dump();
}

core::Bytes KeyCombo::encode() const {
    return core::toBytes(toJson());
}

std::optional<KeyCombo> KeyCombo::fromJson(std::string_view text) {
    const json doc = json::parse(text, nullptr, false);
    if (!doc.is_object()) return std::nullopt;
    auto code = unsigned32(doc, "keyCode");
    auto mods = unsigned32(doc, "modifiers");
    if (!code || !mods) return std::nullopt;
    return KeyCombo{*code, *mods};
}

std::optional<KeyCombo> KeyCombo::decode(const core::Bytes& bytes) {
    return fromJson(core::toString(bytes));
}

std::optional<std::string> specialKeyName(std::uint32_t keyCode) {
    for (const auto& [code, name] : kSpecialKeys) {
        if (code == keyCode) return std::string(name);
    }
    for (std::size_t n = 0; n < keycode::functionKeys.size(); ++n) {
        if (keycode::functionKeys[n] == keyCode) return "F" + std::to_string(n + 1);
    }
    for (std::size_t n = 0; n < keycode::keypadDigits.size(); ++n) {
        if (keycode::keypadDigits[n] == keyCode) return "Keypad " + std::to_string(n);
    }
    return std::nullopt;
}

std::vector<std::string> KeyCombo::keyCaps(const ports::KeyboardLayout& layout) const {
    std::vector<std::string> caps;
    if (modifiers & modifier::control) caps.emplace_back("Ctrl");
    if (modifiers & modifier::alt) caps.emplace_back("Alt");
    if (modifiers & modifier::shift) caps.emplace_back("Shift");
    if (modifiers & modifier::super) caps.emplace_back("Super");
    if (auto name = specialKeyName(keyCode)) {
        caps.push_back(*name);
    } else {
        auto typed = layout.characters(keyCode);
        caps.push_back(typed && !typed->empty() ? upperCased(*typed) : "?");
    }
    return caps;
}

std::string KeyCombo::displayString(const ports::KeyboardLayout& layout) const {
    std::string text;
    for (const std::string& cap : keyCaps(layout)) text += (text.empty() ? "" : "+") + cap;
    return text;
}

std::string upperCased(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = nextCodePoint(text, i);
        if (cp == 0xDF) {
            out += "SS";  // ß has no single upper-case letter in common use
        } else {
            append(out, toUpper(cp));
        }
    }
    return out;
}

std::string lowerCased(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) append(out, toLower(nextCodePoint(text, i)));
    return out;
}

}  // namespace quorvel::settings
