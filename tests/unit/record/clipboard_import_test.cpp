#include "record/clipboard_import.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/dialog_harness.h"
#include "unit/record/record_fixtures.h"

namespace zeltrand::testing {
namespace {

using ::testing::IsEmpty;

constexpr const char* kRecordPath = "C:\\Tools\\Zeltrand.csv";

// The worked example as 送信 mails it: the title's first sixteen characters,
// "[", the mail form and "]".
std::string MailedText() {
  return "Zeltrand v0.90 2[" + ReadRecordFixture("worked_example_mail.txt") + "]";
}

// The worked example's line without its final comma.
std::string ImportedRecord() {
  std::string line = ReadRecordFixture("worked_example_imported.csv");
  return line.substr(0, line.size() - 2);
}

std::string WithCrLf(std::string text) {
  std::string out;
  for (const char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return out;
}

TEST(FindMailedRecord, TakesTheWorkedExampleBackWithoutBreaksAndFinalComma) {
  const MailedRecord found = FindMailedRecord(MailedText());
  EXPECT_EQ(found.check, ImportCheck::kFound);
  EXPECT_EQ(found.record, ImportedRecord());
}

struct CopyCase {
  const char* name;
  std::string copied;
  ImportCheck check;
  std::string record;
};

class FindMailedRecordIn : public ::testing::TestWithParam<CopyCase> {};

TEST_P(FindMailedRecordIn, ACopiedText) {
  const CopyCase& c = GetParam();
  const MailedRecord found = FindMailedRecord(c.copied);
  EXPECT_EQ(found.check, c.check);
  EXPECT_EQ(found.record, c.record);
}

const std::string kShort = "Zeltrand v0.90 2[\"a\",\"b\",\"c\",\"d\",\"e\",]";
const std::string kShortRecord = "\"a\",\"b\",\"c\",\"d\",\"e\"";

INSTANTIATE_TEST_SUITE_P(
    Texts, FindMailedRecordIn,
    ::testing::Values(
        CopyCase{"TextBeforeTheTagIsIgnored",
                 "From: pc7@example.jp\r\nSubject: Zeltrand\r\n\r\nお疲れ様です。\r\n" + kShort,
                 ImportCheck::kFound, kShortRecord},
        CopyCase{"LinesAreJoinedAndTabsRemoved", WithCrLf(MailedText()) + "\r\n\t-- \r\n",
                 ImportCheck::kFound, ImportedRecord()},
        CopyCase{"AQuotedMailIsJoinedToo",
                 "> Zeltrand v0.90 2[\"a\",\"b\",\r\n> \t\"c\",\"d\",\"e\",]", ImportCheck::kFound,
                 "\"a\",\"b\",> \"c\",\"d\",\"e\""},
        CopyCase{"ACopyThatStopsBeforeTheEndRunsToTheEnd",
                 "Zeltrand v0.90 2[\"a\",\"b\",\"c\",\"d\",\"e\"]", ImportCheck::kFound,
                 "\"a\",\"b\",\"c\",\"d\",\"e\"]"},
        CopyCase{"TwoRecordsCopiedTogetherGiveTheFirst",
                 kShort + "\r\n" + "Zeltrand v0.90 2[\"f\",\"g\",\"h\",\"i\",\"j\",]",
                 ImportCheck::kFound, kShortRecord},
        CopyCase{"AnEndMarkerBeforeTheTagDoesNotEndTheRecord", "x,] " + kShort + " trailing",
                 ImportCheck::kFound, kShortRecord},
        CopyCase{"AnotherVersionNumberIsImportedTheSameWay",
                 "Zeltrand v1.23 2099.12.31[\"a\",\"b\",\"c\",\"d\",\"e\",]", ImportCheck::kFound,
                 kShortRecord},
        CopyCase{"ExactlyFivePiecesNeedNoFinalComma", "Zeltrand v0.9[a,b,c,d,e",
                 ImportCheck::kFound, "a,b,c,d,e"},
        CopyCase{"NoTagAtAll", "\"a\",\"b\",\"c\",\"d\",\"e\",]", ImportCheck::kNoTag, ""},
        CopyCase{"TheTagIsCaseSensitive", "zeltrand v0.90 2[a,b,c,d,e,]", ImportCheck::kNoTag, ""},
        CopyCase{"TheTagBrokenOverTwoLinesIsFoundAgain", "Zeltrand\r\n v0.90 2[a,b,c,d,e,]",
                 ImportCheck::kFound, "a,b,c,d,e"},
        CopyCase{"FourPiecesAreTooFew", "Zeltrand v0.90 2[a,b,c,d", ImportCheck::kTooFewFields, ""},
        CopyCase{"AnEmptyPieceStopsTheCount", "Zeltrand v0.90 2[a,b,,c,d,e,]",
                 ImportCheck::kTooFewFields, ""},
        CopyCase{"NoBracketAfterTheTag", "[x] Zeltrand v0.90 2 a,b,c,d,e,]",
                 ImportCheck::kNoBracket, ""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(CleanCopiedText, DropsEveryControlByteAndKeepsShiftJisWhole) {
  EXPECT_EQ(CleanCopiedText("\x01\tｱ表\r\n\x1F \x7F~"), "ｱ表 \x7F~");
}

struct ImportHarness : DialogHarness {
  ImportHarness() {
    dialog.OnInit();
    SetTemplateLabels(window);
    window.log.clear();
  }
  void PressImport() { dialog.OnCommand(25); }
  std::string& File() { return files.contents[kRecordPath]; }
};

// An empty file gets the header 記録 writes, so that every column is
// labelled by its own name; the record keeps its CR LF.
TEST(ImportCommand, WritesTheRecordHeaderAndTheRecordWithCrLfAndEmptiesTheClipboard) {
  ImportHarness h;
  h.window.clipboard = WithCrLf(MailedText());
  h.PressImport();
  EXPECT_EQ(h.File(),
            ReadRecordFixture("header.csv") + ReadRecordFixture("worked_example_imported.csv"));
  EXPECT_FALSE(h.window.clipboard);
  EXPECT_THAT(h.window.messages, IsEmpty());
  EXPECT_EQ(h.window.LogOf("ShowWaitCursor").size(), 1u);
  EXPECT_EQ(h.clock.slept_ms, 200u);
}

TEST(ImportCommand, AddsNoHeaderToAFileThatHasOne) {
  ImportHarness h;
  h.File() = ReadRecordFixture("header.csv");
  h.window.clipboard = MailedText();
  h.PressImport();
  EXPECT_EQ(h.File(),
            ReadRecordFixture("header.csv") + ReadRecordFixture("worked_example_imported.csv"));
}

TEST(ImportCommand, TakesAClipboardTextOfAnyLength) {
  ImportHarness h;
  const std::string filler(200000, 'x');
  h.window.clipboard = filler + "\r\n" + MailedText() + "\r\n" + filler;
  h.PressImport();
  EXPECT_TRUE(h.File().ends_with(ReadRecordFixture("worked_example_imported.csv")));
}

TEST(ImportCommand, NeitherEndsTheProgramNorTouchesTheRetryCount) {
  ImportHarness h;
  h.state.auto_flags.exit = true;
  h.state.record_retry_count = 2;
  h.window.clipboard = MailedText();
  h.PressImport();
  EXPECT_EQ(h.window.end_calls, 0);
  EXPECT_EQ(h.state.record_retry_count, 2);
}

TEST(ImportCommand, KeepsWhatWasCopiedMeanwhile) {
  ImportHarness h;
  h.window.clipboard = MailedText();
  h.clock.on_sleep = [&] { h.window.CopyToClipboard("copied by another program"); };
  h.PressImport();
  EXPECT_EQ(h.window.clipboard, "copied by another program");
}

struct RefusalCase {
  const char* name;
  std::optional<std::string> clipboard;
  std::string message;
};

class ImportRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ImportRefusal, ShowsItsMessageAndLeavesClipboardAndFileAlone) {
  const RefusalCase& c = GetParam();
  ImportHarness h;
  h.File() = "H\n";
  h.window.clipboard = c.clipboard;
  h.PressImport();
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].text, c.message);
  EXPECT_EQ(h.window.messages[0].caption, "Zeltrand v0.90 2003.1.17");
  EXPECT_EQ(h.window.messages[0].style, kMbOk);
  EXPECT_EQ(h.window.clipboard, c.clipboard);
  EXPECT_EQ(h.File(), "H\n");
  EXPECT_THAT(h.window.LogOf("ShowWaitCursor"), IsEmpty());
}

const std::string kEmptyClipboard =
    "ｸﾘｯﾌﾟﾎﾞｰﾄﾞは空です。\nZeltrand情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰしてから実行して下さい。";

INSTANTIATE_TEST_SUITE_P(
    Texts, ImportRefusal,
    ::testing::Values(RefusalCase{"NoText", std::nullopt, kEmptyClipboard},
                      RefusalCase{"AnEmptyText", "", "'Zeltrand v0.x'が見つかりません!"},
                      RefusalCase{"NoTag", "Hello, world", "'Zeltrand v0.x'が見つかりません!"},
                      RefusalCase{"TooFewFields", "Zeltrand v0.90 2[\"a\",\"b\",]",
                                  "ﾃﾞｰﾀ項目数が足りません!"},
                      RefusalCase{"NoBracket", "Zeltrand v0.90 2 a,b,c,d,e,]",
                                  "'Zeltrand v0.x'の後に'['が見つかりません!"}),
    [](const auto& test) { return std::string(test.param.name); });

struct FileFailureCase {
  const char* name;
  void (*break_file)(FakeFiles&);
  std::string reason;
};

class ImportIntoABadFile : public ::testing::TestWithParam<FileFailureCase> {};

TEST_P(ImportIntoABadFile, SaysSoAndKeepsTheClipboard) {
  const FileFailureCase& c = GetParam();
  ImportHarness h;
  h.File() = "H\n";
  c.break_file(h.files);
  h.window.clipboard = MailedText();
  h.PressImport();
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].text, "取得情報記録ﾌｧｲﾙに取り込めませんでした!\n" + c.reason +
                                           "\n" + kRecordPath +
                                           "\nｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容はそのままです。");
  EXPECT_EQ(h.window.clipboard, MailedText());
  EXPECT_EQ(h.File(), "H\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportIntoABadFile,
    ::testing::Values(FileFailureCase{"Busy", [](FakeFiles& f) { f.busy.insert(kRecordPath); },
                                      "ﾌｧｲﾙが他で使用中です。"},
                      FileFailureCase{"NotOpened",
                                      [](FakeFiles& f) { f.unopenable.insert(kRecordPath); },
                                      "ﾌｧｲﾙを開けません。"},
                      FileFailureCase{"WriteFails",
                                      [](FakeFiles& f) { f.failing_appends.insert(kRecordPath); },
                                      "ﾌｧｲﾙへの書き込みに失敗しました。"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(ImportCommand, ASecondImportFindsTheClipboardEmpty) {
  ImportHarness h;
  h.window.clipboard = MailedText();
  h.PressImport();
  h.PressImport();
  ASSERT_EQ(h.window.messages.size(), 1u);
  EXPECT_EQ(h.window.messages[0].text, kEmptyClipboard);
}

}  // namespace
}  // namespace zeltrand::testing
