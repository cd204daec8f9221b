// The agent protocol's zlib format by the system's zlib.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

std::string ZlibCompress(std::string_view data);

// Nothing when `data` is no whole zlib stream, or when it would inflate to
// more than `limit` bytes (found out without inflating further).
std::optional<std::string> ZlibInflate(std::string_view data,
                                       std::size_t limit = std::size_t{1} << 30);

}  // namespace zeltrand
