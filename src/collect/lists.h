// The users who have a profile on the PC and the installed programs: filled
// once at start into list boxes 14 and 15 and kept for the record line.
#pragma once

#include "collect/item_table.h"

namespace zeltrand {

void ListLoginUsers(CollectContext& ctx, DialogWindow& window);
void ListInstalledSoftware(CollectContext& ctx, DialogWindow& window);

}  // namespace zeltrand
