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

#include "settings/text_encoding.h"

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

// The text of an INI file as the profile reader takes it, in code page
// 932, whatever encoding the file is in (text_encoding.h).
std::string DecodeProfileText(std::string_view file_bytes, const Cp932Codec& codec);

// The system's conversions, as `files` makes them.
Cp932Codec Cp932CodecOf(Files& files);

// The INI file at `path`, decoded; empty, in code page 932, when missing.
DecodedText ReadProfileFile(Files& files, const std::string& path);
// Its text alone.
std::string ReadProfileText(Files& files, const std::string& path);

// Reads one value from the INI file at `path`; a missing file reads as "".
std::string ReadProfileString(Files& files, const std::string& path, std::string_view section,
                              std::string_view key);

}  // namespace zeltrand
