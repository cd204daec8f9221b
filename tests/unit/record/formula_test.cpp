// Texts users control that a spreadsheet would take for a formula: guarded
// in the file, as they are in the mail, and read back exactly by 取込 and
// by the summary (its reader and each PC's latest record, which --ocs sends).
#include <gtest/gtest.h>

#include "record/clipboard_import.h"
#include "record/record_line.h"
#include "summary/inventory.h"
#include "support/string_source.h"
#include "unit/record/record_fixtures.h"

namespace zeltrand::testing {
namespace {

struct FormulaCase {
  std::string text;
  std::string in_file;
};

class FormulaTexts : public ::testing::TestWithParam<FormulaCase> {};

TEST_P(FormulaTexts, AreGuardedInTheFileOnlyInUsersColumnsAndReadBackExactly) {
  const auto& [text, in_file] = GetParam();
  CollectedInfo info = WorkedExamplePc();
  info.item_values[6] = "--%、--%";                   // the program's own
  info.item_values[8] = info.item_values[13] = text;  // user name, printer
  info.login_users = {text};
  info.softs = {"x", text};
  const auto q = [](const std::string& t) { return "\"" + t + "\","; };
  std::string fields;
  for (const std::string& value : info.item_values) fields += q(value == text ? in_file : value);
  const std::string line = BuildRecordLine(text, info, RecordForm::kFile);
  EXPECT_EQ(line, q(in_file) + fields + q(in_file) + R"("","","","","x",)" + q(in_file));

  const std::string mail = BuildRecordLine(text, info, RecordForm::kMail);
  EXPECT_EQ(mail.substr(0, text.size() + 3), q(text));
  EXPECT_EQ(FindMailedRecord("Zeltrand v0.90 2[" + mail + "]").record + ",", line);

  StringSource source(line + "\n");
  summary::RecordReader reader(source, INT64_MAX);
  const summary::Record* record = reader.Next();
  ASSERT_NE(record, nullptr);
  for (const std::size_t at : {0, 9, 14, 15, 21}) EXPECT_EQ(record->columns.at(at), text) << at;
  EXPECT_EQ(record->columns.at(7), "--%、--%");
  summary::Inventory inventory;
  inventory.Add(*record);
  EXPECT_EQ(inventory.pcs().at(0).Latest().columns, record->columns);
}

INSTANTIATE_TEST_SUITE_P(Texts, FormulaTexts,
                         ::testing::Values(FormulaCase{"=HYPERLINK(A1&B1)", "'=HYPERLINK(A1&B1)"},
                                           FormulaCase{"+81 3", "'+81 3"},
                                           FormulaCase{"-Tools-", "'-Tools-"},
                                           FormulaCase{"@SUM(A1)", "'@SUM(A1)"},
                                           FormulaCase{"'=1", "''=1"}, FormulaCase{"''-1", "'''-1"},
                                           FormulaCase{"'abc", "'abc"}, FormulaCase{"a=b", "a=b"},
                                           FormulaCase{"'", "'"}));

}  // namespace
}  // namespace zeltrand::testing
