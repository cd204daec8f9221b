#include "platform/tls_records.h"

namespace zeltrand {

namespace {

constexpr std::size_t kHeaderSize = 5;
constexpr unsigned char kFirstContentType = 20;  // change_cipher_spec
constexpr unsigned char kLastContentType = 24;   // heartbeat

// The record's whole size, 0 while the header is incomplete, or npos for
// a header no TLS peer sends.
std::size_t RecordSize(std::string_view bytes) {
  if (bytes.size() < kHeaderSize) return 0;
  const auto type = static_cast<unsigned char>(bytes[0]);
  const auto major = static_cast<unsigned char>(bytes[1]);
  const std::size_t length = static_cast<std::size_t>(static_cast<unsigned char>(bytes[3])) << 8 |
                             static_cast<unsigned char>(bytes[4]);
  if (type < kFirstContentType || type > kLastContentType || major != 3 ||
      kHeaderSize + length > kTlsRecordLimit) {
    return std::string_view::npos;
  }
  return kHeaderSize + length;
}

}  // namespace

TlsRecord TlsRecordReader::Next(const WaitBudget& wait) {
  for (;;) {
    const std::size_t size = RecordSize(buffer_);
    if (size == std::string_view::npos) return {{}, kNotTls};
    if (size != 0 && buffer_.size() >= size) {
      TlsRecord record{buffer_.substr(0, size), 0};
      buffer_.erase(0, size);
      return record;
    }
    const unsigned timeout_ms = wait();
    if (timeout_ms == 0) return {{}, kTimedOut};
    Received got = connection_.Receive(kTlsRecordLimit, timeout_ms);
    if (got.error) return {{}, got.error};
    if (got.bytes.empty()) return {{}, buffer_.empty() ? 0 : kNotTls};  // closed, mid-record or not
    buffer_ += got.bytes;
  }
}

}  // namespace zeltrand
