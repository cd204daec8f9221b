#include "support/fake_window.h"

#include <utility>

#include "core/cp932.h"

namespace zeltrand::testing {

void FakeDialogWindow::SetTitle(std::string_view text) {
  title = text;
  log.push_back("SetTitle " + title);
}

void FakeDialogWindow::SetItemText(int id, std::string_view text) {
  texts[id] = text;
  log.push_back("SetItemText " + std::to_string(id) + " " + std::string(text));
}

std::string FakeDialogWindow::GetItemText(int id, std::size_t max_bytes) {
  return cp932::Cut(texts[id], max_bytes);
}

void FakeDialogWindow::SetCheck(int id, bool checked) {
  checks[id] = checked;
  log.push_back("SetCheck " + std::to_string(id) + (checked ? " 1" : " 0"));
}

void FakeDialogWindow::SetListHorizontalExtent(int id, int pixels) {
  log.push_back("SetListHorizontalExtent " + std::to_string(id) + " " + std::to_string(pixels));
}

void FakeDialogWindow::InsertListItem(int id, int index, std::string_view text) {
  auto& list = lists[id];
  list.insert(list.begin() + std::min<std::size_t>(static_cast<std::size_t>(index), list.size()),
              std::string(text));
  log.push_back("InsertListItem " + std::to_string(id) + " " + std::to_string(index));
}

void FakeDialogWindow::ShowMinimized() {
  minimized = true;
  log.push_back("ShowMinimized");
}

void FakeDialogWindow::OpenProgressWindow(std::string_view caption) {
  progress_open = true;
  progress_text = caption;
  log.push_back("OpenProgressWindow " + progress_text);
}

void FakeDialogWindow::SetProgressText(std::string_view text) {
  progress_text = text;
  log.push_back("SetProgressText");
}

// Like the real window: closing one that is not shown does nothing.
void FakeDialogWindow::CloseProgressWindow() {
  if (!progress_open) return;
  progress_open = false;
  log.push_back("CloseProgressWindow");
}

void FakeDialogWindow::OpenWaitNotice(std::string_view text) {
  notice_open = true;
  notice_text = text;
  notice_texts.push_back(notice_text);
  log.push_back("OpenWaitNotice " + notice_text);
}

void FakeDialogWindow::SetWaitNoticeText(std::string_view text) {
  if (!notice_open) return;
  notice_text = text;
  notice_texts.push_back(notice_text);
  log.push_back("SetWaitNoticeText " + notice_text);
}

void FakeDialogWindow::CloseWaitNotice() {
  if (!notice_open) return;
  notice_open = false;
  log.push_back("CloseWaitNotice");
}

std::optional<std::string> FakeDialogWindow::ChooseSaveFile(const SaveFileRequest& request) {
  save_requests.push_back(request);
  log.push_back("ChooseSaveFile");
  return std::exchange(save_choice, std::nullopt);
}

std::optional<ClipboardText> FakeDialogWindow::ReadClipboardText() {
  log.push_back("ReadClipboardText");
  if (!clipboard) return std::nullopt;
  return ClipboardText{*clipboard, clipboard_sequence};
}

void FakeDialogWindow::EmptyClipboard(const ClipboardText& read) {
  log.push_back("EmptyClipboard");
  if (read.sequence != clipboard_sequence) return;
  clipboard.reset();
  ++clipboard_sequence;
}

void FakeDialogWindow::CopyToClipboard(std::string_view text) {
  clipboard = std::string(text);
  ++clipboard_sequence;
}

void FakeDialogWindow::StartTimer(int timer_id, unsigned milliseconds) {
  running_timers.insert(timer_id);
  log.push_back("StartTimer " + std::to_string(timer_id) + " " + std::to_string(milliseconds));
}

void FakeDialogWindow::StopTimer(int timer_id) {
  running_timers.erase(timer_id);
  log.push_back("StopTimer " + std::to_string(timer_id));
}

void FakeDialogWindow::Press(int id) {
  log.push_back("Press " + std::to_string(id));
  if (on_press) on_press(id);
}

int FakeDialogWindow::ShowMessage(std::string_view text, std::string_view caption, unsigned style) {
  messages.push_back({std::string(text), std::string(caption), style});
  log.push_back("ShowMessage");
  if (message_answers.empty()) return style == kMbYesNo ? kIdNo : kIdOk;
  const int answer = message_answers.front();
  message_answers.pop_front();
  return answer;
}

void FakeDialogWindow::End(int result) {
  end_result = result;
  ++end_calls;
  log.push_back("End " + std::to_string(result));
}

std::vector<std::string> FakeDialogWindow::LogOf(std::string_view prefix) const {
  std::vector<std::string> out;
  for (const auto& entry : log) {
    if (entry.starts_with(prefix)) out.push_back(entry);
  }
  return out;
}

}  // namespace zeltrand::testing
