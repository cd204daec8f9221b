// The processor's identification and its time-stamp counter.
#pragma once

namespace zeltrand {

class CpuProbe {
 public:
  virtual ~CpuProbe() = default;
};

}  // namespace zeltrand
