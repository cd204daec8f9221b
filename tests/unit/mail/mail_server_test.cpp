#include "mail/mail_server.h"
#include "core/base64.h"

#include <gtest/gtest.h>

namespace zeltrand::testing {
namespace {

TEST(ParseMailServer, TakesTheFormsOfTheBox) {
  const struct {
    const char* text;
    const char* host;
    std::uint16_t port;
  } good[] = {
      {"mail.example.jp", "mail.example.jp", 25}, {"mail.example.jp:587", "mail.example.jp", 587},
      {"192.0.2.25", "192.0.2.25", 25},           {"192.0.2.25:465", "192.0.2.25", 465},
      {"[2001:db8::1]", "2001:db8::1", 25},       {"[2001:db8::1]:587", "2001:db8::1", 587},
      {"???.???.???.???", "???.???.???.???", 25}};
  for (const auto& c : good) {
    const std::optional<MailServer> server = ParseMailServer(c.text);
    ASSERT_TRUE(server) << c.text;
    EXPECT_EQ(server->host, c.host);
    EXPECT_EQ(server->port, c.port) << c.text;
    EXPECT_EQ(server->ipv6, c.text[0] == '[') << c.text;
  }
  for (const char* bad :
       {"", ":587", "mail.example.jp:", "mail.example.jp:0", "mail.example.jp:65536", "host:58a",
        "host:587:1", "2001:db8::1", "[2001:db8::1", "[2001:db8::1]587",
        "[2001:db8::1]:", "[mail.example.jp]:587", "mail example.jp", "taro@mail.example.jp"}) {
    EXPECT_FALSE(ParseMailServer(bad)) << bad;
  }
}

// The first line of an EHLO reply greets; extensions follow, one a line.
TEST(ChooseAuthMechanism, PrefersPlainThenLogin) {
  const std::pair<const char*, AuthMechanism> cases[] = {
      {"250-AUTH LOGIN PLAIN\r\n", AuthMechanism::kPlain},
      {"250-auth cram-md5 login\r\n", AuthMechanism::kLogin},
      {"250 AUTH=LOGIN\r\n", AuthMechanism::kLogin},
      {"250 AUTH CRAM-MD5 XOAUTH2\r\n", AuthMechanism::kNone},
      {"250 X-PLAIN-AUTH LOGINS\r\n", AuthMechanism::kNone}};
  for (const auto& [line, mechanism] : cases) {
    EXPECT_EQ(ChooseAuthMechanism({"250-mail\r\n", line, "250 8BITMIME\r\n"}), mechanism) << line;
  }
  EXPECT_EQ(ChooseAuthMechanism({"250 mail AUTH PLAIN\r\n"}), AuthMechanism::kNone);
  EXPECT_TRUE(OffersExtension({"250-mail\r\n", "250 starttls\r\n"}, "STARTTLS"));
  EXPECT_FALSE(OffersExtension({"250 mail STARTTLS\r\n"}, "STARTTLS"));
}

// RFC 4648's vectors and RFC 4616's example.
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
}

TEST(ParseFingerprint, TakesHexWithColons) {
  const std::string hex = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";
  const std::string colons = "00:11:22:33" + hex.substr(8), blanks = "00 11 22 33" + hex.substr(8);
  EXPECT_EQ(ParseFingerprint(hex).value_or("").substr(30), "\xEE\xFF");
  for (const std::string& same :
       {colons, blanks, "sha256 Fingerprint=" + colons, "SHA256 Fingerprint=" + colons}) {
    EXPECT_EQ(ParseFingerprint(hex), ParseFingerprint(same)) << same;
  }
  for (const std::string& bad : {hex.substr(2), hex + "00", hex.substr(1), "g" + hex.substr(1),
                                 "sha1 Fingerprint=" + hex, colons + ";"}) {
    EXPECT_FALSE(ParseFingerprint(bad)) << bad;
  }
}

}  // namespace
}  // namespace zeltrand::testing
