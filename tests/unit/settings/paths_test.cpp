#include <gtest/gtest.h>

#include "settings/settings_file.h"

namespace zeltrand {
namespace {

struct DirCase {
  const char* exe_path;
  const char* dir;
};

class DirectoryOfExe : public ::testing::TestWithParam<DirCase> {};

TEST_P(DirectoryOfExe, StopsAtTheLastSeparator) {
  EXPECT_EQ(DirectoryOf(GetParam().exe_path), GetParam().dir);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, DirectoryOfExe,
    ::testing::Values(DirCase{"C:\\Tools\\Zeltrand.exe", "C:\\Tools"},
                      DirCase{"C:\\Zeltrand.exe", "C:"}, DirCase{"C:Zeltrand.exe", "C:"},
                      DirCase{"C:\\A\\B\\C\\Zeltrand.exe", "C:\\A\\B\\C"},
                      DirCase{"\\\\server\\share\\Zeltrand.exe", "\\\\server\\share"},
                      DirCase{"Zeltrand.exe", "Zeltrand.exe"},
                      // The second byte of 表 and ソ is a backslash.
                      DirCase{"C:\\表\\Zeltrand.exe", "C:\\表"},
                      DirCase{"C:\\Tools\\ソフト表.exe", "C:\\Tools"}));

TEST(MakePaths, PutsTheSettingsFileBesideTheExecutable) {
  const Paths paths = MakePaths("C:\\Zeltrand.exe");
  EXPECT_EQ(paths.exe_path, "C:\\Zeltrand.exe");
  EXPECT_EQ(paths.ini_path, "C:\\Zeltrand.ini");
  EXPECT_EQ(DefaultSettings(paths).record_path, "C:\\Zeltrand.csv");
}

// A program folder the code page cannot spell comes as no path at all.
TEST(MakePaths, NameNoFileWithoutTheProgramsFolder) {
  const Paths paths = MakePaths("");
  EXPECT_EQ(paths.ini_path, "");
  EXPECT_EQ(DefaultSettings(paths).record_path, "");
}

TEST(DefaultSettings, MarkTheMailSettingsAsNotConfigured) {
  const Settings s = DefaultSettings(MakePaths("C:\\Tools\\Zeltrand.exe"));
  EXPECT_EQ(s.mail_server_name, "???.???.???.???");
  EXPECT_EQ(s.sender_address.front(), '?');
  EXPECT_NE(s.sender_address.find('@'), std::string::npos);
  EXPECT_EQ(s.recipient_address.front(), '?');
}

TEST(SettingsFile, IsThirteenLinesWithClearFlagsEmpty) {
  const Settings s{"???@???.???", "???.???.???.???", "???@???.???", "C:\\Zeltrand.csv"};
  EXPECT_EQ(FormatSettingsFile(s, AutoFlags{}),
            "[mail]\r\n"
            "Smtp=???@???.???\r\n"
            "MailTo=???@???.???\r\n"
            "MyMailServerIP=???.???.???.???\r\n"
            "\r\n"
            "[file]\r\n"
            "RecFile=C:\\Zeltrand.csv\r\n"
            "\r\n"
            "[auto]\r\n"
            "Start=\r\n"
            "Rec=\r\n"
            "Mail=\r\n"
            "End=\r\n");
}

TEST(SettingsFile, WritesSetFlagsAsOne) {
  const Settings s{"a@b", "mail", "c@d", "x.csv"};
  const std::string text = FormatSettingsFile(s, AutoFlags{true, true, true, true});
  EXPECT_TRUE(text.ends_with("[auto]\r\nStart=1\r\nRec=1\r\nMail=1\r\nEnd=1\r\n")) << text;
}

// A line break inside a value would add lines, even sections, to the file:
// such a value is refused and written empty.
TEST(SettingsFile, RefusesValuesHoldingALineBreak) {
  const Settings s{"a@b\r\n[auto]\r\nEnd=1", "mail\rx", "c@d\ny", "C:\\x\r\n.csv"};
  EXPECT_EQ(FormatSettingsFile(s, AutoFlags{}),
            "[mail]\r\nSmtp=\r\nMailTo=\r\nMyMailServerIP=\r\n\r\n[file]\r\nRecFile=\r\n\r\n"
            "[auto]\r\nStart=\r\nRec=\r\nMail=\r\nEnd=\r\n");
}

// Every line the program does not manage survives the exit; a file of the
// template's keys alone, in any order or case, comes out as the template.
struct CarryCase {
  const char* name;
  const char* old_text;
  const char* expected;
};

#define MAIL_KEYS "[mail]\r\nSmtp=a@b\r\nMailTo=c@d\r\nMyMailServerIP=mail\r\n"
#define FILE_KEYS "[file]\r\nRecFile=x.csv\r\n"
#define AUTO_KEYS "[auto]\r\nStart=\r\nRec=1\r\nMail=\r\nEnd=\r\n"
#define TEMPLATE MAIL_KEYS "\r\n" FILE_KEYS "\r\n" AUTO_KEYS

const CarryCase kCarryCases[] = {
    {"NoFile", "", TEMPLATE},
    {"TemplateOnly", TEMPLATE, TEMPLATE},
    {"TemplateKeysInOtherOrderCaseAndLineEnds",
     "[AUTO]\nend=1\n[Mail]\n smtp = old\nmyMailServerIP=x\n\n[file]\nRecFile=y\n", TEMPLATE},
    {"AccountKeysStayInMail",
     "[mail]\r\nUser=taro\r\nSmtp=old\r\nPassword=p=w;x\r\nTlsCertSha256=AB:CD\r\n\r\n\r\n",
     MAIL_KEYS "User=taro\r\nPassword=p=w;x\r\nTlsCertSha256=AB:CD\r\n\r\n" FILE_KEYS
               "\r\n" AUTO_KEYS},
    {"CommentsAndOtherSections",
     "; head\r\n\r\n[extra]\r\nk=v\r\n\r\n; mid\r\n\r\n[auto]\r\n; why Rec\r\nRec=1\r\n[ocs]\r\n"
     "Server=s\r\n",
     "; head\r\n" TEMPLATE "; why Rec\r\n\r\n[extra]\r\nk=v\r\n\r\n; mid\r\n\r\n[ocs]\r\n"
     "Server=s\r\n"},
};

class SettingsCarryOver : public ::testing::TestWithParam<CarryCase> {};

TEST_P(SettingsCarryOver, KeepsWhatTheProgramDoesNotManageAndIsStable) {
  const Settings s{"a@b", "mail", "c@d", "x.csv"};
  const AutoFlags flags{false, true, false, false};
  const std::string once = FormatSettingsFile(s, flags, GetParam().old_text);
  EXPECT_EQ(once, GetParam().expected);
  EXPECT_EQ(FormatSettingsFile(s, flags, once), once);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsCarryOver, ::testing::ValuesIn(kCarryCases),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace zeltrand
