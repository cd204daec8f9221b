// The shell over shell32.
#pragma once

#include "platform/shell.h"

namespace zeltrand::win32 {

class Win32Shell final : public Shell {
 public:
  bool Open(std::string_view target) override;
};

}  // namespace zeltrand::win32
