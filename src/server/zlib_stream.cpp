#include "server/zlib_stream.h"

#include <cstdint>

namespace zeltrand::server {

namespace {

constexpr std::size_t kMaxStoredBlock = 65535;

std::uint32_t Adler32(std::string_view data) {
  constexpr std::uint32_t kBase = 65521;
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (const char c : data) {
    a = (a + static_cast<unsigned char>(c)) % kBase;
    b = (b + a) % kBase;
  }
  return b << 16 | a;
}

void AppendBigEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>(value >> (8 * i) & 0xFF);
}

}  // namespace

std::string StoredZlib(std::string_view data) {
  std::string out = "\x78\x01";  // deflate, 32 KiB window, no dictionary, fastest
  std::string_view rest = data;
  do {
    const std::size_t n = rest.size() < kMaxStoredBlock ? rest.size() : kMaxStoredBlock;
    const bool last = n == rest.size();
    out += static_cast<char>(last ? 1 : 0);  // BFINAL, BTYPE 00 (stored)
    const auto len = static_cast<std::uint16_t>(n);
    const auto nlen = static_cast<std::uint16_t>(~len);
    out += static_cast<char>(len & 0xFF);
    out += static_cast<char>(len >> 8);
    out += static_cast<char>(nlen & 0xFF);
    out += static_cast<char>(nlen >> 8);
    out.append(rest.substr(0, n));
    rest.remove_prefix(n);
  } while (!rest.empty());
  AppendBigEndian(out, Adler32(data), 4);
  return out;
}

bool LooksLikeZlib(std::string_view data) {
  if (data.size() < 6) return false;
  const auto cmf = static_cast<unsigned char>(data[0]);
  const auto flg = static_cast<unsigned char>(data[1]);
  return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0 && (flg & 0x20) == 0;
}

}  // namespace zeltrand::server
