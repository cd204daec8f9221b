#include "app/item_help.h"

#include "core/report_file.h"
#include "platform/shell.h"
#include "resources/descriptions.h"
#include "resources/help_texts.h"

namespace zeltrand {

namespace {

constexpr int kLastLabelledControl = ctl::kRecordPathEdit;

std::string WithoutLineFeeds(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c != '\n') out += c;
  }
  return out;
}

}  // namespace

std::string ItemName(DialogWindow& window, int id) {
  return window.GetItemText(id <= kLastLabelledControl ? ctl::kFirstLabel + id : id);
}

void CreateTooltips(DialogWindow& window) {
  window.AddTooltip(kWholeDialog, kDialogTooltip);
  for (int id = 0; id < ctl::kCommandCount; ++id) window.AddTooltip(id, kDescriptionTable[id]);
}

void ShowDetail(DialogWindow& window, const ItemValues& values, int item) {
  std::string text(kDescriptionTable[item]);
  text += "\n\n";
  text += values[item];
  window.ShowMessage(text, ItemName(window, item), kMbOk);
}

void ShowHelp(AppState& state, Services& services, DialogWindow& window) {
  std::string& body = state.report_buffer;
  body = "\n【項目説明】\n";
  for (int id = 0; id < ctl::kCommandCount; ++id) {
    body += ' ';
    body += ItemName(window, id);
    body += " --- ";
    body += WithoutLineFeeds(kDescriptionTable[id]);
    body += '\n';
  }
  body += kHelpOther;
  body += '\n';
  if (WriteReportFile(services.files, window, kHelpFileName, kHelpIntro, body)) {
    services.shell.Open(kHelpFileName);
  }
}

}  // namespace zeltrand
