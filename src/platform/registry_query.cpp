#include "platform/registry.h"

namespace zeltrand {

std::string RegQuery::Text() const {
  if (!ok()) return {};
  return data.substr(0, data.find('\0'));
}

std::optional<std::uint32_t> RegQuery::Dword() const {
  if (!ok() || type != RegType::kDword || data.size() != 4) return std::nullopt;
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(data[i]);
  return v;
}

}  // namespace zeltrand
