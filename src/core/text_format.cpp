#include "core/text_format.h"

#include <cstdarg>
#include <cstdio>

namespace zeltrand {

std::string FormatText(const char* format, ...) {
  // Once to measure, once to write.
  va_list args;
  va_start(args, format);
  // A clang-tidy run over several files carries the va_list checker's state
  // over from an earlier file (seen after registry_reports.cpp).
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
