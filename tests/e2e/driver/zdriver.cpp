// zdriver.exe: drives Zeltrand's dialog from a second Wine process, for the
// end-to-end tests (tests/e2e/harness/zeltrand_e2e.py wraps every command).
//
//   find [--exe PATH] [--title TEXT] [--class NAME] [--timeout MS]
//       Waits for visible, unowned top-level windows of class NAME (default
//       "#32770") whose process image is PATH (a Windows path, compared
//       without case) and/or whose title is TEXT. Prints one HWND a line.
//   info HWND                  the window's record, as `windows` prints it
//   windows                    every top-level window:
//       HWND class owner visible iconic style exstyle x y w h cx cy cw ch exe title
//       (x y w h: window rectangle; cx cy cw ch: client area; both on screen)
//   controls HWND              every child in tab (creation) order:
//       id class style exstyle x y w h text   (x y w h in client pixels)
//   units HWND TEMPLATE        dialog base units of the dialog template
//       TEMPLATE in the exe of HWND's process:  units baseX baseY
//   text HWND [ID]             text of control ID (no ID: of HWND itself)
//   settext HWND ID TEXT
//   items HWND ID              list box lines:  index text
//   check HWND ID              BM_GETCHECK: 0, 1 or 2
//   focus HWND                 the focused window of HWND's thread:  HWND id
//   click HWND ID              posts BM_CLICK to the control
//   command HWND ID [CODE]     posts WM_COMMAND(ID, CODE) as the control would
//   close HWND                 posts WM_CLOSE
//   sysclose HWND              posts WM_SYSCOMMAND SC_CLOSE (the close box)
//   key HWND VK [ID]           posts WM_KEYDOWN and WM_KEYUP to control ID,
//                              else to the focused control, else to HWND
//   settle HWND [--timeout MS] waits until HWND and its children are painted
//                              (for a screenshot that shows the whole window)
//   wait-gone HWND [--timeout MS]
//   kill HWND                  ends the process owning HWND (exit code 1) and
//                              waits for it; for leftovers of a failed case
//   pointer HWND ID [click]    moves the pointer onto the middle of control ID
//                              (and clicks the left button) by real input
//   keys HWND VK...            presses the keys together by real input, with
//                              HWND in the foreground: down in order, up in
//                              reverse (17 3: Ctrl+Break)
//   tooltips HWND              every tool of the tooltip windows HWND owns:
//       tooltip-HWND id|dialog flags maxwidth text
//   shortcut startup|programs NAME
//       the shortcut NAME in the user's folder:  path P / target T /
//       workdir W / description D, or path P / missing
//   msgbox --owner HWND|none [--timeout MS]
//       Waits for a "#32770" owned by HWND and prints its records:
//       hwnd HWND / caption TEXT / text TEXT / button ID TEXT (one a button)
//   answer --owner HWND --button IDOK|IDCANCEL|IDYES|IDNO|... [--timeout MS]
//       Clicks that button of the box and waits until the box is gone.
//   clip-set FILE              CF_TEXT = the file's bytes, CF_LOCALE = 0x0411
//   clip-get                   CF_TEXT's bytes, unchanged, to stdout
//   clip-empty
//   add-root FILE              adds the DER certificate FILE to the ROOT store
//                              of the machine's user (the prefix trusts it)
//
// HWNDs are printed as 0x hex; numbers are read as decimal or 0x hex. Output is
// UTF-8, one record a line, fields separated by tabs; backslash, tab, CR and
// LF inside a text are written as \\ \t \r \n. Exit code 0 on success, 1 when
// something was not found in time or failed, 2 on a usage error, 3 when the
// driver itself broke.
//
// Everything that makes the program act is posted, never sent: a handler
// that opens a modal box would otherwise block the driver until it closes.
// Only settext sends (the text must travel with the message), with a time limit.

#include <windows.h>

#include <commctrl.h>
#include <knownfolders.h>
#include <shlobj.h>
#include <wincrypt.h>

#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <cstdint>
#include <cwchar>
#include <exception>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;

struct UsageError {
  std::wstring what;
};

struct Failure {
  std::wstring what;
};

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

