// The collectors of the fourteen fields, in field order.
#pragma once

#include "collect/item_table.h"

namespace zeltrand {

void CollectClock(CollectContext& ctx);
void CollectUptime(CollectContext& ctx);
void CollectWindowsVersion(CollectContext& ctx);
void CollectCpu(CollectContext& ctx);
void CollectMemory(CollectContext& ctx);
void CollectSystemDrive(CollectContext& ctx);
void CollectResources(CollectContext& ctx);
void CollectWinsockVersion(CollectContext& ctx);
void CollectUserName(CollectContext& ctx);
void CollectComputerName(CollectContext& ctx);
void CollectHostName(CollectContext& ctx);
void CollectIpAddress(CollectContext& ctx);
void CollectMacAddress(CollectContext& ctx);
void CollectPrinter(CollectContext& ctx);

}  // namespace zeltrand
