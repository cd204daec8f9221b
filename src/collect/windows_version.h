// The Windows kind, version and product ID of field 2.
#pragma once

#include <string>
#include <string_view>

#include "platform/machine.h"
#include "platform/registry.h"

namespace zeltrand {

// "Win98SE", "WinXP", "Win10", ... as the version table gives it; a server
// of NT 6.0 or later by its release ("WinSrv2008R2", "WinSrv2022", ...).
std::string WindowsName(const OsVersion& version, bool server = false);

// Whether the registry's product type names a server ("ServerNT" or
// "LanmanNT", a domain controller) rather than a workstation ("WinNT").
bool IsServer(Registry& registry);

// The registry's parts of the field text.
struct VersionParts {
  std::string version;      // e.g. "4.10.2222" or "5.1"
  std::string sub_version;  // the 95/98/Me sub-version or the NT build
  std::string plus;         // Plus!, Internet Explorer or feature update
  std::string product_id;
};

VersionParts ReadVersionParts(Registry& registry, const OsVersion& version);

// "<name> <version> <sub-version>, <plus>, <product id>".
std::string ComposeVersionText(std::string_view name, const VersionParts& parts);

}  // namespace zeltrand
