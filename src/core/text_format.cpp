#include "core/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace zeltrand {

std::string FormatText(const char* format, ...) {
  // Once to measure, once to write.
  va_list args;
  va_start(args, format);
  // clang-tidy 14 sees args uninitialised here only when it analyses this
  // file together with others in one run.
  const int length =
      std::vsnprintf(nullptr, 0, format, args);  // NOLINT(clang-analyzer-valist.Uninitialized)
  va_end(args);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length <= 0) return text;
  va_start(args, format);
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  return text;
}

}  // namespace zeltrand
