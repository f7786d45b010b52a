#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::core {

std::string base64Encode(const std::vector<std::uint8_t>& bytes);
/// Nothing when `text` is not valid standard base64 (padding required).
std::optional<std::vector<std::uint8_t>> base64Decode(const std::string& text);

}  // namespace quorvel::core
