#include "support/reg_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>

#include "support/utf16.h"

namespace zeltrand::reg_file {
namespace {

constexpr std::u16string_view kAnsiHeader = u"REGEDIT4";
constexpr std::u16string_view kUnicodeHeader = u"Windows Registry Editor Version 5.00";

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t';
}

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::optional<unsigned> HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return std::nullopt;
}

void SkipSpace(std::u16string_view& s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
}

std::u16string_view Trim(std::u16string_view s) {
  SkipSpace(s);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

// Nothing but blanks or a comment may follow a value.
bool AtLineEnd(std::u16string_view rest) {
  SkipSpace(rest);
  return rest.empty() || rest.front() == u';';
}

// Takes a "quoted" string off the front of `s`. Of an unknown escape only
// the escaped character is kept, as Wine's importer keeps it, so a fixture
// means the same thing in both places.
std::optional<std::u16string> TakeQuoted(std::u16string_view& s) {
  if (s.empty() || s.front() != u'"') return std::nullopt;
  std::u16string out;
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'"') {
      s.remove_prefix(i + 1);
      return out;
    }
    if (c == u'\\' && i + 1 < s.size()) {
      const char16_t next = s[++i];
      out += next == u'n' ? u'\n' : next;
      continue;
    }
    out += c;
  }
  return std::nullopt;
}

std::optional<RegRoot> RootNamed(std::u16string_view name) {
  if (EqualsIgnoringCase(name, u"HKEY_LOCAL_MACHINE")) return RegRoot::kLocalMachine;
  if (EqualsIgnoringCase(name, u"HKEY_CURRENT_USER")) return RegRoot::kCurrentUser;
  if (EqualsIgnoringCase(name, u"HKEY_USERS")) return RegRoot::kUsers;
  return std::nullopt;
}

bool IsStringType(RegType type) {
  return type == RegType::kString || type == RegType::kExpandString ||
         type == RegType::kMultiString;
}

std::string LittleEndian(std::uint32_t v) {
  std::string out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
  return out;
}

class Parser {
 public:
  explicit Parser(bool unicode) : unicode_(unicode) {}

  // One physical line (without its line break). False on a syntax error.
  bool Feed(std::u16string_view line) {
    if (hex_pending_) return ContinueHex(line);
    line = Trim(line);
    if (line.empty() || line.front() == u';') return true;
    if (line.front() == u'[') return KeyLine(line);
    if (line.front() == u'@' || line.front() == u'"') return ValueLine(line);
    return Fail("neither a key, a value nor a comment");
  }

  bool Finish() {
    if (hex_pending_) return Fail("the file ends inside a continued hex value");
    return true;
  }

  std::vector<Edit> TakeEdits() { return std::move(edits_); }
  const std::string& problem() const { return problem_; }

 private:
  bool Fail(std::string why) {
    problem_ = std::move(why);
    return false;
  }

  bool KeyLine(std::u16string_view line) {
    const std::size_t close = line.rfind(u']');
    if (close == std::u16string_view::npos || !AtLineEnd(line.substr(close + 1))) {
      return Fail("a key line needs a closing ]");
    }
    std::u16string_view full = line.substr(1, close - 1);
    const bool remove = !full.empty() && full.front() == u'-';
    if (remove) full.remove_prefix(1);
    while (!full.empty() && full.back() == u'\\') full.remove_suffix(1);

    const std::size_t slash = full.find(u'\\');
    const auto root = RootNamed(full.substr(0, slash));
    if (!root) return Fail("unknown root key");
    const std::u16string_view path =
        slash == std::u16string_view::npos ? std::u16string_view{} : full.substr(slash + 1);
    if (path.find(u"\\\\") != std::u16string_view::npos) return Fail("empty key name in path");

    Edit edit;
    edit.kind = remove ? Edit::Kind::kDeleteKey : Edit::Kind::kAddKey;
    edit.root = *root;
    edit.path = utf16::ToCp932(path);
    edit.wide_path = path;
    // Wine skips the values that follow a deleted key until the next key.
    key_seen_ = true;
    has_key_ = !remove;
    key_root_ = edit.root;
    key_path_ = edit.path;
    key_wide_path_ = edit.wide_path;
    edits_.push_back(std::move(edit));
    return true;
  }

  bool ValueLine(std::u16string_view line) {
    if (!key_seen_) return Fail("a value before the first key");
    std::u16string name;
    if (line.front() == u'@') {
      line.remove_prefix(1);
    } else {
      auto quoted = TakeQuoted(line);
      if (!quoted) return Fail("unterminated value name");
      name = std::move(*quoted);
    }
    SkipSpace(line);
    if (line.empty() || line.front() != u'=') return Fail("expected = after the value name");
    line.remove_prefix(1);
    SkipSpace(line);

    Edit edit;
    edit.kind = Edit::Kind::kSetValue;
    edit.root = key_root_;
    edit.path = key_path_;
    edit.wide_path = key_wide_path_;
    edit.name = utf16::ToCp932(name);
    if (!ValueData(line, edit)) return false;
    if (hex_pending_) {
      pending_ = std::move(edit);
    } else if (has_key_) {
      edits_.push_back(std::move(edit));
    }
    return true;
  }

