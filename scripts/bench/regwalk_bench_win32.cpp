// regwalk_bench_win32.exe WALK [KEY [ROUNDS]]: walks HKEY_LOCAL_MACHINE\KEY
// (default Software) ROUNDS times (default 1) and prints each walk's time in
// milliseconds with what it saw. WALK is one of
//   search  the product-number search, report built and thrown away;
//   same    the floor of any such walk over the keys the search visits
//           (it leaves out keys named Classes or CLASSES): open every key
//           once, enumerate its values into 256-byte name and data buffers
//           and its sub-keys, nothing else;
//   whole   the same floor over the whole tree;
//   none    nothing: the cost of starting the process.
// One walk kind per process, so that scripts/bench/bench-reports.py can
// charge each its processor time and the wineserver's. Asserts nothing:
// figures for the notes.
#include <windows.h>

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
  const std::string walk = argc > 1 ? argv[1] : "none";
  const std::string path = argc > 2 ? argv[2] : "Software";
  const int rounds = argc > 3 ? std::atoi(argv[3]) : 1;
  zeltrand::win32::Win32Registry registry;
  for (int round = 1; round <= rounds && walk != "none"; ++round) {
    if (walk == "search") {
      const double start = Now();
      std::string report;
      std::string key_path = path;
      if (const auto key = registry.Open(zeltrand::RegRoot::kLocalMachine, path)) {
        zeltrand::ProductNumberSearch(*key, key_path, report);
      }
      std::printf("search %.1f ms, %zu report bytes\n", Now() - start, report.size());
    } else {
      Counts counts;
      const double ms = TimeMinimalWalk(path, walk == "same", counts);
      std::printf("%s %.1f ms, %ld keys, %ld values\n", walk.c_str(), ms, counts.keys,
                  counts.values);
    }
  }
  return 0;
}
