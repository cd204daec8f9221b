#include "record/record_file.h"

#include <gtest/gtest.h>

#include <optional>

#include "support/fake_system.h"

namespace zeltrand::testing {
namespace {

constexpr const char* kPath = "S:\\Zeltrand.csv";

struct AppendCase {
  const char* name;
  std::optional<std::string> before;  // nothing: no such file yet
  std::string line_end;
  std::string after;
};

class AppendToRecordFile : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendToRecordFile, AddsTheHeaderOnlyToAnEmptyFileAndStartsTheRecordOnALineOfItsOwn) {
  const AppendCase& c = GetParam();
  FakeFiles files;
  if (c.before) files.contents[kPath] = *c.before;
  EXPECT_EQ(AppendRecord(files, kPath, "H\n", "R" + c.line_end, c.line_end),
            AppendResult::kWritten);
  EXPECT_EQ(files.contents[kPath], c.after);
  EXPECT_TRUE(files.held.empty()) << "the file is closed again";
}

INSTANTIATE_TEST_SUITE_P(
    Files, AppendToRecordFile,
    ::testing::Values(AppendCase{"ANewFile", std::nullopt, "\n", "H\nR\n"},
                      AppendCase{"AnEmptyFile", "", "\n", "H\nR\n"},
                      AppendCase{"AFileWithLines", "H\nA\n", "\n", "H\nA\nR\n"},
                      AppendCase{"AFileHoldingOnlyAnImportHeader", "I\r\n", "\n", "I\r\nR\n"},
                      AppendCase{"ATornLine", "H\nA,\"x", "\n", "H\nA,\"x\nR\n"},
                      AppendCase{"ATornLineBeforeAnImport", "H\nA,\"x", "\r\n",
                                 "H\nA,\"x\r\nR\r\n"},
                      AppendCase{"ALineCutBetweenCrAndLf", "I\r\nA\r", "\r\n", "I\r\nA\r\nR\r\n"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(AppendToRecordFile, ReportsABusyFileApartFromOneThatCannotBeOpened) {
  FakeFiles files;
  files.busy.insert(kPath);
  files.unopenable.insert("Q:\\nowhere\\x.csv");
  EXPECT_EQ(AppendRecord(files, kPath, "H\n", "R\n", "\n"), AppendResult::kBusy);
  EXPECT_EQ(AppendRecord(files, "Q:\\nowhere\\x.csv", "H\n", "R\n", "\n"),
            AppendResult::kNotOpened);
  EXPECT_FALSE(files.contents.count(kPath));
}

TEST(AppendToRecordFile, IsBusyWhileThisProcessStillHoldsTheFile) {
  FakeFiles files;
  OpenedFile holder = files.OpenExclusive(kPath);
  ASSERT_TRUE(holder.file);
  EXPECT_EQ(AppendRecord(files, kPath, "H\n", "R\n", "\n"), AppendResult::kBusy);
}

TEST(AppendToRecordFile, UndoesAWriteThatFailsHalfWay) {
  FakeFiles files;
  files.contents[kPath] = "H\nA\n";
  files.failing_appends.insert(kPath);
  EXPECT_EQ(AppendRecord(files, kPath, "H\n", "a long record\n", "\n"), AppendResult::kNotWritten);
  EXPECT_EQ(files.contents[kPath], "H\nA\n");
}

}  // namespace
}  // namespace zeltrand::testing
