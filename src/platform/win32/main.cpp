// Process entry: runs the main dialog from the template "Dlg" and returns 0
// when it ends. The dialog procedure only hands messages to MainDialog.
#include <windows.h>

#include "app/main_dialog.h"
#include "platform/win32/dialog_window.h"
#include "platform/win32/services.h"
#include "platform/win32/system_library.h"

namespace {

using namespace zeltrand;

struct Program {
  win32::SystemServices system;
  AppState state;
  win32::Win32DialogWindow window;
  MainDialog dialog{state, system.services, window};
};

Program* g_program = nullptr;  // for the message filter hook only
HHOOK g_escape_hook = nullptr;

// The dialog manager turns Esc into command 2, which is also the id of the
// Windows version field: Esc would open that field's detail display. Esc
// does nothing in this dialog, so it is dropped before the dialog manager
// sees it.
LRESULT CALLBACK DropEscape(int code, WPARAM wparam, LPARAM lparam) {
  if (code == MSGF_DIALOGBOX) {
    const MSG* msg = reinterpret_cast<const MSG*>(lparam);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP || msg->message == WM_CHAR) &&
        msg->wParam == VK_ESCAPE && g_program != nullptr) {
      const HWND dialog = g_program->window.handle();
      if (msg->hwnd == dialog || IsChild(dialog, msg->hwnd)) return 1;
    }
  }
  return CallNextHookEx(g_escape_hook, code, wparam, lparam);
}

INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    g_program = reinterpret_cast<Program*>(lparam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lparam);
    g_program->window.Attach(hwnd);
    g_escape_hook = SetWindowsHookExW(WH_MSGFILTER, DropEscape, nullptr, GetCurrentThreadId());
    g_program->dialog.OnInit();
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
      program->dialog.OnCommand(LOWORD(wparam));
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  win32::RestrictDllSearch();  // before anything loads a DLL of its own
  static Program program;      // lives as long as the process, like the dialog
  DialogBoxParamW(instance, L"Dlg", nullptr, DialogProc, reinterpret_cast<LPARAM>(&program));
  if (g_escape_hook) UnhookWindowsHookEx(g_escape_hook);
  return program.state.exit_code;
}
