#pragma once

#include <array>
#include <cstdint>
#include <optional>

// Stored shortcuts name keys by position, in a fixed virtual key-code space
// that does not depend on the keyboard layout (3 is the key that types F on a
// US keyboard). Adapters translate between these codes and their own keys.
namespace quorvel::settings::keycode {

// Named keys.
inline constexpr std::uint32_t returnKey = 36;
inline constexpr std::uint32_t tab = 48;
inline constexpr std::uint32_t space = 49;
inline constexpr std::uint32_t deleteKey = 51;  // Backspace
inline constexpr std::uint32_t escape = 53;
inline constexpr std::uint32_t keypadEnter = 76;
inline constexpr std::uint32_t help = 114;  // Insert
inline constexpr std::uint32_t home = 115;
inline constexpr std::uint32_t pageUp = 116;
inline constexpr std::uint32_t forwardDelete = 117;
inline constexpr std::uint32_t end = 119;
inline constexpr std::uint32_t pageDown = 121;
inline constexpr std::uint32_t leftArrow = 123;
inline constexpr std::uint32_t rightArrow = 124;
inline constexpr std::uint32_t downArrow = 125;
inline constexpr std::uint32_t upArrow = 126;

// Letters used by the default shortcuts.
inline constexpr std::uint32_t a = 0;
inline constexpr std::uint32_t e = 14;
inline constexpr std::uint32_t f = 3;
inline constexpr std::uint32_t m = 46;

/// F1 ... F24: `functionKeys[n - 1]` is the code of Fn. F21 to F24 take codes
/// no other key uses, since the original space stops at F20.
inline constexpr std::array<std::uint32_t, 24> functionKeys{122, 120, 99,  118, 96,  97,  98,  100,
                                                            101, 109, 103, 111, 105, 107, 113, 106,
                                                            64,  79,  80,  90,  108, 112, 52,  66};

/// Keypad 0 ... 9: `keypadDigits[n]` is the code of keypad n.
inline constexpr std::array<std::uint32_t, 10> keypadDigits{82, 83, 84, 85, 86, 87, 88, 89, 91, 92};

/// A key that types a character on a US (ANSI) keyboard.
struct AnsiKey {
    std::uint32_t keyCode;
    char character;  // unshifted
    char shifted;    // with Shift held
};

/// Letters, digits and punctuation of the US layout.
inline constexpr std::array<AnsiKey, 47> ansiKeys{{
    {0, 'a', 'A'},   {1, 's', 'S'},  {2, 'd', 'D'},   {3, 'f', 'F'},  {4, 'h', 'H'},
    {5, 'g', 'G'},   {6, 'z', 'Z'},  {7, 'x', 'X'},   {8, 'c', 'C'},  {9, 'v', 'V'},
    {11, 'b', 'B'},  {12, 'q', 'Q'}, {13, 'w', 'W'},  {14, 'e', 'E'}, {15, 'r', 'R'},
    {16, 'y', 'Y'},  {17, 't', 'T'}, {18, '1', '!'},  {19, '2', '@'}, {20, '3', '#'},
    {21, '4', '$'},  {22, '6', '^'}, {23, '5', '%'},  {24, '=', '+'}, {25, '9', '('},
    {26, '7', '&'},  {27, '-', '_'}, {28, '8', '*'},  {29, '0', ')'}, {30, ']', '}'},
    {31, 'o', 'O'},  {32, 'u', 'U'}, {33, '[', '{'},  {34, 'i', 'I'}, {35, 'p', 'P'},
    {37, 'l', 'L'},  {38, 'j', 'J'}, {39, '\'', '"'}, {40, 'k', 'K'}, {41, ';', ':'},
    {42, '\\', '|'}, {43, ',', '<'}, {44, '/', '?'},  {45, 'n', 'N'}, {46, 'm', 'M'},
    {47, '.', '>'},  {50, '`', '~'},
}};

/// What the key types on a US keyboard with no modifiers; nothing for keys
/// that type no character (or are not in the table).
constexpr std::optional<char> usCharacter(std::uint32_t keyCode) {
    for (const AnsiKey& k : ansiKeys) {
        if (k.keyCode == keyCode) return k.character;
    }
    return std::nullopt;
}

/// The key that types `c` on a US keyboard, unshifted or shifted; nothing when
/// no key types it.
constexpr std::optional<AnsiKey> ansiKeyForCharacter(char c) {
    for (const AnsiKey& k : ansiKeys) {
        if (k.character == c || k.shifted == c) return k;
    }
    return std::nullopt;
}

}  // namespace quorvel::settings::keycode
