#include "record/record_file.h"

#include <optional>

namespace zeltrand {

namespace {

// What must come before a record appended after `last`. A file that cannot
// be read back is taken to end its last line.
std::string_view BreakAfter(std::optional<char> last, std::string_view line_end) {
  if (!last || *last == '\n') return {};
  if (*last == '\r') return "\n";  // a CR LF cut between its two bytes
  return line_end;
}

}  // namespace

AppendResult AppendRecord(Files& files, const std::string& path, std::string_view header,
                          std::string_view record, std::string_view line_end) {
  OpenedFile opened = files.OpenExclusive(path);
  if (!opened.file) return opened.busy ? AppendResult::kBusy : AppendResult::kNotOpened;
  AppendFile& file = *opened.file;
  const std::optional<std::uint64_t> size = file.Size();
  if (!size) return AppendResult::kNotWritten;
  std::string bytes(*size == 0 ? header : BreakAfter(file.LastByte(), line_end));
  bytes += record;
  if (file.Append(bytes)) return AppendResult::kWritten;
  // Half a line would be glued to the next PC's record.
  file.Truncate(*size);
  return AppendResult::kNotWritten;
}

}  // namespace zeltrand
