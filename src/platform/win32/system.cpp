#include "platform/win32/system.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <cwchar>

#include "platform/win32/text.h"

namespace zeltrand::win32 {

void Win32Clock::Sleep(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

std::string Win32Files::ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return NarrowPath(path);
    }
    path.resize(path.size() * 2);
  }
}

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::optional<std::string> Win32Files::ReadWholeFile(const std::string& path) {
  HANDLE file = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  LARGE_INTEGER size{};
  std::string bytes;
  bool ok = GetFileSizeEx(file, &size) != 0;
  if (ok) bytes.resize(static_cast<size_t>(size.QuadPart));
  for (size_t done = 0; ok && done < bytes.size();) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    ok = ReadFile(file, bytes.data() + done, want, &got, nullptr) && got > 0;
    done += got;
  }
  CloseHandle(file);
  if (!ok) return std::nullopt;
  return bytes;
}

namespace {

// The folder part of `path`, "." when it has none.
std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  if (cut == std::wstring::npos) return L".";
  return path.substr(0, cut == 0 || path[cut - 1] == L':' ? cut + 1 : cut);
}

bool WriteInto(HANDLE file, std::string_view bytes) {
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(file, bytes) && FlushFileBuffers(file);
  CloseHandle(file);
  return written;
}

bool WriteInPlace(const std::wstring& target, std::string_view bytes) {
  return WriteInto(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr),
                   bytes);
}

}  // namespace

// The new content goes into a file of its own beside the old one, which it
// replaces in one step: a full disk or a crash half-way leaves the old file
// whole. The system names the temporary file, unique in that folder, so
// copies of the program on PCs that share the folder and exit together
// never write into one another's. A folder that lets nobody create files,
// where the file itself may still be written, gets the content in place.
bool Win32Files::WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::wstring target = Widen(path);
  std::wstring temp(MAX_PATH, L'\0');
  if (GetTempFileNameW(FolderOf(target).c_str(), L"Zel", 0, temp.data()) == 0) {
    return WriteInPlace(target, bytes);
  }
  temp.resize(wcslen(temp.c_str()));
  const bool written = WriteInto(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr,
                                             TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
                                 bytes);
  if (written) {
    for (int attempt = 0; attempt < 10; ++attempt) {
      if (MoveFileExW(temp.c_str(), target.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
      }
      const DWORD error = GetLastError();
      if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
      ::Sleep(50);  // another copy of the program is replacing it right now
    }
  }
  DeleteFileW(temp.c_str());
  return false;
}

std::string Win32Files::LocalAppDataFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT,
                              folder.data()))) {
    return {};
  }
  folder.resize(wcslen(folder.c_str()));
  return NarrowPath(folder);
}

bool Win32Files::CreateFolder(const std::string& path) {
  return CreateDirectoryW(Widen(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string Win32Files::Cp932FromUtf16(std::u16string_view text) {
  return Narrow(std::wstring_view(reinterpret_cast<const wchar_t*>(text.data()), text.size()));
}

std::u16string Win32Files::Utf16FromCp932(std::string_view text) {
  const std::wstring wide = Widen(text);
  return std::u16string(reinterpret_cast<const char16_t*>(wide.data()), wide.size());
}

namespace {

class Win32AppendFile final : public AppendFile {
 public:
  explicit Win32AppendFile(HANDLE file) : file_(file) {}
  ~Win32AppendFile() override { CloseHandle(file_); }

  std::optional<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file_, &size)) return std::nullopt;
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  std::optional<char> LastByte() override {
    const LARGE_INTEGER back{.QuadPart = -1};
    char byte = 0;
    DWORD got = 0;
    if (!SetFilePointerEx(file_, back, nullptr, FILE_END) ||
        !ReadFile(file_, &byte, 1, &got, nullptr) || got != 1) {
      return std::nullopt;
    }
    return byte;
  }

  bool Append(std::string_view bytes) override {
    return SetFilePointerEx(file_, LARGE_INTEGER{}, nullptr, FILE_END) && WriteAll(file_, bytes) &&
           FlushFileBuffers(file_);
  }

  bool Truncate(std::uint64_t size) override {
    const LARGE_INTEGER position{.QuadPart = static_cast<LONGLONG>(size)};
    return SetFilePointerEx(file_, position, nullptr, FILE_BEGIN) && SetEndOfFile(file_);
  }

 private:
  HANDLE file_;
};

// Readers that share writing (the summary page) may keep the file open
// meanwhile; another writer may not.
HANDLE OpenForAppending(const std::wstring& path, DWORD access) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

// Read access only serves to look at the last byte; a drop-box share that
// allows writing alone still takes the record.
OpenedFile Win32Files::OpenExclusive(const std::string& path) {
  const std::wstring wide = Widen(path);
  HANDLE file = OpenForAppending(wide, GENERIC_READ | GENERIC_WRITE);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    file = OpenForAppending(wide, GENERIC_WRITE);
  }
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return {nullptr, error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION};
  }
  return {std::make_unique<Win32AppendFile>(file), false};
}

}  // namespace zeltrand::win32
