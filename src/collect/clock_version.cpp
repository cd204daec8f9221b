// Clock, time since start and the Windows version.
#include "collect/collectors.h"

namespace zeltrand {

void CollectClock(CollectContext&) {}
void CollectUptime(CollectContext&) {}
void CollectWindowsVersion(CollectContext&) {}

}  // namespace zeltrand
