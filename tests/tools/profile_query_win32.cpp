// Windows' own INI reader, GetPrivateProfileStringA with a 256-byte buffer,
// over a query file (see profile_queries.h). Runs under Wine.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tools/profile_queries.h"

int main(int argc, char** argv) {
  using zeltrand::testing::ProfileQuery;
  return zeltrand::testing::AnswerProfileQueries(
      argc, argv, [](const std::string& dir, const ProfileQuery& q) {
        char value[256] = {};
        const std::string path = dir + "\\" + q.file;
        const DWORD n = GetPrivateProfileStringA(q.section.c_str(), q.key.c_str(), "", value,
                                                 sizeof value, path.c_str());
        // Wine leaves the rest of the buffer as it was when the value does not
        // fit in code page 932; only the bytes up to the first zero count.
        return std::string(value, std::min<size_t>(n, std::strlen(value)));
      });
}
