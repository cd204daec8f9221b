// The PCs of a record file: for each, its latest record and what changed
// from one of its records to the next. A PC is its computer name
// (GetComputerName), whatever the case of its letters; PC名 is only shown.
// Memory grows with the PCs and their programs, not with the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "summary/record_reader.h"

namespace zeltrand::summary {

// The name by which records of one PC are found: ASCII letters folded to
// upper case, two-byte characters as they are.
std::string PcKey(std::string_view computer_name);

struct FieldChange {
  std::string_view label;  // code page 932
  std::string before;
  std::string after;
};

// What differs between two consecutive records of a PC.
struct Change {
  std::string before_time;
  std::string time;
  std::vector<std::string> added;  // programs, sorted
  std::vector<std::string> removed;
  std::vector<FieldChange> fields;

  bool empty() const { return added.empty() && removed.empty() && fields.empty(); }
};

// Compares the record `after` with `before`, the columns of the PC's record
// before it: programs added and removed (unless the caller knows them the
// same), and the Windows, CPU (its measured speed aside), memory size, IP
// and MAC address, printer and user list.
Change Compare(std::span<const std::string> before, const Record& after,
               bool same_programs = false);

struct Pc {
  static constexpr std::size_t kKeptChanges = 50;
  // The newest 情報取得時刻; of equal times, the later line.
  Record Latest() const;

  std::int64_t latest_seconds = 0;
  std::uint64_t records = 0;
  // Its last line in the file: the columns before the programs, and the
  // program columns as the line holds them, split only when asked.
  std::uint64_t last_line = 0;
  std::vector<std::string> last_fixed;
  std::string last_programs;
  bool latest_is_last = true;
  Record older_latest;         // the latest when an older record followed it
  std::deque<Change> changes;  // oldest first: the newest kKeptChanges
  std::uint64_t dropped_changes = 0;
};

class Inventory {
 public:
  explicit Inventory(bool track_changes = true) : track_changes_(track_changes) {}

  // Takes the records in the order of the file.
  void Add(const Record& record);

  // In the order of their first record.
  const std::vector<Pc>& pcs() const { return pcs_; }
  std::int64_t oldest_seconds() const { return oldest_; }
  std::int64_t newest_seconds() const { return newest_; }
  const std::string& oldest_time() const { return oldest_time_; }
  const std::string& newest_time() const { return newest_time_; }

 private:
  bool track_changes_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<Pc> pcs_;
  std::string key_;
  std::string quoted_;
  std::vector<std::string> before_;
  std::int64_t oldest_ = -1;
  std::int64_t newest_ = -1;
  std::string oldest_time_;
  std::string newest_time_;
};

}  // namespace zeltrand::summary
