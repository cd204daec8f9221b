#include "mail/smtp_session.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "core/app_state.h"
#include "core/base64.h"
#include "core/text_format.h"
#include "mail/kana_widener.h"
#include "mail/mail_server.h"

namespace zeltrand {

namespace {

constexpr std::size_t kReceiveChunk = 4000;
// A reply, all its lines together, is far shorter; a server that sends more
// is treated like one whose reply was lost (WSAEMSGSIZE, message too long).
constexpr std::size_t kReplyLimit = 65536;
constexpr int kReplyTooLong = 10040;

constexpr std::string_view kLookupNotice = "ﾒｰﾙｻｰﾊﾞIPを問合せ中...";
constexpr std::string_view kConnectNotice = "ﾒｰﾙｻｰﾊﾞに接続中...";
constexpr std::string_view kLookupFailed = "ﾒｰﾙｻｰﾊﾞIPｱﾄﾞﾚｽ取得失敗!";
constexpr std::string_view kReceiveFailedReply = "revc err.";
constexpr std::string_view kClosedBeforeGreeting = "ﾒｰﾙｻｰﾊﾞが接続を切りました!";
constexpr const char* kBadAddress =
    "%sが正しくありません!\n空白、制御文字、<、>を含むｱﾄﾞﾚｽは送れません。\n[%s]";
constexpr std::string_view kSenderLabel = "自ｱﾄﾞﾚｽ名";
constexpr std::string_view kRecipientLabel = "取得情報ﾒｰﾙ先";
constexpr std::string_view kNoStartTls = "STARTTLS err. ｻｰﾊﾞがSTARTTLSに対応していません";
constexpr std::string_view kNoAuthMechanism = "AUTH err. ｻｰﾊﾞがPLAIN/LOGINに対応していません";
constexpr std::string_view kBadPin =
    "Zeltrand.iniのTlsCertSha256が正しくありません!\n"
    "ｻｰﾊﾞ証明書のSHA-256(16進数64桁)を書いてください。何も送っていません。";
constexpr int kTimedOut = 10060;  // WSAETIMEDOUT
constexpr long kHandshakeTimedOut = static_cast<long>(0x80070000UL | kTimedOut);
// The server's certificate, each verdict in its own words; %lX is the
// system's code where one helps.
constexpr std::pair<TlsCheck, const char*> kUntrusted[] = {
    {TlsCheck::kExpired, "TLS err. ｻｰﾊﾞ証明書を信頼できません(有効期限切れ)"},
    {TlsCheck::kWrongName, "TLS err. ｻｰﾊﾞ証明書を信頼できません(名前の不一致)"},
    {TlsCheck::kUnknownIssuer, "TLS err. ｻｰﾊﾞ証明書を信頼できません(発行元不明)"},
    {TlsCheck::kWrongUsage, "TLS err. ｻｰﾊﾞ証明書を信頼できません(用途がｻｰﾊﾞ用でない)"},
    {TlsCheck::kBasicConstraints, "TLS err. ｻｰﾊﾞ証明書を信頼できません(CAでない証明書が発行)"},
    {TlsCheck::kDistrusted, "TLS err. ｻｰﾊﾞ証明書を信頼できません(Windowsで不信頼に設定済み)"},
    {TlsCheck::kNotPinned, "TLS err. ｻｰﾊﾞ証明書がTlsCertSha256と一致しません"},
    {TlsCheck::kRejected, "TLS err. ｻｰﾊﾞ証明書を信頼できません(0x%08lX)"},
    {TlsCheck::kUncheckable, "TLS err. ｻｰﾊﾞ証明書を検証できません(0x%08lX)"},
    {TlsCheck::kFailed, "TLS err=0x%08lX"},
};
// What an AUTH refusal other than a wrong account means (RFC 4954).
constexpr std::pair<std::string_view, std::string_view> kAuthHints[] = {
    {"534", " ｱﾌﾟﾘﾊﾟｽﾜｰﾄﾞが必要な場合があります"},
    {"454", " 一時的なｴﾗｰです。後で送り直してください"},
};

constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// An address goes into the commands and headers as it stands, so a blank,
// a control character or a bracket in it could end a line or a command, and
// a byte of 0x80 or above would go raw into a mail declared 7-bit.
bool IsSafeAddress(std::string_view address) {
  if (address.empty()) return false;
  for (const char c : address) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b >= 0x7F || c == '<' || c == '>') return false;
  }
  return true;
}

