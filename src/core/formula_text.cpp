#include "core/formula_text.h"

namespace zeltrand::formula {

bool NeedsGuard(std::string_view text) {
  const std::size_t start = text.find_first_not_of('\'');
  return start != std::string_view::npos &&
         std::string_view("=+-@\t\r").find(text[start]) != std::string_view::npos;
}

void Unguard(std::string& text) {
  if (text.starts_with('\'') && NeedsGuard(std::string_view(text).substr(1))) text.erase(0, 1);
}

}  // namespace zeltrand::formula
