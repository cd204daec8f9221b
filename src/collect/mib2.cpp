#include "collect/mib2.h"

#include <algorithm>

namespace zeltrand {

std::int64_t OidCompare(const Oid& a, const Oid& b, std::size_t n) {
  n = std::min({n, a.size(), b.size()});
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return std::int64_t{a[i]} - std::int64_t{b[i]};
  }
  return 0;
}

bool OidBeginsWith(const Oid& name, const Oid& prefix) {
  return name.size() >= prefix.size() && OidCompare(name, prefix, prefix.size()) == 0;
}

Oid SameRow(const Oid& column, const Oid& cell) {
  Oid name = column;
  if (cell.size() > column.size())
    name.insert(name.end(), cell.begin() + static_cast<std::ptrdiff_t>(column.size()), cell.end());
  return name;
}

namespace {

Oid Instance(const Oid& column, std::uint32_t index) {
  Oid name = column;
  name.push_back(index);
  return name;
}

MibValue Integer(std::int64_t number) {
  MibValue value;
  value.type = static_cast<std::uint8_t>(AsnType::kInteger);
  value.number = number;
  return value;
}

MibValue Octets(const std::vector<std::uint8_t>& bytes) {
  MibValue value;
  value.type = static_cast<std::uint8_t>(AsnType::kOctetString);
  value.bytes = bytes;
  return value;
}

}  // namespace

InterfaceTableMib::InterfaceTableMib(const std::vector<InterfaceRow>& rows) {
  objects_.push_back({Instance(kIfNumber, 0), Integer(static_cast<std::int64_t>(rows.size()))});
  for (const InterfaceRow& row : rows) {
    objects_.push_back({Instance(kIfType, row.index), Integer(row.type)});
    if (row.address) {
      objects_.push_back({Instance(kIfPhysAddress, row.index), Octets(*row.address)});
    }
  }
  std::stable_sort(objects_.begin(), objects_.end(),
                   [](const VarBind& a, const VarBind& b) { return a.name < b.name; });
}

bool InterfaceTableMib::GetNext(std::vector<VarBind>& bindings) {
  for (VarBind& binding : bindings) {
    const auto next =
        std::upper_bound(objects_.begin(), objects_.end(), binding.name,
                         [](const Oid& name, const VarBind& object) { return name < object.name; });
    if (next == objects_.end()) return false;
    binding = *next;
  }
  return true;
}

}  // namespace zeltrand
