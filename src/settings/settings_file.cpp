#include "settings/settings_file.h"

#include <initializer_list>
#include <utility>
#include <vector>

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

namespace {

// The lines of one section of a file as it was, its header line first
// (none for what comes before the first section).
struct OldSection {
  std::string name;
  std::vector<std::string_view> lines;
};

bool IsBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r\x1A") == std::string_view::npos;
}

std::string_view Trimmed(std::string_view s) {
  const std::size_t first = s.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// Sections as the profile reader finds them: a line that begins with "["
// and holds a "]" starts one.
std::vector<OldSection> SplitSections(std::string_view text) {
  std::vector<OldSection> sections(1);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const std::string_view t = Trimmed(line);
    if (t.starts_with('[') && t.find(']') != std::string_view::npos) {
      sections.push_back({std::string(Trimmed(t.substr(1, t.rfind(']') - 1))), {}});
    }
    sections.back().lines.push_back(line);
  }
  return sections;
}

void DropTrailingBlanks(std::vector<std::string_view>& lines) {
  while (!lines.empty() && IsBlankLine(lines.back())) lines.pop_back();
}

struct TemplateSection {
  std::string_view name;
  std::vector<std::pair<std::string_view, std::string>> keys;
  std::vector<std::string_view> carried;  // the file's other lines of it
};

bool IsTemplateKey(const TemplateSection& section, std::string_view line) {
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  for (const auto& [key, value] : section.keys) {
    if (cp932::EqualsIgnoringCase(Trimmed(line.substr(0, eq)), key)) return true;
  }
  return false;
}

}  // namespace

std::string FormatSettingsFile(const Settings& s, const AutoFlags& flags,
                               std::string_view old_text) {
  const auto flag = [](bool set) { return std::string(set ? "1" : ""); };
  // A line break inside a value would add lines to the file, even sections
  // and flags: such a value is written empty, and the next start falls back
  // to what it shows when nothing is set.
  const auto value = [](const std::string& v) {
    return v.find_first_of("\r\n") == std::string::npos ? v : std::string();
  };
  // The profile reader hands back at most 255 bytes: a longer path would come
  // back cut, naming another file. Left empty, the default path is used.
  const std::string record_path =
      s.record_path.size() <= kProfileValueLimit ? value(s.record_path) : "";
  TemplateSection sections[] = {
      {kSectionMail,
       {{kKeySmtp, value(s.sender_address)},
        {kKeyMailTo, value(s.recipient_address)},
        {kKeyMailServer, value(s.mail_server_name)}},
       {}},
      {kSectionFile, {{kKeyRecFile, record_path}}, {}},
      {kSectionAuto,
       {{kKeyStart, flag(flags.start)},
        {kKeyRec, flag(flags.record)},
        {kKeyMail, flag(flags.mail)},
        {kKeyEnd, flag(flags.exit)}},
       {}},
  };
  // Everything of the old file but the template's own keys is carried over:
  // lines before the first section stay first, lines of a template section
  // follow its keys, other sections come after the last one.
  std::vector<OldSection> old = SplitSections(old_text);
  std::vector<OldSection> others;
  for (std::size_t i = 1; i < old.size(); ++i) {
    TemplateSection* own = nullptr;
    for (TemplateSection& t : sections) {
      if (cp932::EqualsIgnoringCase(old[i].name, t.name)) own = &t;
    }
    if (!own) {
      DropTrailingBlanks(old[i].lines);
      others.push_back(old[i]);
      continue;
    }
    for (std::size_t k = 1; k < old[i].lines.size(); ++k) {
      if (!IsTemplateKey(*own, old[i].lines[k])) own->carried.push_back(old[i].lines[k]);
    }
    DropTrailingBlanks(own->carried);
  }
  DropTrailingBlanks(old[0].lines);
  // Lines are appended piece by piece: GCC 12 at -O3 takes the temporary of
  // "[" + name + "]" for an overlapping copy and warns (-Wrestrict).
  std::string text;
  const auto add = [&text](std::initializer_list<std::string_view> pieces) {
    for (const std::string_view piece : pieces) text += piece;
    text += "\r\n";
  };
  for (const std::string_view line : old[0].lines) add({line});
  for (const TemplateSection& t : sections) {
    if (t.name != kSectionMail) add({});
    add({"[", t.name, "]"});
    for (const auto& [key, v] : t.keys) add({key, "=", v});
    for (const std::string_view line : t.carried) add({line});
  }
  for (const OldSection& other : others) {
    add({});
    for (const std::string_view line : other.lines) add({line});
  }
  return text;
}

bool WriteSettingsFile(Files& files, const Paths& paths, const Settings& settings,
                       const AutoFlags& flags) {
  const DecodedText old = ReadProfileFile(files, paths.ini_path);
  return files.WriteWholeFile(
      paths.ini_path,
      EncodeText(FormatSettingsFile(settings, flags, old.text), old, Cp932CodecOf(files)));
}

}  // namespace zeltrand
