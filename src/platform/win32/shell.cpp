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

// A path that code page 932 cannot spell (a user name in another script)
// would come back as another path: such a folder counts as unnamed.
std::optional<std::string> Win32Shell::FolderPath(ShellFolder folder) {
  const KNOWNFOLDERID& id = folder == ShellFolder::kStartup ? FOLDERID_Startup : FOLDERID_Programs;
  PWSTR wide = nullptr;
  std::optional<std::string> path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &wide)) && wide && *wide) {
    std::string narrow = Narrow(wide);
    if (Widen(narrow) == wide) path = std::move(narrow);
  }
  CoTaskMemFree(wide);
  return path;
}

bool Win32Shell::CreateLink(const std::string& link_path, const std::string& target,
                            std::string_view description) {
  const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool saved = false;
  {
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    saved =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link.p))) &&
        SUCCEEDED(link.p->SetPath(Widen(target).c_str())) &&
        SUCCEEDED(link.p->SetDescription(Widen(description).c_str())) &&
        SUCCEEDED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))) &&
        SUCCEEDED(file.p->Save(Widen(link_path).c_str(), TRUE));
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return saved;
}

bool Win32Shell::RemoveFile(const std::string& path) {
  if (DeleteFileW(Widen(path).c_str())) return true;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace zeltrand::win32
