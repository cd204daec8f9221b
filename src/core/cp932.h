// Helpers for code page 932 (Shift-JIS) byte strings.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zeltrand::cp932 {

// True for the first byte of a two-byte character.
constexpr bool IsLeadByte(unsigned char c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The longest prefix of `text` of at most `max_bytes` bytes that does not
// split a two-byte character.
std::string_view Prefix(std::string_view text, std::size_t max_bytes);

// True when the two texts are the same but for the case of ASCII letters;
// the bytes of two-byte characters compare exactly (the second byte of a
// character may look like a letter).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

inline std::string Cut(std::string_view text, std::size_t max_bytes) {
  return std::string(Prefix(text, max_bytes));
}

}  // namespace zeltrand::cp932