int Weekday(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  const int days = year + year / 4 - year / 100 + year / 400 + kOffsets[(month + 11) % 12] + day;
  return (days % 7 + 7) % 7;  // also for a year the clock cannot give
}

// RFC 5322: "Mon, 07 Dec 2026 19:15:04 +0900".
std::string DateText(const LocalTime& t) {
  const int offset = t.utc_offset_minutes < 0 ? -t.utc_offset_minutes : t.utc_offset_minutes;
  const int month = t.month >= 1 && t.month <= 12 ? t.month : 1;
  return FormatText("%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                    kWeekdays[Weekday(t.year, month, t.day)], t.day, kMonths[month - 1], t.year,
                    t.hour, t.minute, t.second, t.utc_offset_minutes < 0 ? '-' : '+', offset / 60,
                    offset % 60);
}

// The converted text as data lines: CR LF ends each, a leading "." is
// doubled, and a CR of the text's own could only make a bare one.
std::string DataLines(std::string_view body) {
  std::string out;
  out.reserve(body.size() + body.size() / 32 + 8);
  bool line_start = true;
  for (const char c : body) {
    if (c == '\r') continue;
    if (line_start && c == '.') out += '.';
    line_start = c == '\n';
    out += line_start ? "\r\n" : std::string_view(&c, 1);
  }
  if (!line_start) out += "\r\n";
  return out;
}

class Dialogue {
 public:
  Dialogue(Connection& connection, Net& net, std::uint64_t end_ms, const MailTeller& tell)
      : connection_(&connection), net_(net), end_ms_(end_ms), tell_(tell) {}

  void Tell(std::string_view text, unsigned style = kMbOk) {
    if (!quiet_) tell_(text, style);
  }

  // A failed send is told, and the reply then says how the step went.
  void Send(std::string_view bytes) {
    const unsigned wait = Wait();
    if (const int error = wait ? connection_->Send(bytes, wait) : kTimedOut) {
      Tell(FormatText("send err. WSAGetLastError=%d", error));
    }
  }

