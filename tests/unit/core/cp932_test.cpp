#include "core/cp932.h"

#include <gtest/gtest.h>

#include "core/visible_text.h"

namespace zeltrand::cp932 {
namespace {

struct CutCase {
  const char* text;
  std::size_t max;
  const char* expected;
};

class CutOnCharacterBoundary : public ::testing::TestWithParam<CutCase> {};

TEST_P(CutOnCharacterBoundary, NeverSplitsATwoByteCharacter) {
  EXPECT_EQ(Cut(GetParam().text, GetParam().max), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CutOnCharacterBoundary,
    ::testing::Values(CutCase{"abc", 5, "abc"}, CutCase{"abcdef", 3, "abc"},
                      CutCase{"日本", 3, "日"},  // 4 bytes: 93 FA 96 7B
                      CutCase{"日本", 4, "日本"},
                      CutCase{"aｱ日", 2, "aｱ"},  // half-width katakana is one byte
                      CutCase{"aｱ日", 3, "aｱ"}, CutCase{"", 0, ""}, CutCase{"日", 1, ""}));

TEST(Cut, KeepsALoneLeadByteAtTheEnd) {
  // A torn text whose last byte is a lead byte stays as it is when it fits.
  const std::string torn = std::string("a") + '\x93';
  EXPECT_EQ(Cut(torn, 2), torn);
}

TEST(VisibleText, ShowsEveryControlByteAsAnEscapeAndKeepsTheRest) {
  const std::string name("PC\x1B]0;x\x07\r\0\x7F表\n", 14);
  EXPECT_EQ(VisibleText(name), "PC\\x1B]0;x\\x07\\x0D\\x00\\x7F表\\x0A");
  EXPECT_EQ(VisibleText(name, /*keep_line_feeds=*/true), "PC\\x1B]0;x\\x07\\x0D\\x00\\x7F表\n");
  EXPECT_EQ(VisibleText<wchar_t>(std::wstring_view(L"a\x1B\x9B")), L"a\\x1B\x9B");
}

}  // namespace
}  // namespace zeltrand::cp932
