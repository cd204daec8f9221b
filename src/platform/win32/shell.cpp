#include "platform/win32/shell.h"

#include <windows.h>

#include <knownfolders.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

// Releases a COM interface when it goes out of scope.
template <typename Interface>
struct ComPtr {
  Interface* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

}  // namespace

bool Win32Shell::Open(std::string_view target) {
  const std::wstring wide = Widen(target);
  const auto rc = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetActiveWindow(), L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return rc > 32;
}

namespace {

// The folder's path as the system gives it, in UTF-16: a profile named in
// another script (é, Hangul, 𠮷) is still that folder. Empty when unnamed.
std::wstring FolderPath(ShellFolder folder) {
  const KNOWNFOLDERID& id = folder == ShellFolder::kStartup ? FOLDERID_Startup : FOLDERID_Programs;
  PWSTR wide = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &wide)) && wide) path = wide;
  CoTaskMemFree(wide);
  return path;
}

std::wstring LinkPath(ShellFolder folder, std::string_view name) {
  std::wstring path = FolderPath(folder);
  if (!path.empty()) path += L'\\' + Widen(name);
  return path;
}

// The long form of a path the program holds in its short form.
std::wstring LongPath(const std::wstring& path) {
  const DWORD n = GetLongPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return path;
  std::wstring out(n, L'\0');
  const DWORD written = GetLongPathNameW(path.c_str(), out.data(), n);
  out.resize(written < n ? written : 0);
  return out.empty() ? path : out;
}

}  // namespace

bool Win32Shell::CreateLink(ShellFolder folder, std::string_view name, const std::string& target,
                            std::string_view description) {
  const std::wstring link_path = LinkPath(folder, name);
  if (link_path.empty()) return false;
  const std::wstring target_path = LongPath(Widen(target));
  const std::wstring target_folder = target_path.substr(0, target_path.find_last_of(L'\\'));
  ComPtr<IShellLinkW> link;
  ComPtr<IPersistFile> file;
  return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&link.p))) &&
         SUCCEEDED(link.p->SetPath(target_path.c_str())) &&
         SUCCEEDED(link.p->SetWorkingDirectory(target_folder.c_str())) &&
         SUCCEEDED(link.p->SetDescription(Widen(description).c_str())) &&
         SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) &&
         SUCCEEDED(file.p->Save(link_path.c_str(), TRUE));
}

bool Win32Shell::RemoveLink(ShellFolder folder, std::string_view name) {
  const std::wstring path = LinkPath(folder, name);
  if (path.empty() || DeleteFileW(path.c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace zeltrand::win32
