#include "platform/win32/summary_command.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/app_state.h"
#include "core/visible_text.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

std::vector<std::wstring> Arguments(const wchar_t* command_line) {
  int count = 0;
  wchar_t** list = CommandLineToArgvW(command_line, &count);
  std::vector<std::wstring> arguments;
  if (list == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(list[i]);
  LocalFree(list);
  return arguments;
}

}  // namespace

bool IsSummaryCommand(const wchar_t* command_line) {
  const std::vector<std::wstring> arguments = Arguments(command_line);
  return !arguments.empty() && lstrcmpiW(arguments[0].c_str(), L"/summary") == 0;
}

Win32SummaryIo::Win32SummaryIo(const wchar_t* command_line, std::size_t record_argument) {
  const std::vector<std::wstring> arguments = Arguments(command_line);
  if (arguments.size() > record_argument) record_path_ = arguments[record_argument];
  page_path_ =
      arguments.size() > record_argument + 1 ? arguments[record_argument + 1] : L"Zeltrand.html";
}

Win32SummaryIo::~Win32SummaryIo() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool Win32SummaryIo::RecordFileNamed() {
  return !record_path_.empty();
}

// Shared for reading, writing and deleting: a 記録 or 取込 while the page
// is made goes ahead at once. Only a file on a disk is read: a pipe or a
// device (CON, COM1) could hold the read for ever.
bool Win32SummaryIo::OpenRecordFile(const std::string& settings_path) {
  if (record_path_.empty()) record_path_ = Widen(settings_path);
  file_ = CreateFileW(record_path_.c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ != INVALID_HANDLE_VALUE && GetFileType(file_) != FILE_TYPE_DISK) {
    not_a_file_ = true;
    return false;
  }
  LARGE_INTEGER size{};
  if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size)) return false;
  size_ = left_ = static_cast<std::uint64_t>(size.QuadPart);
  return true;
}

std::string Win32SummaryIo::RecordFileName() {
  const std::size_t slash = record_path_.find_last_of(L"\\/");
  return Utf8(slash == std::wstring::npos ? record_path_ : record_path_.substr(slash + 1));
}

std::uint64_t Win32SummaryIo::RecordFileSize() {
  return size_;
}

// Up to the size the file had when opened: what a 記録 adds meanwhile is
// for the next page.
std::size_t Win32SummaryIo::Read(char* buffer, std::size_t size) {
  const auto want = static_cast<DWORD>(std::min<std::uint64_t>({size, left_, 1u << 24}));
  DWORD got = 0;
  if (want == 0) return 0;
  if (!ReadFile(file_, buffer, want, &got, nullptr)) failed_ = true;
  left_ -= got;
  return got;
}

// The same from any place, for readers in several threads: a read at an
// offset of its own, the handle's position aside.
std::size_t Win32SummaryIo::ReadAt(std::uint64_t offset, char* buffer, std::size_t size) {
  if (offset >= size_) return 0;
  const auto want = static_cast<DWORD>(std::min<std::uint64_t>({size, size_ - offset, 1u << 24}));
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (!ReadFile(file_, buffer, want, &got, &at) && GetLastError() != ERROR_HANDLE_EOF) {
    failed_ = true;
  }
  return got;
}

bool Win32SummaryIo::ReadFailed() {
  return failed_;
}

// A new file of a unique name beside the old page, created only if
// nothing (no file, no link someone planted) has that name, takes the
// page's place whole: a link under the page's name is replaced, not
// followed, and a browser never sees half a page.
bool Win32SummaryIo::WritePage(const std::string& page) {
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (unsigned attempt = 0; attempt < 16 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = page_path_ + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(attempt) + L".tmp";
    file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD wrote = 0;
  const bool ok = WriteFile(file, page.data(), static_cast<DWORD>(page.size()), &wrote, nullptr) &&
                  wrote == page.size();
  if (CloseHandle(file) && ok &&
      MoveFileExW(temporary.c_str(), page_path_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    return true;
  }
  DeleteFileW(temporary.c_str());
  return false;
}

void Win32SummaryIo::ShowPage() {
  ShellExecuteW(nullptr, L"open", page_path_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

LocalTime Win32SummaryIo::Now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, 0};
}

// The paths may come from the settings file, which users write.
void Win32SummaryIo::TellAboutRecordFile(std::string_view message) {
  Tell(Widen(message) + (not_a_file_ ? Widen("\n(通常のﾌｧｲﾙではありません)") : L"") + L"\n" +
       VisibleText<wchar_t>(record_path_));
}

void Win32SummaryIo::TellAboutPage(std::string_view message) {
  Tell(VisibleText<wchar_t>(page_path_) + Widen(message));
}

void Win32SummaryIo::Tell(const std::wstring& text) {
  MessageBoxW(nullptr, text.c_str(), Widen(kTitleText).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace zeltrand::win32
