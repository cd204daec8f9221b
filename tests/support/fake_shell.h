// A shell that remembers what it was asked to open.
#pragma once

#include <string>
#include <vector>

#include "platform/shell.h"

namespace zeltrand::testing {

class FakeShell : public Shell {
 public:
  std::vector<std::string> opened;
  bool Open(std::string_view target) override {
    opened.emplace_back(target);
    return true;
  }
};

}  // namespace zeltrand::testing
