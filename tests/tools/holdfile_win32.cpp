// holdfile_win32.exe: holds a file the way another PC's 記録 does, for the
// end-to-end cases of a busy record file. Runs under Wine, in the session's
// prefix: only a process of the same wineserver sees the share mode.
//
//   holdfile_win32 [--read] PATH MS [GO_FILE]
//
// Opens PATH for writing with no sharing at all (creating it when missing,
// never truncating it), prints "held" and keeps it open. With --read it
// opens it instead as the summary page does: to read, sharing everything. With GO_FILE it
// first waits until that file exists. Then it keeps the file MS ms more,
// closes it and prints "released". Exit code 0; 1 when PATH cannot be
// opened (the Windows error on stderr); 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

void Say(const char* what) {
  std::fputs(what, stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool read = argc > 1 && std::wcscmp(argv[1], L"--read") == 0;
  if (read) {
    --argc;
    ++argv;
  }
  if (argc != 3 && argc != 4) {
    std::fputs("usage: holdfile_win32 [--read] PATH MS [GO_FILE]\n", stderr);
    return 2;
  }
  const DWORD hold_ms = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
  HANDLE file = read ? CreateFileW(argv[1], GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                     : CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "holdfile_win32: cannot open the file, error %lu\n", GetLastError());
    return 1;
  }
  Say("held");
  if (argc == 4) {
    while (GetFileAttributesW(argv[3]) == INVALID_FILE_ATTRIBUTES) Sleep(5);
  }
  Sleep(hold_ms);
  CloseHandle(file);
  Say("released");
  return 0;
}
