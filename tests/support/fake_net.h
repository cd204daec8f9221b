// A network with one scripted server: its replies, in order, one receive
// each; once they run out it stays silent and every receive times out.
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

  std::string sent;  // every byte the program sent
  int starts = 0;
  int stops = 0;
  int open_connections = 0;

  int Start() override { return ++starts, start_error; }
  void Stop() override { ++stops; }
  std::optional<NetAddress> ParseAddress(const std::string& text) override {
    unsigned a, b, c, d;
    char end;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &end) != 4) return {};
    return (d << 24) | (c << 16) | (b << 8) | a;
  }
  std::optional<NetAddress> LookUp(const std::string& name) override {
    return names.count(name) ? std::optional(names[name]) : std::nullopt;
  }
  OpenedConnection Open() override {
    if (open_error) return {nullptr, open_error};
    return {std::make_unique<Socket>(*this), 0};
  }

 private:
  struct Socket : Connection {
    explicit Socket(FakeNet& net) : net_(net) { ++net_.open_connections; }
    ~Socket() override { --net_.open_connections; }
    int Connect(NetAddress, std::uint16_t, unsigned) override { return net_.connect_error; }
    int Send(std::string_view bytes, unsigned) override { return net_.sent += bytes, 0; }
    Received Receive(std::size_t, unsigned) override {
      if (net_.replies.empty()) return {"", 10060};  // WSAETIMEDOUT
      Received next = net_.replies.front();
      net_.replies.pop_front();
      return next;
    }
    FakeNet& net_;
  };
};

}  // namespace zeltrand::testing
