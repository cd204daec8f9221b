// The SMTP dialogue against a server that answers anything: the input is
// the server's side, one receive per piece between 0xFF bytes, its first
// byte the session (port 25, 587 or 465 with an account). The session must
// end and let go of what it took; the TLS record reader, fed the same,
// must end and hand out whole records only.
// In a piece 0xFE x is the byte x, 0xFD n the piece so far 2^n times over,
// 0xFC a failed receive. Bits 2-5 of the first byte choose the certificate's
// verdict, bit 6 put-backs, bit 7 the first piece as TlsCertSha256.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "mail/mail_server.h"
#include "mail/smtp_session.h"
#include "platform/tls_records.h"
#include "support/fake_net.h"
#include "support/fake_window.h"

namespace {

void Feed(zeltrand::testing::FakeNet& net, std::string_view rest) {
  std::string piece;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const auto b = static_cast<unsigned char>(rest[i]);
    if (b == 0xFF || b == 0xFC) {
      net.replies.push_back({std::exchange(piece, {}), b == 0xFC ? 10054 : 0});
    } else if (b < 0xFC || i + 1 == rest.size()) {
      piece += rest[i];
    } else if (const auto n = static_cast<unsigned char>(rest[++i]); b == 0xFE) {
      piece += static_cast<char>(n);
    } else {
      for (unsigned k = 0; k < n && piece.size() < (1u << 20); ++k) piece += std::string(piece);
    }
  }
  net.replies.push_back({piece, 0});
  net.replies.push_back({"", 0});  // then the server hangs up
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (const auto pin = zeltrand::ParseFingerprint(input); pin && pin->size() != 32) std::abort();
  static constexpr const char* kServers[] = {"127.0.0.1", "127.0.0.1:587", "[::1]:465"};
  zeltrand::testing::FakeNet net;
  Feed(net, input);
  net.tls_check = static_cast<zeltrand::TlsCheck>((data[0] >> 2 & 15) % 11);
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
    if (data[0] & 64) reader.PutBack(record.bytes.substr(record.bytes.size() / 2 + 1));  // less
  }
  return 0;
}
