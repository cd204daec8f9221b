#include "collect/mac_probe.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

#include "collect/mib2.h"

namespace zeltrand {
namespace {

constexpr std::size_t kAddressBytes = 6;
constexpr std::uint8_t kLanAdapter = 0;
constexpr std::uint8_t kGoodReturn = 0x00;  // NRC_GOODRET
constexpr std::uint8_t kIncomplete = 0x06;  // NRC_INCOMP
constexpr std::size_t kAdapterTypeOffset = 8;
// Ethernet, Token Ring, and 0x7D, which some drivers report for Ethernet.
constexpr std::uint8_t kAdapterTypes[] = {0xFE, 0xFF, 0x7D};
// Dial-up adapters carry the made-up address 44:45:53:54:xx:xx ("DEST").
constexpr std::uint8_t kDialUpPrefix[] = {0x44, 0x45, 0x53, 0x54};

constexpr std::string_view kNoWinsockTrace = "This program requires Winsock 2.x!\n";
constexpr std::string_view kNoAgentTrace = "no inetmib1.dll\n";

void WriteAddress(char method, const std::uint8_t* bytes, std::string& field) {
  constexpr char kHex[] = "0123456789ABCDEF";
  field.assign(1, method);
  for (std::size_t i = 0; i < kAddressBytes; ++i) {
    if (i > 0) field += ':';
    field += kHex[bytes[i] >> 4];
    field += kHex[bytes[i] & 0x0F];
  }
}

bool QueryNetBiosMacAddress(NetBios& netbios, std::string& field) {
  const NetBiosStatus status = netbios.AdapterStatus(kLanAdapter);
  // "Message incomplete" only says that the name table behind the record
  // did not fit, which is the case on most of today's systems.
  const bool answered = status.return_code == kGoodReturn || status.return_code == kIncomplete;
  if (!answered || status.record.size() <= kAdapterTypeOffset) return false;
  const std::uint8_t type = status.record[kAdapterTypeOffset];
  if (std::find(std::begin(kAdapterTypes), std::end(kAdapterTypes), type) ==
      std::end(kAdapterTypes)) {
    return false;
  }
  WriteAddress('n', status.record.data(), field);
  return true;
}

// A row that shows no real card: too short to hold an address, the dial-up
// adapter's, or all zeros.
bool IsUsableAddress(const std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kAddressBytes) return false;
  if (std::equal(std::begin(kDialUpPrefix), std::end(kDialUpPrefix), bytes.begin())) return false;
  return std::any_of(bytes.begin(), bytes.begin() + kAddressBytes,
                     [](std::uint8_t b) { return b != 0; });
}

// The SNMP agent's walk takes Ethernet rows alone; the system's interface
// table, which marks its physical cards, gives wireless ones too.
constexpr std::int64_t kAgentCardTypes[] = {kIfTypeEthernet};
constexpr std::int64_t kTableCardTypes[] = {kIfTypeEthernet, kIfTypeWireless};

bool IsCard(const MibValue& type, std::span<const std::int64_t> card_types) {
  return type.type == static_cast<std::uint8_t>(AsnType::kInteger) &&
         std::find(card_types.begin(), card_types.end(), type.number) != card_types.end();
}

// The rows of the system's interface table that are physical cards of a
// kind the walk takes, so that a virtual adapter listed before the card
// (a VPN's, a virtual machine host's) is never taken for it.
std::vector<InterfaceRow> PhysicalCards(const std::vector<InterfaceRow>& rows) {
  std::vector<InterfaceRow> cards;
  for (const InterfaceRow& row : rows) {
    if (row.hardware && std::find(std::begin(kTableCardTypes), std::end(kTableCardTypes),
                                  row.type) != std::end(kTableCardTypes)) {
      cards.push_back(row);
    }
  }
  return cards;
}

// Walks the ifType column and, beside it, the ifPhysAddress column. Some
// agents leave a row's address out when it is empty (Wine's does for the
// loopback interface); the address column then runs ahead, so each query
// aims it at the row the type column has reached, and an address is taken
// only from the row whose type it is.
bool WalkInterfaceTable(MibSession& session, std::span<const std::int64_t> card_types,
                        std::string& field) {
  std::vector<VarBind> count = {{kIfNumber, {}}};
  session.GetNext(count);  // the count itself is of no use

  std::vector<VarBind> row = {{kIfType, {}}, {kIfPhysAddress, {}}};
  while (true) {
    const Oid previous = row[0].name;
    // An agent may answer with fewer bindings than it was asked for.
    if (!session.GetNext(row) || row.size() != 2) return false;
    // An agent that does not move on would keep the walk here for ever.
    if (!OidBeginsWith(row[0].name, kIfType) || !(previous < row[0].name)) return false;
    const Oid address_name = SameRow(kIfPhysAddress, row[0].name);
    if (IsCard(row[0].value, card_types) && row[1].name == address_name &&
        IsUsableAddress(row[1].value.bytes)) {
      WriteAddress('s', row[1].value.bytes.data(), field);
      return true;
    }
    row[1].name = address_name;
  }
}

bool QueryUuidMacAddress(UuidSource& uuid, std::string& field) {
  const NewUuid created = uuid.Create();
  if (created.status != UuidStatus::kOk) return false;
  WriteAddress('u', created.bytes.data() + created.bytes.size() - kAddressBytes, field);
  return true;
}

}  // namespace

bool QuerySnmpMacAddress(MibAgent& mib, std::string& field) {
  MibOpening opening = mib.Open();
  switch (opening.status) {
    case MibOpenStatus::kNoWinsock:
      mib.Trace(kNoWinsockTrace);
      return false;
    case MibOpenStatus::kNoAgent:
      mib.Trace(kNoAgentTrace);
      break;
    case MibOpenStatus::kNoQueryEntry:
    case MibOpenStatus::kAgent:
      break;
  }
  if (opening.session != nullptr)
    return WalkInterfaceTable(*opening.session, kAgentCardTypes, field);
  if (!opening.interfaces) return false;
  InterfaceTableMib table(PhysicalCards(*opening.interfaces));
  return WalkInterfaceTable(table, kTableCardTypes, field);
}

void MacProbe::Run(std::string& field) const {
  if (QueryNetBiosMacAddress(netbios, field)) return;
  if (QuerySnmpMacAddress(mib, field)) return;
  // The UUID's node is random on most systems: once any method has found
  // an address, a new UUID would only make the value change from pass to
  // pass.
  if (field.starts_with('x')) QueryUuidMacAddress(uuid, field);
}

}  // namespace zeltrand
