#include "server/smbios.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace zeltrand::server {

namespace {

constexpr std::size_t kRawHeader = 8;
constexpr std::size_t kStructureHeader = 4;
constexpr std::uint8_t kEndOfTable = 127;

// Enclosure types 1 to 36; bit 7 of the byte is the lock, not the type.
constexpr std::array<std::string_view, 36> kChassisTypes = {
    "Other",
    "Unknown",
    "Desktop",
    "Low Profile Desktop",
    "Pizza Box",
    "Mini Tower",
    "Tower",
    "Portable",
    "Laptop",
    "Notebook",
    "Hand Held",
    "Docking Station",
    "All in One",
    "Sub Notebook",
    "Space-saving",
    "Lunch Box",
    "Main Server Chassis",
    "Expansion Chassis",
    "SubChassis",
    "Bus Expansion Chassis",
    "Peripheral Chassis",
    "RAID Chassis",
    "Rack Mount Chassis",
    "Sealed-case PC",
    "Multi-system chassis",
    "Compact PCI",
    "Advanced TCA",
    "Blade",
    "Blade Enclosure",
    "Tablet",
    "Convertible",
    "Detachable",
    "IoT Gateway",
    "Embedded PC",
    "Mini PC",
    "Stick PC",
};

// What makers leave in the fields they did not fill, compared without case.
constexpr std::array<std::string_view, 12> kPlaceholders = {
    "to be filled by o.e.m.",
    "default string",
    "system serial number",
    "system manufacturer",
    "system product name",
    "system version",
    "chassis serial number",
    "not specified",
    "not applicable",
    "none",
    "n/a",
    "0123456789",
};

bool IsPlaceholder(std::string_view text) {
  if (text.find_first_not_of("0 ") == text.npos) return true;  // "", "0", "00000000"
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return std::ranges::find(kPlaceholders, lower) != kPlaceholders.end();
}

struct Structure {
  std::span<const std::uint8_t> formatted;  // the header included
  std::span<const std::uint8_t> strings;    // the string set, without its last zero

  std::uint8_t Byte(std::size_t offset) const {
    return offset < formatted.size() ? formatted[offset] : 0;
  }

  // The string the byte at `offset` names, trimmed, printable, cut; "" for
  // none or a placeholder.
  std::string Text(std::size_t offset) const {
    std::uint8_t number = Byte(offset);
    if (number == 0) return {};
    std::span<const std::uint8_t> rest = strings;
    while (--number > 0 && !rest.empty()) {
      const auto end = std::ranges::find(rest, 0);
      rest = end == rest.end() ? std::span<const std::uint8_t>()
                               : rest.subspan(end - rest.begin() + 1);
    }
    std::string text(rest.begin(), std::ranges::find(rest, 0));
    for (char& c : text) {
      if (c < 0x20 || c > 0x7E) c = '?';
    }
    const std::size_t first = text.find_first_not_of(' ');
    text.erase(0, first == text.npos ? text.size() : first);
    text.erase(text.find_last_not_of(' ') + 1);
    if (text.size() > kSmbiosTextLimit) text.resize(kSmbiosTextLimit);
    return IsPlaceholder(text) ? std::string() : text;
  }
};

// "4C4C4544-0042-…": the first three fields are stored little-endian (from
// SMBIOS 2.6 on, which every table Windows 7 and later sees follows).
std::string Uuid(const Structure& system) {
  constexpr std::size_t kAt = 8;
  if (system.formatted.size() < kAt + 16) return {};
  const auto bytes = system.formatted.subspan(kAt, 16);
  if (std::ranges::all_of(bytes, [](std::uint8_t b) { return b == 0; }) ||
      std::ranges::all_of(bytes, [](std::uint8_t b) { return b == 0xFF; })) {
    return {};  // "not present" and "not set"
  }
  constexpr std::array<int, 16> kOrder = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  constexpr std::string_view kHex = "0123456789ABCDEF";
  std::string text;
  for (std::size_t i = 0; i < kOrder.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    const std::uint8_t b = bytes[static_cast<std::size_t>(kOrder[i])];
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

void Read(const Structure& s, SmbiosFacts& facts) {
  switch (s.Byte(0)) {
    case 0:
      facts.bios_maker = s.Text(4);
      facts.bios_version = s.Text(5);
      facts.bios_date = s.Text(8);
      break;
    case 1:
      facts.system_maker = s.Text(4);
      facts.system_model = s.Text(5);
      facts.system_serial = s.Text(7);
      facts.uuid = Uuid(s);
      break;
    case 2:
      facts.board_maker = s.Text(4);
      facts.board_model = s.Text(5);
      facts.board_serial = s.Text(7);
      break;
    case 3: {
      const std::size_t type = s.Byte(5) & 0x7F;
      if (type >= 1 && type <= kChassisTypes.size()) facts.chassis = kChassisTypes[type - 1];
      facts.asset_tag = s.Text(8);
      break;
    }
    default:
      break;
  }
}

}  // namespace

SmbiosFacts ParseSmbios(std::span<const std::uint8_t> raw) {
  SmbiosFacts facts;
  if (raw.size() < kRawHeader) return facts;
  const std::size_t length =
      raw[4] | (raw[5] << 8) | (raw[6] << 16) | (static_cast<std::size_t>(raw[7]) << 24);
  std::span<const std::uint8_t> table = raw.subspan(kRawHeader);
  table = table.first(std::min(length, table.size()));
  // Only the first structure of each type counts (a second board, say).
  std::array<bool, 4> seen{};
  while (table.size() >= kStructureHeader) {
    const std::size_t size = table[1];
    if (size < kStructureHeader || size > table.size()) break;
    const std::span<const std::uint8_t> after = table.subspan(size);
    // The string set ends at the first pair of zero bytes.
    std::size_t end = 0;
    while (end + 1 < after.size() && (after[end] != 0 || after[end + 1] != 0)) ++end;
    if (end + 1 >= after.size()) break;
    const Structure structure{table.first(size), after.first(end)};
    const std::uint8_t type = table[0];
    if (type == kEndOfTable) break;
    if (type < seen.size() && !seen[type]) {
      seen[type] = true;
      Read(structure, facts);
    }
    table = after.subspan(end + 2);
  }
  return facts;
}

}  // namespace zeltrand::server
