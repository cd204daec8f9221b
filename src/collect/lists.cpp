#include "collect/lists.h"

namespace zeltrand {

void ListLoginUsers(CollectContext&, DialogWindow&) {}
void ListInstalledSoftware(CollectContext&, DialogWindow&) {}

}  // namespace zeltrand
