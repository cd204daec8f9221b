// Base64 (RFC 4648, with padding), as mail logins, HTTP accounts and
// content hashes use it.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

std::string Base64(std::string_view bytes);

}  // namespace zeltrand
