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
std::string_view MemorySize(std::string_view text) {
  const std::size_t slash = text.find('/');
  return slash == std::string_view::npos ? text : text.substr(slash + 1);
}

bool Same(std::string_view a, std::string_view b) {
  return a == b;
}

bool SameCpu(std::string_view a, std::string_view b) {
  return CpuWithoutMeasuredSpeed(a) == CpuWithoutMeasuredSpeed(b);
}

bool SameMemorySize(std::string_view a, std::string_view b) {
  return MemorySize(a) == MemorySize(b);
}

struct ComparedField {
  std::size_t column;
  std::string_view label;
  bool (*same)(std::string_view, std::string_view);
};

constexpr std::string_view kPcNameLabel = "PC名";
constexpr ComparedField kComparedFields[] = {
    {column::kWindows, "WindowsVer", Same},
    {column::kCpu, "CPU種類､ｽﾋﾟｰﾄﾞ､psn", SameCpu},
    {column::kMemory, "ﾒﾓﾘの空/全容量", SameMemorySize},
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

using Names = std::span<const std::string_view>;

std::vector<std::string_view> SortedSet(Names names) {
  std::vector<std::string_view> sorted(names.begin(), names.end());
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  return sorted;
}

// The names of `a` that `b` lacks, sorted, once each.
std::vector<std::string> Missing(Names a, Names b) {
  const std::vector<std::string_view> a_set = SortedSet(a);
  const std::vector<std::string_view> b_set = SortedSet(b);
  std::vector<std::string_view> missing;
  std::set_difference(a_set.begin(), a_set.end(), b_set.begin(), b_set.end(),
                      std::back_inserter(missing));
  return {missing.begin(), missing.end()};
}

// The same when the lists differ in a few names: a name both lists hold at
// the same place, at their beginning or end, is in both sets, so only the
// names between are looked for in the other list.
void AddedAndRemoved(Names before, Names after, Change& change) {
  std::size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  std::size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
    ++tail;
  }
  const Names old_names = before.subspan(head, before.size() - head - tail);
  const Names new_names = after.subspan(head, after.size() - head - tail);
  constexpr std::size_t kFew = 16;
  if (old_names.size() + new_names.size() > kFew) {
    change.added = Missing(after, before);
    change.removed = Missing(before, after);
    return;
  }
  const auto lacking = [](Names names, Names list) {
    std::vector<std::string> missing;
    for (const std::string_view name : names) {
      if (std::find(list.begin(), list.end(), name) == list.end()) missing.emplace_back(name);
    }
    std::sort(missing.begin(), missing.end());
    missing.erase(std::unique(missing.begin(), missing.end()), missing.end());
    return missing;
  };
  change.added = lacking(new_names, before);
  change.removed = lacking(old_names, after);
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

namespace {

// The first `most` texts of `packed`; the bytes they take.
std::size_t Unpack(std::string_view packed, std::vector<std::string_view>& columns,
                   std::size_t most = SIZE_MAX) {
  columns.clear();
  std::size_t at = 0;
  while (at + 2 <= packed.size() && columns.size() < most) {
    const std::size_t size = static_cast<std::size_t>(static_cast<unsigned char>(packed[at])) << 8 |
                             static_cast<unsigned char>(packed[at + 1]);
    columns.push_back(packed.substr(at + 2, size));
    at += 2 + size;
  }
  return at;
}

std::string_view FirstText(std::string_view packed) {
  if (packed.size() < 2) return {};
  return packed.substr(2, static_cast<std::size_t>(static_cast<unsigned char>(packed[0])) << 8 |
                              static_cast<unsigned char>(packed[1]));
}

// Gives the record `packed` the PC名 `name`; the change of its size.
std::ptrdiff_t SetName(std::string& packed, std::string_view name) {
  const std::size_t old_size = 2 + FirstText(packed).size();
  std::string head;
  head += static_cast<char>(name.size() >> 8);
  head += static_cast<char>(name.size() & 0xFF);
  head += name;
  packed.replace(0, old_size, head);
  return static_cast<std::ptrdiff_t>(head.size()) - static_cast<std::ptrdiff_t>(old_size);
}

}  // namespace

std::vector<std::string_view> UnpackColumns(std::string_view packed) {
  std::vector<std::string_view> columns;
  Unpack(packed, columns);
  return columns;
}

Change Compare(std::span<const std::string_view> before, std::span<const std::string_view> after) {
  Change change;
  change.before_time = before[column::kTime];
  change.time = after[column::kTime];
  if (!after[column::kPcName].empty() && after[column::kPcName] != before[column::kPcName]) {
    change.fields.push_back(
        {kPcNameLabel, std::string(before[column::kPcName]), std::string(after[column::kPcName])});
  }
  for (const ComparedField& field : kComparedFields) {
    const std::string_view old_text = before[field.column];
    const std::string_view new_text = after[field.column];
    if (old_text != new_text && !field.same(old_text, new_text)) {
      change.fields.push_back({field.label, std::string(old_text), std::string(new_text)});
    }
  }
  const auto old_list =
      before.subspan(column::kFirstUser, column::kFirstProgram - column::kFirstUser);
  const auto new_list =
      after.subspan(column::kFirstUser, column::kFirstProgram - column::kFirstUser);
  std::string old_users;
  std::string new_users;
  if (!std::equal(old_list.begin(), old_list.end(), new_list.begin(), new_list.end()) &&
      (old_users = UserList(old_list)) != (new_users = UserList(new_list))) {
    change.fields.push_back({"ﾛｸﾞｲﾝ者", std::move(old_users), std::move(new_users)});
  }
  const auto old_programs = before.subspan(column::kFirstProgram);
  const auto new_programs = after.subspan(column::kFirstProgram);
  if (!std::equal(old_programs.begin(), old_programs.end(), new_programs.begin(),
                  new_programs.end())) {
    AddedAndRemoved(old_programs, new_programs, change);
  }
  return change;
}

Change Compare(std::span<const std::string_view> before, const Record& after) {
  const std::vector<std::string_view> columns(after.columns.begin(), after.columns.end());
  return Compare(before, columns);
}

std::vector<std::string_view> Pc::LatestColumns() const {
  return UnpackColumns(latest.empty() ? last : latest);
}

Record Pc::Latest() const {
  const std::vector<std::string_view> columns = LatestColumns();
  return {latest.empty() ? last_line : latest_line, {columns.begin(), columns.end()}};
}

void Inventory::Add(const Record& record) {
  PackColumns(record.columns, fields_.buffer);
  fields_.packed = fields_.buffer;
  fields_.programs_at = Unpack(fields_.packed, fields_.columns, column::kFirstProgram);
  Unpack(fields_.packed, fields_.columns);
  fields_.line = record.line;
  Add(fields_);
}

// A PC's records in a row differ mostly in their times and free space: the
// programs (most of a line) are compared packed, in one go, and the last
// record keeps them unless they changed.
void Inventory::Add(const Fields& record) {
  const std::string_view time = record.columns[column::kTime];
  const std::int64_t seconds = RecordSeconds(time);
  if (!any_ || seconds < oldest_) {
    oldest_ = seconds;
    oldest_time_ = time;
  }
  if (!any_ || seconds > newest_) {
    newest_ = seconds;
    newest_time_ = time;
  }
  any_ = true;
  key_ = PcKey(record.columns[column::kComputer]);
  auto found = index_.find(key_);
  if (found == index_.end()) {
    found = index_.emplace(key_, pcs_.size()).first;
    pcs_.emplace_back();
  }
  Pc& pc = pcs_[found->second];
  const bool first = pc.records == 0;
  const std::string_view own_name = record.columns[column::kPcName];
  const std::string_view programs = record.packed.substr(record.programs_at);
  const bool same_programs = !first && (record.programs_unchanged ||
                                        std::string_view(pc.last).substr(pc.last_head) == programs);
  if (!record.programs_unchanged) pc.last_raw = record.raw_programs;
  // The record's texts before its programs, with the PC名 it keeps.
  head_.clear();
  const std::string_view name = own_name.empty() && !first ? FirstText(pc.last) : own_name;
  head_ += static_cast<char>(name.size() >> 8);
  head_ += static_cast<char>(name.size() & 0xFF);
  head_ += name;
  head_ += record.packed.substr(2 + own_name.size(), record.programs_at - 2 - own_name.size());
  if (first && later_part_) {
    pc.pending = std::make_unique<Pc::Pending>();
    pc.pending->unnamed = own_name.empty();
    pc.pending->first = record.packed;
  }
  if (first || seconds >= pc.latest_seconds) {
    pc.latest.clear();
    pc.latest_seconds = seconds;
  } else if (pc.latest.empty()) {
    pc.latest = pc.last;  // seldom: a record kept back, added later
    pc.latest_line = pc.last_line;
    if (pc.pending) pc.pending->latest_unnamed = pc.pending->unnamed;
  }
  if (track_changes_ && !first) {
    Unpack(same_programs ? std::string_view(pc.last).substr(0, pc.last_head) : pc.last, before_);
    Change change =
        Compare(before_, same_programs ? std::span(record.columns).first(column::kFirstProgram)
                                       : std::span(record.columns));
    if (pc.pending && pc.pending->unnamed && !own_name.empty()) {
      // Whether the part's first PC名 is a change, the parts before tell.
      pc.pending->name = own_name;
      pc.pending->name_change = pc.changes.size() + pc.dropped_changes + 1;
      pc.pending->name_change_alone =
          change.fields.size() == 1 && change.added.empty() && change.removed.empty();
    }
    if (!change.empty()) Keep(pc, std::move(change));
  }
  if (pc.pending && !own_name.empty()) pc.pending->unnamed = false;
  if (same_programs) {
    pc.last.replace(0, pc.last_head, head_);
  } else {
    pc.last = head_;
    pc.last += programs;
  }
  pc.last_head = head_.size();
  pc.last_line = record.line;
  ++pc.records;
}

const std::string* Inventory::Find(std::string_view computer) const {
  const auto found = index_.find(PcKey(computer));
  return found == index_.end() ? nullptr : &pcs_[found->second].last_raw;
}

void Inventory::ForgetLastLines() {
  for (Pc& pc : pcs_) std::string().swap(pc.last_raw);
}

// The newest kKeptChanges; one more in a later part while its first PC名
// may yet turn out no change.
void Inventory::Keep(Pc& pc, Change&& change) const {
  pc.changes.push_back(std::move(change));
  const std::size_t kept = Pc::kKeptChanges + (pc.pending && pc.pending->name_change != 0 ? 1 : 0);
  if (pc.changes.size() > kept) {
    pc.changes.erase(pc.changes.begin());
    ++pc.dropped_changes;
  }
}

// What the records before a later part decide of a PC of it: the PC名 of
// its records that gave none, and whether its first PC名 is a change.
void Inventory::Settle(Pc& pc, std::string_view name_before) const {
  const Pc::Pending& pending = *pc.pending;
  if (pending.unnamed && !name_before.empty()) {
    pc.last_head = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(pc.last_head) +
                                            SetName(pc.last, name_before));
  }
  if (pending.latest_unnamed && !pc.latest.empty() && !name_before.empty()) {
    SetName(pc.latest, name_before);
  }
  if (pending.name_change != 0) {
    const bool kept = pending.name_change > pc.dropped_changes;
    const auto at =
        static_cast<std::ptrdiff_t>(pending.name_change - 1 - (kept ? pc.dropped_changes : 0));
    if (pending.name != name_before) {
      if (kept) pc.changes[static_cast<std::size_t>(at)].fields.front().before = name_before;
    } else if (kept) {
      Change& change = pc.changes[static_cast<std::size_t>(at)];
      change.fields.erase(change.fields.begin());
      if (change.empty()) pc.changes.erase(pc.changes.begin() + at);
    } else if (pending.name_change_alone) {
      --pc.dropped_changes;
    }
  }
  while (pc.changes.size() > Pc::kKeptChanges) {
    pc.changes.erase(pc.changes.begin());
    ++pc.dropped_changes;
  }
  pc.pending.reset();
}

