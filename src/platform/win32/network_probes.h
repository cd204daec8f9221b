// NetBIOS (netapi32, loaded for each query so that a system without it
// still starts), the MIB-II agent inetmib1.dll or, where Windows no longer
// has it, the IP Helper interface table, and UuidCreate.
#pragma once

#include "platform/network_probes.h"

namespace zeltrand::win32 {

class Win32NetBios final : public NetBios {
 public:
  NetBiosStatus AdapterStatus(std::uint8_t lana) override;
};

class Win32MibAgent final : public MibAgent {
 public:
  MibOpening Open() override;
  // Writes to the standard output handle when the process has one.
  void Trace(std::string_view line) override;
};

class Win32Uuid final : public UuidSource {
 public:
  NewUuid Create() override;
};

}  // namespace zeltrand::win32
