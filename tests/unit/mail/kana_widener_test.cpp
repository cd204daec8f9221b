#include "mail/kana_widener.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <tuple>
#include <vector>

namespace zeltrand::testing {
namespace {

// ESC $ B and ESC ( J, spelt out to keep the rows readable.
#define JIS "\x1B$B"
#define ROMAN "\x1B(J"

struct Case {
  const char* name;
  std::string input;
  std::string expected;
};

const Case kCases[] = {
    {"ascii_unchanged", "Zeltrand v0.90 2[\"a\",]\n", "Zeltrand v0.90 2[\"a\",]\n"},
    {"half_width_word", "\xD2\xB0\xD9", JIS "\x25\x61\x21\x3C\x25\x6B" ROMAN},
    {"voiced_ka", "\xB6\xDE", JIS "\x25\x2C" ROMAN},
    {"semi_voiced_ha", "\xCA\xDF", JIS "\x25\x51" ROMAN},
    {"voiced_ha", "\xCA\xDE", JIS "\x25\x50" ROMAN},
    {"a_has_no_voiced_form", "\xB1\xDE", JIS "\x25\x22\x21\x2B" ROMAN},
    {"lone_sound_mark", "\xDE", JIS "\x21\x2B" ROMAN},
    {"space_0xA0_and_last_entries", "\xA0\xDF\xCE\xDE", JIS "\x21\x21\x21\x2C\x25\x5C" ROMAN},
    {"kanji_between_ascii",
     "A\x8A\xBF"
     "B",
     "A" JIS "\x34\x41" ROMAN "B"},
    {"full_and_half_share_one_escape", "\x83\x41\xB1\n", JIS "\x25\x22\x25\x22" ROMAN "\n"},
    {"dropped_bytes_leave_no_gap",
     "a\x80"
     "b\xFD"
     "c\x7F"
     "d",
     "abcd"},
    {"byte_after_dropped_lead_stands_alone", "\xF0\x41", "A"},
    {"trailing_lead_byte_dropped", "ab\x88", "ab"},
    {"lead_byte_before_a_control", "\x88\n\x88\x9F", "\n" JIS "\x30\x21" ROMAN},
    {"shift_controls_left_out",
     "a\x1B$B\x0E\x0F"
     "b",
     "a$Bb"},
    {"stops_at_zero", std::string("\xB1\0\xB2", 3), JIS "\x25\x22" ROMAN},
};

class KanaWidenerCase : public ::testing::TestWithParam<Case> {};

TEST_P(KanaWidenerCase, GivesTheseBytes) {
  EXPECT_EQ(KanaWidener(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Edges, KanaWidenerCase, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(KanaWidener, GrowsPastAnyFixedBuffer) {
  std::string text;
  for (int i = 0; i < 3000; ++i)
    text +=
        "\xB6\xDE"
        "a";
  const std::string out = KanaWidener(text);
  EXPECT_EQ(out.size(), 3000u * 9);
  EXPECT_EQ(out.substr(out.size() - 4), ROMAN "a");
}

// All 89 entries: A0 to DF, then the voiced and semi-voiced pairs, become the
// characters of this text in order (its codes are checked against glibc below).
TEST(KanaWidener, WidensEveryEntryOfTheKanaTable) {
  const std::string_view table =
      "　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜ガギグゲゴザジズゼゾダヂヅデドパピプペポバビブベ"
      "ボ";
  ASSERT_EQ(table.size(), 89u * 2);
  std::vector<std::string> inputs;
  for (int b = 0xA0; b <= 0xDF; ++b) inputs.push_back({static_cast<char>(b)});
  for (const auto& [first, last, mark] :
       {std::tuple{0xB6, 0xC4, '\xDE'}, {0xCA, 0xCE, '\xDF'}, {0xCA, 0xCE, '\xDE'}}) {
    for (int b = first; b <= last; ++b) inputs.push_back({static_cast<char>(b), mark});
  }
  ASSERT_EQ(inputs.size(), 89u);
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    EXPECT_EQ(KanaWidener(inputs[i]), KanaWidener(table.substr(2 * i, 2))) << "entry " << i;
  }
}

// glibc's converter as the reference, over the two-byte codes of the rows
// JIS X 0208 has (first bytes 81-84, 88-9F, E0-EA). It refuses the code
// page's own additions and the six characters it maps to other Unicode
// characters than JIS X 0208 does (～ ∥ － ￠ ￡ ￢); those still come out
// as one 7-bit pair.
TEST(KanaWidener, AgreesWithIconvOnEveryJisX0208Code) {
  iconv_t cd = iconv_open("ISO-2022-JP", "CP932");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  int agreed = 0, refused = 0;
  for (int lead = 0x81; lead <= 0xEA; ++lead) {
    if ((lead >= 0x85 && lead <= 0x87) || (lead >= 0xA0 && lead <= 0xDF)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      char out[16];
      char* in_p = in;
      char* out_p = out;
      std::size_t in_left = 2, out_left = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      const bool ok = iconv(cd, &in_p, &in_left, &out_p, &out_left) != static_cast<std::size_t>(-1);
      const std::string ours = KanaWidener(std::string_view(in, 2));
      SCOPED_TRACE(::testing::Message() << std::hex << lead << " " << trail);
      ASSERT_EQ(ours.size(), 8u);
      ASSERT_EQ(ours.substr(0, 3) + ours.substr(5), JIS ROMAN);
      if (ok) {
        ASSERT_EQ(std::string(out, out_p), JIS + ours.substr(3, 2));
        ++agreed;
      } else {
        ASSERT_TRUE(ours[3] >= 0x21 && ours[3] <= 0x7E && ours[4] >= 0x21 && ours[4] <= 0x7E);
        ++refused;
      }
    }
  }
  iconv_close(cd);
  EXPECT_EQ(agreed, 6879 - 6);
  EXPECT_EQ(agreed + refused, 39 * 188);
}

}  // namespace
}  // namespace zeltrand::testing
