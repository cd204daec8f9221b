// Text crosses into Windows as UTF-16 and comes back as code page 932,
// whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand::win32 {

inline constexpr unsigned kCodePage = 932;

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view utf16);

}  // namespace zeltrand::win32
