// TLS records as they come over a connection (RFC 8446 5.1): a header of
// five bytes (content type, version, length) and `length` bytes. A receive
// may hold several records, or part of one; the reader hands out one whole
// record at a time, which is what the system's TLS takes best:
//
//   17 03 03 00 2A  <42 bytes>  17 03 03 00 13  <19 bytes>  15 03 03 ...
//   application data            application data            alert
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/net.h"

namespace zeltrand {

// The longest record a peer may send: 2^14 bytes of data and 2048 of
// protection (RFC 5246), and the header.
inline constexpr std::size_t kTlsRecordLimit = 5 + 16384 + 2048;

struct TlsRecord {
  std::string bytes;  // header included; empty when `error` is set or the peer closed
  int error = 0;      // the receive's error, or kNotTls for bytes that are no record
};

// How long the next receive may wait; 0 when the time is up.
using WaitBudget = std::function<unsigned()>;

class TlsRecordReader {
 public:
  static constexpr int kNotTls = 10054;  // as if the connection had been reset
  static constexpr int kTimedOut = 10060;

  explicit TlsRecordReader(Connection& connection) : connection_(connection) {}

  // The next whole record; each receive waits what `wait` gives, and none
  // is made once it gives 0.
  TlsRecord Next(const WaitBudget& wait);
  // Bytes the TLS layer took but did not use go back before what follows.
  void PutBack(const std::string& bytes) { buffer_.insert(0, bytes); }

 private:
  Connection& connection_;
  std::string buffer_;
};

}  // namespace zeltrand
