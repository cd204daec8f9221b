// The shell: opening a document or an address with whatever the system
// opens it with, the user's special folders and shortcuts in them.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

enum class ShellFolder {
  kStartup,   // what starts when the user logs on
  kPrograms,  // the user's programs of the Start menu
};

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens `target` (a file, relative to the current folder, or an address)
  // with the "open" verb; false when nothing opened it.
  virtual bool Open(std::string_view target) = 0;
  // Makes or replaces the shortcut `name` in `folder` to `target`, which it
  // starts in the target's own folder. False when the system cannot name the
  // folder or the link was not saved.
  virtual bool CreateLink(ShellFolder folder, std::string_view name, const std::string& target,
                          std::string_view description) = 0;
  // Deletes the shortcut `name` in `folder`; one that is not there, or a
  // folder the system cannot name, is no error.
  virtual bool RemoveLink(ShellFolder folder, std::string_view name) = 0;
};

}  // namespace zeltrand
