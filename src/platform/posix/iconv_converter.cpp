#include "platform/posix/iconv_converter.h"

#include <cerrno>
#include <stdexcept>

#include "core/cp932.h"

namespace zeltrand::posix {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsTrailByte(unsigned char c) {
  return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

}  // namespace

IconvConverter::IconvConverter() : cd_(iconv_open("UTF-8", "CP932")) {
  // iconv_open's failure is (iconv_t)-1.
  if (cd_ == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
    throw std::runtime_error("iconv has no CP932");
  }
}

IconvConverter::~IconvConverter() {
  iconv_close(cd_);
}

std::string IconvConverter::Utf8FromCp932(std::string_view text) {
  std::string out(text.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t in_left = text.size();
  char* to = out.data();
  std::size_t to_left = out.size();
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  while (in_left > 0) {
    if (iconv(cd_, &in, &in_left, &to, &to_left) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) break;  // cannot happen: three bytes out for each byte in
    // A character the code page lacks: one replacement for the two bytes
    // of an unknown two-byte character, or for a byte on its own.
    const auto lead = static_cast<unsigned char>(*in);
    const std::size_t skip =
        cp932::IsLeadByte(lead) && in_left > 1 && IsTrailByte(static_cast<unsigned char>(in[1]))
            ? 2
            : 1;
    in += skip;
    in_left -= skip;
    for (const char c : kReplacement) *to++ = c;
    to_left -= kReplacement.size();
  }
  out.resize(static_cast<std::size_t>(to - out.data()));
  return out;
}

}  // namespace zeltrand::posix
