// The mail server box (自ﾒｰﾙｻｰﾊﾞ名) and how the session speaks to it:
//
//   mail.example.jp              port 25
//   mail.example.jp:587          a name and a port
//   192.0.2.25:465               an IPv4 address, with or without a port
//   [2001:db8::1]:587            an IPv6 address in brackets, the same
//
// Port 25 without an account or a pinned certificate is the plain session
// of old (HELO, no TLS); 465 is TLS from the first byte (RFC 8314); any
// other port, or any port with an account or a pin, asks for STARTTLS after
// EHLO and sends nothing of the mail or the account before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltrand {

struct MailServer {
  std::string host;  // a name, a dotted address, or an IPv6 address without brackets
  std::uint16_t port = 25;
  bool ipv6 = false;
};

inline constexpr std::uint16_t kSmtpPort = 25;
inline constexpr std::uint16_t kSmtpsPort = 465;

// Nothing for a text of none of the forms above.
std::optional<MailServer> ParseMailServer(std::string_view text);

enum class MailSecurity { kPlain, kImplicitTls, kStartTls };
// `needs_tls`: an account or a pinned certificate is set.
MailSecurity SecurityFor(const MailServer& server, bool needs_tls);

enum class AuthMechanism { kNone, kPlain, kLogin };

// PLAIN where the server offers it, else LOGIN, from the lines of its EHLO
// reply ("250-AUTH LOGIN PLAIN").
AuthMechanism ChooseAuthMechanism(const std::vector<std::string>& ehlo_lines);
// True when the EHLO reply names `keyword` ("STARTTLS") as an extension.
bool OffersExtension(const std::vector<std::string>& ehlo_lines, std::string_view keyword);

// RFC 4616: no authorisation identity, the user and the password, each
// after a zero byte, in Base64.
std::string AuthPlainResponse(std::string_view user, std::string_view password);

// A SHA-256 fingerprint (TlsCertSha256) in the forms people paste, as the
// 32 bytes it stands for; nothing for any other text:
//
//   5e0b...9a                                  64 hex digits, either case
//   5E:0B:...:9A  or  5E 0B ... 9A             colons or blanks between them
//   sha256 Fingerprint=5E:0B:...:9A            as openssl x509 -fingerprint prints it
std::optional<std::string> ParseFingerprint(std::string_view text);

}  // namespace zeltrand
