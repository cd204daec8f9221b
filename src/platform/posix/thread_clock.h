// Waiting, by the system's own sleep.
#pragma once

#include <time.h>

#include "platform/system.h"

namespace zeltrand::posix {

class ThreadClock final : public Clock {
 public:
  void Sleep(unsigned milliseconds) override {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0) {
    }
  }
};

}  // namespace zeltrand::posix
