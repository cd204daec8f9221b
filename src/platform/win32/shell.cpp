#include "platform/win32/shell.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "platform/win32/text.h"

namespace zeltrand::win32 {

bool Win32Shell::Open(std::string_view target) {
  const std::wstring wide = Widen(target);
  const auto rc = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetActiveWindow(), L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return rc > 32;
}

}  // namespace zeltrand::win32
