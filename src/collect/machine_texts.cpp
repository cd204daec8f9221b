#include "collect/machine_texts.h"

#include "core/text_format.h"

namespace zeltrand {
namespace {

constexpr int kMegabyteShift = 20;

unsigned long long Mb(std::uint64_t bytes) {
  return bytes >> kMegabyteShift;
}

}  // namespace

Megabytes MemoryMegabytes(const MemoryStatus& status) {
  return {Mb(status.available_physical), Mb(status.total_physical)};
}

std::string FormatMemory(const Megabytes& mb) {
  return FormatText("%llu/%lluMBytes", static_cast<unsigned long long>(mb.free),
                    static_cast<unsigned long long>(mb.total));
}

Megabytes DiskMegabytes(const DiskSpace& space) {
  return {Mb(space.free_to_caller), Mb(space.total)};
}

// In 64 bits: a cluster count of an NT volume times the cluster size
// exceeds 32 bits on any disk above 4 GB.
Megabytes DiskMegabytes(const DiskClusters& c) {
  const std::uint64_t cluster = std::uint64_t{c.sectors_per_cluster} * c.bytes_per_sector;
  return {Mb(cluster * c.free_clusters), Mb(cluster * c.total_clusters)};
}

std::string FormatDisk(const Megabytes& mb) {
  return FormatText("%llu/%lluMByte", static_cast<unsigned long long>(mb.free),
                    static_cast<unsigned long long>(mb.total));
}

std::string_view DriveRoot(std::string_view system_directory) {
  return system_directory.substr(0, 3);
}

std::string FormatResources(const FreeResources& r) {
  return FormatText("%d%%, %d%%", r.gdi_percent, r.user_percent);
}

std::string FormatWinsockVersion(std::uint16_t version) {
  return FormatText("%d.%d", version & 0xFF, version >> 8);
}

std::string FormatIpv4(const Ipv4Address& a) {
  return FormatText("%u.%u.%u.%u", a[0], a[1], a[2], a[3]);
}

std::string IpFieldText(std::string_view address, std::string_view sender,
                        std::string_view mail_server) {
  std::string text(address);
  if (!sender.empty() && sender.front() != '?') {
    text.append(", ").append(sender).append(", ").append(mail_server);
  }
  return text;
}

}  // namespace zeltrand
