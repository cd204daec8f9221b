#include "platform/win32/cpu.h"

// clang-format off
#include <windows.h>
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

// From the performance counter of kernel32, which counts to the
// millisecond on every system, where the system tick may move in steps of
// 10 to 16 ms.
std::uint32_t Win32Cpu::Milliseconds() {
  LARGE_INTEGER frequency{};
  LARGE_INTEGER count{};
  if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 ||
      !QueryPerformanceCounter(&count)) {
    return GetTickCount();
  }
  const auto f = static_cast<std::uint64_t>(frequency.QuadPart);
  const auto c = static_cast<std::uint64_t>(count.QuadPart);
  // In two steps, so that the product cannot overflow.
  return static_cast<std::uint32_t>(c / f * 1000 + c % f * 1000 / f);
}

void Win32Cpu::Sleep(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace zeltrand::win32
