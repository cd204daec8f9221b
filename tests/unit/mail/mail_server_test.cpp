#include "mail/mail_server.h"

#include <gtest/gtest.h>

namespace zeltrand::testing {
namespace {

struct ServerCase {
  const char* text;
  const char* host;  // nullptr: refused
  std::uint16_t port;
  bool ipv6;
};

TEST(ParseMailServer, TakesTheFormsOfTheBox) {
  const ServerCase cases[] = {
      {"mail.example.jp", "mail.example.jp", 25, false},
      {"mail.example.jp:587", "mail.example.jp", 587, false},
      {"192.0.2.25", "192.0.2.25", 25, false},
      {"192.0.2.25:465", "192.0.2.25", 465, false},
      {"[2001:db8::1]", "2001:db8::1", 25, true},
      {"[2001:db8::1]:587", "2001:db8::1", 587, true},
      {"???.???.???.???", "???.???.???.???", 25, false},
      {"", nullptr, 0, false},
      {":587", nullptr, 0, false},
      {"mail.example.jp:", nullptr, 0, false},
      {"mail.example.jp:0", nullptr, 0, false},
      {"mail.example.jp:65536", nullptr, 0, false},
      {"mail.example.jp:58a", nullptr, 0, false},
      {"mail.example.jp:587:1", nullptr, 0, false},
      {"2001:db8::1", nullptr, 0, false},
      {"[2001:db8::1", nullptr, 0, false},
      {"[2001:db8::1]587", nullptr, 0, false},
      {"[2001:db8::1]:", nullptr, 0, false},
      {"[mail.example.jp]:587", nullptr, 0, false},
      {"mail example.jp", nullptr, 0, false},
      {"taro@mail.example.jp", nullptr, 0, false},
  };
  for (const ServerCase& c : cases) {
    const std::optional<MailServer> server = ParseMailServer(c.text);
    ASSERT_EQ(server.has_value(), c.host != nullptr) << c.text;
    if (!server) continue;
    EXPECT_EQ(server->host, c.host) << c.text;
    EXPECT_EQ(server->port, c.port) << c.text;
    EXPECT_EQ(server->ipv6, c.ipv6) << c.text;
  }
}

TEST(SecurityFor, KeepsPort25WithoutAnAccountPlain) {
  const struct {
    std::uint16_t port;
    bool account;
    MailSecurity security;
  } cases[] = {{25, false, MailSecurity::kPlain},        {25, true, MailSecurity::kStartTls},
               {587, false, MailSecurity::kStartTls},    {2525, true, MailSecurity::kStartTls},
               {465, false, MailSecurity::kImplicitTls}, {465, true, MailSecurity::kImplicitTls}};
  for (const auto& c : cases) {
    EXPECT_EQ(SecurityFor({"h", c.port, false}, c.account), c.security) << c.port << c.account;
  }
}

TEST(ChooseAuthMechanism, PrefersPlainThenLogin) {
  const struct {
    std::vector<std::string> ehlo;
    AuthMechanism mechanism;
  } cases[] = {
      {{"250-mail.example.jp\r\n", "250-AUTH LOGIN PLAIN\r\n", "250 8BITMIME\r\n"},
       AuthMechanism::kPlain},
      {{"250-mail\r\n", "250-auth cram-md5 login\r\n", "250 SIZE\r\n"}, AuthMechanism::kLogin},
      {{"250-mail\r\n", "250 AUTH=LOGIN\r\n"}, AuthMechanism::kLogin},
      {{"250-mail\r\n", "250 AUTH CRAM-MD5 XOAUTH2\r\n"}, AuthMechanism::kNone},
      {{"250-mail\r\n", "250 X-PLAIN-AUTH LOGINS\r\n"}, AuthMechanism::kNone},
      {{"250 mail AUTH PLAIN\r\n"}, AuthMechanism::kNone},  // the greeting line names nothing
  };
  for (const auto& c : cases) EXPECT_EQ(ChooseAuthMechanism(c.ehlo), c.mechanism) << c.ehlo[1];
  EXPECT_TRUE(OffersExtension({"250-mail\r\n", "250 starttls\r\n"}, "STARTTLS"));
  EXPECT_FALSE(OffersExtension({"250 mail STARTTLS\r\n"}, "STARTTLS"));
}

// RFC 4648's vectors; RFC 4616 and the LOGIN prompts' answers.
TEST(AuthEncodings, AreBase64OfTheRightBytes) {
  const std::pair<std::string, std::string> base64[] = {{"", ""},
                                                        {"f", "Zg=="},
                                                        {"fo", "Zm8="},
                                                        {"foo", "Zm9v"},
                                                        {"foob", "Zm9vYg=="},
                                                        {"fooba", "Zm9vYmE="},
                                                        {"foobar", "Zm9vYmFy"},
                                                        {"\xFF\xFE", "//4="}};
  for (const auto& [bytes, text] : base64) EXPECT_EQ(Base64(bytes), text);
  EXPECT_EQ(AuthPlainResponse("tim", "tanstaaftanstaaf"), "AHRpbQB0YW5zdGFhZnRhbnN0YWFm");
  EXPECT_EQ(AuthPlainResponse("", ""), "AAA=");
}

TEST(ParseFingerprint, TakesHexWithColons) {
  const std::string hex64 = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
  std::string colons;
  for (std::size_t i = 0; i < hex64.size(); i += 2) colons += (i ? ":" : "") + hex64.substr(i, 2);
  const std::optional<std::string> bytes = ParseFingerprint(hex64);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 32u);
  EXPECT_EQ((*bytes)[31], '\xFF');
  EXPECT_EQ(ParseFingerprint(colons), bytes);
  for (const std::string& bad :
       {std::string(), hex64.substr(2), hex64 + "00", hex64.substr(1), "g" + hex64.substr(1)}) {
    EXPECT_FALSE(ParseFingerprint(bad)) << bad;
  }
}

}  // namespace
}  // namespace zeltrand::testing
