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

// Reads one value from the INI file at `path`; a missing file reads as "".
std::string ReadProfileString(Files& files, const std::string& path, std::string_view section,
                              std::string_view key);

}  // namespace zeltrand
