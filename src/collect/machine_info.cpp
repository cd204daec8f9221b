// Memory, system drive, resources, WinSock and the names and address of
// the PC.
#include "collect/collectors.h"
#include "collect/machine_texts.h"
#include "platform/machine.h"
#include "settings/profile.h"

namespace zeltrand {
namespace {

constexpr std::uint16_t kWinsockVersion = 0x0101;

// A name that cannot be read leaves the field as it was.
void SetIfRead(std::string& field, std::optional<std::string> value) {
  if (value) field = std::move(*value);
}

}  // namespace

void CollectMemory(CollectContext& ctx) {
  const auto status = ctx.services.machine.Memory();
  if (!status) return;
  const Megabytes mb = MemoryMegabytes(*status);
  ctx.info.total_memory_mb = mb.total;
  ctx.info.item_values[4] = FormatMemory(mb);
}

void CollectSystemDrive(CollectContext& ctx) {
  Machine& machine = ctx.services.machine;
  const std::string directory = machine.SystemDirectory();
  const std::string_view root = DriveRoot(directory);
  std::optional<Megabytes> mb;
  if (machine.HasExtendedDiskSpace()) {
    if (const auto space = machine.ExtendedDiskSpace(root)) mb = DiskMegabytes(*space);
  } else if (const auto clusters = machine.LegacyDiskSpace(root)) {
    mb = DiskMegabytes(*clusters);
  }
  if (mb) ctx.info.item_values[5] = FormatDisk(*mb);
}

// Two attempts before the field keeps its default text, which says that
// the measure does not exist on this system.
void CollectResources(CollectContext& ctx) {
  auto resources = ctx.services.machine.FreeSystemResources();
  if (!resources) resources = ctx.services.machine.FreeSystemResources();
  if (resources) ctx.info.item_values[6] = FormatResources(*resources);
}

// WinSock stays started for the host name and the address; the address
// field stops it.
void CollectWinsockVersion(CollectContext& ctx) {
  const auto version = ctx.services.machine.StartWinsock(kWinsockVersion);
  if (!version) return;
  ctx.info.winsock_started = true;
  ctx.info.item_values[7] = FormatWinsockVersion(*version);
}

void CollectUserName(CollectContext& ctx) {
  SetIfRead(ctx.info.item_values[8], ctx.services.machine.UserName());
}

void CollectComputerName(CollectContext& ctx) {
  SetIfRead(ctx.info.item_values[9], ctx.services.machine.ComputerName());
}

void CollectHostName(CollectContext& ctx) {
  if (ctx.info.winsock_started)
    SetIfRead(ctx.info.item_values[10], ctx.services.machine.HostName());
}

// The host name of field 10 as this pass left it. A failed lookup keeps
// the address found last, so the settings part is never repeated. WinSock
// is stopped only when this pass started it: a stop without a start would
// take away a start of someone else in the process.
void CollectIpAddress(CollectContext& ctx) {
  CollectedInfo& info = ctx.info;
  Machine& machine = ctx.services.machine;
  if (info.winsock_started) {
    const std::string& host = info.item_values[10];
    if (!host.empty()) {
      if (const auto address = machine.HostAddress(host))
        info.last_ip_address = FormatIpv4(*address);
    }
    machine.StopWinsock();
    info.winsock_started = false;
  }
  Files& files = ctx.services.files;
  const std::string& ini = ctx.paths.ini_path;
  info.item_values[11] =
      IpFieldText(info.last_ip_address, ReadProfileString(files, ini, kSectionMail, kKeySmtp),
                  ReadProfileString(files, ini, kSectionMail, kKeyMailServer));
}

}  // namespace zeltrand
