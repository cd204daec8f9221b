#include <gtest/gtest.h>

#include "summary/glance.h"
#include "summary/record_reader.h"

namespace zeltrand::summary {
namespace {

TEST(Glance, NamesEachWindowsReleaseAndWhenItsUpdatesEnd) {
  const std::int64_t today = RecordSeconds("2026.12.08 09:00:00");
  const struct {
    std::string_view windows;
    std::string_view release;
    Support support;
  } kRows[] = {
      {"Win10 10.0 19045, 22H2, 00330-80000-00000-AA123", "Win10 22H2", Support::kEnded},
      {"Win10 10.0.19044, , ", "Win10 21H2", Support::kEnded},
      {"Win10 10.0 99999, , ", "Win10", Support::kEnded},
      {"Win11 10.0 22631, 23H2, ", "Win11 23H2", Support::kEnded},
      {"Win11 10.0 26100, 24H2, ", "Win11 24H2", Support::kEnded},
      {"Win11 10.0 26200, 25H2, ", "Win11 25H2", Support::kSupported},
      {"Win11 10.0 28000, 26H1, ", "Win11 26H1", Support::kUnknown},
      {"Win11 10.0 28000, <b>, ", "Win11", Support::kUnknown},
      {"Win7 6.1 7601, Service Pack 1, ", "Win7", Support::kEnded},
      {"WinSrv2016 10.0 14393, 1607, ", "WinSrv2016", Support::kEnding},
      {"WinSrv2019 10.0 17763, , ", "WinSrv2019", Support::kSupported},
      {"", "", Support::kUnknown},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(WindowsRelease(row.windows), row.release) << row.windows;
    EXPECT_EQ(SupportOn(FindLifecycle(row.release), today), row.support) << row.windows;
  }
  // Home/Pro decides; Enterprise/Education is named beside it.
  const Lifecycle* win11 = FindLifecycle("Win11 24H2");
  ASSERT_NE(win11, nullptr);
  EXPECT_EQ(win11->enterprise, "2027.10.12");
  const std::pair<std::string_view, Support> kDays[] = {
      {"2026.07.14 23:59:59", Support::kSupported},
      {"2026.07.15 00:00:00", Support::kEnding},
      {"2026.10.13 23:59:59", Support::kEnding},
      {"2026.10.14 00:00:00", Support::kEnded}};
  for (const auto& [day, support] : kDays) {
    EXPECT_EQ(SupportOn(win11, RecordSeconds(day)), support) << day;
  }
}

TEST(Glance, PutsMemoryDiskAgeAndCpuIntoBands) {
  const std::pair<std::string_view, int> kMemory[] = {
      {"1200/3968MBytes", 0}, {"3000/4096MBytes", 1}, {"3000/8192MBytes", 2},
      {"0/16384MBytes", 3},   {"8192MBytes", -1},     {"1/0MBytes", -1}};
  for (const auto& [text, band] : kMemory) EXPECT_EQ(MemoryBand(text), band) << text;
  const std::pair<std::string_view, int> kDisk[] = {
      {"9000/238000MByte", 0},   {"23800/238000MByte", 1},
      {"52000/238000MByte", 1},  {"59500/238000MByte", 2},
      {"119000/238000MByte", 3}, {"300/200MByte", -1},
      {"/238000MByte", -1},      {"", -1}};
  for (const auto& [text, band] : kDisk) EXPECT_EQ(FreeBand(text), band) << text;
  const std::int64_t now = RecordSeconds("2026.12.08 09:00:00");
  const std::pair<std::string_view, int> kAge[] = {
      {"2026.12.08 00:00:00", 0}, {"2026.12.08 20:00:00", 0}, {"2026.12.07 23:59:59", 1},
      {"2026.12.01 09:00:00", 1}, {"2026.11.30 09:00:00", 2}, {"2026.11.08 09:00:00", 2},
      {"2026.11.07 08:59:59", 3}};
  for (const auto& [time, band] : kAge) EXPECT_EQ(AgeBand(RecordSeconds(time), now), band) << time;
  EXPECT_EQ(CpuKind("GenuineIntel, Core i5-8250U, c1800MHz, PSN"), "Core i5-8250U");
  EXPECT_EQ(CpuKind(" AMD Ryzen 5 "), "AMD Ryzen 5");
}

}  // namespace
}  // namespace zeltrand::summary
