#pragma once

#include "platform/cpu.h"

namespace zeltrand::win32 {

class Win32Cpu final : public CpuProbe {};

}  // namespace zeltrand::win32
