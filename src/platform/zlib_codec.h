// The agent protocol's zlib format by the system's zlib.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

std::string ZlibCompress(std::string_view data);

// Nothing when `data` is no whole zlib stream.
std::optional<std::string> ZlibInflate(std::string_view data);

}  // namespace zeltrand
