// The SMTP dialogue against a server that answers anything: the input is
// the server's side, one receive per piece between 0xFF bytes, its first
// byte the session (port 25, 587 or 465 with an account). The session must
// end and let go of what it took; the TLS record reader, fed the same,
// must end and hand out whole records only.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/smtp_session.h"
#include "platform/tls_records.h"
#include "support/fake_net.h"
#include "support/fake_window.h"

namespace {

void Feed(zeltrand::testing::FakeNet& net, std::string_view rest) {
  while (!rest.empty()) {
    const std::size_t cut = rest.find('\xFF');
    net.replies.push_back({std::string(rest.substr(0, cut)), 0});
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  net.replies.push_back({"", 0});  // then the server hangs up
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  static constexpr const char* kServers[] = {"127.0.0.1", "127.0.0.1:587", "[::1]:465"};
  zeltrand::testing::FakeNet net;
  Feed(net, input);
  if (data[0] & 4) net.tls_check = zeltrand::TlsCheck::kWrongName;
  zeltrand::testing::FakeDialogWindow window;
  zeltrand::MailRequest request;
  request.sender = "taro@example.jp";
  request.recipient = "admin@example.jp";
  request.name = "Zeltrand";
  request.text = "Zeltrand v0.90 2[\"PC\",\n\"a\",]";
  request.server = kServers[data[0] % 3];
  if (data[0] % 3 != 0) request.user = "taro", request.password = "secret";
  zeltrand::SmtpSession(net, window, request);
  if (net.open_connections != 0 || net.starts != net.stops) std::abort();

  zeltrand::testing::FakeNet records;
  Feed(records, input);
  const zeltrand::OpenedConnection opened = records.Open();
  zeltrand::TlsRecordReader reader(*opened.connection);
  for (;;) {
    const zeltrand::TlsRecord record = reader.Next(1000);
    if (record.bytes.empty()) break;
    const std::size_t length = static_cast<unsigned char>(record.bytes[3]) << 8 |
                               static_cast<unsigned char>(record.bytes[4]);
    if (record.bytes.size() != 5 + length) std::abort();
  }
  return 0;
}
