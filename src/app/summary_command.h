// The administrator's page of the record file, without the dialog:
// `Zeltrand.exe /summary [RECORD_FILE] [HTML_FILE]` and, on a file server,
// `zeltrand-summary RECORD_FILE [HTML_FILE]`. Without RECORD_FILE the
// record file is the one 記録 would write, as the settings name it.
#pragma once

#include <string>

namespace zeltrand {

class Files;
class SummaryIo;
class TextConverter;

// Exit codes of the command.
inline constexpr int kSummaryWritten = 0;
inline constexpr int kSummaryNoRecordFile = 2;  // it cannot be opened or read
inline constexpr int kSummaryNotWritten = 3;    // the page cannot be written

// The record file 記録 would write, as the settings name it.
std::string SettingsRecordPath(Files& files);

// `files` finds the settings; nullptr where there are none.
int RunSummaryCommand(SummaryIo& io, Files* files, TextConverter& converter);

}  // namespace zeltrand
