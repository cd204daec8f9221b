// The PC's maker, model, serial number and firmware, from the SMBIOS table
// as Windows hands it out (GetSystemFirmwareTable('RSMB')):
//
//   offset 0  calling method (1 byte), SMBIOS major, minor, DMI revision
//          4  length of the table that follows (4 bytes, little-endian)
//          8  the structures, each one
//               type (1), length of its formatted part (1), handle (2),
//               the rest of the formatted part,
//               its strings, each ended by a zero byte, the set ended by
//               one more ("\0\0" when it has none)
//
// A field names a string by its number in the set, counting from 1 (0: no
// string). The structures read here: type 0 (BIOS: maker 4, version 5,
// date 8), 1 (system: maker 4, model 5, serial 7, UUID 8..23), 2 (board:
// maker 4, model 5, serial 7) and 3 (enclosure: type 5, asset tag 8). A
// field past a structure's length is absent (older tables are shorter); a
// structure that runs past the table ends the walk, and what was read by
// then stays.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zeltrand::server {

// Longest string kept from the table; firmware strings are short, and a
// longer one is cut.
inline constexpr std::size_t kSmbiosTextLimit = 64;

struct SmbiosFacts {
  std::string system_maker;
  std::string system_model;
  std::string system_serial;
  std::string uuid;  // "4C4C4544-0042-3510-8052-B4C04F564433"; "" when unset
  std::string bios_maker;
  std::string bios_version;
  std::string bios_date;  // as the firmware writes it: "05/12/2021"
  std::string board_maker;
  std::string board_model;
  std::string board_serial;
  std::string chassis;  // "Notebook", "Desktop", …
  std::string asset_tag;

  bool operator==(const SmbiosFacts&) const = default;
};

// Texts hold printable ASCII only (anything else becomes '?'); the makers'
// placeholders ("To be filled by O.E.M.", "Default string", a serial of
// zeros) read as absent, so that two PCs never look alike through them.
SmbiosFacts ParseSmbios(std::span<const std::uint8_t> raw);

}  // namespace zeltrand::server
