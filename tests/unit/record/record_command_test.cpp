// 記録 and 参照 over the dialog harness: the busy-file episode runs on the
// fake timers, one FireRetryTimer() per second that passes.
#include "record/record_commands.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "record/record_line.h"
#include "support/dialog_harness.h"
#include "unit/record/record_fixtures.h"

namespace zeltrand::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kIni = "C:\\Tools\\Zeltrand.ini";
constexpr const char* kRecordPath = "C:\\Tools\\Zeltrand.csv";
constexpr const char* kWaiting = "取得情報記録ﾌｧｲﾙ空き待ち中...";
constexpr const char* kPending = "C:\\Users\\taro\\AppData\\Local\\Zeltrand\\pending.csv";
constexpr const char* kLog = "C:\\Users\\taro\\AppData\\Local\\Zeltrand\\Zeltrand.log";
constexpr const char* kKept =
    "\nこの記録は保存しておき、次回の記録時にその時の取得情報記録ﾌｧｲﾙに追加します。";

struct RecordHarness : DialogHarness {
  explicit RecordHarness(std::string ini = "") {
    if (!ini.empty()) files.contents[kIni] = ini;
    dialog.OnInit();
    SetTemplateLabels(window);
    state.collected = WorkedExamplePc();
    window.texts[16] = kWorkedPcName;
    window.log.clear();
  }

  void PressRecord() { dialog.OnCommand(24); }
  void FireRetryTimer() {
    ASSERT_TRUE(window.running_timers.count(2)) << "the retry timer is not armed";
    dialog.OnTimer(2);
  }
  int Attempts() const { return static_cast<int>(files.open_attempts.size()); }
  // What a record of the PC as collected by now writes to a new file.
  std::string NewFileNow() const {
    return ReadRecordFixture("header.csv") +
           BuildRecordLine(kWorkedPcName, state.collected, RecordForm::kFile) + "\n";
  }
  std::string Notice(int n) const { return kWaiting + std::to_string(n); }
};

const std::string kNewFile =
    ReadRecordFixture("header.csv") + ReadRecordFixture("worked_example.csv");
const std::string kLine = ReadRecordFixture("worked_example.csv");

TEST(RecordCommand, WritesTheHeaderAndTheLineToAnEmptyFile) {
  RecordHarness h;
  h.PressRecord();
  EXPECT_EQ(h.files.contents[kRecordPath], kNewFile);
  EXPECT_EQ(h.state.record_retry_count, 0);
  EXPECT_THAT(h.window.messages, IsEmpty());
  EXPECT_THAT(h.window.LogOf("OpenWaitNotice"), IsEmpty());
}

TEST(RecordCommand, ASecondPressAddsOnlyTheLine) {
  RecordHarness h;
  h.PressRecord();
  h.PressRecord();
  EXPECT_EQ(h.files.contents[kRecordPath], kNewFile + kLine);
}

TEST(RecordCommand, UsesTheWholePathInTheEditHoweverLong) {
  RecordHarness h;
  const std::string path = "\\\\server\\" + std::string(400, 'd') + "\\記録.csv";
  h.window.texts[20] = path;
  h.PressRecord();
  EXPECT_THAT(h.files.open_attempts, ElementsAre(path));
  EXPECT_EQ(h.files.contents[path], kNewFile);
}

TEST(BusyRecordFile, CountsDownFiveFourThreeAndTheFourthAttemptWrites) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  EXPECT_THAT(h.window.log, ElementsAre("ShowWaitCursor", "OpenWaitNotice " + h.Notice(5),
                                        "StartTimer 2 1000", "ActivateWaitNotice"));
  EXPECT_EQ(h.state.record_retry_count, 1);
  h.FireRetryTimer();
  h.FireRetryTimer();
  EXPECT_EQ(h.state.record_retry_count, 3);
  h.files.busy.clear();
  h.FireRetryTimer();

  EXPECT_EQ(h.Attempts(), 4);
  EXPECT_THAT(h.window.notice_texts, ElementsAre(h.Notice(5), h.Notice(4), h.Notice(3)));
  EXPECT_EQ(h.files.contents[kRecordPath], kNewFile);
  EXPECT_EQ(h.state.record_retry_count, 0);
  EXPECT_FALSE(h.window.notice_open);
  EXPECT_FALSE(h.window.running_timers.count(2));
  EXPECT_EQ(h.clock.slept_ms, 4u * 200u);
  EXPECT_THAT(h.window.messages, IsEmpty());
}

