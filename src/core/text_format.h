// printf-style formatting into a string of any length.
#pragma once

#include <string>

namespace zeltrand {

// mingw's runtime formats the GNU way; clang knows that archetype as printf.
#if defined(__clang__)
#define ZELTRAND_PRINTF_FORMAT printf
#else
#define ZELTRAND_PRINTF_FORMAT gnu_printf
#endif

[[gnu::format(ZELTRAND_PRINTF_FORMAT, 1, 2)]] std::string FormatText(const char* format, ...);

}  // namespace zeltrand
