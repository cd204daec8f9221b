#include "server/smbios.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace zeltrand::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using server::ParseSmbios;
using server::SmbiosFacts;

// One structure: type, its formatted bytes after the 4-byte header, its strings.
Bytes Structure(std::uint8_t type, Bytes formatted, std::initializer_list<std::string> strings) {
  Bytes s{type, static_cast<std::uint8_t>(formatted.size() + 4), 0x10, 0};
  s.insert(s.end(), formatted.begin(), formatted.end());
  for (const std::string& text : strings) {
    s.insert(s.end(), text.begin(), text.end());
    s.push_back(0);
  }
  if (strings.size() == 0) s.push_back(0);
  s.push_back(0);
  return s;
}

Bytes Table(std::initializer_list<Bytes> structures) {
  Bytes table;
  for (const Bytes& s : structures) table.insert(table.end(), s.begin(), s.end());
  Bytes raw{0, 3, 4, 0};
  for (int shift = 0; shift < 32; shift += 8)
    raw.push_back(static_cast<std::uint8_t>(table.size() >> shift));
  raw.insert(raw.end(), table.begin(), table.end());
  return raw;
}

const Bytes kBios = Structure(0, {1, 2, 0, 0, 3, 0, 0}, {"Maker BIOS", "1.2.3", "05/12/2021"});
const Bytes kSystem = Structure(1, {1,    2,    0,    3,    0x44, 0x45, 0x4C, 0x4C, 0x42, 0x00,
                                    0x10, 0x35, 0x80, 0x52, 0xB4, 0xC0, 0x4F, 0x56, 0x44, 0x33},
                                {"Maker", "Model 7", "SN123"});
const Bytes kBoard = Structure(2, {1, 2, 0, 3}, {"Board Co", "B-1", "To be filled by O.E.M."});
const Bytes kChassis = Structure(3, {0, 0x8A, 0, 0, 1}, {"TAG-0042"});
const Bytes kEnd = Structure(127, {}, {});

SmbiosFacts Whole() {
  SmbiosFacts f;
  f.bios_maker = "Maker BIOS";
  f.bios_version = "1.2.3";
  f.bios_date = "05/12/2021";
  f.system_maker = "Maker";
  f.system_model = "Model 7";
  f.system_serial = "SN123";
  f.uuid = "4C4C4544-0042-3510-8052-B4C04F564433";
  f.board_maker = "Board Co";
  f.board_model = "B-1";
  f.chassis = "Notebook";
  f.asset_tag = "TAG-0042";
  return f;
}

TEST(ParseSmbios, ReadsEachStructureItKnows) {
  EXPECT_EQ(
      ParseSmbios(Table({kBios, kSystem, Structure(4, {1}, {"CPU"}), kBoard, kChassis, kEnd})),
      Whole());
}

TEST(ParseSmbios, KeepsWhatItReadBeforeABrokenOrEndedTable) {
  SmbiosFacts bios_only;
  bios_only.bios_maker = "Maker BIOS";
  bios_only.bios_version = "1.2.3";
  bios_only.bios_date = "05/12/2021";
  Bytes cut_strings = Table({kBios, kSystem});
  cut_strings.resize(cut_strings.size() - 3);  // the system's strings never end
  Bytes bad_length = Table({kBios, kSystem});
  bad_length[8 + kBios.size() + 1] = 2;  // shorter than a header
  for (const Bytes& raw : {cut_strings, bad_length, Table({kBios, kEnd, kSystem})}) {
    EXPECT_EQ(ParseSmbios(raw), bios_only);
  }
  Bytes beyond = Table({kBios, kSystem});
  beyond[4] = static_cast<std::uint8_t>(kBios.size());  // the length says the system is not there
  EXPECT_EQ(ParseSmbios(beyond), bios_only);
  EXPECT_EQ(ParseSmbios(Bytes{0, 2, 4}), SmbiosFacts{});
}

TEST(ParseSmbios, LeavesOutShortFieldsPlaceholdersAndOddBytes) {
  const SmbiosFacts f = ParseSmbios(Table({
      Structure(1, {1, 2, 0, 3}, {" Default string ", "\x01Model\xFF", "0000000"}),  // 2.0: no UUID
      Structure(3, {0, 0x23, 0, 0}, {}),  // a Mini PC, too short for an asset tag
      Structure(1, {1}, {"second system"}),
  }));
  EXPECT_EQ(f.system_maker, "");
  EXPECT_EQ(f.system_model, "?Model?");
  EXPECT_EQ(f.system_serial, "");
  EXPECT_EQ(f.uuid, "");
  EXPECT_EQ(f.chassis, "Mini PC");
  EXPECT_EQ(f.asset_tag, "");
  EXPECT_EQ(ParseSmbios(Table({Structure(3, {0, 0xA3, 0, 0, 0}, {})})).chassis,
            "Mini PC");  // locked
  EXPECT_EQ(ParseSmbios(Table({Structure(3, {0, 37, 0, 0, 0}, {})})).chassis, "");
  EXPECT_EQ(ParseSmbios(Table({Structure(0, {1}, {std::string(100, 'v')})})).bios_maker.size(),
            server::kSmbiosTextLimit);
  const Bytes unset_uuid(16, 0xFF);
  Bytes formatted{1, 0, 0, 0};
  formatted.insert(formatted.end(), unset_uuid.begin(), unset_uuid.end());
  EXPECT_EQ(ParseSmbios(Table({Structure(1, formatted, {"M"})})).uuid, "");
}

}  // namespace
}  // namespace zeltrand::testing
