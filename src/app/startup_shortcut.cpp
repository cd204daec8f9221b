#include "app/startup_shortcut.h"

#include <optional>

namespace zeltrand {

namespace {

constexpr std::string_view kStartupLink = "Zeltrand.lnk";
constexpr std::string_view kOldProgramsLink = "ｽﾀｰﾄｱｯﾌﾟZeltrand.lnk";
constexpr std::string_view kLinkDescription = "Zeltrand";

// The path of `name` in `folder`; nothing when the shell cannot name the
// folder, so that no file is touched at a path that lacks it.
std::optional<std::string> PathIn(Shell& shell, ShellFolder folder, std::string_view name) {
  auto path = shell.FolderPath(folder);
  if (!path || path->empty()) return std::nullopt;
  *path += '\\';
  *path += name;
  return path;
}

}  // namespace

void UpdateStartupShortcut(Shell& shell, const std::string& exe_path, bool auto_start) {
  const auto link = PathIn(shell, ShellFolder::kStartup, kStartupLink);
  if (auto_start) {
    if (link) shell.CreateLink(*link, exe_path, kLinkDescription);
    return;
  }
  if (link) shell.RemoveFile(*link);
  if (const auto old_link = PathIn(shell, ShellFolder::kPrograms, kOldProgramsLink)) {
    shell.RemoveFile(*old_link);
  }
}

}  // namespace zeltrand
