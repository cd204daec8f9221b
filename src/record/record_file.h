// Appending to the shared record file. Many PCs append to one file on a
// share at the same moment: each holds the file alone from the size check
// to the last byte, so the file gets one header and only whole lines.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace zeltrand {

enum class AppendResult {
  kWritten,
  kBusy,        // another process has the file open
  kNotOpened,   // missing folder, no access, bad path
  kNotWritten,  // opened, but the bytes did not all arrive; the file is as it was
};

// Appends `record`, its line end included, to the file at `path`. An empty
// file first gets `header`. A file whose last line has lost its end (its
// writer died half-way) first gets `line_end`, so that the record starts a
// line of its own instead of being glued to the torn one.
AppendResult AppendRecord(Files& files, const std::string& path, std::string_view header,
                          std::string_view record, std::string_view line_end);

}  // namespace zeltrand
