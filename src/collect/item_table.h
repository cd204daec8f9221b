// The fourteen collectors, one per field, and the passes that run them.
#pragma once

#include <array>

#include "core/item_values.h"
#include "platform/system.h"
#include "platform/window.h"
#include "settings/settings_file.h"

namespace zeltrand {

// What a collector may use: its own buffer (and those of the collectors
// before it in the pass), the system, and the settings file's path.
struct CollectContext {
  CollectedInfo& info;
  Services& services;
  const Paths& paths;
};

// A collector writes the text of its own item into info.item_values.
using Collector = void (*)(CollectContext&);

extern const std::array<Collector, kInfoItemCount> kItemTable;

// Shows the current texts without collecting anything.
void ShowItemValues(const CollectedInfo& info, DialogWindow& window);
// Runs collector n and shows its text in field n.
void CollectItem(int n, CollectContext& ctx, DialogWindow& window);
// Runs every collector in order; the start-up pass leaves out the CPU,
// which is measured on the first timer tick instead.
void CollectAll(CollectContext& ctx, DialogWindow& window, bool include_cpu);

}  // namespace zeltrand
