#include "mail/mail_server.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "core/base64.h"

namespace zeltrand {

namespace {

std::optional<std::uint16_t> ParsePort(std::string_view digits) {
  if (digits.empty() || digits.size() > 5) return std::nullopt;
  unsigned port = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    port = port * 10 + static_cast<unsigned>(c - '0');
  }
  if (port == 0 || port > 65535) return std::nullopt;
  return static_cast<std::uint16_t>(port);
}

// A host name or address holds no blank, control byte, bracket or slash.
bool IsHost(std::string_view host) {
  if (host.empty()) return false;
  for (const char c : host) {
    const auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F || c == '[' || c == ']' || c == '/' || c == '@') return false;
  }
  return true;
}

// The words of one EHLO line after its code: "250-AUTH PLAIN" gives AUTH, PLAIN.
std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  line.remove_prefix(std::min<std::size_t>(4, line.size()));
  std::string word;
  for (const char c : line) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '=') {
      if (!word.empty()) words.push_back(std::exchange(word, {}));
    } else {
      word += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

}  // namespace

std::optional<MailServer> ParseMailServer(std::string_view text) {
  MailServer server;
  std::string_view port;
  if (text.starts_with('[')) {
    const std::size_t close = text.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    server.host = std::string(text.substr(1, close - 1));
    server.ipv6 = true;
    const std::string_view rest = text.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return std::nullopt;
    if (!rest.empty()) port = rest.substr(1);
    if (!rest.empty() && port.empty()) return std::nullopt;
    if (server.host.find(':') == std::string::npos) return std::nullopt;
  } else {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos && text.find(':', colon + 1) != std::string_view::npos) {
      return std::nullopt;  // an IPv6 address needs its brackets
    }
    server.host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) {
      port = text.substr(colon + 1);
      if (port.empty()) return std::nullopt;
    }
  }
  if (!IsHost(server.host)) return std::nullopt;
  if (!port.empty()) {
    const auto number = ParsePort(port);
    if (!number) return std::nullopt;
    server.port = *number;
  }
  return server;
}

MailSecurity SecurityFor(const MailServer& server, bool needs_tls) {
  if (server.port == kSmtpsPort) return MailSecurity::kImplicitTls;
  if (server.port == kSmtpPort && !needs_tls) return MailSecurity::kPlain;
  return MailSecurity::kStartTls;
}

bool OffersExtension(const std::vector<std::string>& ehlo_lines, std::string_view keyword) {
  for (std::size_t i = 1; i < ehlo_lines.size(); ++i) {  // the first line greets
    const std::vector<std::string> words = Words(ehlo_lines[i]);
    if (!words.empty() && words[0] == keyword) return true;
  }
  return false;
}

AuthMechanism ChooseAuthMechanism(const std::vector<std::string>& ehlo_lines) {
  bool login = false;
  for (std::size_t i = 1; i < ehlo_lines.size(); ++i) {
    const std::vector<std::string> words = Words(ehlo_lines[i]);
    if (words.empty() || words[0] != "AUTH") continue;
    for (std::size_t k = 1; k < words.size(); ++k) {
      if (words[k] == "PLAIN") return AuthMechanism::kPlain;
      login = login || words[k] == "LOGIN";
    }
  }
  return login ? AuthMechanism::kLogin : AuthMechanism::kNone;
}

std::string AuthPlainResponse(std::string_view user, std::string_view password) {
  std::string message(1, '\0');
  message += user;
  message += '\0';
  message += password;
  return Base64(message);
}

std::optional<std::string> ParseFingerprint(std::string_view text) {
  static constexpr std::string_view kOpensslPrefix = "sha256 fingerprint=";
  const auto lower = [](char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  };
  if (text.size() >= kOpensslPrefix.size() &&
      std::equal(kOpensslPrefix.begin(), kOpensslPrefix.end(), text.begin(),
                 [&](char a, char b) { return a == lower(b); })) {
    text.remove_prefix(kOpensslPrefix.size());
  }
  std::string bytes;
  int high = -1;
  for (const char c : text) {
    if (c == ':' || c == ' ') continue;
    const char l = lower(c);
    const int digit = l >= '0' && l <= '9' ? l - '0' : l >= 'a' && l <= 'f' ? l - 'a' + 10 : -1;
    if (digit < 0) return std::nullopt;
    if (high < 0) {
      high = digit;
    } else {
      bytes += static_cast<char>(high << 4 | digit);
      high = -1;
    }
  }
  if (high >= 0 || bytes.size() != 32) return std::nullopt;
  return bytes;
}

}  // namespace zeltrand
