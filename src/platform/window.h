// The dialog as the program's logic sees it: its controls by id, its
// timers, message boxes, the small progress and notice windows, the
// save-file dialog and the clipboard. The Win32 layer implements it over
// the real dialog; tests use a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

// Message box styles and answers, with the values Windows gives them.
inline constexpr unsigned kMbOk = 0x0;
inline constexpr unsigned kMbYesNo = 0x4;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr int kIdOk = 1;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;

// Stands for the dialog itself where a control id is expected.
inline constexpr int kWholeDialog = -1;

// What the save-file dialog starts from. The filter has one pair: a name to
// show and the pattern of the files it lists.
struct SaveFileRequest {
  std::string title;
  std::string filter_name;
  std::string filter_pattern;
  std::string initial_dir;
  std::string initial_path;  // the file name box, often a full path
  std::string default_extension;
};

// The clipboard's text together with its change count at the time it was
// read, so that what was put on it since is never thrown away.
struct ClipboardText {
  std::string text;
  std::uint32_t sequence = 0;
};

class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  // Appearance set up once at start: the class icon, the list-box brush,
  // the common controls.
  virtual void SetIcon() = 0;
  virtual void CreateListBrush() = 0;
  virtual void InitCommonControls() = 0;
  virtual bool IsShiftDown() = 0;

  virtual void SetTitle(std::string_view text) = 0;
  virtual void SetItemText(int id, std::string_view text) = 0;
  // At most `max_bytes` bytes, cut on a character boundary.
  virtual std::string GetItemText(int id, std::size_t max_bytes = 255) = 0;
  virtual void SetCheck(int id, bool checked) = 0;
  virtual bool IsChecked(int id) = 0;
  virtual void SetListHorizontalExtent(int id, int pixels) = 0;
  virtual void InsertListItem(int id, int index, std::string_view text) = 0;
  virtual void Focus(int id) = 0;
  // A tooltip for control `id` (or kWholeDialog) that wraps at 255 pixels
  // and breaks lines at line feeds.
  virtual void AddTooltip(int id, std::string_view text) = 0;

  virtual void ShowMinimized() = 0;
  // The small owned window that tells an unattended run is working.
  virtual void OpenProgressWindow(std::string_view caption) = 0;
  virtual void SetProgressText(std::string_view text) = 0;
  virtual void CloseProgressWindow() = 0;
  // The small owned window that counts down while the record file is busy;
  // its text is its caption.
  virtual void OpenWaitNotice(std::string_view text) = 0;
  virtual void SetWaitNoticeText(std::string_view text) = 0;
  virtual void ActivateWaitNotice() = 0;
  virtual void CloseWaitNotice() = 0;

  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseSaveFile(const SaveFileRequest& request) = 0;
  // Nothing when the clipboard holds no text or cannot be opened.
  virtual std::optional<ClipboardText> ReadClipboardText() = 0;
  // Empties the clipboard unless something new was put on it since `read`.
  virtual void EmptyClipboard(const ClipboardText& read) = 0;

  virtual void StartTimer(int timer_id, unsigned milliseconds) = 0;
  virtual void StopTimer(int timer_id) = 0;
  virtual void Activate() = 0;
  // Runs the command of button `id` to completion before returning.
  virtual void Press(int id) = 0;
  virtual void ShowWaitCursor() = 0;
  virtual int ShowMessage(std::string_view text, std::string_view caption, unsigned style) = 0;
  // Marks the dialog as ended; it closes when the current message returns.
  virtual void End(int result) = 0;
};

}  // namespace zeltrand
