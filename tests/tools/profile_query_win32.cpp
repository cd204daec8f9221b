// Windows' own INI reader, GetPrivateProfileStringA with a 256-byte buffer,
// over a query file (see profile_queries.h). Runs under Wine.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "tools/profile_queries.h"

namespace {

std::string Slurp(const char* path) {
  std::string bytes;
  if (FILE* f = std::fopen(path, "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes += static_cast<char>(c);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DIR QUERIES\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (const auto& q : zeltrand::testing::ParseQueries(Slurp(argv[2]))) {
    char value[256] = {};
    const std::string path = dir + "\\" + q.file;
    const DWORD n = GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), "", value,
                                             sizeof value, path.c_str());
    // Wine leaves the rest of the buffer as it was when the value does not
    // fit in code page 932; only the bytes up to the first zero count.
    const size_t len = std::min<size_t>(n, std::strlen(value));
    std::printf("%s\n", zeltrand::testing::ToHex(std::string_view(value, len)).c_str());
  }
  return 0;
}
