#include "app/main_dialog.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/dialog_harness.h"

namespace zeltrand::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<std::string> FieldWrites(const FakeDialogWindow& window) {
  std::vector<std::string> out;
  for (const auto& entry : window.LogOf("SetItemText ")) out.push_back(entry);
  return out;
}

TEST(MainDialogInit, RunsTheStepsInOrder) {
  DialogHarness h;
  h.dialog.OnInit();

  std::vector<std::string> expected = {"SetIcon",
                                       "CreateListBrush",
                                       "IsShiftDown",
                                       "SetTitle Zeltrand v0.90 2003.1.17",
                                       "InitCommonControls",
                                       "SetListHorizontalExtent 15 500"};
  const auto initial = InitialItemValues();
  for (int n = 0; n < 14; ++n) {
    expected.push_back("SetItemText " + std::to_string(n) + " " + initial[n]);
  }
  for (int n = 0; n < 14; ++n) {
    if (n != 3) {
      expected.push_back("SetItemText " + std::to_string(n) + " " +
                         h.state.collected.item_values[n]);
    }
  }
  for (const char* step :
       {"SetItemText 18 ???.???.???.???", "SetItemText 17 ???@???.???",
        "SetItemText 19 ???@???.???", "SetItemText 20 C:\\Tools\\Zeltrand.csv", "SetCheck 28 0",
        "SetCheck 29 0", "SetCheck 30 0", "SetCheck 31 0", "Focus 20", "StartTimer 1 1"}) {
    expected.push_back(step);
  }
  EXPECT_THAT(h.window.log, ElementsAreArray(expected));
}

TEST(MainDialogInit, SetsUpThePathsBesideTheExecutable) {
  DialogHarness h;
  h.files.exe_path = "C:\\Tools\\Zeltrand.exe";
  h.dialog.OnInit();
  EXPECT_EQ(h.state.paths.exe_dir, "C:\\Tools");
  EXPECT_EQ(h.state.paths.ini_path, "C:\\Tools\\Zeltrand.ini");
  EXPECT_EQ(h.state.settings.record_path, "C:\\Tools\\Zeltrand.csv");
}

TEST(MainDialogInit, ShowsTheInitialTextsUntilTheFirstTick) {
  DialogHarness h;
  h.dialog.OnInit();
  EXPECT_EQ(h.window.texts[3], "計測中...");
  EXPECT_EQ(h.window.texts[6], "--%、--%");
  EXPECT_EQ(h.window.texts[12], "x--:--:--:--:--:--");
}

constexpr const char* kIni = "C:\\Tools\\Zeltrand.ini";

TEST(MainDialogInit, AnUnattendedExitStartsMinimisedWithTheProgressWindow) {
  DialogHarness h;
  h.files.contents[kIni] = "[auto]\r\nEnd=1\r\n";
  h.dialog.OnInit();
  EXPECT_TRUE(h.window.minimized);
  EXPECT_TRUE(h.window.progress_open);
  EXPECT_EQ(h.window.progress_text, "\nPC構成情報収集中...");
  EXPECT_THAT(h.window.LogOf("OpenProgressWindow"), ElementsAre("OpenProgressWindow Zeltrand"));
}

TEST(MainDialogInit, ShiftHeldAtStartShowsTheDialogNormally) {
  DialogHarness h;
  h.files.contents[kIni] = "[auto]\r\nEnd=1\r\n";
  h.window.shift_down = true;
  h.dialog.OnInit();
  EXPECT_TRUE(h.state.shift_held);
  EXPECT_FALSE(h.window.minimized);
  EXPECT_FALSE(h.window.progress_open);
}

// The unattended sequence of the first tick over every combination of the
// three flags, Shift and a record still waiting for a busy file.
struct TickCase {
  bool record, mail, exit, shift, record_left_busy;
};

class FirstTick : public ::testing::TestWithParam<TickCase> {};

