// UTF-16 <-> code page 932 for the test doubles, through glibc's iconv. The
// product converts with the Windows calls; the tests need it to read UTF-16
// .reg fixtures and to order names the way Wine does.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "settings/text_encoding.h"

namespace zeltrand::utf16 {

// nullopt when the bytes are not valid code page 932.
std::optional<std::u16string> FromCp932(std::string_view cp932);

// Characters code page 932 lacks become '?', as WideCharToMultiByte makes
// them; a lone trailing byte of odd-length input is dropped.
std::string ToCp932(std::u16string_view utf16);
std::string BytesToCp932(std::string_view utf16le);

// `utf16` in the iconv encoding `code` ("UTF-8", "UTF-16BE"), all of which
// hold every character.
std::string ConvertTo(const char* code, std::u16string_view utf16);

// Both ways, as the fake file system converts.
Cp932Codec Codec();

}  // namespace zeltrand::utf16
