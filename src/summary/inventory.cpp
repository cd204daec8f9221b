#include "summary/inventory.h"

#include <algorithm>
#include <cstddef>
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

template <class Text>
std::string UserList(std::span<const Text> users) {
  std::string list;
  for (std::string_view user : users) {
    if (user.empty()) continue;
    if (!list.empty()) list += ", ";
    list += user;
  }
  return list;
}

template <class Text>
std::vector<std::string> SortedSet(std::span<const Text> names) {
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

void PackColumns(std::span<const std::string> columns, std::string& packed) {
  packed.clear();
  for (const std::string& column : columns) {
    const std::string_view text = std::string_view(column).substr(0, 0xFFFF);
    packed += static_cast<char>(text.size() >> 8);
    packed += static_cast<char>(text.size() & 0xFF);
    packed += text;
  }
}

std::vector<std::string_view> UnpackColumns(std::string_view packed) {
  std::vector<std::string_view> columns;
  for (std::size_t at = 0; at + 2 <= packed.size();) {
    const std::size_t size = static_cast<std::size_t>(static_cast<unsigned char>(packed[at])) << 8 |
                             static_cast<unsigned char>(packed[at + 1]);
    columns.push_back(packed.substr(at + 2, size));
    at += 2 + size;
  }
  return columns;
}

Change Compare(std::span<const std::string_view> before, const Record& after) {
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
      (old_users = UserList(old_list)) != (new_users = UserList(new_list))) {
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

std::vector<std::string_view> Pc::LatestColumns() const {
  return UnpackColumns(latest.empty() ? last : latest);
}

Record Pc::Latest() const {
  const std::vector<std::string_view> columns = LatestColumns();
  return {latest.empty() ? last_line : latest_line, {columns.begin(), columns.end()}};
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
    pc.latest.clear();
    pc.latest_seconds = seconds;
  } else if (pc.latest.empty()) {
    pc.latest = pc.last;  // seldom: a record kept back, added later
    pc.latest_line = pc.last_line;
  }
  if (track_changes_ && pc.records > 0) {
    Change change = Compare(UnpackColumns(pc.last), record);
    if (!change.empty()) {
      pc.changes.push_back(std::move(change));
      if (pc.changes.size() > Pc::kKeptChanges) {
        pc.changes.erase(pc.changes.begin());
        ++pc.dropped_changes;
      }
    }
  }
  pc.last_line = record.line;
  PackColumns(record.columns, pc.last);
  ++pc.records;
}

}  // namespace zeltrand::summary
