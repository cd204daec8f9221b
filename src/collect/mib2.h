// The few MIB-II objects (RFC 1213) that the MAC address walk reads, and a
// view of them over a plain list of interfaces, for systems that no longer
// ship an SNMP agent but still list their interfaces.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/network_probes.h"

namespace zeltrand {

inline const Oid kIfNumber = {1, 3, 6, 1, 2, 1, 2, 1};
inline const Oid kIfType = {1, 3, 6, 1, 2, 1, 2, 2, 1, 3};
inline const Oid kIfPhysAddress = {1, 3, 6, 1, 2, 1, 2, 2, 1, 6};

inline constexpr std::int64_t kIfTypeEthernet = 6;   // ethernetCsmacd
inline constexpr std::int64_t kIfTypeWireless = 71;  // ieee80211

// The first difference a[i] - b[i] over the first n sub-identifiers (n no
// more than the shorter of the two), or 0 when they agree.
std::int64_t OidCompare(const Oid& a, const Oid& b, std::size_t n);
// True when `name` is `prefix` or lies below it.
bool OidBeginsWith(const Oid& name, const Oid& prefix);
// The object of `column` in the row (table instance) that `cell` names.
Oid SameRow(const Oid& column, const Oid& cell);

// Answers GETNEXT like an agent over ifNumber.0 and the ifType and
// ifPhysAddress columns of the given rows; nothing lies beyond them.
class InterfaceTableMib : public MibSession {
 public:
  explicit InterfaceTableMib(const std::vector<InterfaceRow>& rows);
  bool GetNext(std::vector<VarBind>& bindings) override;

 private:
  std::vector<VarBind> objects_;  // in MIB order
};

}  // namespace zeltrand
