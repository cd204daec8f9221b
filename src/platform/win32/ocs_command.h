// Zeltrand.exe /ocs [--since DAYS | --all] URL [RECORD_FILE] on Windows (app/ocs_command.h): the
// command line, and the report in a message box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeltrand::win32 {

// True when the command line asks for the inventory server.
bool IsOcsCommand(const wchar_t* command_line);

// The arguments after /ocs, code page 932: the options and the URL.
std::vector<std::string> OcsArguments(const wchar_t* command_line);

void ShowOcsReport(std::string_view report, bool all_sent);

}  // namespace zeltrand::win32
