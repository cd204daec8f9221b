// TCP for the mail: a name or an address, one connection, sends and
// receives that never wait longer than they are told, and TLS over the
// connection. Failures carry the sockets library's error number (10060 is
// a time-out).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

struct NetAddress {
  std::uint32_t ipv4 = 0;  // in network order
  bool is_ipv6 = false;
  std::array<std::uint8_t, 16> ipv6{};
};

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

// What the server's certificate must be: with `pinned_sha256` set (32
// bytes), the one certificate of that SHA-256, whatever its chain; else one
// that chains to a root the system trusts and names `host` (a name, or the
// address typed). The handshake ends by `end_ms` on the clock of
// Net::NowMs, as the whole session does.
struct TlsRequest {
  std::string host;
  std::string pinned_sha256;
  std::uint64_t end_ms = UINT64_MAX;
};

enum class TlsCheck {
  kTrusted,
  kExpired,
  kWrongName,
  kUnknownIssuer,
  kWrongUsage,        // not made out for a server, or a CA's usage forbids it
  kBasicConstraints,  // a certificate that is no CA signed another
  kDistrusted,        // the system was told not to trust it
  kNotPinned,         // another certificate than the one TlsCertSha256 names
  kRejected,          // any other verdict of the chain engine: `error`
  kUncheckable,       // no verdict at all (no certificate, no chain engine): `error`
  kFailed,            // no certificate to check: the handshake itself failed
};

struct SecuredConnection {
  std::unique_ptr<Connection> connection;  // none unless trusted
  TlsCheck check = TlsCheck::kFailed;
  long error = 0;  // the system's status code when there is no verdict or it is kRejected
};

class Net {
 public:
  virtual ~Net() = default;
  // Starts the sockets library for one session: 0 or its failure code.
  virtual int Start() = 0;
  // Ends what a successful Start began.
  virtual void Stop() = 0;
  // Milliseconds on a clock that never goes back, for the session's deadline.
  virtual std::uint64_t NowMs() = 0;
  // The address a dotted text such as "192.168.1.5", or an IPv6 address
  // such as "2001:db8::1", stands for, asking nobody; nothing for any other
  // text.
  virtual std::optional<NetAddress> ParseAddress(const std::string& text) = 0;
  // The first IPv4 address the name service gives for `name`.
  virtual std::optional<NetAddress> LookUp(const std::string& name) = 0;
  virtual OpenedConnection Open() = 0;
  // Runs the TLS handshake over `plain`, which must outlive the result,
  // and checks the server's certificate. The result says goodbye
  // (close_notify) when it goes away.
  virtual SecuredConnection Secure(Connection& plain, const TlsRequest& request) = 0;
};

}  // namespace zeltrand
