#include "collect/windows_version.h"

#include <algorithm>
#include <limits>

#include "core/cp932.h"
#include "core/text_format.h"

namespace zeltrand {
namespace {

constexpr std::uint32_t kAny = std::numeric_limits<std::uint32_t>::max();

struct NameRow {
  std::uint32_t platform;
  std::uint32_t major_from;
  std::uint32_t major_to;
  std::uint32_t minor;      // kAny: whatever the minor version
  char csd;                 // second character of the service pack text; 0: any
  std::uint32_t min_build;  // the build number from which the row holds
  const char* name;
};

// Tried from the top. Up to major version 5 the NT rows look at the minor
// version alone; later versions are named by both numbers.
constexpr NameRow kNameTable[] = {
    {0, 0, kAny, kAny, 0, 0, "Win3.1"},   {1, 0, kAny, 0, 'B', 0, "Win95OSR2"},
    {1, 0, kAny, 0, 'C', 0, "Win95OSR2"}, {1, 0, kAny, 0, 0, 0, "Win95"},
    {1, 0, kAny, 10, 'A', 0, "Win98SE"},  {1, 0, kAny, 10, 0, 0, "Win98"},
    {1, 0, kAny, 90, 0, 0, "WinMe"},      {1, 0, kAny, kAny, 0, 0, "Win95??"},
    {2, 4, 4, kAny, 0, 0, "WinNT"},       {2, 0, 5, 0, 0, 0, "Win2000"},
    {2, 0, 5, 1, 0, 0, "WinXP"},          {2, 6, 6, 0, 0, 0, "WinVista"},
    {2, 6, 6, 1, 0, 0, "Win7"},           {2, 6, 6, 2, 0, 0, "Win8"},
    {2, 6, 6, 3, 0, 0, "Win8.1"},         {2, 10, 10, 0, 0, 22000, "Win11"},
    {2, 10, 10, 0, 0, 0, "Win10"},        {2, 0, kAny, kAny, 0, 0, "WinNT??"},
};

// Servers from NT 6.0 on, tried before the table above; Windows 10 and
// later servers share their version numbers and differ by build.
constexpr NameRow kServerNameTable[] = {
    {2, 6, 6, 0, 0, 0, "WinSrv2008"},       {2, 6, 6, 1, 0, 0, "WinSrv2008R2"},
    {2, 6, 6, 2, 0, 0, "WinSrv2012"},       {2, 6, 6, 3, 0, 0, "WinSrv2012R2"},
    {2, 10, 10, 0, 0, 26100, "WinSrv2025"}, {2, 10, 10, 0, 0, 20348, "WinSrv2022"},
    {2, 10, 10, 0, 0, 17763, "WinSrv2019"}, {2, 10, 10, 0, 0, 14393, "WinSrv2016"},
    {2, 10, 10, 0, 0, 0, "WinSrv??"},
};

bool Matches(const NameRow& row, const OsVersion& v, char csd) {
  return row.platform == v.platform_id && row.major_from <= v.major && v.major <= row.major_to &&
         (row.minor == kAny || row.minor == v.minor) && (row.csd == 0 || row.csd == csd) &&
         v.build >= row.min_build;
}

constexpr std::string_view kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kExplorerKey = "SOFTWARE\\Microsoft\\Internet Explorer";
constexpr std::string_view kProductOptionsKey =
    "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
// What a 256-byte buffer of the ANSI registry call holds, less its zero.
constexpr std::size_t kRegTextLimit = 255;

// A value taken as zero-terminated text whatever its type; "" when it
// cannot be read.
std::string ReadText(RegistryKey* key, std::string_view name) {
  if (key == nullptr) return {};
  return cp932::Cut(key->Query(name, kRegTextLimit + 1).Text(), kRegTextLimit);
}

bool EqualsAsciiIgnoringCase(std::string_view a, std::string_view b) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

// From Windows 10 on, "CurrentVersion" stays at 6.3: the numbers are
// separate values, and the feature update has a name of its own.
void ReadModernNtParts(RegistryKey& key, VersionParts& parts) {
  const auto major = key.Query("CurrentMajorVersionNumber").Dword();
  const auto minor = key.Query("CurrentMinorVersionNumber").Dword();
  if (major && minor) parts.version = FormatText("%u.%u", *major, *minor);
  std::string feature = ReadText(&key, "DisplayVersion");
  if (feature.empty()) feature = ReadText(&key, "ReleaseId");
  if (!feature.empty()) parts.plus = feature;
}

}  // namespace

std::string WindowsName(const OsVersion& version, bool server) {
  const char csd = version.csd_version.size() > 1 ? version.csd_version[1] : '\0';
  for (const NameRow& row : kServerNameTable) {
    if (server && Matches(row, version, csd)) return row.name;
  }
  for (const NameRow& row : kNameTable) {
    if (Matches(row, version, csd)) return row.name;
  }
  return FormatText("Win?\?(%ld)",
                    static_cast<long>(static_cast<std::int32_t>(version.platform_id)));
}

bool IsServer(Registry& registry) {
  const auto key = registry.Open(RegRoot::kLocalMachine, kProductOptionsKey);
  const std::string type = ReadText(key.get(), "ProductType");
  return EqualsAsciiIgnoringCase(type, "ServerNT") || EqualsAsciiIgnoringCase(type, "LanmanNT");
}

VersionParts ReadVersionParts(Registry& registry, const OsVersion& version) {
  VersionParts parts;
  const bool nt = version.platform_id == 2;
  if (nt || version.platform_id == 1) {
    const auto key = registry.Open(RegRoot::kLocalMachine, nt ? kNtKey : kWindowsKey);
    parts.version = ReadText(key.get(), nt ? "CurrentVersion" : "VersionNumber");
    parts.sub_version = ReadText(key.get(), nt ? "CurrentBuildNumber" : "SubVersionNumber");
    parts.plus = ReadText(key.get(), "Plus! VersionNumber");
    parts.product_id = ReadText(key.get(), "ProductId");
    if (key && nt && version.major >= 10) ReadModernNtParts(*key, parts);
  }
  if (version.major == 5 && parts.plus.empty()) {
    const auto key = registry.Open(RegRoot::kLocalMachine, kExplorerKey);
    const std::string explorer = ReadText(key.get(), "Version");
    if (!explorer.empty()) parts.plus = "IE " + explorer;
  }
  return parts;
}

std::string ComposeVersionText(std::string_view name, const VersionParts& parts) {
  std::string_view sub = parts.sub_version;
  if (sub.starts_with(' ')) sub.remove_prefix(1);
  std::string text(name);
  text.append(" ").append(parts.version).append(" ").append(sub);
  text.append(", ").append(parts.plus).append(", ").append(parts.product_id);
  return text;
}

}  // namespace zeltrand
