// The system's facts through kernel32, advapi32 and WinSock.
#pragma once

#include "platform/machine.h"

namespace zeltrand::win32 {

class Win32Machine final : public Machine {
 public:
  LocalTime Now() override;
  std::uint32_t TickCount() override;
  OsVersion Version() override;
  std::optional<MemoryStatus> Memory() override;
  std::string SystemDirectory() override;
  bool HasExtendedDiskSpace() override;
  std::optional<DiskSpace> ExtendedDiskSpace(std::string_view root) override;
  std::optional<DiskClusters> LegacyDiskSpace(std::string_view root) override;
  std::optional<std::uint32_t> VolumeSerial(std::string_view root) override;
  std::optional<FreeResources> FreeSystemResources() override;
  std::optional<std::uint16_t> StartWinsock(std::uint16_t version) override;
  void StopWinsock() override;
  std::optional<std::string> UserName() override;
  std::optional<std::string> ComputerName() override;
  std::optional<std::string> HostName() override;
  std::optional<Ipv4Address> HostAddress(std::string_view host) override;
  std::vector<std::uint8_t> SmbiosTable() override;
  InventoryFacts ReadInventoryFacts() override;
};

}  // namespace zeltrand::win32