TEST_P(FirstTick, PressesTheConfiguredButtonsInOrder) {
  const TickCase c = GetParam();
  DialogHarness h;
  h.window.shift_down = c.shift;
  h.dialog.OnInit();
  h.state.auto_flags = AutoFlags{false, c.record, c.mail, c.exit};
  h.window.log.clear();
  std::vector<int> pressed;
  h.window.on_press = [&](int id) {
    pressed.push_back(id);
    if (id == 24 && c.record_left_busy) h.state.record_retry_count = 1;
  };

  h.dialog.OnTimer(1);

  std::vector<int> expected;
  if (c.record) expected.push_back(24);
  if (c.mail) expected.push_back(21);
  if (c.exit && !c.shift && !(c.record && c.record_left_busy)) expected.push_back(27);
  EXPECT_EQ(pressed, expected);
  EXPECT_EQ(h.window.log.front(), "StopTimer 1");
  EXPECT_TRUE(h.window.log[1].starts_with("SetItemText 3 ")) << h.window.log[1];
  EXPECT_FALSE(h.window.running_timers.count(1));
}

std::vector<TickCase> AllTickCases() {
  std::vector<TickCase> cases;
  for (int bits = 0; bits < 32; ++bits) {
    cases.push_back(
        {(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0, (bits & 8) != 0, (bits & 16) != 0});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllFlags, FirstTick, ::testing::ValuesIn(AllTickCases()));

TEST(FirstTick, UsesTheFlagsLoadedAtStartNotTheCheckBoxes) {
  DialogHarness h;
  h.dialog.OnInit();
  h.state.auto_flags = AutoFlags{false, true, false, false};
  h.window.checks[29] = false;
  h.window.checks[31] = true;
  std::vector<int> pressed;
  h.window.on_press = [&](int id) { pressed.push_back(id); };
  h.dialog.OnTimer(1);
  EXPECT_THAT(pressed, ElementsAre(24));
}

TEST(FirstTick, AllThreeFlagsRecordMailAndEndWritingTheSettingsOnce) {
  DialogHarness h;
  h.dialog.OnInit();
  h.state.auto_flags = AutoFlags{false, true, true, true};
  h.window.checks = {{29, true}, {30, true}, {31, true}};
  h.dialog.OnTimer(1);
  EXPECT_THAT(h.window.LogOf("Press"), ElementsAre("Press 24", "Press 21", "Press 27"));
  EXPECT_EQ(h.window.end_result, 1);
  EXPECT_EQ(h.files.writes, 1);
}

TEST(RecordRetryTimer, StopsItselfActivatesTheDialogAndPressesRecord) {
  DialogHarness h;
  h.dialog.OnInit();
  h.window.StartTimer(2, 1000);
  h.window.log.clear();
  h.dialog.OnTimer(2);
  EXPECT_THAT(h.window.log, ElementsAre("StopTimer 2", "Activate", "Press 24", "ShowWaitCursor"));
}

TEST(MainDialogClose, GoesThroughTheExitCommand) {
  DialogHarness h;
  h.dialog.OnInit();
  h.dialog.OnClose();
  EXPECT_THAT(h.window.LogOf("Press"), ElementsAre("Press 27"));
  EXPECT_EQ(h.window.end_result, 1);
  EXPECT_EQ(h.files.writes, 1);
}

TEST(ExitCommand, WritesTheEditsAndCheckBoxesIntoTheSettingsFile) {
  DialogHarness h;
  h.dialog.OnInit();
  h.window.texts[17] = "taro@example.jp";
  h.window.texts[18] = "192.168.1.1";
  h.window.texts[19] = "admin@example.jp";
  h.window.texts[20] = "\\\\server\\share\\記録.csv";
  h.window.checks = {{28, true}, {29, false}, {30, true}, {31, false}};

  h.dialog.OnCommand(27);

  EXPECT_EQ(h.files.contents["C:\\Tools\\Zeltrand.ini"],
            "[mail]\r\nSmtp=taro@example.jp\r\nMailTo=admin@example.jp\r\n"
            "MyMailServerIP=192.168.1.1\r\n\r\n[file]\r\nRecFile=\\\\server\\share\\記録.csv\r\n"
            "\r\n[auto]\r\nStart=1\r\nRec=\r\nMail=1\r\nEnd=\r\n");
  EXPECT_EQ(h.window.end_result, 1);
}

constexpr const char* kCannotSave = "Zeltrand.iniﾌｧｲﾙのｵｰﾌﾟﾝに失敗!\n設定を保存せずに終了しますか?";

TEST(ExitCommand, AsksWhetherToEndWhenTheSettingsCannotBeWritten) {
  DialogHarness h;
  h.dialog.OnInit();
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.window.message_answers = {kIdNo};

  h.dialog.OnCommand(27);

  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].text, kCannotSave);
  EXPECT_EQ(h.window.messages[0].caption, "Zeltrand v0.90 2003.1.17");
  EXPECT_EQ(h.window.messages[0].style, kMbYesNo | kMbIconWarning);
  EXPECT_EQ(h.window.end_calls, 0);  // No keeps the dialog open

  h.files.unwritable.clear();  // the user mends the cause and presses again
  h.dialog.OnCommand(27);
  EXPECT_EQ(h.window.end_result, 1);
  EXPECT_EQ(h.window.messages.size(), 1u);
}

