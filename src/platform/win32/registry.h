// The registry through the wide (UTF-16) calls, handed to the core as code
// page 932 bytes the way RegQueryValueExA would give them under a Japanese
// Windows, whatever the system's ANSI code page is.
#pragma once

#include "platform/registry.h"

namespace zeltrand::win32 {

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> Open(RegRoot root, std::string_view path,
                                    RegView view = RegView::kNative) override;
};

}  // namespace zeltrand::win32
