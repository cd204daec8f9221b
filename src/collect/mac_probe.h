// Finding one MAC address of the PC for field 12. Three methods are tried
// in order and the first that finds an address decides; its letter heads
// the text:
//
//   n00:0C:29:1A:2B:3C   NetBIOS adapter status of LAN adapter 0
//   s00:A0:C9:12:34:56   the first Ethernet row of the MIB-II interface table
//                        (where no SNMP agent is left, the first physical
//                        Ethernet or wireless card of the system's table)
//   u5A:3F:09:C1:77:E2   the node of a new UUID (random on most systems)
//
// The field is never reset: when every method fails, it keeps what an
// earlier pass found, or "x--:--:--:--:--:--" when none ever did.
#pragma once

#include <string>

#include "platform/network_probes.h"

namespace zeltrand {

struct MacProbe {
  NetBios& netbios;
  MibAgent& mib;
  UuidSource& uuid;

  void Run(std::string& field) const;
};

// The SNMP method alone: overwrites `field` only when it finds an address.
bool QuerySnmpMacAddress(MibAgent& mib, std::string& field);

}  // namespace zeltrand
