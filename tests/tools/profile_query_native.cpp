// The program's own INI reader over a query file (see profile_queries.h).
#include "settings/profile.h"
#include "support/utf16.h"
#include "tools/profile_queries.h"

int main(int argc, char** argv) {
  using zeltrand::testing::ProfileQuery;
  return zeltrand::testing::AnswerProfileQueries(
      argc, argv, [](const std::string& dir, const ProfileQuery& q) {
        const zeltrand::Profile profile(zeltrand::DecodeProfileText(
            zeltrand::testing::ReadWholeFile(dir + "/" + q.file), zeltrand::utf16::Codec()));
        return profile.Get(q.section, q.key);
      });
}
