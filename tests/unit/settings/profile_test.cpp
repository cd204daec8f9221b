#include "settings/profile.h"

#include <gtest/gtest.h>

#include "support/utf16.h"

namespace zeltrand {
namespace {

struct ProfileCase {
  const char* name;
  std::string text;
  const char* section;
  const char* key;
  std::string expected;
};

class ProfileRead : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileRead, GivesWhatTheWindowsReaderGives) {
  const ProfileCase& c = GetParam();
  EXPECT_EQ(Profile(DecodeProfileText(c.text, utf16::Codec())).Get(c.section, c.key), c.expected);
}

// A file as Notepad saves it in UTF-16, with its byte-order mark.
std::string Utf16File(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t c : text) {
    const char low = static_cast<char>(c & 0xFF), high = static_cast<char>(c >> 8);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

const std::string kLong300(300, 'x');

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRead,
    ::testing::Values(
        ProfileCase{"plain", "[mail]\r\nMailTo=a@b\r\n", "mail", "MailTo", "a@b"},
        ProfileCase{"lf_only", "[mail]\nMailTo=a@b\n", "mail", "MailTo", "a@b"},
        ProfileCase{"no_final_line_end", "[mail]\r\nMailTo=a@b", "mail", "MailTo", "a@b"},
        ProfileCase{"names_ignore_case", "[MAIL]\r\nmailto=a@b\r\n", "mail", "MailTo", "a@b"},
        ProfileCase{"blanks_trimmed", "  [mail]  \r\n \t MailTo \t=  a b \t\r\n", "mail", "MailTo",
                    "a b"},
        ProfileCase{"section_name_trimmed", "[ mail\t]\r\nMailTo=a\r\n", "mail", "MailTo", "a"},
        ProfileCase{"lone_cr_ends_a_line", "[mail]\r\nSmtp=a\rMailTo=b\n", "mail", "Smtp", "a"},
        ProfileCase{"double_quotes_removed", "[mail]\r\nMailTo=\" a \"\r\n", "mail", "MailTo",
                    " a "},
        ProfileCase{"single_quotes_removed", "[mail]\r\nMailTo='a'\r\n", "mail", "MailTo", "a"},
        ProfileCase{"one_pair_only", "[mail]\r\nMailTo=\"\"a\"\"\r\n", "mail", "MailTo", "\"a\""},
        ProfileCase{"unmatched_quote_kept", "[mail]\r\nMailTo=\"a\r\n", "mail", "MailTo", "\"a"},
        ProfileCase{"lone_quote_kept", "[mail]\r\nMailTo=\"\r\n", "mail", "MailTo", "\""},
        ProfileCase{"comment_ignored", "[mail]\r\n;MailTo=x\r\nMailTo=y\r\n", "mail", "MailTo",
                    "y"},
        ProfileCase{"line_without_equals", "[mail]\r\nMailTo\r\nMailTo=y\r\n", "mail", "MailTo",
                    ""},
        ProfileCase{"first_key_wins", "[mail]\r\nMailTo=1\r\nMailTo=2\r\n", "mail", "MailTo", "1"},
        ProfileCase{"first_section_wins", "[mail]\r\nSmtp=1\r\n[mail]\r\nMailTo=2\r\n", "mail",
                    "MailTo", ""},
        ProfileCase{"key_of_other_section", "[file]\r\nMailTo=1\r\n", "mail", "MailTo", ""},
        ProfileCase{"keys_before_any_section", "MailTo=1\r\n[mail]\r\n", "mail", "MailTo", ""},
        ProfileCase{"empty_value", "[auto]\r\nStart=\r\n", "auto", "Start", ""},
        ProfileCase{"zero_is_a_value", "[auto]\r\nStart=0\r\n", "auto", "Start", "0"},
        ProfileCase{"value_with_equals", "[mail]\r\nMailTo=a=b\r\n", "mail", "MailTo", "a=b"},
        ProfileCase{"text_after_bracket", "[mail] ; note\r\nMailTo=a\r\n", "mail", "MailTo", "a"},
        ProfileCase{"utf8_bom", "\xEF\xBB\xBF[mail]\r\nMailTo=a\r\n", "mail", "MailTo", "a"},
        ProfileCase{"utf8_bom_japanese",
                    "\xEF\xBB\xBF[mail]\r\nSmtp=\xE5\xB1\xB1\xE7\x94\xB0\xEF\xBD\xB1\r\n", "mail",
                    "Smtp", "山田ｱ"},
        ProfileCase{"utf16_little_endian", Utf16File(u"[auto]\r\nEnd=1\r\n表=ｿﾌﾄ表示\r\n", false),
                    "auto", "表", "ｿﾌﾄ表示"},
        ProfileCase{"utf16_big_endian", Utf16File(u"[auto]\r\nEnd=1\r\n", true), "auto", "End",
                    "1"},
        ProfileCase{"shift_jis", "[ファイル]\r\n表=ソフト表\r\n", "ファイル", "表", "ソフト表"},
        ProfileCase{"long_value_cut", "[m]\r\nk=" + kLong300 + "\r\n", "m", "k",
                    std::string(255, 'x')},
        // 1 + 100 + 2 * 100 bytes: the 78th 表 would end at byte 257.
        ProfileCase{"long_value_cut_on_character",
                    "[m]\r\nk=x" + std::string(100, 'a') + Repeat("表", 100) + "\r\n", "m", "k",
                    "x" + std::string(100, 'a') + Repeat("表", 77)},
        ProfileCase{"missing_everything", "", "mail", "MailTo", ""}),
    [](const ::testing::TestParamInfo<ProfileCase>& p) { return p.param.name; });

}  // namespace
}  // namespace zeltrand