std::wstring Escape(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    switch (c) {
      case L'\\':
        out += L"\\\\";
        break;
      case L'\t':
        out += L"\\t";
        break;
      case L'\r':
        out += L"\\r";
        break;
      case L'\n':
        out += L"\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void Write(const std::wstring& text) {
  std::string bytes = Utf8(text);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
}

// One record: the fields joined by tabs. Texts must already be escaped.
void Record(const std::vector<std::wstring>& fields) {
  std::wstring line;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += L'\t';
    line += fields[i];
  }
  Write(line + L"\n");
}

std::wstring Hex(uint64_t value, int digits = 0) {
  wchar_t buffer[32];
  swprintf(buffer, 32, L"0x%0*llX", digits, static_cast<unsigned long long>(value));
  return buffer;
}

std::wstring HwndText(HWND hwnd) {
  return Hex(reinterpret_cast<uintptr_t>(hwnd));
}

std::wstring Dec(long long value) {
  return std::to_wstring(value);
}

uint64_t ParseNumber(const std::wstring& text) {
  if (text.empty()) throw UsageError{L"empty number"};
  wchar_t* end = nullptr;
  unsigned long long value = wcstoull(text.c_str(), &end, 0);
  if (*end != L'\0') throw UsageError{L"not a number: " + text};
  return value;
}

HWND ParseHwnd(const std::wstring& text) {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(text)));
  if (!IsWindow(hwnd)) throw Failure{L"no such window: " + text};
  return hwnd;
}

int ParseId(const std::wstring& text) {
  return static_cast<int>(ParseNumber(text));
}

// Command line: positional arguments plus "--name value" options.
struct Args {
  std::vector<std::wstring> positional;
  std::vector<std::pair<std::wstring, std::wstring>> options;

  std::optional<std::wstring> Option(const std::wstring& name) const {
    for (const auto& [key, value] : options)
      if (key == name) return value;
    return std::nullopt;
  }
  DWORD Timeout(DWORD fallback) const {
    auto value = Option(L"timeout");
    return value ? static_cast<DWORD>(ParseNumber(*value)) : fallback;
  }
  const std::wstring& At(size_t i) const {
    if (i >= positional.size()) throw UsageError{L"missing argument"};
    return positional[i];
  }
};

Args ParseArgs(int argc, wchar_t** argv) {
  Args args;
  for (int i = 2; i < argc; ++i) {
    std::wstring arg = argv[i];
    if (arg.rfind(L"--", 0) == 0) {
      if (i + 1 >= argc) throw UsageError{L"option without value: " + arg};
      args.options.emplace_back(arg.substr(2), argv[++i]);
    } else {
      args.positional.push_back(arg);
    }
  }
  return args;
}

// Polls until `done` holds or `timeout_ms` has passed; true when it held.
template <typename Condition>
bool WaitFor(DWORD timeout_ms, Condition done) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(kPollMs);
  }
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = L"";
  GetClassNameW(hwnd, name, 256);
  return name;
}

// The caption as the window manager keeps it; never waits on the owner
// (GetWindowTextLength asks the owner's thread, which may be busy).
std::wstring CaptionOf(HWND hwnd) {
  std::wstring text(4096, L'\0');
  int got = InternalGetWindowText(hwnd, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  return text;
}

// WM_GETTEXT, answered by the control itself (an edit's text lives only there).
// A thread that has just come back from a long call (a box shown after a
// blocking send) counts as hung until it next reads its queue: asked again
// for a while.
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!WaitFor(kSendTimeoutMs, [&] {
        return SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                                   &length) != 0;
      }))
    throw Failure{L"WM_GETTEXTLENGTH timed out on " + HwndText(hwnd)};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &got))
    throw Failure{L"WM_GETTEXT timed out on " + HwndText(hwnd)};
  text.resize(got);
  return text;
}

// Looked up once per process: a program has many windows (its tooltips).
std::wstring ImageOf(HWND hwnd) {
  static std::map<DWORD, std::wstring> images;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (auto known = images.find(pid); known != images.end()) return known->second;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return L"";
  wchar_t path[MAX_PATH * 2];
  DWORD size = MAX_PATH * 2;
  std::wstring& image = images[pid];
  if (QueryFullProcessImageNameW(process, 0, path, &size)) image.assign(path, size);
  CloseHandle(process);
  return image;
}

bool SamePath(std::wstring a, std::wstring b) {
  for (auto* path : {&a, &b})
    for (auto& c : *path)
      if (c == L'/') c = L'\\';
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND hwnd, LPARAM list) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

