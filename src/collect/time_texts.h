// The texts of fields 0 and 1: the time of collection and the time since
// Windows started.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"

namespace zeltrand {

// "2003.01.17 09:05:03"
std::string FormatClock(const LocalTime& time);
// Days, hours and minutes of a millisecond count: "2日03:04".
std::string FormatUptime(std::uint32_t milliseconds);

}  // namespace zeltrand
