#include "collect/item_table.h"

#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "support/fake_window.h"

namespace zeltrand::testing {
namespace {

struct PassHarness : FakeServices {
  Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  CollectedInfo info;
  FakeDialogWindow window;
  CollectContext ctx{info, services, paths};
};

TEST(CollectionPass, StartUpPassLeavesOutTheCpu) {
  PassHarness h;
  CollectAll(h.ctx, h.window, false);
  const auto writes = h.window.LogOf("SetItemText");
  ASSERT_EQ(writes.size(), 13u);
  for (const auto& w : writes) EXPECT_FALSE(w.starts_with("SetItemText 3 ")) << w;
}

TEST(CollectionPass, FullPassFillsTheFieldsInOrder) {
  PassHarness h;
  CollectAll(h.ctx, h.window, true);
  const auto writes = h.window.LogOf("SetItemText");
  ASSERT_EQ(writes.size(), 14u);
  for (int n = 0; n < 14; ++n)
    EXPECT_TRUE(writes[n].starts_with("SetItemText " + std::to_string(n) + " "));
}

// With no MAC address source answering, field 12 keeps the text it had: an
// overlong earlier text is what the pass has to cut.
TEST(CollectionPass, CutsAFieldTextTo159BytesOnACharacterBoundary) {
  PassHarness h;
  std::string long_text = "a";
  for (int i = 0; i < 100; ++i) long_text += "表";  // 1 + 200 bytes
  h.info.item_values[12] = long_text;
  CollectItem(12, h.ctx, h.window);
  EXPECT_EQ(h.info.item_values[12].size(), 159u);
  EXPECT_EQ(h.window.texts[12], h.info.item_values[12]);
  std::string even = "ab";
  for (int i = 0; i < 100; ++i) even += "表";
  h.info.item_values[12] = even;
  CollectItem(12, h.ctx, h.window);
  EXPECT_EQ(h.info.item_values[12].size(), 158u);  // 表 does not fit at byte 159
}

}  // namespace
}  // namespace zeltrand::testing
