#include "core/log_file.h"

#include "core/text_format.h"

namespace zeltrand {

namespace {

constexpr std::string_view kFolderName = "Zeltrand";
constexpr std::string_view kFileName = "Zeltrand.log";

std::string FolderOf(Files& files) {
  const std::string base = files.LocalAppDataFolder();
  return base.empty() ? base : base + '\\' + std::string(kFolderName);
}

}  // namespace

std::string LogFilePath(Files& files) {
  const std::string folder = FolderOf(files);
  return folder.empty() ? folder : folder + '\\' + std::string(kFileName);
}

bool AppendLogLine(Files& files, const LocalTime& when, std::string_view text) {
  const std::string path = LogFilePath(files);
  if (path.empty()) return false;
  files.CreateFolder(FolderOf(files));
  std::string line = FormatText("%04d.%02d.%02d %02d:%02d:%02d ", when.year, when.month, when.day,
                                when.hour, when.minute, when.second);
  for (const char c : text) {
    if (c != '\r') line += c == '\n' ? ' ' : c;
  }
  line += "\r\n";
  const OpenedFile opened = files.OpenExclusive(path);
  return opened.file && opened.file->Append(line);
}

}  // namespace zeltrand