HWND Control(HWND dialog, const std::wstring& id) {
  HWND control = GetDlgItem(dialog, ParseId(id));
  if (!control) throw Failure{L"no control " + id + L" in " + HwndText(dialog)};
  return control;
}

void Post(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!PostMessageW(hwnd, message, wparam, lparam))
    throw Failure{L"PostMessage failed, error " + Dec(GetLastError())};
}

void WindowRecord(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  RECT client{};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  Record({HwndText(hwnd), Escape(ClassOf(hwnd)), HwndText(GetWindow(hwnd, GW_OWNER)),
          Dec(IsWindowVisible(hwnd) ? 1 : 0), Dec(IsIconic(hwnd) ? 1 : 0),
          Hex(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)), 8),
          Hex(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)), 8), Dec(r.left), Dec(r.top),
          Dec(r.right - r.left), Dec(r.bottom - r.top), Dec(client.left), Dec(client.top),
          Dec(client.right - client.left), Dec(client.bottom - client.top), Escape(ImageOf(hwnd)),
          Escape(CaptionOf(hwnd))});
}

int Find(const Args& args) {
  auto exe = args.Option(L"exe");
  auto title = args.Option(L"title");
  std::wstring class_name = args.Option(L"class").value_or(L"#32770");
  if (!exe && !title) throw UsageError{L"find needs --exe or --title"};
  std::vector<HWND> found;
  bool ok = WaitFor(args.Timeout(10000), [&] {
    found.clear();
    for (HWND hwnd : TopLevelWindows()) {
      if (!IsWindowVisible(hwnd) || GetWindow(hwnd, GW_OWNER)) continue;
      if (ClassOf(hwnd) != class_name) continue;
      if (title && CaptionOf(hwnd) != *title) continue;
      if (exe && !SamePath(ImageOf(hwnd), *exe)) continue;
      found.push_back(hwnd);
    }
    return !found.empty();
  });
  if (!ok) throw Failure{L"find: no such window in time"};
  for (HWND hwnd : found) Record({HwndText(hwnd)});
  return 0;
}

int Controls(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  for (HWND child : Children(dialog)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    Record({Dec(static_cast<unsigned>(GetDlgCtrlID(child))), Escape(ClassOf(child)),
            Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE)), 8),
            Hex(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE)), 8), Dec(r.left), Dec(r.top),
            Dec(r.right - r.left), Dec(r.bottom - r.top), Escape(TextOf(child))});
  }
  return 0;
}

// Reads the next sz_Or_Ord / string field of a dialog template.
const WORD* SkipField(const WORD* p) {
  if (*p == 0xFFFF) return p + 2;
  while (*p) ++p;
  return p + 1;
}

// A DLGTEMPLATEEX with the font of `source` (a DLGTEMPLATE or DLGTEMPLATEEX)
// and nothing else: no controls, menu, class or title.
std::vector<WORD> FontOnlyTemplate(const WORD* source) {
  bool extended = source[0] == 1 && source[1] == 0xFFFF;
  DWORD style = *reinterpret_cast<const DWORD*>(source + (extended ? 6 : 0));
  const WORD* p = source + (extended ? 13 : 9);  // past cDlgItems, x, y, cx, cy
  p = SkipField(SkipField(p));                   // menu, class
  while (*p) ++p;                                // title
  ++p;

  std::vector<WORD> copy(16, 0);
  copy[0] = 1;
  copy[1] = 0xFFFF;
  DWORD copy_style = (style & (DS_SETFONT | DS_FIXEDSYS)) | WS_POPUP;
  copy[6] = LOWORD(copy_style);
  copy[7] = HIWORD(copy_style);
  copy[11] = 100;  // cx
  copy[12] = 100;  // cy
  if (style & DS_SETFONT) {
    copy.push_back(*p++);  // point size
    if (extended) {
      copy.push_back(*p++);  // weight
      copy.push_back(*p++);  // italic, charset
    } else {
      copy.insert(copy.end(), {FW_NORMAL, DEFAULT_CHARSET << 8});
    }
    do copy.push_back(*p);
    while (*p++);
  }
  return copy;
}

