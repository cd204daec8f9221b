// The zlib format (RFC 1950) the agent protocol wraps its documents in.
// Windows has no deflate of its own that a program can call, so the
// program writes the format with stored blocks: a valid stream that every
// inflater reads, as long as the document. An inventory is a few
// kilobytes; the command that sends a whole record file deflates with the
// system's zlib instead.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand::server {

using Compressor = std::string (*)(std::string_view data);

// `data` in stored blocks, with the zlib header and Adler-32 check.
std::string StoredZlib(std::string_view data);

// Whether `data` begins as a zlib stream does: deflate, a window of at most
// 32 KiB, a header check that divides by 31, no preset dictionary.
bool LooksLikeZlib(std::string_view data);

}  // namespace zeltrand::server
