#include "platform/win32/cp932_converter.h"

#include <windows.h>

#include "core/cp932.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

// Single bytes that Windows maps (to U+0080 and private-use characters)
// and other systems' code page 932 does not hold: U+FFFD here as there, so
// that both make the same page.
bool WindowsOnly(unsigned char c) {
  return c == 0x80 || c == 0xA0 || c >= 0xFD;
}

}  // namespace

std::string Win32TextConverter::Utf8FromCp932(std::string_view text) {
  std::wstring wide;
  const auto convert = [](std::string_view bytes, std::wstring& out) {
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                        static_cast<int>(bytes.size()), out.data() + at, n);
    return true;
  };
  bool shared = true;
  for (std::size_t i = 0; i < text.size() && shared; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (cp932::IsLeadByte(c)) {
      ++i;
    } else {
      shared = !WindowsOnly(c);
    }
  }
  if (text.empty() || (shared && convert(text, wide))) return Utf8(wide);
  // Character by character, so that only the characters the code page
  // lacks become U+FFFD.
  wide.clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const bool pair = cp932::IsLeadByte(lead) && i + 1 < text.size() &&
                      static_cast<unsigned char>(text[i + 1]) >= 0x40 && text[i + 1] != 0x7F &&
                      static_cast<unsigned char>(text[i + 1]) <= 0xFC;
    const std::size_t length = pair ? 2 : 1;
    if ((length == 1 && WindowsOnly(lead)) || !convert(text.substr(i, length), wide)) {
      wide += L'\uFFFD';
    }
    i += length;
  }
  return Utf8(wide);
}

}  // namespace zeltrand::win32
