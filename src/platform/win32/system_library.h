// DLLs that are not imported but loaded when needed: only from the system
// folder. The program runs from folders every user can write to, where a
// planted DLL of a system DLL's name must never be picked up.
#pragma once

#include <windows.h>

namespace zeltrand::win32 {

// Makes every later load of a DLL by its bare name, the system DLLs' own
// included, look in the system folder only (where Windows can do that).
void RestrictDllSearch();

// Loads `name` from the system folder; null when it is not there.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The entry point `name` of `module` as a function of type F; null when the
// module or the entry point is missing.
template <typename F>
F Entry(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // Through the one function type that casts to any other without a warning.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// A system DLL loaded for as long as the object lives.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* name) : module_(LoadSystemLibrary(name)) {}
  ~SystemLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  template <typename F>
  F Find(const char* name) const {
    return Entry<F>(module_, name);
  }

 private:
  HMODULE module_;
};

}  // namespace zeltrand::win32