void Inventory::Join(Inventory&& later, std::uint64_t lines) {
  if (later.any_ && (!any_ || later.oldest_ < oldest_)) {
    oldest_ = later.oldest_;
    oldest_time_ = std::move(later.oldest_time_);
  }
  if (later.any_ && (!any_ || later.newest_ > newest_)) {
    newest_ = later.newest_;
    newest_time_ = std::move(later.newest_time_);
  }
  any_ = any_ || later.any_;
  std::vector<const std::string*> keys(later.pcs_.size());
  for (const auto& [key, at] : later.index_) keys[at] = &key;
  for (std::size_t i = 0; i < later.pcs_.size(); ++i) {
    Pc& b = later.pcs_[i];
    b.last_line += lines;
    b.latest_line += lines;
    const auto found = index_.find(*keys[i]);
    if (found == index_.end()) {
      Settle(b, {});
      index_.emplace(*keys[i], pcs_.size());
      pcs_.push_back(std::move(b));
      continue;
    }
    Pc& a = pcs_[found->second];
    const std::string name_before(FirstText(a.last));
    const std::string first = std::move(b.pending->first);
    Settle(b, name_before);
    if (track_changes_) {
      Change change = Compare(UnpackColumns(a.last), UnpackColumns(first));
      if (!change.empty()) Keep(a, std::move(change));
    }
    for (Change& change : b.changes) Keep(a, std::move(change));
    a.dropped_changes += b.dropped_changes;
    if (b.latest_seconds >= a.latest_seconds) {
      a.latest = std::move(b.latest);
      a.latest_line = b.latest_line;
      a.latest_seconds = b.latest_seconds;
    } else if (a.latest.empty()) {
      a.latest = std::move(a.last);
      a.latest_line = a.last_line;
    }
    a.last = std::move(b.last);
    a.last_head = b.last_head;
    a.last_line = b.last_line;
    a.records += b.records;
  }
}

}  // namespace zeltrand::summary
