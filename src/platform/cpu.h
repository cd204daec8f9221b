// The processor's identification and its time-stamp counter.
#pragma once

#include <cstdint>

namespace zeltrand {

struct CpuidRegisters {
  std::uint32_t eax = 0;
  std::uint32_t ebx = 0;
  std::uint32_t ecx = 0;
  std::uint32_t edx = 0;
};

class CpuProbe {
 public:
  virtual ~CpuProbe() = default;
  // CPUID with `leaf` in EAX (and 0 in ECX).
  virtual CpuidRegisters Cpuid(std::uint32_t leaf) = 0;
  // RDTSC, all 64 bits.
  virtual std::uint64_t TimeStampCounter() = 0;
  // A millisecond clock, wrapping after 2^32.
  virtual std::uint32_t Milliseconds() = 0;
  virtual void Sleep(unsigned milliseconds) = 0;
};

}  // namespace zeltrand
