#include "platform/win32/text.h"

#include <windows.h>

namespace zeltrand::win32 {

std::wstring Widen(std::string_view cp932) {
  if (cp932.empty()) return {};
  const int n =
      MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(kCodePage, 0, cp932.data(), static_cast<int>(cp932.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  // One call: code page 932 needs at most two bytes for a UTF-16 unit.
  std::string out(2 * utf16.size(), '\0');
  const int n = WideCharToMultiByte(kCodePage, 0, utf16.data(), static_cast<int>(utf16.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<size_t>(n));
  return out;
}

}  // namespace zeltrand::win32
