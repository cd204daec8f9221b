// The Windows profile (win.ini) as GetProfileStringA reads it.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

class WinIni {
 public:
  virtual ~WinIni() = default;
  // The value of `key` in `section`, whole, in code page 932; `fallback`
  // when the profile has no such value.
  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) = 0;
};

}  // namespace zeltrand