TEST(ExitCommand, EndsWithoutSavingWhenTheUserSaysYes) {
  DialogHarness h;
  h.dialog.OnInit();
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.window.message_answers = {kIdYes};
  h.dialog.OnClose();
  EXPECT_EQ(h.window.end_result, 1);
  EXPECT_FALSE(h.files.contents.count("C:\\Tools\\Zeltrand.ini"));
}

TEST(ExitCommand, AnUnattendedExitEndsSilentlyWhenTheSettingsCannotBeWritten) {
  DialogHarness h;
  h.files.contents["C:\\Tools\\Zeltrand.ini"] = "[auto]\r\nEnd=1\r\n";
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.dialog.OnInit();
  h.dialog.OnTimer(1);
  EXPECT_TRUE(h.window.messages.empty());
  EXPECT_EQ(h.window.end_result, 1);
}

TEST(ExitCommand, AUserExitAfterAnUnattendedOneStillAsks) {
  DialogHarness h;
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.dialog.OnInit();
  h.dialog.OnTimer(1);  // nothing unattended configured
  h.dialog.OnCommand(27);
  EXPECT_EQ(h.window.messages.size(), 1u);
}

// 自動終了 ticked, then No to ending without saving: a later 記録 must not
// end the program unasked.
TEST(ExitCommand, ADeclinedExitLeavesTheLoadedFlagsSoALaterRecordDoesNotEnd) {
  DialogHarness h;
  h.files.unwritable.insert("C:\\Tools\\Zeltrand.ini");
  h.dialog.OnInit();
  h.window.SetCheck(31, true);
  h.dialog.OnCommand(27);
  h.dialog.OnCommand(24);
  EXPECT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.end_calls, 0);
  EXPECT_FALSE(h.state.auto_flags.exit);
}

// What each command id visibly does, with the later commands' work not yet
// there: the busy prelude, the re-collection, the exit.
struct CommandCase {
  int id;
  bool wait_cursor;
  unsigned pause_ms;
  bool ends;
};

class CommandTable : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandTable, DispatchesById) {
  const CommandCase c = GetParam();
  DialogHarness h;
  h.dialog.OnInit();
  h.window.log.clear();
  h.dialog.OnCommand(c.id);
  EXPECT_EQ(!h.window.LogOf("ShowWaitCursor").empty(), c.wait_cursor) << c.id;
  EXPECT_EQ(h.clock.slept_ms, c.pause_ms) << c.id;
  EXPECT_EQ(h.window.end_calls, c.ends ? 1 : 0) << c.id;
  // 取込 with nothing on the clipboard says so, 送信 with no recipient too; a
  // field shows its detail.
  EXPECT_EQ(h.window.messages.size(),
            c.id == 25 || c.id == 21 || (c.id >= 0 && c.id <= 13) ? 1u : 0u)
      << c.id;
}

std::vector<CommandCase> AllCommands() {
  std::vector<CommandCase> cases;
  for (int id = -1; id <= 40; ++id) {
    const bool busy = id == 21 || id == 23 || id == 24;
    const bool report = id == 33 || id == 34;
    cases.push_back({id, busy || report, busy ? 200u : 0u, id == 27});
  }
  cases.push_back({100, false, 0, false});
  cases.push_back({0xFFFF, false, 0, false});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Ids, CommandTable, ::testing::ValuesIn(AllCommands()));

TEST(CollectCommand, RefreshesAllFourteenFieldsButNotTheLists) {
  DialogHarness h;
  h.dialog.OnInit();
  h.window.log.clear();
  h.dialog.OnCommand(23);
  const auto writes = FieldWrites(h.window);
  ASSERT_EQ(writes.size(), 14u);
  EXPECT_NE(writes[3], "SetItemText 3 計測中...");  // measured again
  EXPECT_THAT(h.window.LogOf("InsertListItem"), IsEmpty());
  EXPECT_EQ(h.window.LogOf("ShowWaitCursor").size(), 1u);
}

}  // namespace
}  // namespace zeltrand::testing
