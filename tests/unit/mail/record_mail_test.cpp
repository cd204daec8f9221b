#include "mail/record_mail.h"

#include <gtest/gtest.h>

#include "mail/kana_widener.h"
#include "record/clipboard_import.h"
#include "record/record_line.h"

namespace zeltrand::testing {
namespace {

// Long kanji fields and program names of half-width katakana, which double
// in JIS code, make lines far longer than 998 bytes unless broken; the
// import must still give back the record's own line.
TEST(MailedRecordText, KeepsEveryLineTo998BytesAndImportsBackToTheSameLine) {
  CollectedInfo pc;
  for (std::string& value : pc.item_values) {
    for (int i = 0; i < 79; ++i) value += "漢";
  }
  pc.item_values[2] = "a\"\",b";  // quotes and a comma inside a column
  pc.login_users = {std::string(150, 'u'), "user02"};
  for (int k = 0; k < 7; ++k) pc.softs.push_back(std::string(255, '\xB1'));
  const std::string text = MailedRecordText(BuildRecordLine("PC", pc, RecordForm::kMail));
  const std::string mailed = KanaWidener(text);
  std::size_t lines = 0;
  for (std::size_t start = 0; start < mailed.size(); ++lines) {
    const std::size_t end = std::min(mailed.find('\n', start), mailed.size());
    EXPECT_LE(end - start, kMailLineLimit) << "line " << lines;
    start = end + 1;
  }
  EXPECT_GT(lines, 9u);  // four of the record, broken into more
  const MailedRecord imported = FindMailedRecord(text);
  EXPECT_EQ(imported.record + ",", BuildRecordLine("PC", pc, RecordForm::kFile));
}

}  // namespace
}  // namespace zeltrand::testing
