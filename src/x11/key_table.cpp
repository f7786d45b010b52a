#include "x11/key_table.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <cstddef>

namespace quorvel::x11 {

namespace {

// Stored codes name ANSI key positions; evdev codes (+8) name the same
// positions on a PC keyboard.
constexpr KeyPosition table[] = {
    {0, 38, XKB_KEY_a},
    {1, 39, XKB_KEY_s},
    {2, 40, XKB_KEY_d},
    {3, 41, XKB_KEY_f},
    {4, 43, XKB_KEY_h},
    {5, 42, XKB_KEY_g},
    {6, 52, XKB_KEY_z},
    {7, 53, XKB_KEY_x},
    {8, 54, XKB_KEY_c},
    {9, 55, XKB_KEY_v},
    {10, 94, XKB_KEY_less},  // ISO key beside left Shift
    {11, 56, XKB_KEY_b},
    {12, 24, XKB_KEY_q},
    {13, 25, XKB_KEY_w},
    {14, 26, XKB_KEY_e},
    {15, 27, XKB_KEY_r},
    {16, 29, XKB_KEY_y},
    {17, 28, XKB_KEY_t},
    {18, 10, XKB_KEY_1},
    {19, 11, XKB_KEY_2},
    {20, 12, XKB_KEY_3},
    {21, 13, XKB_KEY_4},
    {22, 15, XKB_KEY_6},
    {23, 14, XKB_KEY_5},
    {24, 21, XKB_KEY_equal},
    {25, 18, XKB_KEY_9},
    {26, 16, XKB_KEY_7},
    {27, 20, XKB_KEY_minus},
    {28, 17, XKB_KEY_8},
    {29, 19, XKB_KEY_0},
    {30, 35, XKB_KEY_bracketright},
    {31, 32, XKB_KEY_o},
    {32, 30, XKB_KEY_u},
    {33, 34, XKB_KEY_bracketleft},
    {34, 31, XKB_KEY_i},
    {35, 33, XKB_KEY_p},
    {36, 36, XKB_KEY_Return},
    {37, 46, XKB_KEY_l},
    {38, 44, XKB_KEY_j},
    {39, 48, XKB_KEY_apostrophe},
    {40, 45, XKB_KEY_k},
    {41, 47, XKB_KEY_semicolon},
    {42, 51, XKB_KEY_backslash},
    {43, 59, XKB_KEY_comma},
    {44, 61, XKB_KEY_slash},
    {45, 57, XKB_KEY_n},
    {46, 58, XKB_KEY_m},
    {47, 60, XKB_KEY_period},
    {48, 23, XKB_KEY_Tab},
    {49, 65, XKB_KEY_space},
    {50, 49, XKB_KEY_grave},
    {51, 22, XKB_KEY_BackSpace},
    {52, 201, XKB_KEY_F23},
    {53, 9, XKB_KEY_Escape},
    {54, 134, XKB_KEY_Super_R},
    {55, 133, XKB_KEY_Super_L},
    {56, 50, XKB_KEY_Shift_L},
    {57, 66, XKB_KEY_Caps_Lock},
    {58, 64, XKB_KEY_Alt_L},
    {59, 37, XKB_KEY_Control_L},
    {60, 62, XKB_KEY_Shift_R},
    {61, 108, XKB_KEY_Alt_R},
    {62, 105, XKB_KEY_Control_R},
    {64, 195, XKB_KEY_F17},
    {65, 91, XKB_KEY_KP_Decimal},
    {66, 202, XKB_KEY_F24},
    {67, 63, XKB_KEY_KP_Multiply},
    {69, 86, XKB_KEY_KP_Add},
    {71, 77, XKB_KEY_Num_Lock},
    {72, 123, XKB_KEY_XF86AudioRaiseVolume},
    {73, 122, XKB_KEY_XF86AudioLowerVolume},
    {74, 121, XKB_KEY_XF86AudioMute},
    {75, 106, XKB_KEY_KP_Divide},
    {76, 104, XKB_KEY_KP_Enter},
    {78, 82, XKB_KEY_KP_Subtract},
    {79, 196, XKB_KEY_F18},
    {80, 197, XKB_KEY_F19},
    {81, 125, XKB_KEY_KP_Equal},
    {82, 90, XKB_KEY_KP_0},
    {83, 87, XKB_KEY_KP_1},
    {84, 88, XKB_KEY_KP_2},
    {85, 89, XKB_KEY_KP_3},
    {86, 83, XKB_KEY_KP_4},
    {87, 84, XKB_KEY_KP_5},
    {88, 85, XKB_KEY_KP_6},
    {89, 79, XKB_KEY_KP_7},
    {90, 198, XKB_KEY_F20},
    {91, 80, XKB_KEY_KP_8},
    {92, 81, XKB_KEY_KP_9},
    {96, 71, XKB_KEY_F5},
    {97, 72, XKB_KEY_F6},
    {98, 73, XKB_KEY_F7},
    {99, 69, XKB_KEY_F3},
    {100, 74, XKB_KEY_F8},
    {101, 75, XKB_KEY_F9},
    {103, 95, XKB_KEY_F11},
    {105, 191, XKB_KEY_F13},
    {106, 194, XKB_KEY_F16},
    {107, 192, XKB_KEY_F14},
    {108, 199, XKB_KEY_F21},
    {109, 76, XKB_KEY_F10},
    {111, 96, XKB_KEY_F12},
    {112, 200, XKB_KEY_F22},
    {113, 193, XKB_KEY_F15},
    {114, 118, XKB_KEY_Insert},
    {115, 110, XKB_KEY_Home},
    {116, 112, XKB_KEY_Prior},
    {117, 119, XKB_KEY_Delete},
    {118, 70, XKB_KEY_F4},
    {119, 115, XKB_KEY_End},
    {120, 68, XKB_KEY_F2},
    {121, 117, XKB_KEY_Next},
    {122, 67, XKB_KEY_F1},
    {123, 113, XKB_KEY_Left},
    {124, 114, XKB_KEY_Right},
    {125, 116, XKB_KEY_Down},
    {126, 111, XKB_KEY_Up},
};

}  // namespace

std::optional<std::uint8_t> xKeycodeFor(std::uint32_t keyCode) {
    for (const KeyPosition& k : table) {
        if (k.keyCode == keyCode) return k.xKeycode;
    }
    return std::nullopt;
}

std::optional<std::uint32_t> keyCodeForXKeycode(std::uint8_t xKeycode) {
    for (const KeyPosition& k : table) {
        if (k.xKeycode == xKeycode) return k.keyCode;
    }
    return std::nullopt;
}

std::span<const KeyPosition> keyPositions() {
    return table;
}

}  // namespace quorvel::x11
