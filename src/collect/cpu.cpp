// The processor: vendor, kind, speed and serial number.
#include "collect/collectors.h"

namespace zeltrand {

void CollectCpu(CollectContext&) {}

}  // namespace zeltrand
