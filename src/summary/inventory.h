// The PCs of a record file: for each, its latest record and what changed
// from one of its records to the next. A PC is its computer name
// (GetComputerName), whatever the case of its letters; PC名 is only shown.
// Memory grows with the PCs and their programs, not with the file: a PC
// keeps its last record's texts packed in one string (each text at most
// kTextBytes + 2 bytes, so a two-byte length each) and its newest
// kKeptChanges changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
// before it: PC名 when `after` gives one, programs added and removed, and
// the Windows, CPU (its measured speed aside), memory size, IP and MAC
// address, printer and user list.
Change Compare(std::span<const std::string_view> before, const Record& after);
Change Compare(std::span<const std::string_view> before, std::span<const std::string_view> after);

// Texts packed one after the other, each behind its length in two bytes.
void PackColumns(std::span<const std::string> columns, std::string& packed);
std::vector<std::string_view> UnpackColumns(std::string_view packed);

// A PC's records keep the PC名 of the record before them when they give
// none (a run at logon asks nobody): its texts below hold the latest PC名
// its records gave.
struct Pc {
  static constexpr std::size_t kKeptChanges = 50;
  // The newest 情報取得時刻; of equal times, the later line.
  Record Latest() const;
  // The same, its texts in the Pc's own memory.
  std::vector<std::string_view> LatestColumns() const;

  std::int64_t latest_seconds = 0;
  std::uint64_t records = 0;
  std::uint64_t last_line = 0;  // its last line in the file
  std::uint64_t latest_line = 0;
  std::string last;             // the texts of its last line, packed
  std::string latest;           // packed, when an older record followed the latest
  std::vector<Change> changes;  // oldest first: the newest kKeptChanges
  std::uint64_t dropped_changes = 0;

  // While a part of the file after the first is read, what the records
  // before it decide when the parts are joined (Inventory::Join); none in
  // the first part.
  struct Pending {
    std::string first;    // the part's first record, packed
    bool unnamed = true;  // no record of the part gave a PC名 yet
    bool latest_unnamed = false;
    std::string name;                // the first PC名 the part gave after its first record
    std::uint64_t name_change = 0;   // the number of its change (from 1) in the part
    bool name_change_alone = false;  // which lists nothing else
  };
  std::unique_ptr<Pending> pending;
  std::size_t last_head = 0;  // the bytes of `last` before its programs
  std::string last_raw;       // its last line's programs as they stand in it
};

class Inventory final : public LastPrograms {
 public:
  // `later_part`: the records follow others, read apart and joined to this
  // inventory's beginning later (Join).
  explicit Inventory(bool track_changes = true, bool later_part = false)
      : track_changes_(track_changes), later_part_(later_part) {}

  // Takes the records in the order of the file.
  void Add(const Record& record);
  void Add(const Fields& fields);
  // Takes the records of the part of the file that follows this one, as if
  // they had been added here; their lines count on from `lines`.
  void Join(Inventory&& later, std::uint64_t lines);

  const std::string* Find(std::string_view computer) const override;
  // Lets the programs of the last lines go once the file is read.
  void ForgetLastLines();

  // In the order of their first record.
  const std::vector<Pc>& pcs() const { return pcs_; }
  std::int64_t oldest_seconds() const { return oldest_; }
  std::int64_t newest_seconds() const { return newest_; }
  const std::string& oldest_time() const { return oldest_time_; }
  const std::string& newest_time() const { return newest_time_; }

 private:
  void Keep(Pc& pc, Change&& change) const;
  void Settle(Pc& pc, std::string_view name_before) const;

  bool track_changes_;
  bool later_part_;
  std::unordered_map<std::string, std::size_t> index_;
  std::vector<Pc> pcs_;
  std::string key_;
  std::string head_;
  std::vector<std::string_view> before_;
  Fields fields_;  // of a Record added
  bool any_ = false;
  std::int64_t oldest_ = -1;
  std::int64_t newest_ = -1;
  std::string oldest_time_;
  std::string newest_time_;
};

}  // namespace zeltrand::summary
