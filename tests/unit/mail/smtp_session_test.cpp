#include "mail/smtp_session.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/app_state.h"
#include "support/fake_net.h"
#include "support/fake_window.h"

namespace zeltrand::testing {
namespace {

// A dialogue with a scripted server, from tests/fixtures/mail/*.txt:
//   S: line       the server's next receive (S+ adds a line to the same one,
//                 S! n makes it fail with error n, S. is a closed connection)
//   C: line       what the program must send, CR LF added
//   box: text     a message, in order (box!: with the exclamation icon)
//   notice: text  a notice, in order
//   result: sent|failed
// and the setting-up keys text, sender, recipient, server, lookup,
// start-error, connect-error, account (the user, a blank, the password),
// pin (TlsCertSha256) and tls (the certificate's issuer is unknown). \n, \r and \xHH stand for
// those bytes.
struct Transcript {
  MailRequest request{"taro@example.jp",
                      "admin@example.jp",
                      "Zeltrand",
                      "Zeltrand v0.90 2[]",
                      "192.0.2.25",
                      {2026, 12, 7, 19, 15, 4, 9 * 60},
                      {},
                      {},
                      {}};
  FakeNet net;
  std::string expected_sent;
  std::vector<ShownMessage> boxes;
  std::vector<std::string> notices;
  bool sent = false;
};

// The transcripts are UTF-8; the program speaks code page 932, and the
// account goes out in UTF-8 again.
std::string Convert(std::string text, const char* to_code = "CP932", const char* from = "UTF-8") {
  iconv_t cd = iconv_open(to_code, from);
  std::string out(text.size() * 2, '\0');
  char *in = text.data(), *to = out.data();
  std::size_t in_left = text.size(), out_left = out.size();
  EXPECT_NE(iconv(cd, &in, &in_left, &to, &out_left), static_cast<std::size_t>(-1));
  iconv_close(cd);
  return out.substr(0, out.size() - out_left);
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
    } else if (const char c = text[++i]; c == 'x') {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
  }
  return out;
}

Transcript Load(const std::string& name) {
  std::ifstream file(std::string(ZELTRAND_FIXTURES) + "/mail/" + name);
  std::stringstream utf8;
  utf8 << file.rdbuf();
  std::istringstream lines(Convert(utf8.str()));
  Transcript t;
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t end = line[0] == 'S' ? 1 : line.find(':');
    const std::string key = line.substr(0, end + 1);
    const std::string value = Unescape(line.substr(std::min(line.size(), end + 2)));
    if (key == "S:") t.net.replies.push_back({value + "\r\n", 0});
    if (key == "S+") t.net.replies.back().bytes += value + "\r\n";
    if (key == "S!") t.net.replies.push_back({"", std::stoi(value)});
    if (key == "S.") t.net.replies.push_back({"", 0});
    if (key == "C:") t.expected_sent += value + "\r\n";
    if (key == "box:") t.boxes.push_back({value, std::string(kTitleText), kMbOk});
    if (key == "box!:") t.boxes.push_back({value, std::string(kTitleText), kMbIconWarning});
    if (key == "notice:") t.notices.push_back(value);
    if (key == "result:") t.sent = value == "sent";
    if (key == "text:") t.request.text = value;
    if (key == "sender:") t.request.sender = value;
    if (key == "recipient:") t.request.recipient = value;
    if (key == "server:") t.request.server = value;
    if (key == "start-error:") t.net.start_error = std::stoi(value);
    if (key == "connect-error:") t.net.connect_error = std::stoi(value);
    if (key == "account:") {
      t.request.user = value.substr(0, value.find(' '));
      t.request.password = Convert(value.substr(value.find(' ') + 1), "UTF-8", "CP932");
    }
    if (key == "tls:") t.net.tls_check = TlsCheck::kUnknownIssuer;
    if (key == "pin:") t.request.pin = value;
    if (key == "lookup:") {
      const std::size_t blank = value.find(' ');
      t.net.names[value.substr(0, blank)] = *t.net.ParseAddress(value.substr(blank + 1));
    }
  }
  return t;
}

std::vector<std::string> TranscriptNames() {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(ZELTRAND_FIXTURES) + "/mail")) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class SmtpTranscript : public ::testing::TestWithParam<std::string> {};

TEST_P(SmtpTranscript, GoesAsScripted) {
  Transcript t = Load(GetParam());
  FakeDialogWindow window;
  EXPECT_EQ(SmtpSession(t.net, window, t.request), t.sent);
  EXPECT_EQ(t.net.sent, t.expected_sent);
  ASSERT_EQ(window.messages.size(), t.boxes.size());
  for (std::size_t i = 0; i < t.boxes.size(); ++i) {
    EXPECT_EQ(window.messages[i].text, t.boxes[i].text);
    EXPECT_EQ(window.messages[i].caption, t.boxes[i].caption);
    EXPECT_EQ(window.messages[i].style, t.boxes[i].style);
    if (!t.request.password.empty()) {
      EXPECT_EQ(window.messages[i].text.find(t.request.password), std::string::npos);
    }
  }
  EXPECT_EQ(window.notice_texts, t.notices);
  EXPECT_FALSE(window.notice_open);
  // Whatever happened, the socket is closed and the sockets library let go.
  EXPECT_EQ(t.net.open_connections, 0);
  EXPECT_EQ(t.net.stops, t.net.start_error ? 0 : t.net.starts);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, SmtpTranscript, ::testing::ValuesIn(TranscriptNames()),
                         [](const auto& p) { return p.param.substr(0, p.param.find('.')); });

