// The real dialog behind DialogWindow.
#pragma once

#include <windows.h>

#include "platform/window.h"

namespace zeltrand::win32 {

class Win32DialogWindow final : public DialogWindow {
 public:
  void Attach(HWND dialog) { dialog_ = dialog; }
  HWND handle() const { return dialog_; }
  HBRUSH list_brush() const { return list_brush_; }
  // The dialog manager sends command 2 (IDCANCEL) for Esc and Ctrl+Break,
  // with the handle of control 2, which is a field: a field's command is
  // taken as its click only while that field is handling a message itself.
  void WatchFieldClicks();
  bool IsFieldClick(int id) const { return id == field_at_work_; }

  void SetIcon() override;
  void CreateListBrush() override;
  void InitCommonControls() override;
  bool IsShiftDown() override;
  void SetTitle(std::string_view text) override;
  void SetItemText(int id, std::string_view text) override;
  std::string GetItemText(int id, std::size_t max_bytes) override;
  void SetCheck(int id, bool checked) override;
  bool IsChecked(int id) override;
  void SetListHorizontalExtent(int id, int pixels) override;
  void InsertListItem(int id, int index, std::string_view text) override;
  void Focus(int id) override;
  void AddTooltip(int id, std::string_view text) override;
  void ShowMinimized() override;
  void OpenProgressWindow(std::string_view caption) override;
  void SetProgressText(std::string_view text) override;
  void CloseProgressWindow() override;
  void OpenWaitNotice(std::string_view text) override;
  void SetWaitNoticeText(std::string_view text) override;
  void ActivateWaitNotice() override;
  void CloseWaitNotice() override;
  std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) override;
  std::optional<ClipboardText> ReadClipboardText() override;
  void EmptyClipboard(const ClipboardText& read) override;
  void StartTimer(int timer_id, unsigned milliseconds) override;
  void StopTimer(int timer_id) override;
  void Activate() override;
  void Press(int id) override;
  void ShowWaitCursor() override;
  int ShowMessage(std::string_view text, std::string_view caption, unsigned style) override;
  void End(int result) override;

 private:
  HWND dialog_ = nullptr;
  HWND progress_ = nullptr;
  HWND notice_ = nullptr;
  HBRUSH list_brush_ = nullptr;
  HWND tooltip_ = nullptr;  // one for the dialog and all its controls
  int field_at_work_ = -1;  // the field whose window procedure is running
};

}  // namespace zeltrand::win32