// MapDialogRect only works on a dialog of the calling process, so the driver
// builds an empty, hidden dialog with the font of the program's template and
// asks the dialog manager for its base units.
int Units(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  std::wstring image = ImageOf(dialog);
  HMODULE module = LoadLibraryExW(image.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) throw Failure{L"cannot load " + image};
  HRSRC resource = FindResourceW(module, args.At(1).c_str(), MAKEINTRESOURCEW(5));
  const void* source = resource ? LockResource(LoadResource(module, resource)) : nullptr;
  if (!source) throw Failure{L"no dialog template " + args.At(1) + L" in " + image};
  std::vector<WORD> font_only = FontOnlyTemplate(static_cast<const WORD*>(source));
  FreeLibrary(module);

  HWND probe = CreateDialogIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(font_only.data()), nullptr,
      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
  if (!probe) throw Failure{L"cannot build the probe dialog, error " + Dec(GetLastError())};
  RECT r{0, 0, 4, 8};
  MapDialogRect(probe, &r);
  DestroyWindow(probe);
  Record({L"units", Dec(r.right), Dec(r.bottom)});
  return 0;
}

int Text(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  HWND target = args.positional.size() > 1 ? Control(dialog, args.At(1)) : dialog;
  Record({Escape(TextOf(target))});
  return 0;
}

int SetText(const Args& args) {
  HWND control = Control(ParseHwnd(args.At(0)), args.At(1));
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args.At(2).c_str()),
                           SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    throw Failure{L"WM_SETTEXT timed out"};
  return 0;
}

LRESULT Send(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result))
    throw Failure{L"message " + Hex(message) + L" timed out"};
  return static_cast<LRESULT>(result);
}

int Items(const Args& args) {
  HWND list = Control(ParseHwnd(args.At(0)), args.At(1));
  LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT got =
        Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    Record({Dec(i), Escape(text)});
  }
  return 0;
}

int Check(const Args& args) {
  HWND button = Control(ParseHwnd(args.At(0)), args.At(1));
  Record({Dec(Send(button, BM_GETCHECK, 0, 0))});
  return 0;
}

HWND FocusOf(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

int Focus(const Args& args) {
  HWND focus = FocusOf(ParseHwnd(args.At(0)));
  if (!focus) throw Failure{L"no focused window"};
  Record({HwndText(focus), Dec(static_cast<unsigned>(GetDlgCtrlID(focus)))});
  return 0;
}

int Click(const Args& args) {
  Post(Control(ParseHwnd(args.At(0)), args.At(1)), BM_CLICK, 0, 0);
  return 0;
}

int Command(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  HWND control = Control(dialog, args.At(1));
  WORD code = args.positional.size() > 2 ? static_cast<WORD>(ParseNumber(args.At(2))) : 0;
  Post(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
       reinterpret_cast<LPARAM>(control));
  return 0;
}

int Close(const Args& args) {
  Post(ParseHwnd(args.At(0)), WM_CLOSE, 0, 0);
  return 0;
}

int SysClose(const Args& args) {
  Post(ParseHwnd(args.At(0)), WM_SYSCOMMAND, SC_CLOSE, 0);
  return 0;
}

int Key(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  UINT vk = static_cast<UINT>(ParseNumber(args.At(1)));
  HWND target = args.positional.size() > 2 ? Control(dialog, args.At(2)) : FocusOf(dialog);
  if (!target) target = dialog;
  LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
  Post(target, WM_KEYDOWN, vk, scan | 1);
  Post(target, WM_KEYUP, vk, scan | 1 | (LPARAM{3} << 30));
  Record({L"target", HwndText(target), Dec(static_cast<unsigned>(GetDlgCtrlID(target)))});
  return 0;
}

// Real input goes to the foreground window, as the user's would.
void SendInputs(HWND dialog, std::vector<INPUT> inputs) {
  SetForegroundWindow(dialog);
  if (!WaitFor(2000, [&] { return GetForegroundWindow() == dialog; }))
    throw Failure{L"cannot bring " + HwndText(dialog) + L" to the foreground"};
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size())
    throw Failure{L"SendInput failed, error " + Dec(GetLastError())};
}

