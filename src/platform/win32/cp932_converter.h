// The text converter of Windows: code page 932 to UTF-8 through UTF-16,
// giving the same page as the POSIX converter for the same bytes.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_converter.h"

namespace zeltrand::win32 {

class Win32TextConverter final : public TextConverter {
 public:
  std::string Utf8FromCp932(std::string_view text) override;
};

}  // namespace zeltrand::win32
