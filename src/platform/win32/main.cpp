// Process entry: runs the main dialog from the template "Dlg" and returns 0
// when it ends; with /summary, makes the administrator's page instead. The dialog procedure only
// hands messages to MainDialog.
#include <windows.h>

#include <objbase.h>

#include "app/main_dialog.h"
#include "app/ocs_command.h"
#include "app/summary_command.h"
#include "platform/win32/dialog_window.h"
#include "platform/win32/http.h"
#include "platform/win32/ocs_command.h"
#include "platform/win32/services.h"
#include "platform/win32/summary_command.h"
#include "platform/win32/system.h"
#include "platform/win32/system_library.h"
#include "platform/zlib_codec.h"

namespace {

using namespace zeltrand;

struct Program {
  win32::SystemServices system;
  AppState state;
  win32::Win32DialogWindow window;
  MainDialog dialog{state, system.services, window};
};

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    auto* program = reinterpret_cast<Program*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    program->window.Attach(hwnd);
    program->window.WatchFieldClicks();
    program->dialog.OnInit();
    return FALSE;  // the focus is already set
  }
  auto* program = reinterpret_cast<Program*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (program == nullptr) return FALSE;
  switch (message) {
    case WM_TIMER:
      program->dialog.OnTimer(static_cast<int>(wparam));
      return TRUE;
    case WM_CLOSE:
      program->dialog.OnClose();
      return TRUE;
    case WM_CTLCOLORLISTBOX:
      SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_MENU));
      return reinterpret_cast<INT_PTR>(program->window.list_brush());
    case WM_COMMAND:
      // Esc, Ctrl+Break: command 2 from the dialog manager, not field 2's click.
      if (LOWORD(wparam) <= ctl::kLastField && !program->window.IsFieldClick(LOWORD(wparam))) {
        return TRUE;
      }
      program->dialog.OnCommand(LOWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::RestrictDllSearch();  // before anything loads a DLL of its own
  // The shell (ShellExecute, the shortcut object) wants COM on this thread,
  // in a single-threaded apartment, for as long as the program runs.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (win32::IsSummaryCommand(GetCommandLineW())) {  // no dialog
    win32::Win32SummaryIo io(GetCommandLineW());
    win32::Win32Files files;
    win32::Win32TextConverter converter;
    return RunSummaryCommand(io, &files, converter);
  }
  if (win32::IsOcsCommand(GetCommandLineW())) {  // no dialog either
    const std::vector<std::string> arguments = win32::OcsArguments(GetCommandLineW());
    OcsOptions options;
    const std::optional<std::size_t> taken = ParseOcsOptions(arguments, options);
    if (!taken || *taken >= arguments.size() || arguments[*taken].empty()) {
      win32::ShowOcsReport("Zeltrand.exe /ocs [--since 日数 | --all] URL [取得情報記録ﾌｧｲﾙ]",
                           false);
      return 64;
    }
    // The record file stays in the system's own text: a path code page 932
    // cannot spell is opened all the same.
    win32::Win32SummaryIo io(GetCommandLineW(), /*record_argument=*/2 + *taken);
    win32::Win32Files files;
    win32::Win32Http http;
    win32::Win32Clock clock;
    server::ServerLink link{http, clock, ZlibCompress, ZlibInflate};
    win32::Win32TextConverter text;
    return RunOcsCommand(io, &files, arguments[*taken], options, link, text, win32::ShowOcsReport);
  }
  static Program program;  // lives as long as the process, like the dialog
  DialogBoxParamW(instance, L"Dlg", nullptr, DialogProc, reinterpret_cast<LPARAM>(&program));
  return program.state.exit_code;
}
