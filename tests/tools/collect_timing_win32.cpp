// collect_timing_win32.exe [PASSES]: runs the collectors over the real
// system the way the dialog does (the start-up pass without the CPU, then
// the CPU alone) and prints how long each took, in milliseconds, with the
// texts they produced (code page 932). Asserts nothing; the figures go into
// notes and reports, not into tests.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "collect/item_table.h"
#include "platform/win32/cpu.h"
#include "platform/win32/machine.h"
#include "platform/win32/network_probes.h"
#include "platform/win32/registry.h"
#include "platform/win32/system.h"
#include "platform/win32/win_ini.h"

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
  win32::Win32Clock clock;
  win32::Win32Files files;
  win32::Win32Registry registry;
  win32::Win32Machine machine;
  win32::Win32Cpu cpu;
  win32::Win32NetBios netbios;
  win32::Win32MibAgent mib;
  win32::Win32Uuid uuid;
  win32::Win32WinIni win_ini;
  Services services{clock, files, registry, machine, cpu, netbios, mib, uuid, win_ini};
  const Paths paths = MakePaths(files.ExecutablePath());
  CollectedInfo info;
  CollectContext ctx{info, services, paths};
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
