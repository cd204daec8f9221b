// The SMTP dialogue against a server that answers anything: the input is
// the server's side, one receive per piece between 0xFF bytes. The session
// must end, close its socket and stop the sockets library it started.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "mail/smtp_session.h"
#include "support/fake_net.h"
#include "support/fake_window.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  zeltrand::testing::FakeNet net;
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  while (!rest.empty()) {
    const std::size_t cut = rest.find('\xFF');
    net.replies.push_back({std::string(rest.substr(0, cut)), 0});
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
  }
  zeltrand::testing::FakeDialogWindow window;
  zeltrand::MailRequest request;
  request.sender = "taro@example.jp";
  request.recipient = "admin@example.jp";
  request.name = "Zeltrand";
  request.text = "Zeltrand v0.90 2[\"PC\",\n\"a\",]";
  request.server = "127.0.0.1";
  zeltrand::SmtpSession(net, window, request);
  if (net.open_connections != 0 || net.starts != net.stops) std::abort();
  return 0;
}
