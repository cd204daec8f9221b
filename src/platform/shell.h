// The shell: opening a document or an address with whatever the system
// opens it with.
#pragma once

#include <string_view>

namespace zeltrand {

class Shell {
 public:
  virtual ~Shell() = default;
  // Opens `target` (a file, relative to the current folder, or an address)
  // with the "open" verb; false when nothing opened it.
  virtual bool Open(std::string_view target) = 0;
};

}  // namespace zeltrand
