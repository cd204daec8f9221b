// The SMTP dialogue against a server that answers anything. The input is
// the server's side, one receive per piece; its first byte chooses the
// session (port 25, 587 or 465 with an account; bits 2-5 the certificate's
// verdict; bit 6 put-backs in the record reader; bit 7 the first piece as
// TlsCertSha256). In a piece 0xFF ends it, 0xFE takes the next byte as it
// is, 0xFD n repeats the piece so far n + 1 times (replies and records of
// full size), 0xFC is a receive that fails. The session must end and let go
// of what it took; the TLS record reader, fed the same, must end and hand
// out whole records only; a fingerprint that parses must be 32 bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "mail/mail_server.h"
#include "mail/smtp_session.h"
#include "platform/tls_records.h"
#include "support/fake_net.h"
#include "support/fake_window.h"

namespace {

constexpr std::size_t kPieceLimit = 1 << 20;

void Feed(zeltrand::testing::FakeNet& net, std::string_view rest) {
  std::string piece;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const auto b = static_cast<unsigned char>(rest[i]);
    if (b == 0xFF || b == 0xFC) {
      net.replies.push_back({std::exchange(piece, {}), b == 0xFC ? 10054 : 0});
    } else if (b >= 0xFD && i + 1 < rest.size()) {
      const auto n = static_cast<unsigned char>(rest[++i]);
      if (b == 0xFE) piece += static_cast<char>(n);
      for (unsigned k = 0; b == 0xFD && k < n && piece.size() < kPieceLimit; ++k) {
        piece += std::string(piece);
      }
    } else {
      piece += static_cast<char>(b);
    }
  }
  net.replies.push_back({piece, 0});
  net.replies.push_back({"", 0});  // then the server hangs up
}

void CheckFingerprint(std::string_view text) {
  const std::optional<std::string> bytes = zeltrand::ParseFingerprint(text);
  if (!bytes) return;
  std::string hex;
  for (const char c : *bytes) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(c));
    hex += digits;
  }
  if (bytes->size() != 32 || zeltrand::ParseFingerprint(hex) != bytes) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckFingerprint(input);
  static constexpr const char* kServers[] = {"127.0.0.1", "127.0.0.1:587", "[::1]:465"};
  zeltrand::testing::FakeNet net;
  Feed(net, input);
  net.tls_check = static_cast<zeltrand::TlsCheck>((data[0] >> 2 & 15) % 11);
  net.tls_error = 0x80090326L;
  zeltrand::testing::FakeDialogWindow window;
  zeltrand::MailRequest request;
  request.sender = "taro@example.jp";
  request.recipient = "admin@example.jp";
  request.name = "Zeltrand";
  request.text = "Zeltrand v0.90 2[\"PC\",\n\"a\",]";
  request.server = kServers[data[0] % 3];
  if (data[0] % 3 != 0) request.user = "taro", request.password = "secret";
  if (data[0] & 0x80) request.pin = net.replies.front().bytes;
  zeltrand::SmtpSession(net, window, request);
  if (net.open_connections != 0 || net.starts != net.stops) std::abort();

  zeltrand::testing::FakeNet records;
  Feed(records, input);
  const zeltrand::OpenedConnection opened = records.Open();
  zeltrand::TlsRecordReader reader(*opened.connection);
  for (;;) {
    const zeltrand::TlsRecord record = reader.Next([] { return 1000u; });
    if (record.bytes.empty()) break;
    const std::size_t length = static_cast<unsigned char>(record.bytes[3]) << 8 |
                               static_cast<unsigned char>(record.bytes[4]);
    if (record.bytes.size() != 5 + length) std::abort();
    // Less than was taken goes back, so the reading still ends.
    if (data[0] & 0x40) reader.PutBack(record.bytes.substr(record.bytes.size() / 2 + 1));
  }
  return 0;
}
