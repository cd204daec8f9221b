// Raw facts about the running system that the collectors turn into field
// texts: clock, version, memory, disk, resources, WinSock and names. Each
// call hands back what the system said; the formats are the collectors'.
// Texts are code page 932.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltrand {

struct LocalTime {
  int year = 0;
  int month = 0;  // 1 to 12
  int day = 0;
  int hour = 0;  // 0 to 23
  int minute = 0;
  int second = 0;
  int utc_offset_minutes = 0;  // local time less UTC
};

// The version the system really runs, also where it would tell a program
// without a compatibility manifest an older one.
struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::uint32_t platform_id = 0;  // 0 Win32s, 1 Windows 95/98/Me, 2 NT family
  std::string csd_version;        // the service pack text
};

struct MemoryStatus {
  std::uint64_t total_physical = 0;  // bytes
  std::uint64_t available_physical = 0;
};

// The extended disk space call's answer, in bytes.
struct DiskSpace {
  std::uint64_t free_to_caller = 0;
  std::uint64_t total = 0;
};

// The old disk space call's answer, for systems without the extended one.
struct DiskClusters {
  std::uint32_t sectors_per_cluster = 0;
  std::uint32_t bytes_per_sector = 0;
  std::uint32_t free_clusters = 0;
  std::uint32_t total_clusters = 0;
};

struct FreeResources {
  int gdi_percent = 0;
  int user_percent = 0;
};

using Ipv4Address = std::array<std::uint8_t, 4>;  // in network order

// What an inventory server keeps of a PC beyond the record's fields.
struct InventoryFacts {
  unsigned processors = 0;       // logical processors
  std::string architecture;      // the system's own word: "AMD64", "x86", "ARM64"
  std::string workgroup;         // the domain or workgroup the PC is in
  std::string user_domain;       // the signed-in user's domain (the PC's name for a local one)
  std::uint64_t swap_bytes = 0;  // what the page files add to memory
};

class Machine {
 public:
  virtual ~Machine() = default;

  virtual LocalTime Now() = 0;
  // Milliseconds since Windows started; wraps to 0 after 2^32.
  virtual std::uint32_t TickCount() = 0;
  virtual OsVersion Version() = 0;
  virtual std::optional<MemoryStatus> Memory() = 0;
  // "" when it cannot be read.
  virtual std::string SystemDirectory() = 0;

  // Whether the extended disk space call exists (Windows 95 before OSR2
  // lacks it).
  virtual bool HasExtendedDiskSpace() = 0;
  // `root` is a drive root such as "C:\".
  virtual std::optional<DiskSpace> ExtendedDiskSpace(std::string_view root) = 0;
  virtual std::optional<DiskClusters> LegacyDiskSpace(std::string_view root) = 0;
  // The serial number of the volume at `root`; nothing when it cannot be
  // read.
  virtual std::optional<std::uint32_t> VolumeSerial(std::string_view root) = 0;

  // The free GDI and USER resources of the 95/98/Me family, through
  // rsrc32.dll, loaded and released on every call; nothing without it.
  virtual std::optional<FreeResources> FreeSystemResources() = 0;

  // Starts WinSock asking for `version`; the highest version the system
  // supports (major in the low byte), nothing when it did not start.
  virtual std::optional<std::uint16_t> StartWinsock(std::uint16_t version) = 0;
  virtual void StopWinsock() = 0;

  virtual std::optional<std::string> UserName() = 0;
  virtual std::optional<std::string> ComputerName() = 0;
  // These two need WinSock started.
  virtual std::optional<std::string> HostName() = 0;
  // The first IPv4 address of the host's address list.
  virtual std::optional<Ipv4Address> HostAddress(std::string_view host) = 0;

  // The firmware's SMBIOS table with the system's 8-byte header before it,
  // as GetSystemFirmwareTable('RSMB') gives it; empty when there is none.
  virtual std::vector<std::uint8_t> SmbiosTable() = 0;
  virtual InventoryFacts ReadInventoryFacts() = 0;
};

}  // namespace zeltrand
