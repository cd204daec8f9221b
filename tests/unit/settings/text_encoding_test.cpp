// The settings file in each encoding editors save it in: which one is taken,
// and that an exit changing one value leaves every other byte as it was.
#include "settings/text_encoding.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "support/utf16.h"

namespace zeltrand {
namespace {

struct EncodingCase {
  const char* name;
  const char* iconv_code;  // nullptr: code page 932
  const char* mark;
  const char16_t* comment;
  const char16_t* last;
  TextEncoding expected;

  // A file as the program writes it, with what the administrator added: a
  // comment first and one last (one code page 932 cannot hold: €).
  std::string File(std::u16string_view record_path) const {
    const std::u16string text = u"; " + std::u16string(comment) +
                                u"\r\n[mail]\r\nSmtp=a@b\r\nMailTo=c@d\r\nMyMailServerIP=mail\r\n"
                                u"\r\n[file]\r\nRecFile=" +
                                std::u16string(record_path) +
                                u"\r\n\r\n[auto]\r\nStart=\r\nRec=1\r\nMail=\r\nEnd=\r\n; " + last +
                                u"\r\n";
    return mark + (iconv_code ? utf16::ConvertTo(iconv_code, text) : utf16::ToCp932(text));
  }
};

const EncodingCase kCases[] = {
    {"Utf8WithoutMark", "UTF-8", "", u"設定 ☃", u"€5", TextEncoding::kUtf8},
    {"Utf8WithMark", "UTF-8", "\xEF\xBB\xBF", u"設定 ☃", u"€5", TextEncoding::kUtf8WithMark},
    {"Utf16LittleEndian", "UTF-16LE", "\xFF\xFE", u"設定 ☃", u"€5", TextEncoding::kUtf16Le},
    {"Utf16BigEndian", "UTF-16BE", "\xFE\xFF", u"設定 ☃", u"€5", TextEncoding::kUtf16Be},
    {"Cp932", nullptr, "", u"設定 ｿﾌﾄ", u"5", TextEncoding::kCp932},
    {"Ascii", nullptr, "", u"plain", u"5", TextEncoding::kCp932},
    // The UTF-8 of 日 is also code page 932's 譌･: UTF-8 wins.
    {"ValidAsBoth", nullptr, "", u"譌･", u"5", TextEncoding::kUtf8},
};

class SettingsEncoding : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(SettingsEncoding, IsRecognisedAndKeptByAnExitThatChangesOneValue) {
  const EncodingCase& c = GetParam();
  const DecodedText read = DecodeText(c.File(u"C:\\a.csv"), utf16::Codec());
  EXPECT_EQ(read.encoding, c.expected);
  const Settings changed{"a@b", "mail", "c@d", "D:\\新\\b.csv"};
  const std::string text =
      FormatSettingsFile(changed, AutoFlags{false, true, false, false}, read.text);
  EncodingCase as_read = c;  // what the file holds, read as it was
  if (!c.iconv_code && c.expected != TextEncoding::kCp932) {
    as_read.iconv_code = "UTF-8";
    as_read.comment = u"日";
  }
  EXPECT_EQ(EncodeText(text, read, utf16::Codec()), as_read.File(u"D:\\新\\b.csv"));
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsEncoding, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace zeltrand