  // The last line of the next reply, whether its lines come in one receive
  // or several. Nothing when the server closed the connection.
  // A reply that never ends, in one line or in endless "250-" lines, would
  // hold the program for good: it is given up after kReplyLimit bytes.
  std::optional<std::string> Reply() {
    std::size_t taken = 0;
    lines_.clear();
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end + 1);
        pending_.erase(0, end + 1);
        taken += line.size();
        lines_.push_back(line);
        if (line.size() < 4 || line[3] != '-') return line;
        continue;
      }
      if (taken + pending_.size() > kReplyLimit) return ReceiveFailed(kReplyTooLong);
      const unsigned wait = Wait();
      const Received got =
          wait ? connection_->Receive(kReceiveChunk, wait) : Received{"", kTimedOut};
      if (got.error) return ReceiveFailed(got.error);
      if (got.bytes.empty()) {
        if (pending_.empty()) return std::nullopt;
        return std::exchange(pending_, {});
      }
      pending_ += got.bytes;
    }
  }

  std::string ReceiveFailed(int error) {
    receive_failed_ = true;
    Tell(FormatText("recv err. WSAGetLastError=%d", error));
    pending_.clear();
    return std::string(kReceiveFailedReply);
  }

  // A server that does not greet at all is not there: its code, though, is
  // not looked at.
  bool Greeted() {
    const std::optional<std::string> greeting = Reply();
    if (!greeting) Tell(kClosedBeforeGreeting);
    return greeting && !receive_failed_;
  }

  // Sends `lines` and checks the reply's code; tells the user when it is not
  // `expected`.
  bool Step(std::string_view step, std::string_view lines, std::string_view expected) {
    Send(lines);
    const std::optional<std::string> reply = Reply();
    if (!reply) {
      Tell(FormatText("%.*s err. ｻｰﾊﾞが接続を切りました", static_cast<int>(step.size()),
                      step.data()));
      return false;
    }
    if (reply->compare(0, 3, expected) == 0) return true;
    std::string text =
        FormatText("%.*s err=%.3s", static_cast<int>(step.size()), step.data(), reply->c_str());
    for (const auto& [code, hint] : kAuthHints) {
      if (step == "AUTH" && reply->starts_with(code)) text += hint;
    }
    Tell(text);
    return false;
  }

  // Once "." got 250 the server has the mail: how the goodbye goes is no
  // failure of the mail, and nobody is told about it.
  void Quit() {
    quiet_ = true;
    Step("QUIT", "QUIT\r\n", "221");
  }

  // The lines of the last reply, its last one included.
  const std::vector<std::string>& Lines() const { return lines_; }

  // From here on the dialogue runs inside TLS. What the server sent
  // before it is dropped: it could be anybody's (RFC 3207).
  bool Secure(const std::string& host, const std::string& pinned_sha256) {
    pending_.clear();
    SecuredConnection secured = net_.Secure(*connection_, {host, pinned_sha256, end_ms_});
    if (!secured.connection) {
      // A handshake that ran out of time ends as any wait that did.
      if (secured.check == TlsCheck::kFailed && secured.error == kHandshakeTimedOut) {
        ReceiveFailed(kTimedOut);
        return false;
      }
      for (const auto& [check, text] : kUntrusted) {
        if (check == secured.check) Tell(FormatText(text, secured.error));
      }
      return false;
    }
    secured_ = std::move(secured.connection);
    connection_ = secured_.get();
    return true;
  }

 private:
  // What the next wait may take: 30 s, or less as the session's end nears.
  unsigned Wait() {
    const std::uint64_t now = net_.NowMs();
    return now >= end_ms_
               ? 0
               : static_cast<unsigned>(std::min<std::uint64_t>(kSmtpTimeoutMs, end_ms_ - now));
  }

  Connection* connection_;
  Net& net_;
  std::uint64_t end_ms_;
  std::unique_ptr<Connection> secured_;
  std::vector<std::string> lines_;
  const MailTeller& tell_;
  bool quiet_ = false;
  std::string pending_;
  bool receive_failed_ = false;
};

std::string Command(std::string_view verb, std::string_view argument) {
  return std::string(verb) + std::string(argument) + "\r\n";
}

std::string Message(const MailRequest& r) {
  return "From: " + r.sender + "\r\nTo: " + r.recipient + "\r\nSubject: " + r.name +
         "\r\nDate: " + DateText(r.date) +
         "\r\nMIME-Version: 1.0\r\nContent-Type: text/plain; charset=ISO-2022-JP\r\n"
         "Content-Transfer-Encoding: 7bit\r\n\r\n" +
         DataLines(KanaWidener(r.text)) + ".\r\n";
}

// EHLO, then STARTTLS unless the connection is secured already, EHLO again
// inside TLS, and AUTH when there is an account. A server without STARTTLS
// gets nothing of the mail or the account.
bool Extended(Dialogue& d, const MailRequest& r, const std::string& pin, const MailServer& server,
              bool secured) {
  const std::string ehlo = Command("EHLO ", r.name);
  if (!d.Step("EHLO", ehlo, "250")) return false;
  if (!secured) {
    if (!OffersExtension(d.Lines(), "STARTTLS")) {
      d.Tell(kNoStartTls);
      d.Quit();
      return false;
    }
    if (!d.Step("STARTTLS", "STARTTLS\r\n", "220") || !d.Secure(server.host, pin) ||
        !d.Step("EHLO", ehlo, "250")) {
      return false;
    }
  }
  if (r.user.empty()) return true;
  switch (ChooseAuthMechanism(d.Lines())) {
    case AuthMechanism::kPlain:
      return d.Step("AUTH", Command("AUTH PLAIN ", AuthPlainResponse(r.user, r.password)), "235");
    case AuthMechanism::kLogin:
      return d.Step("AUTH", "AUTH LOGIN\r\n", "334") &&
             d.Step("AUTH", Base64(r.user) + "\r\n", "334") &&
             d.Step("AUTH", Base64(r.password) + "\r\n", "235");
    case AuthMechanism::kNone:
      break;
  }
  d.Tell(kNoAuthMechanism);
  d.Quit();
  return false;
}

