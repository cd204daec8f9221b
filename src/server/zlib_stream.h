// The zlib format (RFC 1950) the agent protocol wraps its documents in;
// zlib itself (platform/zlib_codec.h) deflates and inflates.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand::server {

using Compressor = std::string (*)(std::string_view data);

// Whether `data` begins as a zlib stream does: deflate, a window of at most
// 32 KiB, a header check that divides by 31, no preset dictionary.
bool LooksLikeZlib(std::string_view data);

}  // namespace zeltrand::server
