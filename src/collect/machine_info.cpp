// Memory, system drive, resources, WinSock and the names and address of
// the PC.
#include "collect/collectors.h"

namespace zeltrand {

void CollectMemory(CollectContext&) {}
void CollectSystemDrive(CollectContext&) {}
void CollectResources(CollectContext&) {}
void CollectWinsockVersion(CollectContext&) {}
void CollectUserName(CollectContext&) {}
void CollectComputerName(CollectContext&) {}
void CollectHostName(CollectContext&) {}
void CollectIpAddress(CollectContext&) {}

}  // namespace zeltrand
