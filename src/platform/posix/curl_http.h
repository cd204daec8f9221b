// HTTP(S) by libcurl: its proxy variables (https_proxy, no_proxy) and the
// system's certificate store apply.
#pragma once

#include "platform/http.h"

namespace zeltrand::posix {

class CurlHttp final : public Http {
 public:
  CurlHttp();
  ~CurlHttp() override;
  CurlHttp(const CurlHttp&) = delete;
  CurlHttp& operator=(const CurlHttp&) = delete;

  // The error number is libcurl's (7: refused, 28: time-out).
  HttpReply Post(const HttpTarget& to, std::string_view content_type, std::string_view body,
                 unsigned timeout_ms) override;

 private:
  void* curl_;  // one handle: its connection is kept for the next request
};

}  // namespace zeltrand::posix
