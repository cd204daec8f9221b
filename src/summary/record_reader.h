// Reading the record file back: a stream of records, one per line, whatever
// wrote the line. 記録 ends its lines in LF and a comma; 取込 in CR LF and
// no comma; files joined together carry a header anywhere; lines written
// before double quotes were doubled hold them single. A line that cannot be
// read is counted and skipped, and costs nothing but itself. A last line
// without its line end is still being written: it is left out and counted.
//
// Memory holds one line at a time, however long the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/summary_io.h"

namespace zeltrand::summary {

// Columns of a record line, counted from 0.
namespace column {
inline constexpr std::size_t kPcName = 0;
inline constexpr std::size_t kTime = 1;
inline constexpr std::size_t kWindows = 3;
inline constexpr std::size_t kCpu = 4;
inline constexpr std::size_t kMemory = 5;
inline constexpr std::size_t kDisk = 6;
inline constexpr std::size_t kUser = 9;
inline constexpr std::size_t kComputer = 10;
inline constexpr std::size_t kIp = 12;
inline constexpr std::size_t kMac = 13;
inline constexpr std::size_t kPrinter = 14;
inline constexpr std::size_t kFirstUser = 15;
inline constexpr std::size_t kFirstProgram = 20;  // also the fewest columns of a record
}  // namespace column

using zeltrand::ByteSource;

// One record, its texts code page 932 as in the file.
struct Record {
  std::uint64_t line = 0;  // counted from 1
  std::vector<std::string> columns;
  // The program columns as the line holds them, from the reader only: two
  // records with the same bytes here have the same programs.
  std::string_view programs_text;

  std::string_view operator[](std::size_t i) const { return columns[i]; }
  std::span<const std::string> Users() const {
    return std::span(columns).subspan(column::kFirstUser,
                                      column::kFirstProgram - column::kFirstUser);
  }
  std::span<const std::string> Programs() const {
    return std::span(columns).subspan(column::kFirstProgram);
  }
};

struct UnreadableLine {
  std::uint64_t line = 0;
  std::string_view reason;  // code page 932
};

struct ReadStats {
  static constexpr std::size_t kListedUnreadable = 20;
  std::uint64_t bytes = 0;  // up to the end of the last whole line
  std::uint64_t lines = 0;  // whole lines
  std::uint64_t records = 0;
  std::uint64_t headers = 0;
  std::uint64_t unreadable = 0;
  std::vector<UnreadableLine> first_unreadable;  // at most kListedUnreadable
  bool torn_last_line = false;
};

enum class LineKind { kRecord, kHeader, kBlank, kUnreadable };

// Splits one line, without its LF, into `columns`; `reason` tells why a
// line is unreadable.
LineKind ParseLine(std::string_view line, std::vector<std::string>& columns,
                   std::string_view& reason);

// Splits quoted columns into their texts; false when a quote is left open.
// The texts of `spare` are used again; `programs` is where the program
// columns start. The texts users control come back as they were before the
// file guarded them against formulas (core/formula_text.h).
bool SplitColumns(std::string_view line, std::vector<std::string>& columns,
                  std::vector<std::string>& spare, std::string_view& programs);
// The same for a record's program columns alone (Record::programs_text).
bool SplitPrograms(std::string_view text, std::vector<std::string>& programs);

// "2003.01.20 09:15:42" as seconds since 1970-01-01 00:00:00 of the same
// clock; -1 when the text has not that form.
std::int64_t RecordSeconds(std::string_view time);

class RecordReader {
 public:
  explicit RecordReader(ByteSource& source) : source_(source) {}

  // The next record, valid until the next call; nullptr after the last.
  const Record* Next();
  const ReadStats& stats() const { return stats_; }

 private:
  bool NextLine(std::string_view& line);

  ByteSource& source_;
  std::string buffer_;     // its bytes up to end_ are read
  std::size_t start_ = 0;  // of the first unread line in buffer_
  std::size_t end_ = 0;
  bool at_end_ = false;
  Record record_;
  std::vector<std::string> spare_;  // column texts to use again
  ReadStats stats_;
};

}  // namespace zeltrand::summary
