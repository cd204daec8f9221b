// The Windows profile (win.ini) as GetProfileStringA reads it.
#pragma once

namespace zeltrand {

class WinIni {
 public:
  virtual ~WinIni() = default;
};

}  // namespace zeltrand
