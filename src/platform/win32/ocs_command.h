// Zeltrand.exe /ocs URL [RECORD_FILE]: the latest record of every PC in the
// record file to the inventory server at URL, with no dialog; a message
// then tells how many were sent and which failed. Without RECORD_FILE the
// record file is the one the settings name. Exit codes: 0 all sent, 1 some
// failed, 2 the record file cannot be read, 64 no URL.
#pragma once

namespace zeltrand::win32 {

bool IsOcsCommand(const wchar_t* command_line);
int RunOcsCommand(const wchar_t* command_line);

}  // namespace zeltrand::win32
