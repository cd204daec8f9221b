// CPUID, the time-stamp counter and a millisecond clock.
#pragma once

#include "platform/cpu.h"

namespace zeltrand::win32 {

class Win32Cpu final : public CpuProbe {
 public:
  CpuidRegisters Cpuid(std::uint32_t leaf) override;
  std::uint64_t TimeStampCounter() override;
  std::uint32_t Milliseconds() override;
  void Sleep(unsigned milliseconds) override;
};

}  // namespace zeltrand::win32
