#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quorvel::x11 {

/// A window property's value as a GetProperty reply carries it. Any client can
/// set any property of its windows, in any format and of any length, so the
/// decoders take nothing about it on trust.
struct PropertyValue {
    std::uint8_t format = 0;  // bits per item: 8, 16 or 32; 0 for a missing property
    std::span<const std::uint8_t> bytes;
};

/// 8-bit text without its trailing NULs (_NET_WM_NAME, WM_NAME,
/// _GTK_APPLICATION_ID); nothing in another format.
std::optional<std::string> decodeText(const PropertyValue& value);

/// The whole 32-bit items in host order: CARDINALs (_NET_WM_PID) or ATOMs
/// (_NET_WM_WINDOW_TYPE, _NET_WM_STATE); none in another format.
std::vector<std::uint32_t> decodeCardinals(const PropertyValue& value);

/// Exactly four 32-bit items (_NET_FRAME_EXTENTS, _GTK_FRAME_EXTENTS: left,
/// right, top, bottom); all four missing when there are more or fewer.
std::array<std::optional<std::uint32_t>, 4> decodeFourValues(const PropertyValue& value);

/// WM_CLASS: the instance name, a NUL, the class name.
struct WmClass {
    std::string instance, wmClass;
};
/// Nothing unless 8-bit text; without a NUL the whole text is the instance.
std::optional<WmClass> decodeWmClass(const PropertyValue& value);

}  // namespace quorvel::x11
