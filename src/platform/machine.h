// Raw facts about the running system that the collectors turn into field
// texts: clock, version, memory, disk, resources, WinSock and names.
#pragma once

namespace zeltrand {

class Machine {
 public:
  virtual ~Machine() = default;
};

}  // namespace zeltrand
