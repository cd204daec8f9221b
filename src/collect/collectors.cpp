// Collectors whose probes are not written yet keep the text their field
// already has, as every collector does when its information is missing.
#include "collect/collectors.h"

namespace zeltrand {

void CollectClock(CollectContext&) {}
void CollectUptime(CollectContext&) {}
void CollectWindowsVersion(CollectContext&) {}
void CollectCpu(CollectContext&) {}
void CollectMemory(CollectContext&) {}
void CollectSystemDrive(CollectContext&) {}
void CollectResources(CollectContext&) {}
void CollectWinsockVersion(CollectContext&) {}
void CollectUserName(CollectContext&) {}
void CollectComputerName(CollectContext&) {}
void CollectHostName(CollectContext&) {}
void CollectIpAddress(CollectContext&) {}
void CollectMacAddress(CollectContext&) {}
void CollectPrinter(CollectContext&) {}

}  // namespace zeltrand
