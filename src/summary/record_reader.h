// Reading the record file back: a stream of records, one per line, whatever
// wrote the line. 記録 ends its lines in LF and a comma; 取込 in CR LF and
// no comma; files joined together carry a header anywhere; lines written
// before double quotes were doubled hold them single. A line that cannot be
// read is counted and skipped, and costs nothing but itself. A last line
// without its line end is still being written: it is left out and counted.
//
// Anyone can write the file, so what one line may cost has bounds: a line
// longer than kMaxLineBytes, or with more than kMaxPrograms programs, is
// unreadable and skipped as it streams by; every text is cut to its bound
// (kComputerNameBytes, kTextBytes) on a character boundary, with kCutMark.
// Memory holds one line and its bounded texts at a time, however long the
// file: kMaxReaderBytes.
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

inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;  // without its line end
inline constexpr std::size_t kMaxPrograms = 10'000;
inline constexpr std::size_t kMaxColumns = column::kFirstProgram + kMaxPrograms;
// GetComputerName's longest name (MAX_COMPUTERNAME_LENGTH).
inline constexpr std::size_t kComputerNameBytes = 15;
inline constexpr std::size_t kTextBytes = 255;  // every other column
inline constexpr std::string_view kCutMark = "…";
// What the readers of one file hold together at most (MemoryHeld): for
// each, its buffer (the line and its reads), the line's texts packed and
// viewed, and, read as Records, the texts one by one.
inline constexpr std::size_t kMaxReaderBytes =
    2 * kMaxLineBytes +
    kMaxColumns * (4 * sizeof(std::string) + 2 * (kTextBytes + kCutMark.size()));

// A record dated later than this after the moment of reading is no PC's
// latest: its clock is wrong, or someone wants it to win for ever.
inline constexpr std::int64_t kFutureSeconds = std::int64_t{24} * 3600;

using zeltrand::ByteSource;

// One record, its texts code page 932 as in the file.
struct Record {
  std::uint64_t line = 0;  // counted from 1
  std::vector<std::string> columns;

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

enum class Split { kDone, kUnclosedQuote, kTooManyColumns };

// One line's texts as the reader hands them on, without a copy of each:
// packed one after the other behind their lengths (PackColumns' form), and
// viewed one by one. The memory behind them is used again line after line.
struct Fields {
  std::uint64_t line = 0;  // counted from 1
  std::string_view packed;
  std::vector<std::string_view> columns;  // into packed
  std::size_t programs_at = 0;            // where in packed the programs begin
  std::string_view raw_programs;          // the line's bytes after its 20th column
  bool programs_unchanged = false;        // the PC's last ones: not in packed
  std::string buffer;                     // behind packed
  std::string text;                       // a text whose quotes are undone

  std::size_t MemoryHeld() const {
    return buffer.capacity() + text.capacity() + columns.capacity() * sizeof(std::string_view);
  }
};

// The programs of a PC's last record as its line held them (the bytes
// after its 20th column): a line that repeats them gives the same texts,
// and goes without splitting them again.
class LastPrograms {
 public:
  virtual ~LastPrograms() = default;
  // Of the PC of that computer name; nullptr when there is none yet.
  virtual const std::string* Find(std::string_view computer) const = 0;
};

// Splits quoted columns into their texts, each cut to its bound; with
// `last`, stops after the 20th when the programs are the PC's last ones.
Split SplitColumns(std::string_view line, Fields& fields, const LastPrograms* last = nullptr);

// "2003.01.20 09:15:42" as seconds since 1970-01-01 00:00:00 of the same
// clock; -1 when the text has not that form.
std::int64_t RecordSeconds(std::string_view time);
std::int64_t RecordSeconds(const LocalTime& time);

// Where a reader starts and stops in its source: a part of a file read by
// one of several readers at once. A part after the first starts in the
// middle of a line (the line of the part before): it skips it. A part
// before the last ends with the line that holds its last byte.
struct Part {
  bool skips_first_line = false;
  std::uint64_t size = UINT64_MAX;  // bytes of the source the part's lines start in
};

class RecordReader {
 public:
  // Records dated after `newest` (in RecordSeconds) are unreadable.
  RecordReader(ByteSource& source, std::int64_t newest, Part part = {},
               const LastPrograms* last = nullptr)
      : source_(source), newest_(newest), part_(part), last_(last) {}

  // The next record, valid until the next call; nullptr after the last.
  const Fields* NextFields();
  // The same, its texts copied one by one.
  const Record* Next();
  const ReadStats& stats() const { return stats_; }
  // What the reader holds now, and so at most ever (nothing shrinks): its
  // buffer and its texts. At most kMaxReaderBytes, and kMaxPartBytes for a
  // reader of Fields alone.
  std::size_t MemoryHeld() const;

 private:
  bool NextLine(std::string_view& line, bool& too_long);

  ByteSource& source_;
  std::int64_t newest_;
  Part part_;
  const LastPrograms* last_;
  std::uint64_t taken_ = 0;  // of the source, up to the line to read next
  std::string buffer_;       // its bytes up to end_ are read
  std::size_t start_ = 0;    // of the first unread line in buffer_
  std::size_t end_ = 0;
  bool at_end_ = false;
  bool skipping_ = false;      // a line too long, until its end
  std::uint64_t skipped_ = 0;  // bytes of it
  Fields fields_;
  Record record_;
  ReadStats stats_;
};

// A reader of Fields alone: its buffer, the packed texts of a line (each
// text at most 4 bytes more than its part of the line, and 16 to spare),
// their views (the list at most doubled) and one text being unquoted. The parts of a file
// read at once hold together at most kMaxReaderBytes.
inline constexpr std::size_t kMaxPartBytes =
    2 * kMaxLineBytes + (kMaxLineBytes + 4 * kMaxColumns + 16) +
    2 * kMaxColumns * sizeof(std::string_view) + 2 * (kTextBytes + 1);
inline constexpr std::size_t kMaxParts = 2;
static_assert(kMaxParts * kMaxPartBytes <= kMaxReaderBytes);

}  // namespace zeltrand::summary
