#include "settings/settings_file.h"

#include "core/cp932.h"
#include "platform/system.h"
#include "settings/profile.h"

namespace zeltrand {

namespace {

// Empty where the program's own folder could not be named: a bare name
// would be a file in whatever folder is current.
std::string Join(std::string_view dir, std::string_view name) {
  if (dir.empty()) return {};
  std::string path(dir);
  path += '\\';
  path += name;
  return path;
}

}  // namespace

std::string SavedMailValue(std::string_view saved) {
  return saved.starts_with('?') ? std::string() : std::string(saved);
}

// The directory is what comes before the last backslash, or everything up to
// and including the last colon when that comes later, so "C:\Zeltrand.exe"
// gives "C:". The scan steps over two-byte characters: the second byte of a
// character such as 表 is a backslash too.
std::string DirectoryOf(std::string_view exe_path) {
  std::size_t cut = std::string_view::npos;
  for (std::size_t i = 0; i < exe_path.size();) {
    const auto c = static_cast<unsigned char>(exe_path[i]);
    if (c == '\\') cut = i;
    if (c == ':') cut = i + 1;
    i += cp932::IsLeadByte(c) ? 2 : 1;
  }
  return std::string(exe_path.substr(0, cut));
}

Paths MakePaths(std::string exe_path) {
  Paths paths;
  paths.exe_dir = DirectoryOf(exe_path);
  paths.ini_path = Join(paths.exe_dir, "Zeltrand.ini");
  paths.exe_path = std::move(exe_path);
  return paths;
}

Settings DefaultSettings(const Paths& paths) {
  return Settings{std::string(kUnsetSender), std::string(kUnsetMailServer),
                  std::string(kUnsetRecipient), Join(paths.exe_dir, "Zeltrand.csv")};
}

std::string FormatSettingsFile(const Settings& s, const AutoFlags& flags) {
  const auto flag = [](bool set) { return set ? "1" : ""; };
  // A line break inside a value would add lines to the file, even sections
  // and flags: such a value is written empty, and the next start falls back
  // to what it shows when nothing is set.
  const auto value = [](const std::string& v) {
    return v.find_first_of("\r\n") == std::string::npos ? v : std::string();
  };
  std::string text;
  text += "[mail]\r\nSmtp=" + value(s.sender_address) + "\r\nMailTo=" + value(s.recipient_address) +
          "\r\nMyMailServerIP=" + value(s.mail_server_name) + "\r\n\r\n";
  // The profile reader hands back at most 255 bytes: a longer path would come
  // back cut, naming another file. Left empty, the default path is used.
  const std::string record_path =
      s.record_path.size() <= kProfileValueLimit ? value(s.record_path) : "";
  text += "[file]\r\nRecFile=" + record_path + "\r\n\r\n";
  text += std::string("[auto]\r\nStart=") + flag(flags.start) + "\r\nRec=" + flag(flags.record) +
          "\r\nMail=" + flag(flags.mail) + "\r\nEnd=" + flag(flags.exit) + "\r\n";
  const std::string url = value(s.server_url);
  if (!url.empty()) text += "\r\n[server]\r\nUrl=" + url + "\r\n";
  return text;
}

bool WriteSettingsFile(Files& files, const Paths& paths, const Settings& settings,
                       const AutoFlags& flags) {
  return files.WriteWholeFile(paths.ini_path, FormatSettingsFile(settings, flags));
}

}  // namespace zeltrand
