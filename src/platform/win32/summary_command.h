// Zeltrand.exe /summary [RECORD_FILE] [HTML_FILE]: the administrator's page
// of the record file, written and opened with the default browser, with no
// dialog. Without RECORD_FILE the record file is the one the settings name;
// without HTML_FILE the page is Zeltrand.html in the current folder.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text_converter.h"
#include "summary/record_reader.h"

namespace zeltrand::win32 {

// Exit codes of the command.
inline constexpr int kSummaryWritten = 0;
inline constexpr int kSummaryNoRecordFile = 2;  // it cannot be opened or read
inline constexpr int kSummaryNotWritten = 3;    // the page cannot be written

class Win32TextConverter final : public TextConverter {
 public:
  std::string Utf8FromCp932(std::string_view text) override;
};

// The arguments after the program's own name.
std::vector<std::wstring> CommandArguments(const wchar_t* command_line);

// The record file 記録 would write: the settings' own, or the default.
std::wstring SettingsRecordPath();

// Shared for reading, writing and deleting: a 記録 or 取込 while the page
// is made goes ahead at once. Reads up to the size the file had when opened.
class RecordFileSource final : public summary::ByteSource {
 public:
  RecordFileSource(HANDLE file, std::uint64_t size) : file_(file), left_(size) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const auto want = static_cast<DWORD>(std::min<std::uint64_t>({size, left_, 1u << 24}));
    DWORD got = 0;
    if (want == 0) return 0;
    if (!ReadFile(file_, buffer, want, &got, nullptr)) failed_ = true;
    left_ -= got;
    return got;
  }
  bool failed() const { return failed_; }

 private:
  HANDLE file_;
  std::uint64_t left_;
  bool failed_ = false;
};

// True when the command line asks for the summary.
bool IsSummaryCommand(const wchar_t* command_line);

// Runs the command of `command_line` and returns its exit code.
int RunSummaryCommand(const wchar_t* command_line);

}  // namespace zeltrand::win32
