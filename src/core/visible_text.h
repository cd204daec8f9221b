// Text from outside on its way to a terminal, a log or a message box: a
// control byte there retitles a terminal (ESC), overwrites a line (CR) or
// ends the text early (NUL). Each is shown instead as "\x1B", "\x0D", ...
// Code page 932 needs nothing more: no second byte of a two-byte character
// is a control byte. The same for the UTF-16 of the Win32 layer.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace zeltrand {

// "PC" ESC "]0;x" BEL → `PC\x1B]0;x\x07`; line feeds stay when
// `keep_line_feeds` (a report of many lines, none of them from outside).
template <class Char>
std::basic_string<Char> VisibleText(std::basic_string_view<Char> text,
                                    bool keep_line_feeds = false) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::basic_string<Char> shown;
  shown.reserve(text.size());
  for (const Char c : text) {
    const auto code = static_cast<unsigned>(static_cast<std::make_unsigned_t<Char>>(c));
    if ((code >= 0x20 && code != 0x7F) || (c == Char('\n') && keep_line_feeds)) {
      shown += c;
      continue;
    }
    for (const char e : {'\\', 'x', kHex[code >> 4], kHex[code & 15]}) shown += Char(e);
  }
  return shown;
}

inline std::string VisibleText(std::string_view text, bool keep_line_feeds = false) {
  return VisibleText<char>(text, keep_line_feeds);
}

}  // namespace zeltrand
