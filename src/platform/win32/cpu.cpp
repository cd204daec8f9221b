#include "platform/win32/cpu.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
#include <intrin.h>
// clang-format on

#include <array>

namespace zeltrand::win32 {

CpuidRegisters Win32Cpu::Cpuid(std::uint32_t leaf) {
  std::array<int, 4> r{};
  __cpuidex(r.data(), static_cast<int>(leaf), 0);
  return {static_cast<std::uint32_t>(r[0]), static_cast<std::uint32_t>(r[1]),
          static_cast<std::uint32_t>(r[2]), static_cast<std::uint32_t>(r[3])};
}

std::uint64_t Win32Cpu::TimeStampCounter() {
  return __rdtsc();
}

std::uint32_t Win32Cpu::Milliseconds() {
  return timeGetTime();
}

void Win32Cpu::Sleep(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace zeltrand::win32
