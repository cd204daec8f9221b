// The texts of fields 4 to 11: memory, system drive, resources, WinSock
// version and IP address. MB are 1,048,576 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/machine.h"

namespace zeltrand {

struct Megabytes {
  std::uint64_t free = 0;
  std::uint64_t total = 0;
};

Megabytes MemoryMegabytes(const MemoryStatus& status);
// "45/127MBytes"
std::string FormatMemory(const Megabytes& mb);

Megabytes DiskMegabytes(const DiskSpace& space);
Megabytes DiskMegabytes(const DiskClusters& clusters);
// "625/2031MByte", without the final s of the memory field.
std::string FormatDisk(const Megabytes& mb);
// The drive root of the system directory: "C:\" of "C:\WINDOWS\system32".
std::string_view DriveRoot(std::string_view system_directory);

// "85%, 90%": GDI, then USER.
std::string FormatResources(const FreeResources& resources);
// "2.2" of 0x0202: the major version is the low byte.
std::string FormatWinsockVersion(std::uint16_t version);

std::string FormatIpv4(const Ipv4Address& address);
// The address alone, or followed by the sender's address and the mail
// server when a sender is set ("?" marks the unset placeholder).
std::string IpFieldText(std::string_view address, std::string_view sender,
                        std::string_view mail_server);

}  // namespace zeltrand
