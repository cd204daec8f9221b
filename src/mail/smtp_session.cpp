#include "mail/smtp_session.h"

#include <optional>
#include <string_view>
#include <utility>

#include "core/app_state.h"
#include "core/text_format.h"
#include "mail/kana_widener.h"

namespace zeltrand {

namespace {

constexpr std::uint16_t kSmtpPort = 25;
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
  Dialogue(Connection& connection, const MailTeller& tell) : connection_(connection), tell_(tell) {}

  void Tell(std::string_view text, unsigned style = kMbOk) {
    if (!quiet_) tell_(text, style);
  }

  // A failed send is told, and the reply then says how the step went.
  void Send(std::string_view bytes) {
    if (const int error = connection_.Send(bytes, kSmtpTimeoutMs)) {
      Tell(FormatText("send err. WSAGetLastError=%d", error));
    }
  }

  // The last line of the next reply, whether its lines come in one receive
  // or several. Nothing when the server closed the connection.
  // A reply that never ends, in one line or in endless "250-" lines, would
  // hold the program for good: it is given up after kReplyLimit bytes.
  std::optional<std::string> Reply() {
    std::size_t taken = 0;
    for (;;) {
      const std::size_t end = pending_.find('\n');
      if (end != std::string::npos) {
        std::string line = pending_.substr(0, end + 1);
        pending_.erase(0, end + 1);
        taken += line.size();
        if (line.size() < 4 || line[3] != '-') return line;
        continue;
      }
      if (taken + pending_.size() > kReplyLimit) return ReceiveFailed(kReplyTooLong);
      const Received got = connection_.Receive(kReceiveChunk, kSmtpTimeoutMs);
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
    Tell(FormatText("%.*s err=%.3s", static_cast<int>(step.size()), step.data(), reply->c_str()));
    return false;
  }

  // Once "." got 250 the server has the mail: how the goodbye goes is no
  // failure of the mail, and nobody is told about it.
  void Quit() {
    quiet_ = true;
    Step("QUIT", "QUIT\r\n", "221");
  }

 private:
  Connection& connection_;
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

bool Converse(Connection& connection, const MailTeller& tell, const MailRequest& r) {
  Dialogue d(connection, tell);
  const bool sent = d.Greeted() && d.Step("HELO", Command("HELO ", r.name), "250") &&
                    d.Step("MAIL FROM", Command("MAIL FROM:<", r.sender + ">"), "250") &&
                    d.Step("RCPT TO", Command("RCPT TO:<", r.recipient + ">"), "250") &&
                    d.Step("DATA", "DATA\r\n", "354") && d.Step(".(DATA終了)", Message(r), "250");
  if (sent) d.Quit();
  return sent;
}

// An empty name would be this PC itself to the name service.
std::optional<NetAddress> ServerAddress(Net& net, DialogWindow& window, const MailTeller& tell,
                                        const std::string& server) {
  if (const auto address = net.ParseAddress(server)) return address;
  window.OpenWaitNotice(kLookupNotice);
  const auto address = server.empty() ? std::nullopt : net.LookUp(server);
  window.CloseWaitNotice();
  if (!address) tell(kLookupFailed, kMbIconWarning);
  return address;
}

bool Session(Net& net, DialogWindow& window, const MailTeller& tell, const MailRequest& r) {
  const OpenedConnection opened = net.Open();
  if (!opened.connection) {
    tell(FormatText("socket err. WSAGetLastError=%d", opened.error), kMbOk);
    return false;
  }
  const auto address = ServerAddress(net, window, tell, r.server);
  if (!address) return false;
  window.OpenWaitNotice(kConnectNotice);
  const int error = opened.connection->Connect(*address, kSmtpPort, kSmtpTimeoutMs);
  window.CloseWaitNotice();
  if (error) {
    tell(FormatText("connect err. WSAGetLastError=%d", error), kMbOk);
    return false;
  }
  return Converse(*opened.connection, tell, r);
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
  if (const int error = net.Start()) {
    tell(FormatText("WSAStartup err=%d", error), kMbOk);
    return false;
  }
  const bool sent = Session(net, window, tell, request);
  net.Stop();
  return sent;
}

}  // namespace zeltrand
