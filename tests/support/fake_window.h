// A dialog in memory: control texts and checks by id, timers, message boxes
// with scripted answers, and a log of every call in order.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/window.h"

namespace zeltrand::testing {

struct ShownMessage {
  std::string text;
  std::string caption;
  unsigned style;
};

class FakeDialogWindow : public DialogWindow {
 public:
  // Called by Press(id), as the real button's click would run the command.
  std::function<void(int)> on_press;
  bool shift_down = false;
  std::deque<int> message_answers;  // answers to the next message boxes

  std::vector<std::string> log;
  std::map<int, std::string> texts;
  std::map<int, bool> checks;
  std::map<int, std::vector<std::string>> lists;
  std::vector<std::pair<int, std::string>> tooltips;  // control id (or kWholeDialog), text
  std::set<int> running_timers;
  std::vector<ShownMessage> messages;
  std::string title;
  std::string progress_text;
  bool progress_open = false;
  bool minimized = false;
  bool notice_open = false;
  std::string notice_text;
  std::vector<std::string> notice_texts;  // every text the notice showed, in order
  // The save-file dialog: what it was asked, and the user's next answer.
  std::vector<SaveFileRequest> save_requests;
  std::optional<std::string> save_choice;
  // CF_TEXT; nothing when the clipboard holds no text. Every change counts.
  std::optional<std::string> clipboard;
  std::uint32_t clipboard_sequence = 1;
  int end_result = -1;
  int end_calls = 0;

  void SetIcon() override { log.push_back("SetIcon"); }
  void CreateListBrush() override { log.push_back("CreateListBrush"); }
  void InitCommonControls() override { log.push_back("InitCommonControls"); }
  bool IsShiftDown() override {
    log.push_back("IsShiftDown");
    return shift_down;
  }
  void SetTitle(std::string_view text) override;
  void SetItemText(int id, std::string_view text) override;
  std::string GetItemText(int id, std::size_t max_bytes) override;
  void SetCheck(int id, bool checked) override;
  bool IsChecked(int id) override { return checks[id]; }
  void SetListHorizontalExtent(int id, int pixels) override;
  void InsertListItem(int id, int index, std::string_view text) override;
  void Focus(int id) override { log.push_back("Focus " + std::to_string(id)); }
  void AddTooltip(int id, std::string_view text) override { tooltips.emplace_back(id, text); }
  void ShowMinimized() override;
  void OpenProgressWindow(std::string_view caption) override;
  void SetProgressText(std::string_view text) override;
  void CloseProgressWindow() override;
  void OpenWaitNotice(std::string_view text) override;
  void SetWaitNoticeText(std::string_view text) override;
  void ActivateWaitNotice() override { log.push_back("ActivateWaitNotice"); }
  void CloseWaitNotice() override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
  std::optional<ClipboardText> ReadClipboardText() override;
  void EmptyClipboard(const ClipboardText& read) override;
  // Puts new text on the clipboard, as another program would.
  void CopyToClipboard(std::string_view text);
  void StartTimer(int timer_id, unsigned milliseconds) override;
  void StopTimer(int timer_id) override;
  void Activate() override { log.push_back("Activate"); }
  void Press(int id) override;
  void ShowWaitCursor() override { log.push_back("ShowWaitCursor"); }
  int ShowMessage(std::string_view text, std::string_view caption, unsigned style) override;
  void End(int result) override;

  // The log entries that start with `prefix`, in order.
  std::vector<std::string> LogOf(std::string_view prefix) const;
};

}  // namespace zeltrand::testing
