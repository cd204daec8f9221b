// The whole program's reading of the registry on any registry: the .reg
// text is the input, the start-up collection, the lists, the mail account
// and both reports run over it. Nothing may fault, and every field stays
// within its limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/control_ids.h"
#include "support/dialog_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zeltrand::testing::DialogHarness h;
  if (!h.registry.LoadRegText(std::string_view(reinterpret_cast<const char*>(data), size))) {
    return 0;
  }
  h.dialog.OnInit();
  h.dialog.OnTimer(zeltrand::ctl::kStartupTimer);
  h.dialog.OnCommand(zeltrand::ctl::kHardwareReportButton);
  h.dialog.OnCommand(zeltrand::ctl::kProductReportButton);
  for (const std::string& value : h.state.collected.item_values) {
    if (value.size() > zeltrand::kFieldTextLimit) std::abort();
  }
  return 0;
}
