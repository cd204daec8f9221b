#include "mail/mail_account.h"

#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "support/fake_window.h"

namespace zeltrand::testing {
namespace {

constexpr const char* kAccounts = "\\Software\\Microsoft\\Internet Account Manager\\Accounts\\";

struct DiscoveryHarness : FakeServices {
  Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  Settings settings = DefaultSettings(paths);
  FakeDialogWindow window;

  void AddAccount(const std::string& user, const char* number, const char* server,
                  const char* sender) {
    const std::string path = user + kAccounts + number;
    registry.AddKey(RegRoot::kUsers, path);
    if (server) registry.SetString(RegRoot::kUsers, path, "SMTP Server", server);
    if (sender) registry.SetString(RegRoot::kUsers, path, "SMTP Email Address", sender);
  }
  void Discover() { DiscoverMailAccount(services, paths, settings, window); }
};

TEST(MailAccount, ShowsThePlaceholdersWhenNothingIsFound) {
  DiscoveryHarness h;
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "???.???.???.???");
  EXPECT_EQ(h.window.texts[17], "???@???.???");
  EXPECT_EQ(h.window.LogOf("SetItemText").front(), "SetItemText 18 ???.???.???.???");
}

TEST(MailAccount, TakesTheLowestNumberedAccountOfAUser) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000002", "two.example.jp", "two@example.jp");
  h.AddAccount("S-1-5-21-1", "00000001", "one.example.jp", "one@example.jp");
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "one.example.jp");
  EXPECT_EQ(h.window.texts[17], "one@example.jp");
  EXPECT_EQ(h.settings.mail_server_name, "one.example.jp");
}

TEST(MailAccount, GoesOnToTheNextUserWhenTheFirstHasNone) {
  DiscoveryHarness h;
  h.registry.AddKey(RegRoot::kUsers, "S-1-5-21-1\\Software");
  h.AddAccount("S-1-5-21-2", "00000003", "mail.example.jp", "taro@example.jp");
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "mail.example.jp");
}

TEST(MailAccount, PassesOverAccountsWithoutAServerAndBeyondNineteen) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000000", nullptr, "noserver@example.jp");
  h.AddAccount("S-1-5-21-1", "00000020", "late.example.jp", "late@example.jp");
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "???.???.???.???");
  EXPECT_EQ(h.window.texts[17], "???@???.???");
}

TEST(MailAccount, AnAccountWithoutAnAddressKeepsTheSenderPlaceholder) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000000", "mail.example.jp", nullptr);
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "mail.example.jp");
  EXPECT_EQ(h.window.texts[17], "???@???.???");
}

TEST(MailAccount, AServerNameTooLongForTheSettingsIsPassedOver) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000000", std::string(256, 'm').c_str(), "a@b");
  h.AddAccount("S-1-5-21-1", "00000001", std::string(255, 'n').c_str(), "c@d");
  h.Discover();
  EXPECT_EQ(h.window.texts[18], std::string(255, 'n'));
  EXPECT_EQ(h.window.texts[17], "c@d");
}

TEST(MailAccount, TheSettingsFileWinsKeyByKey) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000000", "found.example.jp", "found@example.jp");
  h.files.contents[h.paths.ini_path] = "[mail]\r\nMyMailServerIP=10.0.0.25\r\nSmtp=\r\n";
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "10.0.0.25");
  EXPECT_EQ(h.window.texts[17], "found@example.jp");
}

TEST(MailAccount, SavedPlaceholdersCountAsNotSet) {
  DiscoveryHarness h;
  h.AddAccount("S-1-5-21-1", "00000000", "found.example.jp", "found@example.jp");
  h.files.contents[h.paths.ini_path] =
      "[mail]\r\nSmtp=???@???.???\r\nMyMailServerIP=???.???.???.???\r\n";
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "found.example.jp");
  EXPECT_EQ(h.window.texts[17], "found@example.jp");
}

TEST(MailAccount, FindsTheFixtureAccountOfTheWineUser) {
  DiscoveryHarness h;
  ASSERT_TRUE(h.registry.LoadRegFile(ZELTRAND_FIXTURES "/registry/mail_account.reg"));
  h.Discover();
  EXPECT_EQ(h.window.texts[18], "smtp.example.jp");
  EXPECT_EQ(h.window.texts[17], "taro@example.jp");
}

}  // namespace
}  // namespace zeltrand::testing
