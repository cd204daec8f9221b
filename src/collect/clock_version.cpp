// Clock, time since start and the Windows version.
#include "collect/collectors.h"
#include "collect/time_texts.h"
#include "collect/windows_version.h"
#include "core/text_format.h"

namespace zeltrand {

std::string FormatClock(const LocalTime& t) {
  return FormatText("%04d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second);
}

std::string FormatUptime(std::uint32_t milliseconds) {
  const unsigned long seconds = milliseconds / 1000;
  return FormatText("%lu日%02lu:%02lu", seconds / 86400, seconds % 86400 / 3600,
                    seconds % 3600 / 60);
}

void CollectClock(CollectContext& ctx) {
  ctx.info.item_values[0] = FormatClock(ctx.services.machine.Now());
}

void CollectUptime(CollectContext& ctx) {
  ctx.info.item_values[1] = FormatUptime(ctx.services.machine.TickCount());
}

void CollectWindowsVersion(CollectContext& ctx) {
  const OsVersion version = ctx.services.machine.Version();
  ctx.info.platform_id = version.platform_id;
  VersionParts parts = ReadVersionParts(ctx.services.registry, version);
  const bool server = version.platform_id == 2 && IsServer(ctx.services.registry);
  ctx.info.item_values[2] = ComposeVersionText(WindowsName(version, server), parts);
  ctx.info.product_id_text = std::move(parts.product_id);
}

}  // namespace zeltrand
