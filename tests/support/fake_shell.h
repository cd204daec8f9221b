// A shell that remembers what it was asked to open, make and remove.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace zeltrand::testing {

class FakeShell : public Shell {
 public:
  std::vector<std::string> opened;
  std::map<ShellFolder, std::string> folders;  // a folder not listed cannot be named
  std::vector<std::string> calls;              // "link PATH -> TARGET (DESCRIPTION)", "remove PATH"

  bool Open(std::string_view target) override {
    opened.emplace_back(target);
    return true;
  }
  std::optional<std::string> FolderPath(ShellFolder folder) override {
    const auto it = folders.find(folder);
    if (it == folders.end()) return std::nullopt;
    return it->second;
  }
  bool CreateLink(const std::string& link_path, const std::string& target,
                  std::string_view description) override {
    calls.push_back("link " + link_path + " -> " + target + " (" + std::string(description) + ")");
    return true;
  }
  bool RemoveFile(const std::string& path) override {
    calls.push_back("remove " + path);
    return true;
  }
};

}  // namespace zeltrand::testing
