// One HTTP(S) request and its answer, as the system makes it: its proxy
// settings and certificate store apply.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

// The name the program gives itself in its requests. An inventory server
// reads "<name>_v<version>" and files a PC as a Windows one by the word
// WINDOWS in it (in capitals); the word "local" means something else there.
inline constexpr char kHttpUserAgent[] = "Zeltrand_WINDOWS_v0.90";

struct HttpReply {
  int error = 0;  // the system's error number when no answer came; then nothing else is set
  int status = 0;
  std::string content_type;
  std::string body;
};

class Http {
 public:
  virtual ~Http() = default;
  // POSTs `body` to `url`; gives up on a server that says nothing for
  // `timeout_ms` at any step.
  virtual HttpReply Post(const std::string& url, std::string_view content_type,
                         std::string_view body, unsigned timeout_ms) = 0;
};

}  // namespace zeltrand