// Two steps inside the control, as a hand moves, then the clicks.
int Pointer(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  RECT r{};
  GetWindowRect(Control(dialog, args.At(1)), &r);
  std::vector<INPUT> inputs(args.positional.size() > 2 ? 4 : 2, INPUT{INPUT_MOUSE, {}});
  for (LONG step = 0; step < 2; ++step) {
    // Absolute input runs from 0 to 65535 across the screen.
    int x = (r.left + r.right) / 2 - 2 + 2 * step, y = (r.top + r.bottom) / 2;
    inputs[step].mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    inputs[step].mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    inputs[step].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  // The button events carry the place too: a move still queued would
  // otherwise leave the click where the pointer was before.
  for (size_t i = 2; i < inputs.size(); ++i) {
    inputs[i].mi = inputs[1].mi;
    inputs[i].mi.dwFlags |= i == 2 ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  }
  SendInputs(dialog, inputs);
  return 0;
}

int Keys(const Args& args) {
  std::vector<INPUT> inputs;
  for (size_t i = 1; i < args.positional.size(); ++i) {
    INPUT input{INPUT_KEYBOARD, {}};
    input.ki.wVk = static_cast<WORD>(ParseNumber(args.At(i)));
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
    inputs.insert(inputs.begin() + static_cast<ptrdiff_t>(i - 1), {input, input});
    inputs[i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  SendInputs(ParseHwnd(args.At(0)), inputs);
  return 0;
}

// A tool's text lives in the program's process: the driver lends it a
// block there for the tool description and the text.
int Tooltips(const Args& args) {
  HWND dialog = ParseHwnd(args.At(0));
  DWORD pid = 0;
  GetWindowThreadProcessId(dialog, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pid);
  constexpr size_t kSize = sizeof(TTTOOLINFOW) + 2048;
  auto* block = static_cast<char*>(VirtualAllocEx(process, nullptr, kSize, MEM_COMMIT, 4));
  if (!block) throw Failure{L"cannot lend memory in the program, error " + Dec(GetLastError())};
  for (HWND tip : TopLevelWindows()) {
    if (GetWindow(tip, GW_OWNER) != dialog || ClassOf(tip) != TOOLTIPS_CLASSW) continue;
    for (LRESULT i = 0; i < Send(tip, TTM_GETTOOLCOUNT, 0, 0); ++i) {
      std::vector<char> buffer(kSize, 0);
      auto* tool = reinterpret_cast<TTTOOLINFOW*>(buffer.data());
      tool->cbSize = sizeof *tool;
      tool->lpszText = reinterpret_cast<LPWSTR>(block + sizeof *tool);
      if (!WriteProcessMemory(process, block, buffer.data(), kSize, nullptr) ||
          !Send(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(block)) ||
          !ReadProcessMemory(process, block, buffer.data(), kSize - 2, nullptr))
        throw Failure{L"cannot read tool " + Dec(i) + L" of " + HwndText(tip)};
      HWND owner = reinterpret_cast<HWND>(tool->uId);
      Record({HwndText(tip), owner == dialog ? L"dialog" : Dec(GetDlgCtrlID(owner)),
              Hex(tool->uFlags), Dec(Send(tip, TTM_GETMAXTIPWIDTH, 0, 0)),
              Escape(reinterpret_cast<const wchar_t*>(tool + 1))});
    }
  }
  VirtualFreeEx(process, block, 0, MEM_RELEASE);
  return 0;
}

int Shortcut(const Args& args) {
  PWSTR folder = nullptr;
  SHGetKnownFolderPath(args.At(0) == L"startup" ? FOLDERID_Startup : FOLDERID_Programs, 0, nullptr,
                       &folder);
  std::wstring path = std::wstring(folder ? folder : L"?") + L"\\" + args.At(1);
  Record({L"path", Escape(path)});
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Record({L"missing"});
    return 0;
  }
  CoInitialize(nullptr);
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH * 2] = L"", description[INFOTIPSIZE] = L"", folder_in[MAX_PATH * 2] = L"";
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))) ||
      FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) ||
      FAILED(file->Load(path.c_str(), STGM_READ)) ||
      FAILED(link->GetPath(target, MAX_PATH * 2, nullptr, SLGP_RAWPATH)) ||
      FAILED(link->GetDescription(description, INFOTIPSIZE)) ||
      FAILED(link->GetWorkingDirectory(folder_in, MAX_PATH * 2)))
    throw Failure{L"cannot read the shortcut " + path};
  // The item list is what the shell starts; Wine keeps the raw path only in
  // the ANSI code page.
  PIDLIST_ABSOLUTE item = nullptr;
  if (SUCCEEDED(link->GetIDList(&item)) && item) SHGetPathFromIDListW(item, target);
  CoTaskMemFree(item);
  Record({L"target", Escape(target)});
  Record({L"workdir", Escape(folder_in)});
  Record({L"description", Escape(description)});
  return 0;
}

