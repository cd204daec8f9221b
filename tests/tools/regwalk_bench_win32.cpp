// regwalk_bench_win32.exe [KEY [ROUNDS]]: times the product-number search
// over HKEY_LOCAL_MACHINE\KEY (default Software) against the floor of any
// such walk: open every key once, enumerate its values into 256-byte name
// and data buffers and its sub-keys, nothing else. The two run in turns in
// one process, warm, ROUNDS times (default 5); the best of each is printed
// in milliseconds with their ratio. Asserts nothing: figures for the notes
// (scripts/bench-reports.py runs it beside `reg query`).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/registry.h"
#include "reports/registry_reports.h"

namespace {

struct Counts {
  long keys = 0;
  long values = 0;
};

void MinimalWalk(HKEY key, Counts& counts) {
  wchar_t name[128];
  BYTE data[256];
  for (DWORD index = 0;; ++index) {
    DWORD name_length = 128, size = sizeof data, type = 0;
    const LONG rc = RegEnumValueW(key, index, name, &name_length, nullptr, &type, data, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break;
    ++counts.values;
  }
  for (DWORD index = 0;; ++index) {
    DWORD name_length = 128;
    if (RegEnumKeyExW(key, index, name, &name_length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    ++counts.keys;
    MinimalWalk(child, counts);
    RegCloseKey(child);
  }
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "Software";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  zeltrand::win32::Win32Registry registry;
  double best_minimal = 1e300, best_search = 1e300;
  for (int round = 1; round <= rounds; ++round) {
    Counts counts;
    double start = Now();
    HKEY root = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &root) != ERROR_SUCCESS) {
      std::fprintf(stderr, "cannot open HKLM\\%s\n", path.c_str());
      return 1;
    }
    counts.keys = 1;
    MinimalWalk(root, counts);
    RegCloseKey(root);
    const double minimal = Now() - start;

    start = Now();
    std::string report;
    std::string key_path = path;
    if (const auto key = registry.Open(zeltrand::RegRoot::kLocalMachine, path)) {
      zeltrand::ProductNumberSearch(*key, key_path, report);
    }
    const double search = Now() - start;

    std::printf(
        "round %d: %ld keys, %ld values; minimal walk %.1f ms, product search %.1f ms "
        "(%zu report bytes)\n",
        round, counts.keys, counts.values, minimal, search, report.size());
    best_minimal = std::min(best_minimal, minimal);
    best_search = std::min(best_search, search);
  }
  std::printf("best: minimal walk %.1f ms, product search %.1f ms, ratio %.3f\n", best_minimal,
              best_search, best_search / best_minimal);
  return 0;
}
