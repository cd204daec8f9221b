#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "support/dialog_harness.h"

namespace zeltrand::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

TEST(HelpCommand, WritesTheItemBlockBetweenTheHelpTextsAndOpensTheFile) {
  std::ifstream in(ZELTRAND_FIXTURES "/help/item_block.txt", std::ios::binary);
  const std::string block{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  DialogHarness h;  // labels 100-120 and captions 21-34 as the block names them
  std::size_t line = block.find('\n') + 1;
  for (int id = 0; id < 35; ++id, line = block.find('\n', line) + 1) {
    h.window.texts[id <= 20 ? 100 + id : id] =
        block.substr(line + 1, block.find(" --- ", line) - line - 1);
  }
  h.dialog.OnCommand(26);
  const std::string file = h.files.contents["Zeltrand.txt"];
  h.dialog.OnCommand(26);

  EXPECT_EQ(h.files.contents["Zeltrand.txt"], file);
  EXPECT_TRUE(file.starts_with("Zeltrand v0.90 2003.1.17\r\n\r\n\r\n【概要】\r\n")) << file;
  EXPECT_THAT(file, HasSubstr("ﾌﾙ表示します。\r\n\r\n" + block + "\r\n【その他】"));
  EXPECT_TRUE(file.ends_with("。\r\n\r\n")) << file;  // an empty last line
  EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), std::count(file.begin(), file.end(), '\n'));
  for (auto at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 1)) {
    ASSERT_EQ(file[at - 1], '\r') << at;
  }
  EXPECT_THAT(h.shell.opened, ElementsAre("Zeltrand.txt", "Zeltrand.txt"));
}

TEST(HelpCommand, TellsWhenTheFileCannotBeWrittenAndOpensNothing) {
  DialogHarness h;
  h.files.unwritable.insert("Zeltrand.txt");
  h.dialog.OnCommand(26);
  EXPECT_EQ(h.window.messages.size(), 1u);
  EXPECT_TRUE(h.shell.opened.empty());
}

TEST(DetailDisplay, ShowsTheDescriptionAnEmptyLineAndTheValueUnderTheItemName) {
  DialogHarness h;
  h.dialog.OnInit();
  h.window.texts[103] = "CPU種類､ｽﾋﾟｰﾄﾞ､psn";
  h.dialog.OnCommand(3);  // before the first tick has measured the CPU
  h.dialog.OnTimer(1);
  h.window.texts[100] = "情報取得時刻";
  h.dialog.OnCommand(0);

  ASSERT_EQ(h.window.messages.size(), 2u);
  EXPECT_EQ(h.window.messages[0].caption, "CPU種類､ｽﾋﾟｰﾄﾞ､psn");
  EXPECT_TRUE(h.window.messages[0].text.ends_with("､CPUｼﾘｱﾙNo.\n\n計測中..."));
  EXPECT_EQ(h.window.messages[1].caption, "情報取得時刻");
  EXPECT_EQ(h.window.messages[1].text,
            "情報取得時刻(自機時刻)\n\n" + h.state.collected.item_values[0]);
  EXPECT_EQ(h.window.messages[1].style, kMbOk);
}

// The exit's shortcut step for each state of the check box and of the two
// folder lookups.
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

const char* const kMake = "link C:\\Startup\\Zeltrand.lnk -> C:\\Tools\\Zeltrand.exe (Zeltrand)";
const char* const kRemove = "remove C:\\Startup\\Zeltrand.lnk";
const char* const kRemoveOld = "remove C:\\Programs\\ｽﾀｰﾄｱｯﾌﾟZeltrand.lnk";

INSTANTIATE_TEST_SUITE_P(Folders, StartupShortcut,
                         ::testing::Values(ShortcutCase{true, true, true, {kMake}},
                                           ShortcutCase{true, false, true, {}},
                                           ShortcutCase{false, true, true, {kRemove, kRemoveOld}},
                                           ShortcutCase{false, false, true, {kRemoveOld}},
                                           ShortcutCase{false, true, false, {kRemove}}));

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

}  // namespace
}  // namespace zeltrand::testing
