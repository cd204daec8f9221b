#include "platform/win32/summary_command.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <vector>

#include "core/app_state.h"
#include "core/cp932.h"
#include "platform/win32/system.h"
#include "platform/win32/text.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "summary/summary_page.h"

namespace zeltrand::win32 {

std::vector<std::wstring> CommandArguments(const wchar_t* command_line) {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(command_line, &count);
  std::vector<std::wstring> arguments;
  if (list == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
  LocalFree(list);
  return arguments;
}

namespace {

std::string Utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

LocalTime Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, 0};
}

int Tell(std::string_view cp932_message, int code) {
  MessageBoxW(nullptr, Widen(cp932_message).c_str(), Widen(kTitleText).c_str(),
              MB_OK | MB_ICONEXCLAMATION);
  return code;
}

bool WritePage(const std::wstring& path, const std::string& page) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, page.data(), static_cast<DWORD>(page.size()), &wrote, nullptr) &&
                  wrote == page.size();
  return CloseHandle(file) && ok;
}

}  // namespace

std::string Win32TextConverter::Utf8FromCp932(std::string_view text) {
  std::wstring wide;
  // Character by character where the whole will not go, so that only the
  // characters the code page lacks become U+FFFD.
  const auto convert = [](std::string_view bytes, std::wstring& out) {
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.data(),
                        static_cast<int>(bytes.size()), out.data() + at, n);
    return true;
  };
  if (text.empty() || convert(text, wide)) return Utf8(wide);
  wide.clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = cp932::IsLeadByte(lead) && i + 1 < text.size() ? 2 : 1;
    if (!convert(text.substr(i, length), wide)) wide += L'\uFFFD';
    i += length;
  }
  return Utf8(wide);
}

std::wstring SettingsRecordPath() {
  Win32Files files;
  const Paths paths = MakePaths(files.ExecutablePath());
  const std::string named = ReadProfileString(files, paths.ini_path, kSectionFile, kKeyRecFile);
  return Widen(named.empty() ? DefaultSettings(paths).record_path : named);
}

bool IsSummaryCommand(const wchar_t* command_line) {
  const std::vector<std::wstring> arguments = CommandArguments(command_line);
  return !arguments.empty() && lstrcmpiW(arguments[0].c_str(), L"/summary") == 0;
}

int RunSummaryCommand(const wchar_t* command_line) {
  const std::vector<std::wstring> arguments = CommandArguments(command_line);
  std::wstring record_path;
  if (arguments.size() > 1) {
    record_path = arguments[1];
  } else {
    record_path = SettingsRecordPath();
  }
  const std::wstring page_path = arguments.size() > 2 ? arguments[2] : L"Zeltrand.html";

  HANDLE file = CreateFileW(record_path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  LARGE_INTEGER size{};
  if (file == INVALID_HANDLE_VALUE) {
    return Tell("取得情報記録ﾌｧｲﾙを開けません。\n" + Narrow(record_path), kSummaryNoRecordFile);
  }
  if (!GetFileSizeEx(file, &size)) size.QuadPart = 0;
  RecordFileSource source(file, static_cast<std::uint64_t>(size.QuadPart));
  Win32TextConverter converter;
  const std::size_t slash = record_path.find_last_of(L"\\/");
  const summary::PageFacts facts{
      Utf8(slash == std::wstring::npos ? record_path : record_path.substr(slash + 1)),
      static_cast<std::uint64_t>(size.QuadPart), Now()};
  const std::string page = summary::MakeSummaryPage(source, facts, converter);
  CloseHandle(file);
  if (source.failed()) {
    return Tell("取得情報記録ﾌｧｲﾙを読めません。\n" + Narrow(record_path), kSummaryNoRecordFile);
  }
  if (!WritePage(page_path, page)) {
    return Tell(Narrow(page_path) + " を書き込めませんでした。", kSummaryNotWritten);
  }
  ShellExecuteW(nullptr, L"open", page_path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  return kSummaryWritten;
}

}  // namespace zeltrand::win32
