// One HTTP(S) request and its answer, as the system makes it: its proxy
// settings and certificate store apply.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zeltrand {

// The longest reply body taken; a server's is a few hundred bytes. A longer
// one is not read further.
inline constexpr std::size_t kHttpReplyLimit = std::size_t{64} << 10;

// The name the program gives itself in its requests. An inventory server
// reads "<name>_v<version>" and files a PC as a Windows one by the word
// WINDOWS in it (in capitals); the word "local" means something else there.
inline constexpr char kHttpUserAgent[] = "Zeltrand_WINDOWS_v0.90";

// Where a request goes: the address with no account in it, and the
// account the server asks for (HTTP Basic, sent with the first request),
// UTF-8. No account when `user` is empty.
struct HttpTarget {
  std::string url;
  std::string user;
  std::string password;
};

// Why no answer came, the same on every system; `error` keeps its own number.
enum class HttpFailure { kNone, kConnect, kTimeout, kName, kCertificate, kTls };

struct HttpReply {
  int error = 0;  // the system's error number when no answer came; then nothing else is set
  int status = 0;
  std::string content_type;
  std::string body;
  bool too_long = false;  // the body passed kHttpReplyLimit; then it is empty
  HttpFailure failure = HttpFailure::kNone;
};

class Http {
 public:
  virtual ~Http() = default;
  // POSTs `body` to `to`, over TLS 1.2 or later for https; a redirect is
  // answered, not followed (the body would not go along, or would go
  // where it was not meant to). Gives up when the whole request, the
  // reply read to its end, takes longer than `timeout_ms` (a time-out
  // error), however the server spreads out what it sends.
  virtual HttpReply Post(const HttpTarget& to, std::string_view content_type, std::string_view body,
                         unsigned timeout_ms) = 0;
};

}  // namespace zeltrand
