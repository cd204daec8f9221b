#include "app/item_help.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "app/startup_shortcut.h"
#include "support/dialog_harness.h"

namespace zeltrand::testing {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

// "【項目説明】" and the 35 item lines as the help file holds them.
std::string ItemBlockFixture() {
  std::ifstream in(ZELTRAND_FIXTURES "/help/item_block.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Gives the dialog the labels and captions the fixture names, line by line.
void NameItemsAsInFixture(FakeDialogWindow& window, const std::string& block) {
  std::size_t line = block.find("\r\n") + 2;
  for (int id = 0; id < 35; ++id) {
    const std::size_t end = block.find(" --- ", line);
    window.texts[id <= 20 ? 100 + id : id] = block.substr(line + 1, end - line - 1);
    line = block.find("\r\n", end) + 2;
  }
}

TEST(HelpCommand, WritesTheHelpFileWithItsItemBlockAndOpensIt) {
  DialogHarness h;
  const std::string block = ItemBlockFixture();
  ASSERT_EQ(std::count(block.begin(), block.end(), '\n'), 36);
  NameItemsAsInFixture(h.window, block);

  h.dialog.OnCommand(26);
  const std::string file = h.files.contents["Zeltrand.txt"];
  h.dialog.OnCommand(26);  // the second press writes the same file again

  EXPECT_EQ(h.files.contents["Zeltrand.txt"], file);
  EXPECT_TRUE(file.starts_with("Zeltrand v0.90 2003.1.17\r\n\r\n\r\n【概要】\r\n")) << file;
  EXPECT_THAT(file,
              HasSubstr("の項目名、説明、値をﾌﾙ表示します。\r\n\r\n" + block + "\r\n【その他】"));
  EXPECT_TRUE(file.ends_with("。\r\n\r\n")) << file;  // an empty last line
  int bare = 0;                                       // CR or LF outside a CR LF
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\r' && file.compare(i, 2, "\r\n") != 0) ++bare;
    if (file[i] == '\n' && (i == 0 || file[i - 1] != '\r')) ++bare;
  }
  EXPECT_EQ(bare, 0);
  EXPECT_THAT(h.shell.opened, ElementsAreArray({"Zeltrand.txt", "Zeltrand.txt"}));
}

TEST(HelpCommand, TellsWhenTheFileCannotBeWrittenAndOpensNothing) {
  DialogHarness h;
  h.files.unwritable.insert("Zeltrand.txt");
  h.dialog.OnCommand(26);
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].caption, "Zeltrand v0.90 2003.1.17");
  EXPECT_TRUE(h.shell.opened.empty());
}

struct DetailCase {
  int field;
  bool after_first_tick;
  std::string text;
};

class DetailDisplay : public ::testing::TestWithParam<DetailCase> {};

TEST_P(DetailDisplay, ShowsTheDescriptionAnEmptyLineAndTheValue) {
  const DetailCase c = GetParam();
  DialogHarness h;
  h.dialog.OnInit();
  if (c.after_first_tick) h.dialog.OnTimer(1);
  h.window.texts[100 + c.field] = "label " + std::to_string(c.field);

  h.dialog.OnCommand(c.field);

  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].caption, "label " + std::to_string(c.field));
  const std::string value = c.after_first_tick ? h.state.collected.item_values[c.field] : "";
  EXPECT_EQ(h.window.messages[0].text, c.text + value);
  EXPECT_EQ(h.window.messages[0].style, kMbOk);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, DetailDisplay,
    ::testing::Values(DetailCase{0, true, "情報取得時刻(自機時刻)\n\n"},
                      DetailCase{3, false,
                                 "ﾍﾞﾝﾀﾞ名､種類､ｽﾋﾟｰﾄﾞ概略値(r=ﾚｼﾞｽﾄﾘ中のCPUｽﾋﾟｰﾄﾞ情報､"
                                 "c=CPUｶｳﾝﾀで計測)､CPUｼﾘｱﾙNo.\n\n計測中..."},
                      DetailCase{13, true, "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ名、ﾎﾟｰﾄｱﾄﾞﾚｽ\n\n"}));

TEST(Tooltips, OneForTheDialogThenOneForEachControlInIdOrder) {
  DialogHarness h;
  h.dialog.OnInit();
  ASSERT_EQ(h.window.tooltips.size(), 36u);
  EXPECT_EQ(h.window.tooltips[0].first, kWholeDialog);
  EXPECT_EQ(h.window.tooltips[0].second, "各項目表示欄上で左ｸﾘｯｸすると\nその項目をﾌﾙ表示");
  for (int id = 0; id < 35; ++id) EXPECT_EQ(h.window.tooltips[id + 1].first, id);
  EXPECT_EQ(h.window.tooltips[35].second, "ｲﾝｽﾄｰﾙｿﾌﾄの製品番号等を\nﾚｼﾞｽﾄﾘより検索表示");
}

// The exit's shortcut step over every state of the check box and of the
// two folder lookups.
struct ShortcutCase {
  bool auto_start, startup_named, programs_named;
  std::vector<std::string> calls;
};

class StartupShortcut : public ::testing::TestWithParam<ShortcutCase> {};

TEST_P(StartupShortcut, IsMadeOrRemovedOnlyInFoldersTheShellNamed) {
  const ShortcutCase c = GetParam();
  DialogHarness h;
  if (c.startup_named) h.shell.folders[ShellFolder::kStartup] = "C:\\Startup";
  if (c.programs_named) h.shell.folders[ShellFolder::kPrograms] = "C:\\Programs";
  h.dialog.OnInit();
  h.window.checks[28] = c.auto_start;
  h.dialog.OnCommand(27);
  EXPECT_THAT(h.shell.calls, ElementsAreArray(c.calls));
}

const std::string kLink = "link C:\\Startup\\Zeltrand.lnk -> C:\\Tools\\Zeltrand.exe (Zeltrand)";
const std::string kRemoveStartup = "remove C:\\Startup\\Zeltrand.lnk";
const std::string kRemovePrograms = "remove C:\\Programs\\ｽﾀｰﾄｱｯﾌﾟZeltrand.lnk";

INSTANTIATE_TEST_SUITE_P(
    Folders, StartupShortcut,
    ::testing::Values(ShortcutCase{true, true, true, {kLink}}, ShortcutCase{true, false, true, {}},
                      ShortcutCase{false, true, true, {kRemoveStartup, kRemovePrograms}},
                      ShortcutCase{false, false, true, {kRemovePrograms}},
                      ShortcutCase{false, true, false, {kRemoveStartup}},
                      ShortcutCase{false, false, false, {}}));

TEST(StartupShortcut, IsLeftAloneWhenTheSettingsWereNotSaved) {
  DialogHarness h;
  h.shell.folders[ShellFolder::kStartup] = "C:\\Startup";
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.window.message_answers = {kIdYes};
  h.dialog.OnInit();
  h.dialog.OnCommand(27);
  EXPECT_EQ(h.window.end_result, 1);
  EXPECT_TRUE(h.shell.calls.empty());
}

TEST(VersionCheck, OpensTheDownloadPage) {
  DialogHarness h;
  h.dialog.OnCommand(32);
  ASSERT_EQ(h.shell.opened.size(), 1u);
  EXPECT_TRUE(h.shell.opened[0].starts_with("https://")) << h.shell.opened[0];
}

}  // namespace
}  // namespace zeltrand::testing
