// Text crosses into Windows as UTF-16 and comes back as code page 932,
// whatever the system's ANSI code page is.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand::win32 {

inline constexpr unsigned kCodePage = 932;

std::wstring Widen(std::string_view cp932);
std::string Narrow(std::wstring_view utf16);
std::string Utf8(std::wstring_view utf16);

// A path as code page 932 can spell it: as it is, or else in the short form
// the file system keeps for it (8.3 names are plain ASCII), whose folder is
// shortened where only the last name does not exist yet. Empty when neither
// form can be spelt: a path with '?' in place of a letter would name another
// file, or none.
std::string NarrowPath(const std::wstring& path);

}  // namespace zeltrand::win32
