// The shell: opening a document or an address with whatever the system
// opens it with, the user's special folders and shortcuts in them.
#pragma once

#include <optional>
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
  // The folder's full path; nothing when the system cannot name it.
  virtual std::optional<std::string> FolderPath(ShellFolder folder) = 0;
  // Makes or replaces the shortcut `link_path` to `target`.
  virtual bool CreateLink(const std::string& link_path, const std::string& target,
                          std::string_view description) = 0;
  // Deletes the file; a file that is not there is no error.
  virtual bool RemoveFile(const std::string& path) = 0;
};

}  // namespace zeltrand
