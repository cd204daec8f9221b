// win.ini through GetProfileStringW, handed over in code page 932.
#pragma once

#include "platform/win_ini.h"

namespace zeltrand::win32 {

class Win32WinIni final : public WinIni {
 public:
  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) override;
};

}  // namespace zeltrand::win32
