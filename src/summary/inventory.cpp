#include "summary/inventory.h"

#include <algorithm>
#include <iterator>

#include "core/cp932.h"

namespace zeltrand::summary {

namespace {

// The CPU field carries the speed measured at each run ("c2394MHz"), which
// differs by a few MHz from run to run: it is no change of the CPU.
std::string CpuWithoutMeasuredSpeed(std::string_view text) {
  std::string kept;
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] == 'c') {
      std::size_t j = i + 1;
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
      if (j > i + 1 && text.substr(j, 3) == "MHz") {
        i = j + 3;
        continue;
      }
    }
    kept += text[i++];
  }
  return kept;
}

// "45/128MBytes": the free memory changes all the time, the size seldom.
std::string MemorySize(std::string_view text) {
  const std::size_t slash = text.find('/');
  return std::string(slash == std::string_view::npos ? text : text.substr(slash + 1));
}

std::string Same(std::string_view text) {
  return std::string(text);
}

struct ComparedField {
  std::size_t column;
  std::string_view label;
  std::string (*key)(std::string_view);
};

constexpr ComparedField kComparedFields[] = {
    {column::kWindows, "WindowsVer", Same},
    {column::kCpu, "CPU種類､ｽﾋﾟｰﾄﾞ､psn", CpuWithoutMeasuredSpeed},
    {column::kMemory, "ﾒﾓﾘの空/全容量", MemorySize},
    {column::kIp, "IPｱﾄﾞﾚｽ", Same},
    {column::kMac, "MACｱﾄﾞﾚｽ", Same},
    {column::kPrinter, "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ", Same},
};

std::string UserList(std::span<const std::string> columns) {
  std::string list;
  for (std::size_t i = column::kFirstUser; i < column::kFirstProgram; ++i) {
    if (columns[i].empty()) continue;
    if (!list.empty()) list += ", ";
    list += columns[i];
  }
  return list;
}

std::vector<std::string> SortedSet(std::span<const std::string> names) {
  std::vector<std::string> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  return sorted;
}

}  // namespace

std::string PcKey(std::string_view computer_name) {
  std::string key(computer_name);
  for (std::size_t i = 0; i < key.size(); ++i) {
    const auto c = static_cast<unsigned char>(key[i]);
    if (cp932::IsLeadByte(c)) {
      ++i;
    } else if (c >= 'a' && c <= 'z') {
      key[i] = static_cast<char>(c - 'a' + 'A');
    }
  }
  return key;
}

Change Compare(std::span<const std::string> before, const Record& after) {
  Change change;
  change.before_time = before[column::kTime];
  change.time = after[column::kTime];
  for (const ComparedField& field : kComparedFields) {
    const std::string_view old_text = before[field.column];
    const std::string_view new_text = after[field.column];
    if (field.key(old_text) != field.key(new_text)) {
      change.fields.push_back({field.label, std::string(old_text), std::string(new_text)});
    }
  }
  std::string old_users = UserList(before);
  std::string new_users = UserList(after.columns);
  if (old_users != new_users) {
    change.fields.push_back({"ﾛｸﾞｲﾝ者", std::move(old_users), std::move(new_users)});
  }
  const auto old_programs = before.subspan(column::kFirstProgram);
  const auto new_programs = after.Programs();
  if (!std::equal(old_programs.begin(), old_programs.end(), new_programs.begin(),
                  new_programs.end())) {
    const std::vector<std::string> old_set = SortedSet(old_programs);
    const std::vector<std::string> new_set = SortedSet(new_programs);
    std::set_difference(new_set.begin(), new_set.end(), old_set.begin(), old_set.end(),
                        std::back_inserter(change.added));
    std::set_difference(old_set.begin(), old_set.end(), new_set.begin(), new_set.end(),
                        std::back_inserter(change.removed));
  }
  return change;
}

void Inventory::Add(const Record& record) {
  const std::int64_t seconds = RecordSeconds(record[column::kTime]);
  if (oldest_ < 0 || seconds < oldest_) {
    oldest_ = seconds;
    oldest_time_ = record[column::kTime];
  }
  if (seconds > newest_) {
    newest_ = seconds;
    newest_time_ = record[column::kTime];
  }
  key_ = PcKey(record[column::kComputer]);
  const auto [at, inserted] = index_.try_emplace(key_, pcs_.size());
  if (inserted) pcs_.emplace_back();
  Pc& pc = pcs_[at->second];
  if (pc.records == 0 || seconds >= pc.latest_seconds) {
    pc.latest.line = record.line;
    pc.latest.columns = record.columns;
    pc.latest_seconds = seconds;
  }
  if (track_changes_) {
    if (pc.records > 0) {
      Change change = Compare(pc.last, record);
      if (!change.empty()) {
        pc.changes.push_back(std::move(change));
        if (pc.changes.size() > Pc::kKeptChanges) {
          pc.changes.pop_front();
          ++pc.dropped_changes;
        }
      }
    }
    pc.last = record.columns;
  }
  ++pc.records;
}

}  // namespace zeltrand::summary
