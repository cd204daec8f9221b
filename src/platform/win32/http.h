// HTTP(S) through WinHTTP, loaded from the system folder when the first
// request is made: https with Schannel and Windows' certificate store, and
// the proxy the system (Internet Options) sets, automatic configuration
// included.
#pragma once

#include "platform/http.h"

namespace zeltrand::win32 {

class Win32Http final : public Http {
 public:
  // The error number is WinHTTP's (12029 cannot connect, 12002 time-out,
  // 12007 unknown name, 12175 certificate refused); 126 without winhttp.dll.
  HttpReply Post(const HttpTarget& to, std::string_view content_type, std::string_view body,
                 unsigned timeout_ms) override;
};

}  // namespace zeltrand::win32
