// The shell over shell32 and the shell-link object.
#pragma once

#include "platform/shell.h"

namespace zeltrand::win32 {

class Win32Shell final : public Shell {
 public:
  bool Open(std::string_view target) override;
  std::optional<std::string> FolderPath(ShellFolder folder) override;
  bool CreateLink(const std::string& link_path, const std::string& target,
                  std::string_view description) override;
  bool RemoveFile(const std::string& path) override;
};

}  // namespace zeltrand::win32
