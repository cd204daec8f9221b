// Pre-fills the sender (edit 17) and mail server (edit 18) at start: values
// in the settings file win; otherwise the first mail account found among the
// users' Internet Account Manager keys,
//
//   HKEY_USERS\<user>\Software\Microsoft\Internet Account Manager\Accounts\00000000
//     "SMTP Server"        = "mail.example.jp"
//     "SMTP Email Address" = "taro@example.jp"
//
// trying accounts 00000000 to 00000019 of each user in turn.
#pragma once

#include "platform/system.h"
#include "platform/window.h"
#include "settings/settings_file.h"

namespace zeltrand {

void DiscoverMailAccount(Services& services, const Paths& paths, Settings& settings,
                         DialogWindow& window);

}  // namespace zeltrand
