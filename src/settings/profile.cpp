#include "settings/profile.h"

#include "core/cp932.h"
#include "platform/system.h"

namespace zeltrand {

namespace {

// Blanks as the profile reader trims them; Ctrl-Z is an old end-of-file mark.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// A line ends at CR or LF, whichever comes first.
std::string_view NextLine(std::string_view& rest) {
  const std::size_t end = rest.find_first_of("\r\n");
  std::string_view line = rest.substr(0, end);
  rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
  return line;
}

std::string Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

}  // namespace

Profile::Profile(std::string_view text) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::string_view line = Trim(NextLine(rest));
    if (line.empty()) continue;
    if (line.front() == '[') {
      const std::size_t close = line.rfind(']');
      if (close != std::string_view::npos) {
        sections_.push_back({std::string(Trim(line.substr(1, close - 1))), {}});
        continue;
      }
    }
    if (sections_.empty()) continue;  // keys before any section belong nowhere
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      sections_.back().entries.push_back({std::string(line), {}, false});
    } else {
      sections_.back().entries.push_back(
          {std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))), true});
    }
  }
}

std::string Profile::Get(std::string_view section, std::string_view key) const {
  section = Trim(section);
  key = Trim(key);
  for (const Section& s : sections_) {
    if (!cp932::EqualsIgnoringCase(s.name, section)) continue;
    for (const Entry& e : s.entries) {
      if (cp932::EqualsIgnoringCase(e.key, key)) {
        return e.has_value ? cp932::Cut(Unquote(e.value), kProfileValueLimit) : std::string();
      }
    }
    return {};  // only the first section of a name counts
  }
  return {};
}

std::string DecodeProfileText(std::string_view bytes, const Cp932Codec& codec) {
  return DecodeText(bytes, codec).text;
}

Cp932Codec Cp932CodecOf(Files& files) {
  return {[&files](std::u16string_view text) { return files.Cp932FromUtf16(text); },
          [&files](std::string_view text) { return files.Utf16FromCp932(text); }};
}

DecodedText ReadProfileFile(Files& files, const std::string& path) {
  const auto bytes = files.ReadWholeFile(path);
  if (!bytes) return {};
  return DecodeText(*bytes, Cp932CodecOf(files));
}

std::string ReadProfileText(Files& files, const std::string& path) {
  return ReadProfileFile(files, path).text;
}

std::string ReadProfileString(Files& files, const std::string& path, std::string_view section,
                              std::string_view key) {
  return Profile(ReadProfileText(files, path)).Get(section, key);
}

}  // namespace zeltrand