bool Converse(Dialogue& d, const MailRequest& r, const std::string& pin, const MailServer& server) {
  const MailSecurity security = SecurityFor(server, !r.user.empty() || !pin.empty());
  if (security == MailSecurity::kImplicitTls && !d.Secure(server.host, pin)) return false;
  if (!d.Greeted()) return false;
  const bool opened = security == MailSecurity::kPlain
                          ? d.Step("HELO", Command("HELO ", r.name), "250")
                          : Extended(d, r, pin, server, security == MailSecurity::kImplicitTls);
  const bool sent = opened && d.Step("MAIL FROM", Command("MAIL FROM:<", r.sender + ">"), "250") &&
                    d.Step("RCPT TO", Command("RCPT TO:<", r.recipient + ">"), "250") &&
                    d.Step("DATA", "DATA\r\n", "354") && d.Step(".(DATA終了)", Message(r), "250");
  if (sent) d.Quit();
  return sent;
}

// A text of no form the box takes (an empty one too, which would be this
// PC itself to the name service) is a name nobody knows; an IPv6 address
// is never looked up.
std::optional<NetAddress> ServerAddress(Net& net, DialogWindow& window, const MailTeller& tell,
                                        const std::optional<MailServer>& server) {
  if (server) {
    if (auto address = net.ParseAddress(server->host);
        address && address->is_ipv6 == server->ipv6) {
      return address;
    }
  }
  std::optional<NetAddress> address;
  if (!server || !server->ipv6) {
    window.OpenWaitNotice(kLookupNotice);
    if (server) address = net.LookUp(server->host);
    window.CloseWaitNotice();
  }
  if (!address) tell(kLookupFailed, kMbIconWarning);
  return address;
}

bool Session(Net& net, DialogWindow& window, const MailTeller& tell, const MailRequest& r,
             const std::string& pin) {
  const OpenedConnection opened = net.Open();
  if (!opened.connection) {
    tell(FormatText("socket err. WSAGetLastError=%d", opened.error), kMbOk);
    return false;
  }
  const std::optional<MailServer> server = ParseMailServer(r.server);
  const auto address = ServerAddress(net, window, tell, server);
  if (!address) return false;
  const std::uint64_t end_ms = net.NowMs() + kSmtpSessionMs;
  window.OpenWaitNotice(kConnectNotice);
  const int error = opened.connection->Connect(*address, server->port, kSmtpTimeoutMs);
  window.CloseWaitNotice();
  if (error) {
    tell(FormatText("connect err. WSAGetLastError=%d", error), kMbOk);
    return false;
  }
  Dialogue d(*opened.connection, net, end_ms, tell);
  return Converse(d, r, pin, *server);
}

}  // namespace

bool SmtpSession(Net& net, DialogWindow& window, const MailRequest& request,
                 const MailTeller& teller) {
  const MailTeller tell = teller ? teller : [&window](std::string_view text, unsigned style) {
    window.ShowMessage(text, kTitleText, style);
  };
  const std::pair<std::string_view, const std::string&> addresses[] = {
      {kSenderLabel, request.sender}, {kRecipientLabel, request.recipient}};
  for (const auto& [label, address] : addresses) {
    if (IsSafeAddress(address)) continue;
    tell(FormatText(kBadAddress, std::string(label).c_str(), address.c_str()), kMbIconWarning);
    return false;
  }
  const std::optional<std::string> pin =
      request.pin.empty() ? std::string() : ParseFingerprint(request.pin);
  if (!pin) {
    tell(kBadPin, kMbIconWarning);
    return false;
  }
  if (const int error = net.Start()) {
    tell(FormatText("WSAStartup err=%d", error), kMbOk);
    return false;
  }
  const bool sent = Session(net, window, tell, request, *pin);
  net.Stop();
  return sent;
}

}  // namespace zeltrand
