// Code page 932 text as UTF-8, by the system's own converter.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

class TextConverter {
 public:
  virtual ~TextConverter() = default;
  // Each byte sequence the code page does not hold becomes U+FFFD; the
  // text around it is kept.
  virtual std::string Utf8FromCp932(std::string_view text) = 0;
};

}  // namespace zeltrand