TEST(SmtpSession, RefusesAddressesThatWouldInjectProtocolLines) {
  for (const char* bad : {"", "a b@example.jp", "a@example.jp\r\nDATA", "<a@example.jp>",
                          "a\t@example.jp", "a@example.jp>", "経理@example.jp", "a@\xC3\xA9.jp"}) {
    FakeNet net;
    FakeDialogWindow window;
    MailRequest request{bad, "admin@example.jp", "Zeltrand", "x", "192.0.2.25", {}, {}, {}, {}};
    EXPECT_FALSE(SmtpSession(net, window, request)) << bad;
    EXPECT_EQ(net.starts, 0) << bad;
    ASSERT_EQ(window.messages.size(), 1u) << bad;
  }
}

// Once "." got 250 the server has the mail: a QUIT that the server hangs
// up on, answers with another code or leaves unanswered changes nothing.
TEST(SmtpSession, AMailThatGot250IsSentHoweverTheQuitGoes) {
  for (const std::optional<Received>& quit_reply :
       {std::optional<Received>{{"", 0}}, {{"500 what\r\n", 0}}, std::optional<Received>{}}) {
    Transcript t = Load("delivered.txt");
    t.net.replies.pop_back();
    if (quit_reply) t.net.replies.push_back(*quit_reply);
    FakeDialogWindow window;
    EXPECT_TRUE(SmtpSession(t.net, window, t.request));
    EXPECT_EQ(t.net.sent, t.expected_sent);
    EXPECT_TRUE(window.messages.empty()) << window.messages[0].text;
  }
}

// A handshake that failed before any certificate gives the system's status.
TEST(SmtpSession, AFailedHandshakeGivesTheSystemsStatus) {
  Transcript t = Load("untrusted_certificate.txt");
  t.net.tls_check = TlsCheck::kFailed;
  t.net.tls_error = 0x80090326L;
  FakeDialogWindow window;
  EXPECT_FALSE(SmtpSession(t.net, window, t.request));
  EXPECT_EQ(t.net.sent, t.expected_sent);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "TLS err=0x80090326");
  EXPECT_TRUE(t.net.connected_to.is_ipv6 && t.net.connected_port == 587);
}

// A reply that never ends, in one endless line or in endless "250-" lines,
// is given up after 64 KiB; the server still had plenty to send.
TEST(SmtpSession, GivesUpOnAReplyThatNeverEnds) {
  std::string lines;
  while (lines.size() < 4000) lines += "250-mail.example.jp says more\r\n";
  for (const std::string& chunk : {std::string(4000, 'x'), lines}) {
    FakeNet net;
    net.replies.push_back({"220 mail.example.jp\r\n", 0});
    for (int i = 0; i < 1000; ++i) net.replies.push_back({chunk, 0});
    FakeDialogWindow window;
    MailRequest request{
        "taro@example.jp", "admin@example.jp", "Zeltrand", "x", "192.0.2.25", {}, {}, {}, {}};
    EXPECT_FALSE(SmtpSession(net, window, request));
    EXPECT_EQ(net.sent, "HELO Zeltrand\r\n");
    EXPECT_GT(net.replies.size(), 900u);
    ASSERT_EQ(window.messages.size(), 2u);
    EXPECT_EQ(window.messages[0].text, "recv err. WSAGetLastError=10040");
    EXPECT_EQ(window.messages[1].text, "HELO err=rev");
  }
}

// A greeting that trickles in a byte at a time, each in time for its
// receive, still ends with the session's two minutes, as a time-out. A pin
// that is no fingerprint is said before anything is sent; AUTH refusals
// that are not a wrong account say what they are.
TEST(SmtpSession, EndsInTwoMinutesAndTellsWhatIsWrongInItsOwnWords) {
  const std::pair<std::string, std::string> cases[] = {
      {"2", "recv err. WSAGetLastError=10060"},
      {"pin", "Zeltrand.iniのTlsCertSha256が正しくありません!"},
      {"534 5.7.9", "AUTH err=534 ｱﾌﾟﾘﾊﾟｽﾜｰﾄﾞが必要な場合があります"},
      {"454 4.7.0", "AUTH err=454 一時的なｴﾗｰです。後で送り直してください"}};
  for (const auto& [reply, text] : cases) {
    Transcript t = Load(reply == "2" ? "delivered.txt" : "implicit_tls_auth_login.txt");
    t.net.replies.back().bytes = reply + "\r\n";
    if (reply == "2") t.net.replies.assign(1000, {"2", 0}), t.net.reply_ms = 5000;
    if (reply == "pin") t.request.pin = "5E:0B:9A";
    FakeDialogWindow window;
    EXPECT_FALSE(SmtpSession(t.net, window, t.request));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text.substr(0, text.size()), text);
    EXPECT_EQ(t.net.now_ms, reply == "2" ? kSmtpSessionMs : 0);
    EXPECT_EQ(t.net.starts, reply == "pin" ? 0 : 1);
  }
}

// A date the clock cannot give (all zeros) still makes a Date header of
// the right form instead of reading outside the name tables.
TEST(SmtpSession, DateHeaderOfAnImpossibleDateKeepsItsForm) {
  Transcript t = Load("delivered.txt");
  t.request.date = {};
  FakeDialogWindow window;
  SmtpSession(t.net, window, t.request);
  EXPECT_NE(t.net.sent.find("Date: Sat, 00 Jan 0000 00:00:00 +0000\r\n"), std::string::npos);
}

}  // namespace
}  // namespace zeltrand::testing
