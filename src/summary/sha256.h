// SHA-256, for the hashes by which the summary page allows its own script
// and style.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace zeltrand::summary {

std::array<std::uint8_t, 32> Sha256(std::string_view bytes);
std::string Base64(const std::array<std::uint8_t, 32>& bytes);

}  // namespace zeltrand::summary
