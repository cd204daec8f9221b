// The shell over shell32 and the shell-link object.
#pragma once

#include "platform/shell.h"

namespace zeltrand::win32 {

class Win32Shell final : public Shell {
 public:
  bool Open(std::string_view target) override;
  bool CreateLink(ShellFolder folder, std::string_view name, const std::string& target,
                  std::string_view description) override;
  bool RemoveLink(ShellFolder folder, std::string_view name) override;
};

}  // namespace zeltrand::win32
