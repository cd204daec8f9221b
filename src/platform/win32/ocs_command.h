// Zeltrand.exe /ocs URL [RECORD_FILE] on Windows (app/ocs_command.h): the
// command line, and the report in a message box.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand::win32 {

// True when the command line asks for the inventory server.
bool IsOcsCommand(const wchar_t* command_line);

// The URL the command line names, code page 932; "" when none.
std::string OcsUrl(const wchar_t* command_line);

void ShowOcsReport(std::string_view report, bool all_sent);

}  // namespace zeltrand::win32
