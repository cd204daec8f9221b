// An HTTP server that answers each request with the next scripted reply (a
// refused connection once they run out) and notes what it was sent.
#pragma once

#include <deque>
#include <vector>

#include "platform/http.h"

namespace zeltrand::testing {

struct HttpRequest {
  HttpTarget to;
  std::string content_type;
  std::string body;
  unsigned timeout_ms = 0;
};

class FakeHttp : public Http {
 public:
  static constexpr int kRefused = 12029;  // WinHTTP's "cannot connect"
  std::deque<HttpReply> replies;
  std::vector<HttpRequest> requests;

  HttpReply Post(const HttpTarget& to, std::string_view content_type, std::string_view body,
                 unsigned timeout_ms) override {
    requests.push_back({to, std::string(content_type), std::string(body), timeout_ms});
    if (replies.empty()) return HttpReply{kRefused, 0, {}, {}, false, HttpFailure::kConnect};
    HttpReply reply = std::move(replies.front());
    replies.pop_front();
    return reply;
  }
};

}  // namespace zeltrand::testing
