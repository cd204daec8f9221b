// The JIS conversion on any bytes: the result is 7-bit, and every line and
// the text itself end in the one-byte set, so no mail reader is left in
// the two-byte set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mail/kana_widener.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string jis =
      zeltrand::KanaWidener(std::string_view(reinterpret_cast<const char*>(data), size));
  bool two_byte = false;
  for (std::size_t i = 0; i < jis.size(); ++i) {
    const auto c = static_cast<unsigned char>(jis[i]);
    if (c >= 0x80 || c == 0) std::abort();
    if (jis.compare(i, 3, "\x1b$B") == 0) two_byte = true;
    if (jis.compare(i, 3, "\x1b(J") == 0 || jis.compare(i, 3, "\x1b(B") == 0) two_byte = false;
    if ((c == '\n' || c == '\r') && two_byte) std::abort();
  }
  if (two_byte) std::abort();
  return 0;
}
