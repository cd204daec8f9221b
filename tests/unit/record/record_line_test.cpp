#include "record/record_line.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "unit/record/record_fixtures.h"

namespace zeltrand::testing {
namespace {

std::string FileLine(std::string_view pc_name, const CollectedInfo& info) {
  return BuildRecordLine(pc_name, info, RecordForm::kFile);
}

std::string MailLine(std::string_view pc_name, const CollectedInfo& info) {
  return BuildRecordLine(pc_name, info, RecordForm::kMail);
}

// The fourteen field columns of the worked example, between PC名 and users.
std::string WorkedFieldColumns() {
  std::string columns;
  for (const auto& value : WorkedExamplePc().item_values) columns += "\"" + value + "\",";
  return columns;
}

TEST(RecordLine, TheWorkedExampleInFileFormMatchesTheFixture) {
  EXPECT_EQ(FileLine(kWorkedPcName, WorkedExamplePc()) + "\n",
            ReadRecordFixture("worked_example.csv"));
}

TEST(RecordLine, TheWorkedExampleInMailFormIsThreeLines) {
  EXPECT_EQ(MailLine(kWorkedPcName, WorkedExamplePc()),
            ReadRecordFixture("worked_example_mail.txt"));
}

struct LineCase {
  const char* name;
  std::string pc_name;
  std::vector<std::string> users;
  std::vector<std::string> softs;
  std::string expected_head;  // before the field columns
  std::string expected_tail;  // after them
};

class RecordLineColumns : public ::testing::TestWithParam<LineCase> {};

TEST_P(RecordLineColumns, AreQuotedAndEachFollowedByAComma) {
  const LineCase& c = GetParam();
  CollectedInfo info = WorkedExamplePc();
  info.login_users = c.users;
  info.softs = c.softs;
  EXPECT_EQ(FileLine(c.pc_name, info), c.expected_head + WorkedFieldColumns() + c.expected_tail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RecordLineColumns,
    ::testing::Values(
        LineCase{
            "NoSoftwareEndsWithTheFifthUser", "PC", {"a"}, {}, "\"PC\",", R"("a","","","","",)"},
        LineCase{
            "NoUsersGiveFiveEmptyColumns", "PC", {}, {"X"}, "\"PC\",", R"("","","","","","X",)"},
        LineCase{"SevenUsersKeepOnlyTheFirstFive",
                 "PC",
                 {"u1", "u2", "u3", "u4", "u5", "u6", "u7"},
                 {},
                 "\"PC\",",
                 R"("u1","u2","u3","u4","u5",)"},
        LineCase{"AnEmptyPcNameGivesAnEmptyFirstColumn", "", {}, {}, "\"\",", R"("","","","","",)"},
        LineCase{"ACommaStaysInsideItsQuotes",
                 "A,B",
                 {"x,y"},
                 {"P, Q"},
                 "\"A,B\",",
                 R"("x,y","","","","","P, Q",)"},
        LineCase{"QuotesInsideAColumnAreDoubled",
                 "営業部 \"No.3\"",
                 {"\""},
                 {"Acme \"Pro\" Tool, v2"},
                 R"("営業部 ""No.3""",)",
                 R"("""","","","","","Acme ""Pro"" Tool, v2",)"},
        LineCase{"ControlBytesInATextBecomeBlanks",
                 "P\tC",
                 {"a\r\nb"},
                 {"Tool\n2\x7F"},
                 "\"P C\",",
                 R"("a  b","","","","","Tool 2 ",)"}),
    [](const auto& test) { return std::string(test.param.name); });

struct MailCase {
  std::size_t programs;
  std::vector<std::size_t> breaks_before;  // program indexes
};

class MailFormBreaks : public ::testing::TestWithParam<MailCase> {};

TEST_P(MailFormBreaks, ComeBeforeEveryThirdProgramStartingWithTheFirst) {
  const MailCase& c = GetParam();
  CollectedInfo info = WorkedExamplePc();
  info.softs.clear();
  for (std::size_t k = 0; k < c.programs; ++k) info.softs.push_back("S" + std::to_string(k));
  const std::string mail = MailLine("PC", info);

  std::vector<std::size_t> breaks;
  for (std::size_t k = 0; k < c.programs; ++k) {
    const std::size_t at = mail.find("\"S" + std::to_string(k) + "\"");
    if (at > 0 && mail[at - 1] == '\n') breaks.push_back(k);
  }
  EXPECT_EQ(breaks, c.breaks_before);
  EXPECT_EQ(static_cast<std::size_t>(std::count(mail.begin(), mail.end(), '\n')),
            c.breaks_before.size());
  std::string joined = mail;
  std::erase(joined, '\n');
  EXPECT_EQ(joined, FileLine("PC", info));
}

INSTANTIATE_TEST_SUITE_P(Counts, MailFormBreaks,
                         ::testing::Values(MailCase{0, {}}, MailCase{1, {0}}, MailCase{3, {0}},
                                           MailCase{4, {0, 3}}, MailCase{7, {0, 3, 6}}));

TEST(RecordLine, IsNeverCutHoweverLongItGets) {
  CollectedInfo info = WorkedExamplePc();
  info.softs.assign(256, std::string(255, 'x'));
  const std::string line = FileLine("PC", info);
  EXPECT_GT(line.size(), 256u * 258u);
  EXPECT_TRUE(line.ends_with(std::string(255, 'x') + "\","));
}

TEST(RecordLine, TakesPcNameFromTheDialogAndTheRestFromTheCollectedData) {
  FakeDialogWindow window;
  AppState state;
  state.collected = WorkedExamplePc();
  window.texts[16] = kWorkedPcName;
  window.texts[0] = "shown, not recorded";
  EXPECT_EQ(BuildRecordLine(state, window, RecordForm::kFile) + "\n",
            ReadRecordFixture("worked_example.csv"));
}

TEST(RecordHeader, IsMadeOfTheTemplateLabelsWith21ColumnsAndLf) {
  FakeDialogWindow window;
  SetTemplateLabels(window);
  EXPECT_EQ(BuildRecordHeader(window), ReadRecordFixture("header.csv"));
}

}  // namespace
}  // namespace zeltrand::testing
