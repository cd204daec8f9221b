#include "app/startup_shortcut.h"

namespace zeltrand {

namespace {

constexpr std::string_view kStartupLink = "Zeltrand.lnk";
constexpr std::string_view kOldProgramsLink = "ｽﾀｰﾄｱｯﾌﾟZeltrand.lnk";
constexpr std::string_view kLinkDescription = "Zeltrand";

}  // namespace

void UpdateStartupShortcut(Shell& shell, const std::string& exe_path, bool auto_start) {
  if (auto_start) {
    shell.CreateLink(ShellFolder::kStartup, kStartupLink, exe_path, kLinkDescription);
    return;
  }
  shell.RemoveLink(ShellFolder::kStartup, kStartupLink);
  shell.RemoveLink(ShellFolder::kPrograms, kOldProgramsLink);
}

}  // namespace zeltrand
