// Sources of a MAC address: NetBIOS adapter status, the MIB-II interface
// table, and the node of a UUID. Each hands back what the system said,
// unjudged; which answer counts as an address is the collector's business.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace zeltrand {

// The answer to NCBASTAT.
struct NetBiosStatus {
  std::uint8_t return_code = 0;  // NRC_GOODRET (0) on success
  // The ADAPTER_STATUS record as far as it came back: the adapter address
  // in bytes 0 to 5, the adapter type in byte 8.
  std::vector<std::uint8_t> record;
};

class NetBios {
 public:
  virtual ~NetBios() = default;
  // NCBRESET on LAN adapter `lana` (its result does not matter), then
  // NCBASTAT there for the local adapter ("*" and 15 blanks), without the
  // name table.
  virtual NetBiosStatus AdapterStatus(std::uint8_t lana) = 0;
};

// An SNMP object identifier: its sub-identifiers in order.
using Oid = std::vector<std::uint32_t>;

// ASN.1 types of the values an agent returns.
enum class AsnType : std::uint8_t {
  kInteger = 0x02,
  kOctetString = 0x04,
  kNull = 0x05,
  kObjectIdentifier = 0x06,
};

struct MibValue {
  std::uint8_t type = static_cast<std::uint8_t>(AsnType::kNull);
  std::int64_t number = 0;          // kInteger and the other number types
  std::vector<std::uint8_t> bytes;  // kOctetString and the other strings
};

struct VarBind {
  Oid name;
  MibValue value;
};

// One loaded agent. Ending the session releases what opening it loaded.
class MibSession {
 public:
  virtual ~MibSession() = default;
  // GETNEXT: replaces the name and value of every binding with those of the
  // next object after its name. False when the agent fails the query.
  virtual bool GetNext(std::vector<VarBind>& bindings) = 0;
};

enum class MibOpenStatus {
  kAgent,         // the SNMP extension agent, initialised
  kNoWinsock,     // WinSock 2.0 did not start
  kNoAgent,       // no agent library, or it lacks SnmpExtensionInit
  kNoQueryEntry,  // the agent lacks SnmpExtensionQuery
};

// A row of the system's own interface table.
struct InterfaceRow {
  std::uint32_t index = 0;  // ifIndex
  std::uint32_t type = 0;   // ifType: 6 Ethernet, 71 IEEE 802.11, 24 loopback, ...
  // ifPhysAddress; some agents leave the object out where it is empty.
  std::optional<std::vector<std::uint8_t>> address;
  // A physical card, as the system marks it (virtual adapters, filters
  // and tunnels are not).
  bool hardware = false;
};

struct MibOpening {
  MibOpenStatus status = MibOpenStatus::kNoAgent;
  // Set for kAgent.
  std::unique_ptr<MibSession> session;
  // With kNoAgent: the system's interface table, where it can be read.
  std::optional<std::vector<InterfaceRow>> interfaces;
};

class MibAgent {
 public:
  virtual ~MibAgent() = default;
  // Starts WinSock, loads the agent and initialises it, once per attempt.
  virtual MibOpening Open() = 0;
  // A diagnostic line for standard output, where there is one.
  virtual void Trace(std::string_view line) = 0;
};

enum class UuidStatus {
  kOk,         // RPC_S_OK
  kLocalOnly,  // RPC_S_UUID_LOCAL_ONLY: unique on this computer only
  kFailed,
};

struct NewUuid {
  UuidStatus status = UuidStatus::kFailed;
  // The UUID record as stored; its last six bytes are the node.
  std::array<std::uint8_t, 16> bytes{};
};

class UuidSource {
 public:
  virtual ~UuidSource() = default;
  virtual NewUuid Create() = 0;
};

}  // namespace zeltrand
