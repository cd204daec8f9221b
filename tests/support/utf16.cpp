#include "support/utf16.h"

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace zeltrand::utf16 {
namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as it can; `in` is left at the first byte it could not
  // take (or at its end).
  std::string Run(std::string_view& in) {
    std::string out;
    std::vector<char> chunk(4 * in.size() + 16);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = chunk.data();
    std::size_t dst_left = chunk.size();
    const std::size_t rc = iconv(cd_, &src, &src_left, &dst, &dst_left);
    out.assign(chunk.data(), chunk.size() - dst_left);
    if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
      throw std::runtime_error("iconv output estimate too small");
    }
    in.remove_prefix(in.size() - src_left);
    return out;
  }

 private:
  iconv_t cd_;
};

std::string ToBytes(std::u16string_view utf16) {
  std::string bytes;
  bytes.reserve(2 * utf16.size());
  for (const char16_t c : utf16) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

}  // namespace

std::optional<std::u16string> FromCp932(std::string_view cp932) {
  Converter conv("UTF-16LE", "CP932");
  const std::string bytes = conv.Run(cp932);
  if (!cp932.empty()) return std::nullopt;
  std::u16string out(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  return out;
}

std::string BytesToCp932(std::string_view utf16le) {
  if (utf16le.size() % 2) utf16le.remove_suffix(1);
  Converter conv("CP932", "UTF-16LE");
  std::string out;
  while (true) {
    out += conv.Run(utf16le);
    if (utf16le.empty()) return out;
    // A character with no code page 932 form: one '?' for it, stepping over
    // both halves of a surrogate pair.
    out += '?';
    const auto unit = static_cast<unsigned char>(utf16le[1]);
    const bool pair = unit >= 0xD8 && unit <= 0xDB && utf16le.size() >= 4;
    utf16le.remove_prefix(pair ? 4 : 2);
  }
}

std::string ToCp932(std::u16string_view utf16) {
  return BytesToCp932(ToBytes(utf16));
}

std::string ConvertTo(const char* code, std::u16string_view utf16) {
  std::string bytes = ToBytes(utf16);
  std::string_view in = bytes;
  return Converter(code, "UTF-16LE").Run(in);
}

Cp932Codec Codec() {
  return {ToCp932, [](std::string_view text) { return FromCp932(text).value_or(u"?"); }};
}

}  // namespace zeltrand::utf16
