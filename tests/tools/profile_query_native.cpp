// The program's own INI reader over a query file (see profile_queries.h).
#include <cstdio>
#include <fstream>
#include <sstream>

#include "settings/profile.h"
#include "tools/profile_queries.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s DIR QUERIES\n", argv[0]);
    return 2;
  }
  const std::string dir = argv[1];
  for (const auto& q : zeltrand::testing::ParseQueries(Slurp(argv[2]))) {
    const zeltrand::Profile profile(Slurp(dir + "/" + q.file));
    std::printf("%s\n", zeltrand::testing::ToHex(profile.Get(q.section, q.key)).c_str());
  }
  return 0;
}
