// The settings reader on any bytes: it must not fault, and every value it
// hands back stays within the profile reader's limit.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zeltrand::Profile profile(text);
  for (const std::string_view section : {"mail", "file", "auto", ""}) {
    for (const std::string_view key : {"Smtp", "MailTo", "MyMailServerIP", "RecFile", "End", ""}) {
      if (profile.Get(section, key).size() > zeltrand::kProfileValueLimit) std::abort();
    }
  }
  return 0;
}
