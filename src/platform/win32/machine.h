#pragma once

#include "platform/machine.h"

namespace zeltrand::win32 {

class Win32Machine final : public Machine {};

}  // namespace zeltrand::win32
