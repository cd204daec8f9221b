// TCP over WinSock (ws2_32): every wait is a select with the caller's
// time-out, so a server that stops answering ends the wait with 10060.
#pragma once

#include "platform/net.h"

namespace zeltrand::win32 {

class Win32Net final : public Net {
 public:
  int Start() override;
  void Stop() override;
  std::uint64_t NowMs() override;
  std::optional<NetAddress> ParseAddress(const std::string& text) override;
  std::optional<NetAddress> LookUp(const std::string& name) override;
  OpenedConnection Open() override;
  SecuredConnection Secure(Connection& plain, const TlsRequest& request) override;
};

}  // namespace zeltrand::win32
