// What the processor says of itself, for the end-to-end oracle: read from
// CPUID and the time-stamp counter, never from what the kernel makes of them
// (/proc/cpuinfo's "model name" is not the brand string on every machine).
//
// Prints four lines:
//   vendor=GenuineIntel
//   leaf1_eax=000906EA
//   brand=<the 48 bytes of leaves 0x80000002-4, up to the first NUL>
//   tsc_mhz=2904
#include <cpuid.h>
#include <x86intrin.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

namespace {

std::uint64_t Nanoseconds() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(ts.tv_nsec);
}

// The counter's rate over a quarter second. The counter and the clock are
// read back to back, so time lost to other processes counts on both sides.
std::uint64_t TscMhz() {
  const std::uint64_t t0 = Nanoseconds();
  const std::uint64_t c0 = __rdtsc();
  timespec pause{0, 250000000};
  nanosleep(&pause, nullptr);
  const std::uint64_t c1 = __rdtsc();
  const std::uint64_t t1 = Nanoseconds();
  return (c1 - c0) * 1000 / (t1 - t0);
}

}  // namespace

int main() {
  unsigned a = 0, b = 0, c = 0, d = 0;
  __cpuid(0, a, b, c, d);
  char vendor[13] = {};
  std::memcpy(vendor, &b, 4);
  std::memcpy(vendor + 4, &d, 4);
  std::memcpy(vendor + 8, &c, 4);
  unsigned leaf1 = 0;
  if (a >= 1) __cpuid(1, leaf1, b, c, d);
  std::string brand;
  __cpuid(0x80000000, a, b, c, d);
  if (a >= 0x80000004) {
    for (unsigned leaf = 0x80000002; leaf <= 0x80000004; ++leaf) {
      unsigned r[4] = {};
      __cpuid(leaf, r[0], r[1], r[2], r[3]);
      brand.append(reinterpret_cast<const char*>(r), sizeof r);
    }
    brand.resize(std::strlen(brand.c_str()));
  }
  std::printf("vendor=%s\nleaf1_eax=%08X\nbrand=%s\ntsc_mhz=%llu\n", vendor, leaf1, brand.c_str(),
              static_cast<unsigned long long>(TscMhz()));
  return 0;
}
