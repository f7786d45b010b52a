// Window properties as the window mirror decodes them. Any X client can set
// any property of its own windows in any format, so the first byte picks the
// format the reply claims and the rest is the value.
#include <array>
#include <cstddef>
#include <cstdint>

#include "x11/property_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quorvel::x11;
    if (size == 0) return 0;
    constexpr std::array<std::uint8_t, 4> kFormats{0, 8, 16, 32};
    const std::uint8_t format = data[0] < 0xF0 ? kFormats[data[0] % kFormats.size()] : data[0];
    const PropertyValue value{format, {data + 1, size - 1}};
    (void)decodeText(value);        // _NET_WM_NAME, WM_NAME, _GTK_APPLICATION_ID
    (void)decodeWmClass(value);     // WM_CLASS
    (void)decodeCardinals(value);   // _NET_WM_PID, _NET_WM_WINDOW_TYPE, _NET_WM_STATE
    (void)decodeFourValues(value);  // _NET_FRAME_EXTENTS, _GTK_FRAME_EXTENTS
    return 0;
}
