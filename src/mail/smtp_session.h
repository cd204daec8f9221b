// The mail that carries a record to the administrator: one SMTP dialogue
// (RFC 5321) with one server. On port 25 without an account, on the wire:
//
//   S: 220 mail.example.jp ESMTP
//   C: HELO Zeltrand
//   S: 250 mail.example.jp
//   C: MAIL FROM:<taro@example.jp>
//   S: 250 2.1.0 Ok
//   C: RCPT TO:<admin@example.jp>
//   S: 250 2.1.5 Ok
//   C: DATA
//   S: 354 End data with <CR><LF>.<CR><LF>
//   C: From: taro@example.jp
//   C: To: admin@example.jp
//   C: Subject: Zeltrand
//   C: Date: Mon, 07 Dec 2026 19:15:04 +0900
//   C: MIME-Version: 1.0
//   C: Content-Type: text/plain; charset=ISO-2022-JP
//   C: Content-Transfer-Encoding: 7bit
//   C:
//   C: Zeltrand v0.90 2["会計課7号機", ... ,"",      (in JIS code, see kana_widener.h)
//   C: "Sample Editor 2.1","Report Viewer 5.0","LAN Tools",
//   C: "Virus Check 7",]
//   C: .
//   S: 250 2.0.0 Ok: queued
//   C: QUIT
//   S: 221 2.0.0 Bye
//
// Every line ends in CR LF; a body line that begins with "." gets another.
// The greeting's code is not looked at; every other reply must carry the
// code its step expects, or the user is told, for example RCPT TO err=550.
// On the submission port, or with an account, EHLO replaces HELO, then:
//
//   C: STARTTLS                       (not on port 465: TLS from the start)
//   S: 220 2.0.0 Ready to start TLS
//   ...                               (TLS handshake, the certificate checked)
//   C: EHLO Zeltrand
//   S: 250-AUTH PLAIN LOGIN
//   C: AUTH PLAIN AHRhcm8Ac2VjcmV0
//   S: 235 2.7.0 Authentication successful
//
// and MAIL FROM as above. No wait lasts longer than 30 s, and the whole
// session, from the connect to the QUIT, no longer than 2 minutes. Once "."
// got 250 the mail counts as sent, however the QUIT goes.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/machine.h"
#include "platform/net.h"
#include "platform/window.h"

namespace zeltrand {

struct MailRequest {
  std::string sender;
  std::string recipient;
  std::string name;    // the HELO argument and the subject
  std::string text;    // code page 932, lines ending in LF
  std::string server;  // the box's text: host, host:port, [IPv6]:port (mail_server.h)
  LocalTime date;
  std::string user;      // the account, UTF-8; none: no AUTH
  std::string password;  // UTF-8; never shown, logged or written
  std::string pin;       // TlsCertSha256 as written (mail_server.h); set, it needs TLS
};

inline constexpr unsigned kSmtpTimeoutMs = 30000;
inline constexpr unsigned kSmtpSessionMs = 120000;

// Where the session's messages go: by default a box owned by the dialog.
using MailTeller = std::function<void(std::string_view text, unsigned style)>;

// True once the server has taken the mail; every failure has been told.
bool SmtpSession(Net& net, DialogWindow& window, const MailRequest& request,
                 const MailTeller& tell = {});

}  // namespace zeltrand