  bool ValueData(std::u16string_view data, Edit& edit) {
    if (data.empty()) return Fail("missing value data");
    if (data.front() == u'-') {
      edit.kind = Edit::Kind::kDeleteValue;
      return AtLineEnd(data.substr(1)) || Fail("unexpected text after =-");
    }
    if (data.front() == u'"') {
      auto text = TakeQuoted(data);
      if (!text) return Fail("unterminated string");
      if (!AtLineEnd(data)) return Fail("unexpected text after the string");
      edit.type = RegType::kString;
      edit.data = utf16::ToCp932(*text) + '\0';
      return true;
    }
    if (data.size() >= 6 && EqualsIgnoringCase(data.substr(0, 6), u"dword:")) {
      data.remove_prefix(6);
      std::uint32_t v = 0;
      std::size_t digits = 0;
      for (; digits < data.size() && HexDigit(data[digits]); ++digits) {
        v = v << 4 | *HexDigit(data[digits]);
      }
      if (digits == 0 || digits > 8 || !AtLineEnd(data.substr(digits))) {
        return Fail("dword: takes one to eight hex digits");
      }
      edit.type = RegType::kDword;
      edit.data = LittleEndian(v);
      return true;
    }
    if (data.size() >= 3 && EqualsIgnoringCase(data.substr(0, 3), u"hex")) {
      data.remove_prefix(3);
      edit.type = RegType::kBinary;
      if (!data.empty() && data.front() == u'(') {
        std::uint32_t type = 0;
        std::size_t i = 1;
        for (; i < data.size() && i < 9 && HexDigit(data[i]); ++i)
          type = type << 4 | *HexDigit(data[i]);
        if (i == 1 || i >= data.size() || data[i] != u')') return Fail("bad hex(type)");
        edit.type = static_cast<RegType>(type);
        data.remove_prefix(i + 1);
      }
      if (data.empty() || data.front() != u':') return Fail("expected : after hex");
      data.remove_prefix(1);
      return HexBytes(data, edit);
    }
    return Fail("unknown kind of value data");
  }

  // Adds the bytes of one line of a hex list; a trailing backslash says the
  // list goes on in the next line.
  bool HexBytes(std::u16string_view data, Edit& edit) {
    const std::size_t comment = data.find(u';');
    if (comment != std::u16string_view::npos) data = data.substr(0, comment);
    data = Trim(data);
    hex_pending_ = !data.empty() && data.back() == u'\\';
    if (hex_pending_) data.remove_suffix(1);

    while (true) {
      SkipSpace(data);
      if (data.empty()) break;
      unsigned byte = 0;
      std::size_t digits = 0;
      for (; digits < data.size() && HexDigit(data[digits]); ++digits) {
        byte = byte << 4 | *HexDigit(data[digits]);
      }
      if (digits == 0 || digits > 2) return Fail("hex bytes are one or two hex digits each");
      edit.data += static_cast<char>(byte);
      data.remove_prefix(digits);
      SkipSpace(data);
      if (data.empty()) break;
      if (data.front() != u',') return Fail("hex bytes are separated by commas");
      data.remove_prefix(1);
    }
    if (!hex_pending_ && IsStringType(edit.type)) {
      if (unicode_) edit.data = utf16::BytesToCp932(edit.data);
      // Wine's importer ends unterminated string data with one zero
      // character, also for a multi-string that lacks its second one.
      if (!edit.data.empty() && edit.data.back() != '\0') edit.data += '\0';
    }
    return true;
  }

  bool ContinueHex(std::u16string_view line) {
    if (!HexBytes(line, pending_)) return false;
    if (!hex_pending_ && has_key_) edits_.push_back(std::move(pending_));
    return true;
  }

  const bool unicode_;
  bool key_seen_ = false;
  bool has_key_ = false;
  RegRoot key_root_ = RegRoot::kLocalMachine;
  std::string key_path_;
  std::u16string key_wide_path_;
  bool hex_pending_ = false;
  Edit pending_;
  std::vector<Edit> edits_;
  std::string problem_;
};

// The file's text as UTF-16 and whether it was the UTF-16 form.
std::optional<std::pair<std::u16string, bool>> Decode(std::string_view bytes, std::string& error) {
  if (bytes.starts_with("\xFF\xFE")) {
    bytes.remove_prefix(2);
    if (bytes.size() % 2) {
      error = "UTF-16 file with an odd number of bytes";
      return std::nullopt;
    }
    std::u16string text(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
      text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                      static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return std::pair{std::move(text), true};
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    error = "UTF-8 .reg files come out garbled in Wine; use UTF-16LE or code page 932";
    return std::nullopt;
  }
  auto text = utf16::FromCp932(bytes);
  if (!text) {
    error = "not code page 932 text";
    return std::nullopt;
  }
  return std::pair{std::move(*text), false};
}

}  // namespace

ParseResult Parse(std::string_view file_bytes) {
  ParseResult result;
  auto decoded = Decode(file_bytes, result.error);
  if (!decoded) return result;
  const auto& [text, unicode] = *decoded;

  Parser parser(unicode);
  bool header_seen = false;
  std::size_t line_number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == u'\r') line.remove_suffix(1);
    start = end + 1;
    ++line_number;

    if (!header_seen) {
      line = Trim(line);
      if (line.empty()) continue;
      if (line != (unicode ? kUnicodeHeader : kAnsiHeader)) {
        result.error = unicode ? "a UTF-16 file must start with \"Windows Registry Editor "
                                 "Version 5.00\""
                               : "a code page 932 file must start with REGEDIT4";
        return result;
      }
      header_seen = true;
      continue;
    }
    if (!parser.Feed(line)) {
      result.error = "line " + std::to_string(line_number) + ": " + parser.problem();
      return result;
    }
  }
  if (!header_seen) {
    result.error = "empty file";
    return result;
  }
  if (!parser.Finish()) {
    result.error = parser.problem();
    return result;
  }
  result.edits = parser.TakeEdits();
  return result;
}

}  // namespace zeltrand::reg_file
