#include "collect/item_table.h"

#include "collect/collectors.h"
#include "core/control_ids.h"
#include "core/cp932.h"

namespace zeltrand {

const std::array<Collector, kInfoItemCount> kItemTable = {
    CollectClock,      CollectUptime,       CollectWindowsVersion, CollectCpu,
    CollectMemory,     CollectSystemDrive,  CollectResources,      CollectWinsockVersion,
    CollectUserName,   CollectComputerName, CollectHostName,       CollectIpAddress,
    CollectMacAddress, CollectPrinter,
};

void ShowItemValues(const CollectedInfo& info, DialogWindow& window) {
  for (int n = 0; n < kInfoItemCount; ++n) window.SetItemText(n, info.item_values[n]);
}

void CollectItem(int n, CollectContext& ctx, DialogWindow& window) {
  kItemTable[n](ctx);
  std::string& text = ctx.info.item_values[n];
  if (text.size() > kFieldTextLimit) text = cp932::Cut(text, kFieldTextLimit);
  window.SetItemText(n, text);
}

void CollectAll(CollectContext& ctx, DialogWindow& window, bool include_cpu) {
  for (int n = 0; n < kInfoItemCount; ++n) {
    if (n != ctl::kCpuField || include_cpu) CollectItem(n, ctx, window);
  }
}

}  // namespace zeltrand
