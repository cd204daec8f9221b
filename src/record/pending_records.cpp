#include "record/pending_records.h"

namespace zeltrand {

namespace {

constexpr std::string_view kFolderName = "Zeltrand";

}  // namespace

PendingRecords::PendingRecords(Files& files, std::string_view file_name) : files_(files) {
  const std::string base = files_.LocalAppDataFolder();
  if (base.empty()) return;
  folder_ = base + '\\' + std::string(kFolderName);
  path_ = folder_ + '\\' + std::string(file_name);
  content_ = files_.ReadWholeFile(path_).value_or("");
}

// Calls visit(record_path, line) for each kept line, LF included. A line
// without a tab is no kept record and is passed over.
template <typename Visit>
void PendingRecords::ForEach(Visit visit) const {
  std::string_view rest = content_;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view entry = rest.substr(0, end == std::string_view::npos ? end : end + 1);
    rest.remove_prefix(entry.size());
    const std::size_t tab = entry.find('\t');
    if (tab != std::string_view::npos) visit(entry.substr(0, tab), entry.substr(tab + 1), entry);
  }
}

std::string PendingRecords::For(std::string_view record_path) const {
  std::string lines;
  ForEach([&](std::string_view path, std::string_view line, std::string_view) {
    if (path == record_path) lines += line;
  });
  return lines;
}

std::string PendingRecords::All() const {
  std::string lines;
  ForEach([&](std::string_view, std::string_view line, std::string_view) { lines += line; });
  return lines;
}

bool PendingRecords::DropAll() {
  return content_.empty() || Save({});
}

bool PendingRecords::Drop(std::string_view record_path) {
  std::string rest;
  ForEach([&](std::string_view path, std::string_view, std::string_view entry) {
    if (path != record_path) rest += entry;
  });
  return rest.size() == content_.size() || Save(rest);
}

bool PendingRecords::Keep(std::string_view record_path, std::string_view line) {
  if (path_.empty()) return false;
  std::string content = content_;
  if (!content.empty() && content.back() != '\n') content += '\n';
  for (const char c : record_path) content += c == '\t' || c == '\r' || c == '\n' ? ' ' : c;
  content += '\t';
  content += line;
  if (!content.ends_with('\n')) content += '\n';
  return Save(content);
}

bool PendingRecords::Save(const std::string& content) {
  files_.CreateFolder(folder_);
  if (!files_.WriteWholeFile(path_, content)) return false;
  content_ = content;
  return true;
}

}  // namespace zeltrand
