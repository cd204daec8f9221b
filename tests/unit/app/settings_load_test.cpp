// The settings file as the dialog loads it at start and writes it at exit.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/dialog_harness.h"

namespace zeltrand::testing {
namespace {

constexpr const char* kIni = "C:\\Tools\\Zeltrand.ini";

TEST(SettingsLoad, FillsTheEditsAndCheckBoxesFromTheFile) {
  DialogHarness h;
  h.files.contents[kIni] =
      "[mail]\r\nSmtp=s@x\r\nMailTo=admin@example.jp\r\nMyMailServerIP=mail\r\n\r\n"
      "[file]\r\nRecFile=\\\\srv\\share\\pc.csv\r\n\r\n[auto]\r\nStart=\r\nRec=1\r\nMail=\r\nEnd="
      "yes\r\n";
  h.dialog.OnInit();
  EXPECT_EQ(h.window.texts[19], "admin@example.jp");
  EXPECT_EQ(h.window.texts[20], "\\\\srv\\share\\pc.csv");
  EXPECT_FALSE(h.window.checks[28]);
  EXPECT_TRUE(h.window.checks[29]);
  EXPECT_FALSE(h.window.checks[30]);
  EXPECT_TRUE(h.window.checks[31]);
  EXPECT_FALSE(h.state.auto_flags.start);
  EXPECT_TRUE(h.state.auto_flags.record);
  EXPECT_TRUE(h.state.auto_flags.exit);
}

TEST(SettingsLoad, EmptyValuesShowTheBuiltInDefaults) {
  DialogHarness h;
  h.files.contents[kIni] = "[mail]\r\nMailTo=\r\n[file]\r\nRecFile=\r\n";
  h.dialog.OnInit();
  EXPECT_EQ(h.window.texts[19], "???@???.???");
  EXPECT_EQ(h.window.texts[20], "C:\\Tools\\Zeltrand.csv");
}

TEST(SettingsLoad, StartZeroCountsAsSetAndIsWrittenBackAsOne) {
  DialogHarness h;
  h.files.contents[kIni] = "[auto]\r\nStart=0\r\n";
  h.dialog.OnInit();
  EXPECT_TRUE(h.window.checks[28]);
  h.dialog.OnCommand(27);
  EXPECT_NE(h.files.contents[kIni].find("\r\nStart=1\r\n"), std::string::npos);
}

TEST(SettingsLoad, AFileWithOtherContentGetsTheThirteenLinesAndKeepsTheRest) {
  DialogHarness h;
  h.files.contents[kIni] =
      "; old settings\r\n[other]\r\nx=1\r\n[AUTO]\r\nend=\r\nrec=on\r\n[Mail]\r\nmailto=b@c\r\n";
  h.window.texts[17] = "???@???.???";
  h.window.texts[18] = "???.???.???.???";
  h.dialog.OnInit();
  h.dialog.OnCommand(27);
  EXPECT_EQ(h.files.contents[kIni],
            "; old "
            "settings\r\n[mail]\r\nSmtp=???@???.???\r\nMailTo=b@c\r\nMyMailServerIP=???.???.???.???"
            "\r\n\r\n"
            "[file]\r\nRecFile=C:\\Tools\\Zeltrand.csv\r\n\r\n"
            "[auto]\r\nStart=\r\nRec=1\r\nMail=\r\nEnd=\r\n\r\n[other]\r\nx=1\r\n");
}

TEST(SettingsLoad, APathTooLongForTheFileIsNotStoredCut) {
  DialogHarness h;
  h.dialog.OnInit();
  h.window.texts[20] = "C:\\" + std::string(300, 'd') + "\\Zeltrand.csv";
  h.dialog.OnCommand(27);
  EXPECT_NE(h.files.contents[kIni].find("\r\nRecFile=\r\n"), std::string::npos);
}

// A tab or line break would split the kept records' and inventories' lines.
TEST(SettingsLoad, RefusesARecordFileOrServerHoldingATab) {
  DialogHarness h;
  h.files.contents[kIni] = "[file]\r\nRecFile=C:\\a\tb.csv\r\n[server]\r\nUrl=http://x/\ty\r\n";
  h.dialog.OnInit();
  EXPECT_EQ(h.window.texts[20], "C:\\Tools\\Zeltrand.csv");
  EXPECT_EQ(h.state.settings.server_url, "");
  ASSERT_EQ(h.window.messages.size(), 2u);
  EXPECT_EQ(h.window.messages[1].text,
            "Zeltrand.iniの[server] Urlにﾀﾌﾞか改行があります! この設定は使いません。");
}

// A value code page 932 cannot hold shows with '?', is reported by its line
// number, and stays in the file as it was.
TEST(SettingsLoad, ReportsAndKeepsALineCodePage932CannotHold) {
  DialogHarness h;
  const std::string euro_path = "[file]\r\nRecFile=C:\\\xE2\x82\xAC\\a.csv\r\n";
  h.files.contents[kIni] = euro_path;
  h.dialog.OnInit();
  EXPECT_EQ(h.window.texts[20], "C:\\?\\a.csv");
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_TRUE(
      h.window.messages[0].text.starts_with("Zeltrand.iniの2行目にはｺｰﾄﾞﾍﾟｰｼﾞ932にない文字"));
  h.dialog.OnCommand(27);
  EXPECT_NE(h.files.contents[kIni].find(euro_path.substr(8)), std::string::npos);
}

}  // namespace
}  // namespace zeltrand::testing
