#include "platform/win32/win_ini.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {
// The longest value a profile section can hold.
constexpr DWORD kLongestValue = 65536;
}  // namespace

std::string Win32WinIni::ReadString(std::string_view section, std::string_view key,
                                    std::string_view fallback) {
  const std::wstring wide_section = Widen(section);
  const std::wstring wide_key = Widen(key);
  const std::wstring wide_fallback = Widen(fallback);
  std::wstring value(256, L'\0');
  while (true) {
    const DWORD size = static_cast<DWORD>(value.size());
    const DWORD length = GetProfileStringW(wide_section.c_str(), wide_key.c_str(),
                                           wide_fallback.c_str(), value.data(), size);
    // A value that filled the buffer may have been cut: ask again with more.
    if (length + 1 < size || size >= kLongestValue) {
      value.resize(std::min(length, size));
      return Narrow(value);
    }
    value.resize(value.size() * 2);
  }
}

}  // namespace zeltrand::win32
