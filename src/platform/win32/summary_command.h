// Zeltrand.exe /summary [RECORD_FILE] [HTML_FILE]: the administrator's page
// of the record file, written and opened with the default browser, with no
// dialog. Without RECORD_FILE the record file is the one the settings name;
// without HTML_FILE the page is Zeltrand.html in the current folder.
#pragma once

#include <string>

#include "platform/text_converter.h"

namespace zeltrand::win32 {

// Exit codes of the command.
inline constexpr int kSummaryWritten = 0;
inline constexpr int kSummaryNoRecordFile = 2;  // it cannot be opened or read
inline constexpr int kSummaryNotWritten = 3;    // the page cannot be written

class Win32TextConverter final : public TextConverter {
 public:
  std::string Utf8FromCp932(std::string_view text) override;
};

// True when the command line asks for the summary.
bool IsSummaryCommand(const wchar_t* command_line);

// Runs the command of `command_line` and returns its exit code.
int RunSummaryCommand(const wchar_t* command_line);

}  // namespace zeltrand::win32
