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

// UTF-16 units of `bytes`, each stored low byte first or high byte first;
// an odd last byte is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool high_first) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(high_first ? first << 8 | second : second << 8 | first);
  }
  return text;
}

// UTF-8 as UTF-16; a malformed sequence becomes U+FFFD, which no code
// page holds either.
std::u16string Utf16FromUtf8(std::string_view bytes) {
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  std::u16string text;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto lead = static_cast<unsigned char>(bytes[i++]);
    const int extra = lead < 0x80 ? 0 : lead < 0xC2 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t c = 0xFFFD;
    if (extra >= 0 && lead < 0xF5) {
      char32_t v = lead & (extra == 0 ? 0x7Fu : 0x3Fu >> extra);
      int got = 0;
      while (got < extra && i < bytes.size() && (bytes[i] & 0xC0) == 0x80) {
        v = v << 6 | (bytes[i++] & 0x3F);
        ++got;
      }
      if (got == extra && v >= kLeast[extra] && v <= 0x10FFFF && (v < 0xD800 || v >= 0xE000)) {
        c = v;
      }
    }
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      c = 0xDC00 + ((c - 0x10000) & 0x3FF);
    }
    text += static_cast<char16_t>(c);
  }
  return text;
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

std::string DecodeProfileText(std::string_view bytes, const Cp932Converter& to_cp932) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return to_cp932(Utf16FromUtf8(bytes.substr(3)));
  if (bytes.starts_with("\xFF\xFE")) return to_cp932(Utf16FromBytes(bytes.substr(2), false));
  if (bytes.starts_with("\xFE\xFF")) return to_cp932(Utf16FromBytes(bytes.substr(2), true));
  return std::string(bytes);
}

std::string ReadProfileText(Files& files, const std::string& path) {
  const auto bytes = files.ReadWholeFile(path);
  if (!bytes) return {};
  return DecodeProfileText(*bytes,
                           [&](std::u16string_view text) { return files.Cp932FromUtf16(text); });
}

std::string ReadProfileString(Files& files, const std::string& path, std::string_view section,
                              std::string_view key) {
  return Profile(ReadProfileText(files, path)).Get(section, key);
}

}  // namespace zeltrand
