// A MAC address of the PC.
#include "collect/collectors.h"

namespace zeltrand {

void CollectMacAddress(CollectContext&) {}

}  // namespace zeltrand
