// The mail's text in 7-bit JIS code (ISO-2022-JP, RFC 1468). Mail has no
// half-width katakana, so each becomes its full-width form first, a voiced
// or semi-voiced pair becoming one character where the full-width set has
// it (ｶﾞ → ガ, ﾊﾟ → パ; ｱﾞ stays ア゛). Runs of two-byte characters are
// framed by ESC $ B and ESC ( J:
//
//   "ﾒｰﾙ" (D2 B0 D9)  →  1B 24 42  25 61 21 3C 25 6B  1B 28 4A
//
// Bytes that are no character (7F, 80, F0 to FF, a first byte with no
// second) and the text's own ESC, SO and SI are left out; every line of the
// result, and the result itself, ends in the one-byte set.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

// Converts code page 932 text up to its end or its first zero byte.
std::string KanaWidener(std::string_view text);

}  // namespace zeltrand
