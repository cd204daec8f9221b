#include "platform/win32/system_library.h"

#include <string>

namespace zeltrand::win32 {
namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

std::wstring SystemFolder() {
  std::wstring folder(MAX_PATH, L'\0');
  UINT n = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  if (n >= folder.size()) {
    folder.assign(n, L'\0');
    n = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
  }
  folder.resize(n < folder.size() ? n : 0);
  return folder;
}

}  // namespace

void RestrictDllSearch() {
  // Windows 7 has the call only with the update that brought the
  // LOAD_LIBRARY_SEARCH flags; without it, at least the current folder
  // goes out of the search.
  const auto set_default = Entry<SetDefaultDllDirectoriesFn>(GetModuleHandleW(L"kernel32.dll"),
                                                             "SetDefaultDllDirectories");
  if (set_default == nullptr || !set_default(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Windows 7 without that update refuses the flag as an invalid
  // parameter: then the DLL is named by its full path, and the DLLs it
  // imports are looked for beside it.
  if (module != nullptr || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  const std::wstring folder = SystemFolder();
  if (folder.empty()) return nullptr;
  const std::wstring path = folder + L'\\' + name;
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace zeltrand::win32
