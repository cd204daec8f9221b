// Code page 932 <-> UTF-16 for the test doubles, through glibc's iconv. The
// product does this with the Windows conversion calls; the tests need it to
// read UTF-16 .reg fixtures and to order names the way Wine does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeltrand::cp932 {

// nullopt when the bytes are not valid code page 932.
std::optional<std::u16string> ToUtf16(std::string_view cp932);

// Characters code page 932 lacks become '?', as WideCharToMultiByte makes
// them; a lone trailing byte of odd-length input is dropped.
std::string FromUtf16(std::u16string_view utf16);
std::string FromUtf16Bytes(std::string_view utf16le);

}  // namespace zeltrand::cp932