int Kill(const Args& args) {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(args.At(0))));
  DWORD pid = 0;
  if (!GetWindowThreadProcessId(hwnd, &pid)) return 0;  // already gone
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  if (!process) {
    if (IsWindow(hwnd)) throw Failure{L"cannot open the process, error " + Dec(GetLastError())};
    return 0;
  }
  TerminateProcess(process, 1);
  DWORD waited = WaitForSingleObject(process, 10000);
  CloseHandle(process);
  if (waited != WAIT_OBJECT_0) throw Failure{L"the process did not end"};
  return 0;
}

bool NeedsPaint(HWND hwnd) {
  if (GetUpdateRect(hwnd, nullptr, FALSE)) return true;
  for (HWND child : Children(hwnd))
    if (NeedsPaint(child)) return true;
  return false;
}

int Settle(const Args& args) {
  HWND hwnd = ParseHwnd(args.At(0));
  if (!WaitFor(args.Timeout(5000), [&] { return !NeedsPaint(hwnd); }))
    throw Failure{L"still painting: " + HwndText(hwnd)};
  // Back in its message loop, the program hands what it drew to the X server.
  Send(hwnd, WM_NULL, 0, 0);
  return 0;
}

int WaitGone(const Args& args) {
  HWND hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(ParseNumber(args.At(0))));
  if (!WaitFor(args.Timeout(10000), [&] { return !IsWindow(hwnd); }))
    throw Failure{L"window still there: " + HwndText(hwnd)};
  return 0;
}

HWND WaitForBox(const Args& args) {
  auto owner_text = args.Option(L"owner");
  if (!owner_text) throw UsageError{L"missing --owner"};
  // "none": a box of a program that shows no dialog.
  HWND owner = *owner_text == L"none" ? nullptr : ParseHwnd(*owner_text);
  HWND box = nullptr;
  WaitFor(args.Timeout(5000), [&] {
    for (HWND hwnd : TopLevelWindows())
      if (GetWindow(hwnd, GW_OWNER) == owner && IsWindowVisible(hwnd) && ClassOf(hwnd) == L"#32770")
        box = hwnd;
    return box != nullptr;
  });
  if (!box) throw Failure{L"no message box owned by " + *owner_text};
  return box;
}

int MsgBox(const Args& args) {
  HWND box = WaitForBox(args);
  Record({L"hwnd", HwndText(box)});
  Record({L"caption", Escape(CaptionOf(box))});
  HWND text = GetDlgItem(box, 0xFFFF);
  Record({L"text", text ? Escape(TextOf(text)) : L""});
  for (HWND child : Children(box))
    if (ClassOf(child) == L"Button" && IsWindowVisible(child))
      Record({L"button", Dec(GetDlgCtrlID(child)), Escape(TextOf(child))});
  return 0;
}

int ButtonId(const std::wstring& name) {
  static const std::pair<const wchar_t*, int> kNames[] = {
      {L"IDOK", IDOK},       {L"IDCANCEL", IDCANCEL}, {L"IDABORT", IDABORT},
      {L"IDRETRY", IDRETRY}, {L"IDIGNORE", IDIGNORE}, {L"IDYES", IDYES},
      {L"IDNO", IDNO}};
  for (const auto& [key, id] : kNames)
    if (name == key) return id;
  return ParseId(name);
}

int Answer(const Args& args) {
  auto button_name = args.Option(L"button");
  if (!button_name) throw UsageError{L"missing --button"};
  HWND box = WaitForBox(args);
  HWND button = GetDlgItem(box, ButtonId(*button_name));
  if (!button) throw Failure{L"the box has no button " + *button_name};
  Post(button, BM_CLICK, 0, 0);
  if (!WaitFor(args.Timeout(5000), [&] { return !IsWindow(box); }))
    throw Failure{L"the box did not close"};
  return 0;
}

// The clipboard may be held open by another process for a moment.
struct OpenedClipboard {
  OpenedClipboard() {
    if (!WaitFor(5000, [] { return OpenClipboard(nullptr) != FALSE; }))
      throw Failure{L"cannot open the clipboard"};
  }
  ~OpenedClipboard() { CloseClipboard(); }
};

