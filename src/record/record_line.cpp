#include "record/record_line.h"

#include "core/control_ids.h"

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
  AppendColumn(line, pc_name);
  for (const std::string& value : info.item_values) AppendColumn(line, value);
  for (std::size_t i = 0; i < kRecordUserColumns; ++i) {
    AppendColumn(line, i < info.login_users.size() ? info.login_users[i] : std::string_view());
  }
  for (std::size_t k = 0; k < info.softs.size(); ++k) {
    if (form == RecordForm::kMail && k % kSoftwarePerMailLine == 0) line += '\n';
    AppendColumn(line, info.softs[k]);
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
