#include "core/report_file.h"

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand {
namespace {

void AppendWithCrLf(std::string& out, std::string_view text) {
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
}

}  // namespace

std::string FormatReportFile(std::string_view header, std::string_view body) {
  std::string out;
  out.reserve(kTitleText.size() + header.size() + body.size() + body.size() / 16 + 16);
  AppendWithCrLf(out, kTitleText);
  AppendWithCrLf(out, "\n\n");
  AppendWithCrLf(out, header);
  AppendWithCrLf(out, "\n");
  AppendWithCrLf(out, body);
  AppendWithCrLf(out, "\n");
  return out;
}

bool WriteReportFile(Files& files, DialogWindow& window, const std::string& file_name,
                     std::string_view header, std::string_view body) {
  if (files.WriteWholeFile(file_name, FormatReportFile(header, body))) return true;
  window.ShowMessage(std::string(file_name) + " を書き込めませんでした。", kTitleText,
                     kMbOk | kMbIconWarning);
  return false;
}

}  // namespace zeltrand
