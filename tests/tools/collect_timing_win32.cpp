// collect_timing_win32.exe [PASSES]: runs the collectors over the real
// system the way the dialog does (the start-up pass without the CPU, then
// the CPU alone) and prints how long each took, in milliseconds, with the
// texts they produced (code page 932). Asserts nothing; the figures go into
// notes and reports, not into tests.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "collect/item_table.h"
#include "platform/win32/services.h"

namespace {

using namespace zeltrand;

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

double TimeCollector(int n, CollectContext& ctx) {
  LARGE_INTEGER before, after;
  QueryPerformanceCounter(&before);
  kItemTable[n](ctx);
  QueryPerformanceCounter(&after);
  const double ms = Milliseconds(before, after);
  std::printf("  field %2d %9.3f ms  %s\n", n, ms, ctx.info.item_values[n].c_str());
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  const int passes = argc > 1 ? std::atoi(argv[1]) : 3;
  win32::SystemServices system;
  const Paths paths = MakePaths(system.files.ExecutablePath());
  CollectedInfo info;
  CollectContext ctx{info, system.services, paths};
  for (int pass = 1; pass <= passes; ++pass) {
    std::printf("pass %d\n", pass);
    double start_up = 0, fields_0_to_11 = 0;
    for (int n = 0; n < kInfoItemCount; ++n) {
      if (n == 3) continue;
      const double ms = TimeCollector(n, ctx);
      start_up += ms;
      if (n <= 11) fields_0_to_11 += ms;
    }
    const double cpu_ms = TimeCollector(3, ctx);
    std::printf("start-up pass (fields 0-13 without 3): %.3f ms (fields 0-11: %.3f ms)\n", start_up,
                fields_0_to_11);
    std::printf("CPU collector (field 3): %.3f ms\n", cpu_ms);
  }
  return 0;
}
