// A MAC address of the PC.
#include "collect/collectors.h"
#include "collect/mac_probe.h"

namespace zeltrand {

namespace {
constexpr int kMacField = 12;
}  // namespace

void CollectMacAddress(CollectContext& ctx) {
  const MacProbe probe{ctx.services.netbios, ctx.services.mib, ctx.services.uuid};
  probe.Run(ctx.info.item_values[kMacField]);
}

}  // namespace zeltrand
