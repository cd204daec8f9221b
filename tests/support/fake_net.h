// A network with one scripted server: its replies, in order, one receive
// each; once they run out it stays silent and every receive times out.
// TLS is a pass-through that marks where it began in what was sent, as
// "[TLS host]" and CR LF, and gives `tls_check` as the certificate's.
#pragma once

#include <cstdio>
#include <deque>
#include <map>

#include "platform/net.h"

namespace zeltrand::testing {

class FakeNet : public Net {
 public:
  int start_error = 0;
  int open_error = 0;
  int connect_error = 0;
  std::map<std::string, NetAddress> names;
  std::deque<Received> replies;
  TlsCheck tls_check = TlsCheck::kTrusted;
  long tls_error = 0;
  unsigned reply_ms = 0;  // each reply comes this long after its receive began
  std::uint64_t now_ms = 0;

  NetAddress connected_to;
  std::uint16_t connected_port = 0;
  std::string sent;  // every byte the program sent
  int starts = 0;
  int stops = 0;
  int open_connections = 0;

  int Start() override { return ++starts, start_error; }
  void Stop() override { ++stops; }
  std::uint64_t NowMs() override { return now_ms; }
  std::optional<NetAddress> ParseAddress(const std::string& text) override {
    unsigned a, b, c, d;
    char end;
    if (text == "::1" || text.starts_with("2001:db8:")) return NetAddress{0, true, {}};
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &end) != 4) return {};
    return NetAddress{(d << 24) | (c << 16) | (b << 8) | a};
  }
  std::optional<NetAddress> LookUp(const std::string& name) override {
    return names.count(name) ? std::optional(names[name]) : std::nullopt;
  }
  OpenedConnection Open() override {
    if (open_error) return {nullptr, open_error};
    return {std::make_unique<Socket>(*this), 0};
  }
  SecuredConnection Secure(Connection& plain, const TlsRequest& request) override {
    sent += "[TLS " + request.host + "]\r\n";
    if (tls_check != TlsCheck::kTrusted) return {nullptr, tls_check, tls_error};
    return {std::make_unique<Secured>(plain), TlsCheck::kTrusted, 0};
  }

 private:
  struct Socket : Connection {
    explicit Socket(FakeNet& net) : net_(net) { ++net_.open_connections; }
    ~Socket() override { --net_.open_connections; }
    int Connect(NetAddress to, std::uint16_t port, unsigned) override {
      net_.connected_to = to;
      net_.connected_port = port;
      return net_.connect_error;
    }
    int Send(std::string_view bytes, unsigned) override { return net_.sent += bytes, 0; }
    Received Receive(std::size_t, unsigned timeout_ms) override {
      const bool in_time = !net_.replies.empty() && net_.reply_ms <= timeout_ms;
      net_.now_ms += in_time ? net_.reply_ms : timeout_ms;
      if (!in_time) return {"", 10060};  // WSAETIMEDOUT
      Received next = net_.replies.front();
      net_.replies.pop_front();
      return next;
    }
    FakeNet& net_;
  };
  struct Secured : Connection {
    explicit Secured(Connection& plain) : plain_(plain) {}
    int Connect(NetAddress, std::uint16_t, unsigned) override { return 0; }
    int Send(std::string_view bytes, unsigned ms) override { return plain_.Send(bytes, ms); }
    Received Receive(std::size_t max, unsigned ms) override { return plain_.Receive(max, ms); }
    Connection& plain_;
  };
};

}  // namespace zeltrand::testing