HGLOBAL Global(const void* data, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!memory) throw Failure{L"GlobalAlloc failed"};
  memcpy(GlobalLock(memory), data, size);
  GlobalUnlock(memory);
  return memory;
}

std::string ReadBytes(const std::wstring& path) {
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) throw Failure{L"cannot read " + path};
  std::string bytes;
  char buffer[4096];
  for (size_t got; (got = fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, got);
  fclose(file);
  return bytes;
}

int ClipSet(const Args& args) {
  const std::string bytes = ReadBytes(args.At(0));
  OpenedClipboard clipboard;
  EmptyClipboard();
  LCID locale = 0x0411;
  if (!SetClipboardData(CF_TEXT, Global(bytes.c_str(), bytes.size() + 1)) ||
      !SetClipboardData(CF_LOCALE, Global(&locale, sizeof locale)))
    throw Failure{L"SetClipboardData failed, error " + Dec(GetLastError())};
  return 0;
}

int AddRoot(const Args& args) {
  const std::string der = ReadBytes(args.At(0));
  HCERTSTORE root = CertOpenSystemStoreW(0, L"ROOT");
  if (!root) throw Failure{L"cannot open the ROOT store, error " + Dec(GetLastError())};
  const BOOL added = CertAddEncodedCertificateToStore(
      root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  const DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) throw Failure{L"cannot add the certificate, error " + Dec(error)};
  return 0;
}

int ClipGet(const Args&) {
  OpenedClipboard clipboard;
  HANDLE data = GetClipboardData(CF_TEXT);
  if (!data) throw Failure{L"no CF_TEXT on the clipboard"};
  const char* text = static_cast<const char*>(GlobalLock(data));
  size_t size = GlobalSize(data);
  fwrite(text, 1, strnlen(text, size), stdout);
  GlobalUnlock(data);
  return 0;
}

int ClipEmpty(const Args&) {
  OpenedClipboard clipboard;
  EmptyClipboard();
  return 0;
}

int Windows(const Args&) {
  for (HWND hwnd : TopLevelWindows()) WindowRecord(hwnd);
  return 0;
}

int Info(const Args& args) {
  WindowRecord(ParseHwnd(args.At(0)));
  return 0;
}

struct Subcommand {
  const wchar_t* name;
  int (*run)(const Args&);
};

constexpr Subcommand kSubcommands[] = {
    {L"find", Find},         {L"info", Info},          {L"windows", Windows},
    {L"controls", Controls}, {L"units", Units},        {L"text", Text},
    {L"settext", SetText},   {L"items", Items},        {L"check", Check},
    {L"focus", Focus},       {L"click", Click},        {L"command", Command},
    {L"close", Close},       {L"sysclose", SysClose},  {L"key", Key},
    {L"settle", Settle},     {L"wait-gone", WaitGone}, {L"kill", Kill},
    {L"pointer", Pointer},   {L"keys", Keys},          {L"tooltips", Tooltips},
    {L"shortcut", Shortcut}, {L"msgbox", MsgBox},      {L"answer", Answer},
    {L"clip-set", ClipSet},  {L"clip-get", ClipGet},   {L"clip-empty", ClipEmpty},
    {L"add-root", AddRoot}};

// A crash must not look like an ordinary "not found" to the harness.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  fprintf(stderr, "zdriver: crashed with exception 0x%08lX\n",
          static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
  fflush(stderr);
  ExitProcess(3);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetUnhandledExceptionFilter(ReportCrash);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::wstring name = argc > 1 ? argv[1] : L"";
  try {
    for (const auto& subcommand : kSubcommands) {
      if (name != subcommand.name) continue;
      int code = subcommand.run(ParseArgs(argc, argv));
      fflush(stdout);
      return code;
    }
    throw UsageError{L"unknown command: " + name};
  } catch (const UsageError& error) {
    fputs(Utf8(L"zdriver: " + error.what + L" (see the top of zdriver.cpp)\n").c_str(), stderr);
    return 2;
  } catch (const Failure& error) {
    fflush(stdout);
    fputs(Utf8(L"zdriver " + name + L": " + error.what + L"\n").c_str(), stderr);
    return 1;
  } catch (const std::exception& error) {
    fprintf(stderr, "zdriver: %s\n", error.what());
    return 3;
  }
}
