#include "server/zlib_stream.h"

namespace zeltrand::server {

bool LooksLikeZlib(std::string_view data) {
  if (data.size() < 6) return false;
  const auto cmf = static_cast<unsigned char>(data[0]);
  const auto flg = static_cast<unsigned char>(data[1]);
  return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256 + flg) % 31 == 0 && (flg & 0x20) == 0;
}

}  // namespace zeltrand::server
