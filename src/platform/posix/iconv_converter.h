// The text converter of a POSIX system: iconv's CP932.
#pragma once

#include <iconv.h>

#include "platform/text_converter.h"

namespace zeltrand::posix {

class IconvConverter final : public TextConverter {
 public:
  IconvConverter();
  ~IconvConverter() override;
  IconvConverter(const IconvConverter&) = delete;
  IconvConverter& operator=(const IconvConverter&) = delete;

  std::string Utf8FromCp932(std::string_view text) override;

 private:
  iconv_t cd_;
};

}  // namespace zeltrand::posix