TEST(BusyRecordFile, GivesUpAfterSixAttemptsAndTellsTheUser) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  for (int i = 0; i < 5; ++i) h.FireRetryTimer();

  EXPECT_EQ(h.Attempts(), 6);
  EXPECT_THAT(h.window.notice_texts,
              ElementsAre(h.Notice(5), h.Notice(4), h.Notice(3), h.Notice(2), h.Notice(1)));
  EXPECT_FALSE(h.window.notice_open);
  EXPECT_FALSE(h.window.running_timers.count(2));
  EXPECT_EQ(h.state.record_retry_count, 0);
  EXPECT_FALSE(h.files.contents.count(kRecordPath));
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].text,
            "取得情報記録ﾌｧｲﾙに記録できませんでした!\nﾌｧｲﾙが他で使用中です。\n" +
                std::string(kRecordPath) + kKept);
  EXPECT_EQ(h.window.messages[0].caption, "Zeltrand v0.90 2003.1.17");
  EXPECT_EQ(h.window.end_calls, 0);
}

TEST(BusyRecordFile, AFileThatCannotBeOpenedIsRetriedTheSameWay) {
  RecordHarness h;
  h.window.texts[20] = "Q:\\no folder\\x.csv";
  h.files.unopenable.insert("Q:\\no folder\\x.csv");
  h.PressRecord();
  for (int i = 0; i < 5; ++i) h.FireRetryTimer();
  EXPECT_EQ(h.Attempts(), 6);
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_THAT(h.window.messages[0].text, ::testing::HasSubstr("ﾌｧｲﾙを開けません。"));
}

TEST(BusyRecordFile, ALaterEpisodeStartsAgainAtFive) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  h.FireRetryTimer();
  h.files.busy.clear();
  h.FireRetryTimer();
  h.files.busy.insert(kRecordPath);
  h.window.notice_texts.clear();
  h.PressRecord();
  EXPECT_THAT(h.window.notice_texts, ElementsAre(h.Notice(5)));
  EXPECT_EQ(h.state.record_retry_count, 1);
}

TEST(BusyRecordFile, AManualPressCountsAsOneMoreAttemptAndRestartsTheTimer) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  h.FireRetryTimer();
  h.window.log.clear();
  h.PressRecord();
  EXPECT_THAT(h.window.LogOf("StartTimer"), ElementsAre("StartTimer 2 1000"));
  EXPECT_THAT(h.window.notice_texts, ElementsAre(h.Notice(5), h.Notice(4), h.Notice(3)));
  EXPECT_EQ(h.state.record_retry_count, 3);
}

TEST(BusyRecordFile, AManualPressThatWritesStopsTheTimerSoTheLineIsWrittenOnce) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  h.files.busy.clear();
  h.PressRecord();
  EXPECT_FALSE(h.window.running_timers.count(2));
  EXPECT_EQ(h.files.contents[kRecordPath], kNewFile);
}

TEST(BusyRecordFile, APathChangedDuringTheWaitIsUsedAtTheNextAttempt) {
  RecordHarness h;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  h.window.texts[20] = "D:\\other.csv";
  h.FireRetryTimer();
  EXPECT_THAT(h.files.open_attempts, ElementsAre(kRecordPath, "D:\\other.csv"));
  EXPECT_EQ(h.files.contents["D:\\other.csv"], kNewFile);
}

TEST(RecordCommand, AFailedWriteLeavesTheFileAsItWasAndTellsTheUser) {
  RecordHarness h;
  h.files.contents[kRecordPath] = kNewFile;
  h.files.failing_appends.insert(kRecordPath);
  h.PressRecord();
  EXPECT_EQ(h.files.contents[kRecordPath], kNewFile);
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_THAT(h.window.messages[0].text, ::testing::HasSubstr("書き込みに失敗"));
}

// However a manual 記録 ended, AutoExit loaded at start (without Shift) then
// ends the program; a record that was not written is reported and kept.
enum class Outcome { kWritten, kGivenUp, kWriteFailed };

struct EndCase {
  bool auto_exit;
  bool shift;
  Outcome outcome;
};

class RecordEndHook : public ::testing::TestWithParam<EndCase> {};

