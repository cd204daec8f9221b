// A reader of INI text that gives the results the Windows profile reader
// (GetPrivateProfileStringA with a 256-byte buffer) gives:
//
//   [ Section ]        names in brackets, blanks trimmed; text after the
//                      last ']' is ignored; lines end at CR or LF
//   key = value        blanks around names and values are trimmed
//   key="a value "     one pair of enclosing quotes (' or ") is removed
//   ; comment          just a key nobody asks for; lines without '=' too
//
// Names match without regard to case; the first section of a name and the
// first key of a name in it win. Anything missing reads as "".
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltrand {

class Files;

// The longest value the profile reader hands back, in bytes.
inline constexpr std::size_t kProfileValueLimit = 255;

class Profile {
 public:
  explicit Profile(std::string_view text);

  // The value of `key` in `section`, cut to kProfileValueLimit bytes on a
  // character boundary; "" when anything is missing.
  std::string Get(std::string_view section, std::string_view key) const;

 private:
  struct Entry {
    std::string key;
    std::string value;
    bool has_value;
  };
  struct Section {
    std::string name;
    std::vector<Entry> entries;
  };
  std::vector<Section> sections_;
};

// The text of an INI file as the profile reader takes it: a file that
// starts with the byte-order mark of UTF-16 (either byte order) or UTF-8,
// as Notepad saves "Unicode" and "UTF-8", is converted to code page 932 by
// `to_cp932`; any other is taken as code page 932 already.
using Cp932Converter = std::function<std::string(std::u16string_view)>;
std::string DecodeProfileText(std::string_view file_bytes, const Cp932Converter& to_cp932);

// The INI file at `path` as DecodeProfileText gives it; "" when missing.
std::string ReadProfileText(Files& files, const std::string& path);

// Reads one value from the INI file at `path`; a missing file reads as "".
std::string ReadProfileString(Files& files, const std::string& path, std::string_view section,
                              std::string_view key);

}  // namespace zeltrand
