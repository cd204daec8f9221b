// TCP over IPv4 for the mail: a name or dotted address, one connection,
// and sends and receives that never wait longer than they are told.
// Failures carry the sockets library's error number (10060 is a time-out).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

using NetAddress = std::uint32_t;  // IPv4, in network order

struct Received {
  std::string bytes;  // empty with no error: the other side closed
  int error = 0;
};

// One TCP socket; going away closes it.
class Connection {
 public:
  virtual ~Connection() = default;
  // 0 or the error number.
  virtual int Connect(NetAddress address, std::uint16_t port, unsigned timeout_ms) = 0;
  // Sends all of `bytes`; 0 or the error number.
  virtual int Send(std::string_view bytes, unsigned timeout_ms) = 0;
  // What arrives first, at most `max_bytes`.
  virtual Received Receive(std::size_t max_bytes, unsigned timeout_ms) = 0;
};

struct OpenedConnection {
  std::unique_ptr<Connection> connection;  // none when `error` is set
  int error = 0;
};

class Net {
 public:
  virtual ~Net() = default;
  // Starts the sockets library for one session: 0 or its failure code.
  virtual int Start() = 0;
  // Ends what a successful Start began.
  virtual void Stop() = 0;
  // The address a dotted text such as "192.168.1.5" stands for, asking
  // nobody; nothing for any other text.
  virtual std::optional<NetAddress> ParseAddress(const std::string& text) = 0;
  // The first address the name service gives for `name`.
  virtual std::optional<NetAddress> LookUp(const std::string& name) = 0;
  virtual OpenedConnection Open() = 0;
};

}  // namespace zeltrand
