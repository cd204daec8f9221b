#include "core/visible_text.h"

#include <gtest/gtest.h>

namespace zeltrand {
namespace {

TEST(VisibleText, ShowsEveryControlByteAsAnEscapeAndKeepsTheRest) {
  const std::string name("PC\x1B]0;x\x07\r\0\x7F表\n", 14);
  EXPECT_EQ(VisibleText(name), "PC\\x1B]0;x\\x07\\x0D\\x00\\x7F表\\x0A");
  EXPECT_EQ(VisibleText(name, /*keep_line_feeds=*/true), "PC\\x1B]0;x\\x07\\x0D\\x00\\x7F表\n");
  EXPECT_EQ(VisibleText<wchar_t>(std::wstring_view(L"a\x1B\x9B")), L"a\\x1B\x9B");
}

}  // namespace
}  // namespace zeltrand
