#include "summary/glance.h"

#include <algorithm>
#include <charconv>
#include <span>

#include "summary/record_reader.h"
#include "summary/summary_page.h"

namespace zeltrand::summary {

namespace {

struct Build {
  std::uint32_t number;
  std::string_view release;
};

constexpr Build kWin10Builds[] = {
    {10240, "1507"}, {10586, "1511"}, {14393, "1607"}, {15063, "1703"}, {16299, "1709"},
    {17134, "1803"}, {17763, "1809"}, {18362, "1903"}, {18363, "1909"}, {19041, "2004"},
    {19042, "20H2"}, {19043, "21H1"}, {19044, "21H2"}, {19045, "22H2"},
};
constexpr Build kWin11Builds[] = {
    {22000, "21H2"}, {22621, "22H2"}, {22631, "23H2"}, {26100, "24H2"}, {26200, "25H2"},
};

// Microsoft's lifecycle pages (Windows 10 and 11 release information, the
// products' fixed-policy pages). Before Windows 10 and for servers, one date
// for every edition; "Win10" alone is a Windows 10 of no known release,
// which had its updates at most until 22H2's end.
constexpr Lifecycle kLifecycles[] = {
    {"WinXP", "2014.04.08", "2014.04.08"},        {"WinVista", "2017.04.11", "2017.04.11"},
    {"Win7", "2020.01.14", "2020.01.14"},         {"Win8", "2016.01.12", "2016.01.12"},
    {"Win8.1", "2023.01.10", "2023.01.10"},       {"Win10 1507", "2017.05.09", "2017.05.09"},
    {"Win10 1511", "2017.10.10", "2018.04.10"},   {"Win10 1607", "2018.04.10", "2019.04.09"},
    {"Win10 1703", "2018.10.09", "2019.10.08"},   {"Win10 1709", "2019.04.09", "2020.10.13"},
    {"Win10 1803", "2019.11.12", "2021.05.11"},   {"Win10 1809", "2020.11.10", "2021.05.11"},
    {"Win10 1903", "2020.12.08", "2020.12.08"},   {"Win10 1909", "2021.05.11", "2022.05.10"},
    {"Win10 2004", "2021.12.14", "2021.12.14"},   {"Win10 20H2", "2022.05.10", "2023.05.09"},
    {"Win10 21H1", "2022.12.13", "2022.12.13"},   {"Win10 21H2", "2023.06.13", "2024.06.11"},
    {"Win10 22H2", "2025.10.14", "2025.10.14"},   {"Win10", "2025.10.14", "2025.10.14"},
    {"Win11 21H2", "2023.10.10", "2024.10.08"},   {"Win11 22H2", "2024.10.08", "2025.10.14"},
    {"Win11 23H2", "2025.11.11", "2026.11.10"},   {"Win11 24H2", "2026.10.13", "2027.10.12"},
    {"Win11 25H2", "2027.10.12", "2028.10.10"},   {"WinSrv2008", "2020.01.14", "2020.01.14"},
    {"WinSrv2008R2", "2020.01.14", "2020.01.14"}, {"WinSrv2012", "2023.10.10", "2023.10.10"},
    {"WinSrv2012R2", "2023.10.10", "2023.10.10"}, {"WinSrv2016", "2027.01.12", "2027.01.12"},
    {"WinSrv2019", "2029.01.09", "2029.01.09"},   {"WinSrv2022", "2031.10.14", "2031.10.14"},
};

std::string_view Trim(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The number that starts `text`; -1 without one.
std::int64_t Number(std::string_view text) {
  std::int64_t n = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  return error == std::errc() && end != text.data() ? n : -1;
}

bool Feature(std::string_view text) {
  return text.size() == 4 && std::all_of(text.begin(), text.end(),
                                         [](char c) { return (c >= '0' && c <= '9') || c == 'H'; });
}

}  // namespace

std::string WindowsRelease(std::string_view windows_ver) {
  const std::size_t comma = windows_ver.find(',');
  const std::string_view version = windows_ver.substr(0, comma);
  const std::string_view name = version.substr(0, version.find(' '));
  if (name != "Win10" && name != "Win11") return std::string(name);
  std::size_t digits = version.size();
  while (digits > 0 && version[digits - 1] >= '0' && version[digits - 1] <= '9') --digits;
  const std::int64_t build = Number(version.substr(digits));
  for (const Build& b : name == "Win10" ? std::span<const Build>(kWin10Builds)
                                        : std::span<const Build>(kWin11Builds)) {
    if (b.number == build) return std::string(name) + " " + std::string(b.release);
  }
  const std::string_view rest =
      comma == std::string_view::npos ? std::string_view() : windows_ver.substr(comma + 1);
  const std::string_view plus = Trim(rest.substr(0, rest.find(',')));
  return Feature(plus) ? std::string(name) + " " + std::string(plus) : std::string(name);
}

const Lifecycle* FindLifecycle(std::string_view release) {
  for (const Lifecycle& l : kLifecycles) {
    if (l.release == release) return &l;
  }
  return nullptr;
}

Support SupportOn(const Lifecycle* lifecycle, std::int64_t today) {
  if (lifecycle == nullptr) return Support::kUnknown;
  const std::int64_t end = RecordSeconds(std::string(lifecycle->home_pro) + " 00:00:00") / 86400;
  const std::int64_t day = today >= 0 ? today / 86400 : -1;
  if (day > end) return Support::kEnded;
  return end - day <= kEndingDays ? Support::kEnding : Support::kSupported;
}

int MemoryBand(std::string_view memory) {
  const std::size_t slash = memory.find('/');
  const std::int64_t mb = slash == std::string_view::npos ? -1 : Number(memory.substr(slash + 1));
  if (mb <= 0) return -1;
  return mb < 4096 ? 0 : mb < 8192 ? 1 : mb < 16384 ? 2 : 3;
}

int FreeBand(std::string_view disk) {
  const std::size_t slash = disk.find('/');
  if (slash == std::string_view::npos) return -1;
  const std::int64_t free = Number(disk);
  const std::int64_t total = Number(disk.substr(slash + 1));
  if (free < 0 || total <= 0 || free > total) return -1;
  const std::int64_t percent = free * 100 / total;
  return percent < 10 ? 0 : percent < 25 ? 1 : percent < 50 ? 2 : 3;
}

int AgeBand(std::int64_t latest_seconds, std::int64_t now_seconds) {
  const std::int64_t age = now_seconds - latest_seconds;
  if (latest_seconds / 86400 >= now_seconds / 86400) return 0;
  return age / 86400 <= 7 ? 1 : age / 86400 <= kStaleDays ? 2 : 3;
}

std::string CpuKind(std::string_view cpu) {
  const std::size_t comma = cpu.find(',');
  if (comma == std::string_view::npos) return std::string(Trim(cpu));
  const std::string_view rest = cpu.substr(comma + 1);
  return std::string(Trim(rest.substr(0, rest.find(','))));
}

}  // namespace zeltrand::summary
