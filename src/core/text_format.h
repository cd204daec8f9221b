// printf-style formatting into a string of any length.
#pragma once

#include <string>

namespace zeltrand {

[[gnu::format(gnu_printf, 1, 2)]] std::string FormatText(const char* format, ...);

}  // namespace zeltrand
