#include "record/record_line.h"

#include <algorithm>

#include "core/control_ids.h"
#include "core/formula_text.h"

namespace zeltrand {

namespace {

constexpr std::size_t kSoftwarePerMailLine = 3;

// A line break or tab inside a text (a program name can carry one) would
// split the record over two lines of the file. Shift-JIS never uses these
// bytes inside a two-byte character, so they can go one by one.
bool IsControlByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// The file guards the texts users control against formulas
// (core/formula_text.h), judged as the column shows them: with control
// bytes blanked. The mail carries them as they are; 取込 guards them.
void AppendRecordColumn(std::string& line, std::string_view text, bool guard) {
  if (!guard) return AppendColumn(line, text);
  std::string shown(text);
  std::replace_if(shown.begin(), shown.end(), IsControlByte, ' ');
  AppendColumn(line, formula::Guarded(shown));
}

}  // namespace

void AppendColumn(std::string& line, std::string_view text) {
  line += '"';
  for (const char c : text) {
    if (c == '"') line += '"';  // doubled, so a spreadsheet reads it as part of the text
    line += IsControlByte(c) ? ' ' : c;
  }
  line += "\",";
}

std::string BuildRecordLine(std::string_view pc_name, const CollectedInfo& info, RecordForm form) {
  std::string line;
  std::size_t column = 0;
  const auto add = [&](std::string_view text) {
    const bool users_text = formula::IsUserColumn(column++);
    AppendRecordColumn(line, text, form == RecordForm::kFile && users_text);
  };
  add(pc_name);
  for (const std::string& value : info.item_values) add(value);
  for (std::size_t i = 0; i < kRecordUserColumns; ++i) {
    add(i < info.login_users.size() ? info.login_users[i] : std::string_view());
  }
  for (std::size_t k = 0; k < info.softs.size(); ++k) {
    if (form == RecordForm::kMail && k % kSoftwarePerMailLine == 0) line += '\n';
    add(info.softs[k]);
  }
  return line;
}

std::string BuildRecordLine(const AppState& state, DialogWindow& window, RecordForm form) {
  return BuildRecordLine(window.GetItemText(ctl::kPcNameEdit), state.collected, form);
}

std::string BuildRecordHeader(DialogWindow& window) {
  std::string header;
  AppendColumn(header, window.GetItemText(kPcNameLabel));
  for (int id = ctl::kFirstLabel; id <= kUserListLabel; ++id) {
    AppendColumn(header, window.GetItemText(id));
  }
  for (int i = 1; i < kRecordUserColumns; ++i) AppendColumn(header, "");
  AppendColumn(header, window.GetItemText(kSoftwareListLabel));
  header.back() = '\n';  // the last column has no comma
  return header;
}

}  // namespace zeltrand
