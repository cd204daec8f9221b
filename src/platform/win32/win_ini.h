#pragma once

#include "platform/win_ini.h"

namespace zeltrand::win32 {

class Win32WinIni final : public WinIni {};

}  // namespace zeltrand::win32
