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
  bool CreateLink(ShellFolder folder, std::string_view name, const std::string& target,
                  std::string_view description) override {
    const auto it = folders.find(folder);
    if (it == folders.end()) return false;
    calls.push_back("link " + it->second + "\\" + std::string(name) + " -> " + target + " (" +
                    std::string(description) + ")");
    return true;
  }
  bool RemoveLink(ShellFolder folder, std::string_view name) override {
    const auto it = folders.find(folder);
    if (it != folders.end()) calls.push_back("remove " + it->second + "\\" + std::string(name));
    return true;
  }
};

}  // namespace zeltrand::testing
