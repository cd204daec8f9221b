#include "platform/zlib_codec.h"

#include <zlib.h>

namespace zeltrand {

std::string ZlibCompress(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size,
            reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()),
            Z_DEFAULT_COMPRESSION);
  out.resize(size);
  return out;
}

std::optional<std::string> ZlibInflate(std::string_view data, std::size_t limit) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return std::nullopt;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  std::string out;
  int status = Z_OK;
  while (status == Z_OK && out.size() <= limit) {
    char chunk[16384];
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - z.avail_out);
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END || out.size() > limit) return std::nullopt;
  return out;
}

}  // namespace zeltrand
