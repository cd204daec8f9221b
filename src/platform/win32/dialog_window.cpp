#include "platform/win32/dialog_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cwchar>
#include <utility>

#include "core/control_ids.h"
#include "core/cp932.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

std::wstring WindowText(HWND hwnd) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

void Win32DialogWindow::SetIcon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"ZeltrandIcon");
  SetClassLongPtrW(dialog_, GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
}

void Win32DialogWindow::CreateListBrush() {
  list_brush_ = CreateSolidBrush(GetSysColor(COLOR_MENU));
}

void Win32DialogWindow::InitCommonControls() {
  ::InitCommonControls();
}

bool Win32DialogWindow::IsShiftDown() {
  return (GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

void Win32DialogWindow::SetTitle(std::string_view text) {
  SetWindowTextW(dialog_, Widen(text).c_str());
}

void Win32DialogWindow::SetItemText(int id, std::string_view text) {
  SetDlgItemTextW(dialog_, id, Widen(text).c_str());
}

std::string Win32DialogWindow::GetItemText(int id, std::size_t max_bytes) {
  return cp932::Cut(Narrow(WindowText(GetDlgItem(dialog_, id))), max_bytes);
}

void Win32DialogWindow::SetCheck(int id, bool checked) {
  SendDlgItemMessageW(dialog_, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Win32DialogWindow::IsChecked(int id) {
  return IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void Win32DialogWindow::SetListHorizontalExtent(int id, int pixels) {
  SendDlgItemMessageW(dialog_, id, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(pixels), 0);
}

void Win32DialogWindow::InsertListItem(int id, int index, std::string_view text) {
  const std::wstring wide = Widen(text);
  SendDlgItemMessageW(dialog_, id, LB_INSERTSTRING, static_cast<WPARAM>(index),
                      reinterpret_cast<LPARAM>(wide.c_str()));
}

void Win32DialogWindow::Focus(int id) {
  SetFocus(GetDlgItem(dialog_, id));
}

// One tooltip window serves every tool: it watches each tool's mouse
// messages and shows the text of the one under the pointer.
void Win32DialogWindow::AddTooltip(int id, std::string_view text) {
  const HWND tool_window = id == kWholeDialog ? dialog_ : GetDlgItem(dialog_, id);
  if (!tool_window) return;
  if (!tooltip_) {
    tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, TTS_ALWAYSTIP, 0, 0, 0, 0, dialog_,
                               nullptr, nullptr, nullptr);
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 255);
  }
  std::wstring wide = Widen(text);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(tool_window);
  tool.lpszText = wide.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32DialogWindow::WatchFieldClicks() {
  constexpr SUBCLASSPROC kFieldProc = [](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR id, DWORD_PTR self) -> LRESULT {
    int& at_work = reinterpret_cast<Win32DialogWindow*>(self)->field_at_work_;
    const int outer = std::exchange(at_work, static_cast<int>(id));
    const LRESULT result = DefSubclassProc(hwnd, message, wparam, lparam);
    at_work = outer;
    return result;
  };
  for (int id = ctl::kFirstField; id <= ctl::kLastField; ++id) {
    SetWindowSubclass(GetDlgItem(dialog_, id), kFieldProc, static_cast<UINT_PTR>(id),
                      reinterpret_cast<DWORD_PTR>(this));
  }
}

void Win32DialogWindow::ShowMinimized() {
  ShowWindow(dialog_, SW_SHOWMINIMIZED);
}

// A top-level window owned by the dialog, not a child: it stays visible
// while the dialog is minimised and has a title bar of its own.
void Win32DialogWindow::OpenProgressWindow(std::string_view caption) {
  progress_ = CreateWindowExW(0, L"STATIC", Widen(caption).c_str(), WS_VISIBLE | SS_CENTER, 400,
                              330, 202, 98, dialog_, nullptr, nullptr, nullptr);
}

void Win32DialogWindow::SetProgressText(std::string_view text) {
  if (progress_) SetWindowTextW(progress_, Widen(text).c_str());
}

void Win32DialogWindow::CloseProgressWindow() {
  if (progress_) DestroyWindow(progress_);
  progress_ = nullptr;
}

// Top-level and owned like the progress window; with no height it shows
// only its title bar, which carries the countdown.
void Win32DialogWindow::OpenWaitNotice(std::string_view text) {
  CloseWaitNotice();
  notice_ = CreateWindowExW(0, L"STATIC", Widen(text).c_str(), WS_VISIBLE, 400, 400, 202, 0,
                            dialog_, nullptr, nullptr, nullptr);
}

void Win32DialogWindow::SetWaitNoticeText(std::string_view text) {
  if (notice_) SetWindowTextW(notice_, Widen(text).c_str());
}

void Win32DialogWindow::ActivateWaitNotice() {
  if (notice_) SetActiveWindow(notice_);
}

void Win32DialogWindow::CloseWaitNotice() {
  if (notice_) DestroyWindow(notice_);
  notice_ = nullptr;
}

// The file name box holds a path of any length Windows accepts.
std::optional<std::string> Win32DialogWindow::ChooseSaveFile(const SaveFileRequest& request) {
  std::wstring filter = Widen(request.filter_name);
  filter += L'\0';
  filter += Widen(request.filter_pattern);
  filter += L'\0';
  std::wstring file = Widen(request.initial_path);
  file.resize(std::max<size_t>(file.size() + 1, 32768), L'\0');
  const std::wstring title = Widen(request.title);
  const std::wstring folder = Widen(request.initial_dir);
  const std::wstring extension = Widen(request.default_extension);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog_;
  ofn.lpstrFilter = filter.c_str();  // the string's own terminator ends the list
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.c_str();
  ofn.lpstrTitle = title.c_str();
  ofn.Flags = OFN_HIDEREADONLY;
  ofn.lpstrDefExt = extension.c_str();
  if (!GetSaveFileNameW(&ofn)) return std::nullopt;
  file.resize(wcsnlen(file.c_str(), file.size()));
  std::string path = NarrowPath(file);
  if (path.empty()) return std::nullopt;  // a name the record path cannot hold
  return path;
}

namespace {

// The text of one clipboard format, up to its terminator or its block's end.
template <typename Char>
std::optional<std::basic_string<Char>> ClipboardData(UINT format) {
  HANDLE data = GetClipboardData(format);
  const auto* text = data ? static_cast<const Char*>(GlobalLock(data)) : nullptr;
  if (!text) return std::nullopt;
  const size_t limit = GlobalSize(data) / sizeof(Char);
  size_t length = 0;
  while (length < limit && text[length] != 0) ++length;
  std::basic_string<Char> copy(text, length);
  GlobalUnlock(data);
  return copy;
}

}  // namespace

// Unicode text first: Windows makes it from text of any code page with the
// clipboard's locale, and it comes back here as code page 932 whatever the
// system's ANSI code page is.
std::optional<ClipboardText> Win32DialogWindow::ReadClipboardText() {
  if (!OpenClipboard(dialog_)) return std::nullopt;
  std::optional<ClipboardText> read;
  if (auto wide = ClipboardData<wchar_t>(CF_UNICODETEXT)) {
    read = ClipboardText{Narrow(*wide), 0};
  } else if (auto narrow = ClipboardData<char>(CF_TEXT)) {
    read = ClipboardText{std::move(*narrow), 0};
  }
  if (read) read->sequence = GetClipboardSequenceNumber();
  CloseClipboard();
  return read;
}

void Win32DialogWindow::EmptyClipboard(const ClipboardText& read) {
  if (!OpenClipboard(dialog_)) return;
  if (GetClipboardSequenceNumber() == read.sequence) ::EmptyClipboard();
  CloseClipboard();
}

void Win32DialogWindow::StartTimer(int timer_id, unsigned milliseconds) {
  SetTimer(dialog_, static_cast<UINT_PTR>(timer_id), milliseconds, nullptr);
}

void Win32DialogWindow::StopTimer(int timer_id) {
  KillTimer(dialog_, static_cast<UINT_PTR>(timer_id));
}

void Win32DialogWindow::Activate() {
  SetActiveWindow(dialog_);
}

// The button's command, sent straight to the dialog: a BM_CLICK goes through
// a simulated mouse press, which moves the focus and can be lost while the
// dialog is minimised or inactive, as it is in an unattended run.
void Win32DialogWindow::Press(int id) {
  SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog_, id)));
}

void Win32DialogWindow::ShowWaitCursor() {
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

int Win32DialogWindow::ShowMessage(std::string_view text, std::string_view caption,
                                   unsigned style) {
  return MessageBoxW(dialog_, Widen(text).c_str(), Widen(caption).c_str(), style);
}

void Win32DialogWindow::End(int result) {
  EndDialog(dialog_, result);
}

}  // namespace zeltrand::win32
