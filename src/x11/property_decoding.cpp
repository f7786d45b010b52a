#include "x11/property_decoding.h"

#include <cstring>

namespace quorvel::x11 {

std::optional<std::string> decodeText(const PropertyValue& value) {
    if (value.format != 8) return std::nullopt;
    std::string text(reinterpret_cast<const char*>(value.bytes.data()), value.bytes.size());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

std::vector<std::uint32_t> decodeCardinals(const PropertyValue& value) {
    if (value.format != 32) return {};
    std::vector<std::uint32_t> items(value.bytes.size() / 4);
    // Copied rather than cast: the bytes need not be aligned for 32-bit reads.
    if (!items.empty()) std::memcpy(items.data(), value.bytes.data(), items.size() * 4);
    return items;
}

std::array<std::optional<std::uint32_t>, 4> decodeFourValues(const PropertyValue& value) {
    const std::vector<std::uint32_t> items = decodeCardinals(value);
    std::array<std::optional<std::uint32_t>, 4> out;
    if (items.size() != out.size()) return out;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = items[i];
    return out;
}

std::optional<WmClass> decodeWmClass(const PropertyValue& value) {
    auto text = decodeText(value);
    if (!text) return std::nullopt;
    const auto split = text->find('\0');
    WmClass names{text->substr(0, split), {}};
    if (split != std::string::npos) names.wmClass = text->substr(split + 1);
    return names;
}

}  // namespace quorvel::x11
