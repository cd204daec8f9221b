// regwalk_bench_win32.exe [KEY [ROUNDS]]: times the product-number search
// over HKEY_LOCAL_MACHINE\KEY (default Software) against the floor of any
// such walk: open every key once, enumerate its values into 256-byte name
// and data buffers and its sub-keys, nothing else. The floor is taken twice:
// over the keys the search visits (it leaves out keys named Classes or
// CLASSES) and over the whole tree. The three run in turns in one process,
// warm, ROUNDS times (default 5); the best of each is printed in
// milliseconds with the ratios. Asserts nothing: figures for the notes
// (scripts/bench/bench-reports.py runs it beside `reg query`).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "platform/win32/registry.h"
#include "reports/registry_reports.h"

namespace {

struct Counts {
  long keys = 0;
  long values = 0;
};

bool IsClasses(const wchar_t* name) {
  return std::wcscmp(name, L"Classes") == 0 || std::wcscmp(name, L"CLASSES") == 0;
}

void MinimalWalk(HKEY key, bool skip_classes, Counts& counts) {
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
    if (skip_classes && IsClasses(name)) continue;
    HKEY child = nullptr;
    if (RegOpenKeyExW(key, name, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
    ++counts.keys;
    MinimalWalk(child, skip_classes, counts);
    RegCloseKey(child);
  }
}

double Now() {
  LARGE_INTEGER count, frequency;
  QueryPerformanceCounter(&count);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The minimal walk of HKLM\path in milliseconds.
double TimeMinimalWalk(const std::string& path, bool skip_classes, Counts& counts) {
  const double start = Now();
  HKEY root = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &root) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot open HKLM\\%s\n", path.c_str());
    std::exit(1);
  }
  counts.keys = 1;
  MinimalWalk(root, skip_classes, counts);
  RegCloseKey(root);
  return Now() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "Software";
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
  zeltrand::win32::Win32Registry registry;
  double best_same = 1e300, best_whole = 1e300, best_search = 1e300;
  for (int round = 1; round <= rounds; ++round) {
    Counts same_keys, whole_tree;
    const double same = TimeMinimalWalk(path, true, same_keys);
    const double whole = TimeMinimalWalk(path, false, whole_tree);

    const double start = Now();
    std::string report;
    std::string key_path = path;
    if (const auto key = registry.Open(zeltrand::RegRoot::kLocalMachine, path)) {
      zeltrand::ProductNumberSearch(*key, key_path, report);
    }
    const double search = Now() - start;

    std::printf(
        "round %d: minimal walk %.1f ms over %ld keys and %ld values the search visits, "
        "%.1f ms over all %ld keys and %ld values; product search %.1f ms (%zu report "
        "bytes)\n",
        round, same, same_keys.keys, same_keys.values, whole, whole_tree.keys, whole_tree.values,
        search, report.size());
    best_same = std::min(best_same, same);
    best_whole = std::min(best_whole, whole);
    best_search = std::min(best_search, search);
  }
  std::printf(
      "best: minimal walk %.1f ms (same keys), %.1f ms (whole tree); product search "
      "%.1f ms; ratio %.3f (same keys), %.3f (whole tree)\n",
      best_same, best_whole, best_search, best_search / best_same, best_search / best_whole);
  return 0;
}