TEST_P(RecordEndHook, EndsAnUnattendedRunAndOtherwiseReportsALostRecord) {
  const EndCase c = GetParam();
  RecordHarness h;
  h.state.auto_flags.exit = c.auto_exit;
  h.state.shift_held = c.shift;
  if (c.outcome == Outcome::kGivenUp) h.files.busy.insert(kRecordPath);
  if (c.outcome == Outcome::kWriteFailed) h.files.failing_appends.insert(kRecordPath);
  h.PressRecord();
  if (c.outcome == Outcome::kGivenUp) {
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(h.window.end_calls, 0) << "ended during the wait";
      h.FireRetryTimer();
    }
  }
  const bool ends = c.auto_exit && !c.shift;
  EXPECT_EQ(h.window.end_calls, ends ? 1 : 0);
  EXPECT_EQ(h.window.LogOf("Press 27").size(), ends ? 1u : 0u);
  EXPECT_EQ(h.window.messages.size(), c.outcome != Outcome::kWritten ? 1u : 0u);
  EXPECT_EQ(h.state.exit_code, c.outcome != Outcome::kWritten ? exit_code::kRecordPending : 0);
}

std::vector<EndCase> AllEndCases() {
  std::vector<EndCase> cases;
  for (const Outcome outcome : {Outcome::kWritten, Outcome::kGivenUp, Outcome::kWriteFailed}) {
    for (int bits = 0; bits < 4; ++bits) {
      cases.push_back({(bits & 1) != 0, (bits & 2) != 0, outcome});
    }
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Flags, RecordEndHook, ::testing::ValuesIn(AllEndCases()));

// Settings that cannot be saved: the unattended run gives up on a held
// file and ends silently; after the user's own 記録 the exit asks first.
TEST(RecordEndHook, OnlyTheUnattendedRunEndsWithoutAskingWhenSettingsCannotBeSaved) {
  for (const bool unattended : {true, false}) {
    RecordHarness h("[auto]\r\nRec=1\r\nEnd=1\r\n");
    h.files.unwritable.insert(kIni);
    h.files.busy.insert(kRecordPath);
    if (unattended) h.dialog.OnTimer(1);
    if (!unattended) h.PressRecord();
    for (int i = 0; i < 5; ++i) h.FireRetryTimer();
    EXPECT_EQ(h.window.end_calls, unattended ? 1 : 0) << unattended;
    EXPECT_EQ(h.window.messages.size(), unattended ? 0u : 2u) << unattended;
    EXPECT_EQ(h.state.exit_code, exit_code::kRecordPending);
    EXPECT_EQ(h.files.contents[kLog],
              unattended ? "2003.01.17 09:05:03 取得情報記録ﾌｧｲﾙに記録できませんでした! "
                           "ﾌｧｲﾙが他で使用中です。 C:\\Tools\\Zeltrand.csv "
                           "この記録は保存しておき、次回の記録時にその時の"
                           "取得情報記録ﾌｧｲﾙに追加します。\r\n"
                         : "");
  }
}

// A mail that fails in a run that ends by itself holds it with no box: the
// message goes to the log, line by line, and the exit code says so. With
// Shift held the run stays open and the box is shown.
TEST(FirstTickMail, AFailureOfARunThatEndsByItselfGoesToTheLog) {
  for (const bool shift : {false, true}) {
    RecordHarness h("[mail]\r\nMyMailServerIP=192.0.2.25\r\n[auto]\r\nMail=1\r\nEnd=1\r\n");
    h.state.shift_held = shift;
    h.files.contents[kLog] = "earlier\r\n";
    h.dialog.OnTimer(1);
    EXPECT_EQ(h.window.messages.size(), shift ? 1u : 0u);
    EXPECT_EQ(h.files.contents[kLog],
              shift ? "earlier\r\n"
                    : "earlier\r\n2003.01.17 09:05:03 recv err. WSAGetLastError=10060\r\n");
    EXPECT_EQ(h.state.exit_code, exit_code::kMailFailed);
  }
}

// Kept records go in ahead of the next one, in one open, to the file named
// then, whatever file they were kept for.
TEST(PendingRecord, IsAddedBeforeTheNextLineToTheFileNamedThenAndForgotten) {
  RecordHarness h;
  const std::string other = "\\\\nas\\other.csv\t\"PC-2\",\n";
  h.files.contents[kPending] = other;
  h.files.busy.insert(kRecordPath);
  h.PressRecord();
  for (int i = 0; i < 5; ++i) h.FireRetryTimer();
  EXPECT_EQ(h.files.contents[kPending], other + kRecordPath + "\t" + kLine);
  h.files.busy.clear();
  h.state.collected.item_values[0] = "2003.01.21 08:00:00";
  const std::string second = BuildRecordLine(kWorkedPcName, h.state.collected, RecordForm::kFile);
  h.PressRecord();
  EXPECT_EQ(h.files.contents[kRecordPath],
            ReadRecordFixture("header.csv") + "\"PC-2\",\n" + kLine + second + "\n");
  EXPECT_EQ(h.files.contents[kPending], "");
  EXPECT_EQ(h.files.open_attempts.size(), 7u);
  EXPECT_EQ(h.state.exit_code, 0);
}

TEST(PendingRecord, ThatCannotBeKeptEitherIsReportedSo) {
  RecordHarness h;
  h.files.failing_appends.insert(kRecordPath);
  h.files.unwritable.insert(kPending);
  h.PressRecord();
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_TRUE(h.window.messages[0].text.ends_with("\nこの記録は保存もできませんでした。"));
  EXPECT_EQ(h.state.exit_code, exit_code::kRecordPending);
}

TEST(FirstTickRecord, RecordsThenMailsThenEndsOnce) {
  RecordHarness h("[auto]\r\nRec=1\r\nMail=1\r\nEnd=1\r\n");
  h.dialog.OnTimer(1);
  EXPECT_THAT(h.window.LogOf("Press"), ElementsAre("Press 24", "Press 21", "Press 27"));
  EXPECT_EQ(h.files.contents[kRecordPath], h.NewFileNow());
  EXPECT_EQ(h.window.end_calls, 1);
}

TEST(FirstTickRecord, OnABusyFileLeavesTheExitToTheRecordThatFinallyWrites) {
  RecordHarness h("[auto]\r\nRec=1\r\nEnd=1\r\n");
  h.files.busy.insert(kRecordPath);
  h.dialog.OnTimer(1);
  EXPECT_EQ(h.window.end_calls, 0);
  h.FireRetryTimer();
  h.files.busy.clear();
  h.FireRetryTimer();
  EXPECT_EQ(h.files.contents[kRecordPath], h.NewFileNow());
  EXPECT_EQ(h.window.end_calls, 1);
  EXPECT_FALSE(h.window.progress_open);
}

TEST(ChooseRecordFile, ShowsTheSaveDialogForCsvFilesStartingBesideTheProgram) {
  RecordHarness h;
  h.window.texts[20] = "D:\\typed.csv";
  h.dialog.OnCommand(22);
  ASSERT_EQ(h.window.save_requests.size(), 1u);
  const SaveFileRequest& r = h.window.save_requests[0];
  EXPECT_EQ(r.title, "Zeltrand管理ファイル");
  EXPECT_EQ(r.filter_name, "Zeltrand管理ﾌｧｲﾙ(*.csv)");
  EXPECT_EQ(r.filter_pattern, "*.csv");
  EXPECT_EQ(r.initial_dir, "C:\\Tools");
  EXPECT_EQ(r.initial_path, kRecordPath) << "the default path, not the edit's text";
  EXPECT_EQ(r.default_extension, "csv");
}

TEST(ChooseRecordFile, PutsTheChoiceIntoTheEditAndStartsFromItNextTime) {
  RecordHarness h;
  h.window.save_choice = "E:\\棚卸\\表.csv";
  h.dialog.OnCommand(22);
  EXPECT_EQ(h.window.texts[20], "E:\\棚卸\\表.csv");
  h.dialog.OnCommand(22);
  EXPECT_EQ(h.window.save_requests.at(1).initial_path, "E:\\棚卸\\表.csv");
  EXPECT_FALSE(h.files.contents.count("E:\\棚卸\\表.csv")) << "choosing writes nothing";
}

TEST(ChooseRecordFile, ChangesNothingWhenCancelled) {
  RecordHarness h;
  h.window.texts[20] = "D:\\typed.csv";
  h.window.log.clear();
  h.dialog.OnCommand(22);
  EXPECT_EQ(h.window.texts[20], "D:\\typed.csv");
  EXPECT_EQ(h.state.settings.record_path, kRecordPath);
  EXPECT_THAT(h.window.log, ElementsAre("ChooseSaveFile"));
}

}  // namespace
}  // namespace zeltrand::testing
