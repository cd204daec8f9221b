// The default printer and its port.
#include "collect/collectors.h"

namespace zeltrand {

void CollectPrinter(CollectContext&) {}

}  // namespace zeltrand
