#include "summary/inventory.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "core/cp932.h"
#include "core/formula_text.h"

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

// As the record line quotes it: guarded, doubled quotes, a comma after each.
void AppendColumn(std::string& text, std::string_view name) {
  text += formula::NeedsGuard(name) ? "\"'" : "\"";
  for (const char c : name) text.append(c == '"' ? 2 : 1, c);
  text += "\",";
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

Change Compare(std::span<const std::string> before, const Record& after, bool same_programs) {
  Change change;
  change.before_time = before[column::kTime];
  change.time = after[column::kTime];
  for (const ComparedField& field : kComparedFields) {
    const std::string_view old_text = before[field.column];
    const std::string_view new_text = after[field.column];
    if (old_text != new_text && field.key(old_text) != field.key(new_text)) {
      change.fields.push_back({field.label, std::string(old_text), std::string(new_text)});
    }
  }
  const auto old_list =
      before.subspan(column::kFirstUser, column::kFirstProgram - column::kFirstUser);
  const auto new_list = after.Users();
  std::string old_users;
  std::string new_users;
  if (!std::equal(old_list.begin(), old_list.end(), new_list.begin(), new_list.end()) &&
      (old_users = UserList(before)) != (new_users = UserList(after.columns))) {
    change.fields.push_back({"ﾛｸﾞｲﾝ者", std::move(old_users), std::move(new_users)});
  }
  const auto old_programs = before.subspan(column::kFirstProgram);
  const auto new_programs = after.Programs();
  if (!same_programs && !std::equal(old_programs.begin(), old_programs.end(), new_programs.begin(),
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

Record Pc::Latest() const {
  if (!latest_is_last) return older_latest;
  Record latest{last_line, last_fixed, {}};
  std::vector<std::string> programs;
  SplitPrograms(last_programs, programs);
  latest.columns.insert(latest.columns.end(), programs.begin(), programs.end());
  return latest;
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
  const bool newest = pc.records == 0 || seconds >= pc.latest_seconds;
  if (!newest && pc.latest_is_last) {
    pc.older_latest = pc.Latest();  // seldom: a record kept back, added later
    pc.latest_is_last = false;
  }
  if (newest) {
    pc.latest_is_last = true;
    pc.latest_seconds = seconds;
  }
  std::string_view programs = record.programs_text;
  if (programs.empty() && !record.Programs().empty()) {
    quoted_.clear();
    for (const std::string& name : record.Programs()) AppendColumn(quoted_, name);
    programs = quoted_;
  }
  if (track_changes_ && pc.records > 0) {
    Change change;
    if (programs == pc.last_programs) {
      change = Compare(pc.last_fixed, record, true);
    } else {
      std::vector<std::string> old_programs;
      SplitPrograms(pc.last_programs, old_programs);
      before_ = pc.last_fixed;
      before_.insert(before_.end(), old_programs.begin(), old_programs.end());
      change = Compare(before_, record);
    }
    if (!change.empty()) {
      pc.changes.push_back(std::move(change));
      if (pc.changes.size() > Pc::kKeptChanges) {
        pc.changes.pop_front();
        ++pc.dropped_changes;
      }
    }
  }
  pc.last_line = record.line;
  pc.last_fixed.assign(record.columns.begin(),
                       record.columns.begin() + static_cast<std::ptrdiff_t>(column::kFirstProgram));
  pc.last_programs = programs;
  ++pc.records;
}

}  // namespace zeltrand::summary
