#include "mail/mail_account.h"

#include "core/control_ids.h"
#include "core/text_format.h"
#include "platform/registry.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace zeltrand {

namespace {

constexpr int kAccountsPerUser = 20;

std::string AccountPath(int number) {
  return FormatText("Software\\Microsoft\\Internet Account Manager\\Accounts\\%08d", number);
}

// An account counts when its server value reads whole; one too long for the
// settings is passed over rather than taken cut.
bool ReadAccount(RegistryKey& user, const std::string& path, Settings& settings) {
  const auto key = user.Open(path);
  if (!key) return false;
  const RegQuery server = key->Query("SMTP Server", kProfileValueLimit + 1);
  if (!server.ok()) return false;
  settings.mail_server_name = server.Text();
  const RegQuery sender = key->Query("SMTP Email Address", kProfileValueLimit + 1);
  if (sender.ok()) settings.sender_address = sender.Text();
  return true;
}

void FindFirstAccount(Registry& registry, Settings& settings) {
  const auto users = registry.Open(RegRoot::kUsers, "");
  if (!users) return;
  for (std::uint32_t i = 0;; ++i) {
    const auto user = users->Subkey(i);
    if (!user) return;
    if (!user->key) continue;
    for (int number = 0; number < kAccountsPerUser; ++number) {
      if (ReadAccount(*user->key, AccountPath(number), settings)) return;
    }
  }
}

}  // namespace

void DiscoverMailAccount(Services& services, const Paths& paths, Settings& settings,
                         DialogWindow& window) {
  FindFirstAccount(services.registry, settings);
  const Profile profile(ReadProfileText(services.files, paths.ini_path));
  const std::string server = SavedMailValue(profile.Get(kSectionMail, kKeyMailServer));
  window.SetItemText(ctl::kMailServerEdit, server.empty() ? settings.mail_server_name : server);
  const std::string sender = SavedMailValue(profile.Get(kSectionMail, kKeySmtp));
  window.SetItemText(ctl::kSenderEdit, sender.empty() ? settings.sender_address : sender);
}

}  // namespace zeltrand
