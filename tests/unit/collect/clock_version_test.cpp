#include <gtest/gtest.h>

#include "collect/time_texts.h"
#include "collect/windows_version.h"
#include "unit/collect/collect_harness.h"

namespace zeltrand::testing {
namespace {

constexpr std::string_view kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::string_view kWindowsKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kExplorerKey = "SOFTWARE\\Microsoft\\Internet Explorer";
constexpr RegRoot kHklm = RegRoot::kLocalMachine;

TEST(Clock, ShowsTheLocalTimeWithTwoDigitFields) {
  CollectHarness h;
  h.machine.now = {2003, 1, 17, 9, 5, 3};
  CollectClock(h.ctx);
  EXPECT_EQ(h.field(0), "2003.01.17 09:05:03");
  EXPECT_EQ(FormatClock({1999, 12, 31, 23, 59, 59}), "1999.12.31 23:59:59");
}

TEST(Uptime, ShowsWholeDaysHoursAndMinutes) {
  const struct {
    std::uint32_t ms;
    const char* text;
  } rows[] = {
      {0, "0日00:00"},           {59'999, "0日00:00"},          {60'000, "0日00:01"},
      {3'599'999, "0日00:59"},   {86'399'999, "0日23:59"},      {86'400'000, "1日00:00"},
      {183'840'000, "2日03:04"}, {4'294'967'295u, "49日17:02"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatUptime(row.ms), row.text) << row.ms;
  CollectHarness h;
  h.machine.tick_count = 86'400'000;
  CollectUptime(h.ctx);
  EXPECT_EQ(h.field(1), "1日00:00");
}

struct NameRow {
  std::uint32_t platform, major, minor, build;
  const char* csd;
  const char* name;
};

TEST(WindowsName, FollowsTheVersionTableFromTheTop) {
  const NameRow rows[] = {
      {0, 3, 10, 0, "", "Win3.1"},
      {1, 4, 0, 950, " B ", "Win95OSR2"},
      {1, 4, 0, 950, " C ", "Win95OSR2"},
      {1, 4, 0, 950, " A ", "Win95"},
      {1, 4, 0, 950, "", "Win95"},
      {1, 4, 10, 2222, " A ", "Win98SE"},
      {1, 4, 10, 1998, " B ", "Win98"},
      {1, 4, 10, 1998, "", "Win98"},
      {1, 4, 90, 3000, " ", "WinMe"},
      {1, 4, 3, 0, " A ", "Win95??"},
      {2, 4, 0, 1381, "Service Pack 6a", "WinNT"},
      {2, 4, 7, 0, "", "WinNT"},
      {2, 3, 51, 1057, "", "WinNT??"},
      {2, 5, 0, 2195, "Service Pack 4", "Win2000"},
      {2, 5, 1, 2600, "Service Pack 3", "WinXP"},
      {2, 5, 2, 3790, "Service Pack 2", "WinNT??"},
      {3, 5, 0, 0, "", "Win?\?(3)"},
      {0xFFFFFFFF, 5, 0, 0, "", "Win?\?(-1)"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(WindowsName({r.major, r.minor, r.build, r.platform, r.csd}), r.name)
        << r.platform << " " << r.major << "." << r.minor << " [" << r.csd << "]";
  }
}

TEST(WindowsName, NamesNtSixAndLaterByBothNumbersAndTheBuild) {
  const NameRow rows[] = {
      {2, 6, 0, 6002, "Service Pack 2", "WinVista"},
      {2, 6, 1, 7601, "Service Pack 1", "Win7"},
      {2, 6, 2, 9200, "", "Win8"},
      {2, 6, 3, 9600, "", "Win8.1"},
      {2, 6, 4, 9841, "", "WinNT??"},
      {2, 10, 0, 19045, "", "Win10"},
      {2, 10, 0, 21999, "", "Win10"},
      {2, 10, 0, 22000, "", "Win11"},
      {2, 10, 0, 26100, "", "Win11"},
      {2, 10, 1, 30000, "", "WinNT??"},
      {2, 11, 0, 30000, "", "WinNT??"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(WindowsName({r.major, r.minor, r.build, r.platform, r.csd}), r.name)
        << r.major << "." << r.minor << "." << r.build;
  }
}

TEST(WindowsName, NamesServersFromNtSixOnByTheirRelease) {
  const NameRow rows[] = {
      {2, 5, 2, 3790, "", "WinNT??"},      {2, 6, 0, 6002, "", "WinSrv2008"},
      {2, 6, 1, 7601, "", "WinSrv2008R2"}, {2, 6, 2, 9200, "", "WinSrv2012"},
      {2, 6, 3, 9600, "", "WinSrv2012R2"}, {2, 6, 4, 9841, "", "WinNT??"},
      {2, 10, 0, 14392, "", "WinSrv??"},   {2, 10, 0, 14393, "", "WinSrv2016"},
      {2, 10, 0, 17763, "", "WinSrv2019"}, {2, 10, 0, 20347, "", "WinSrv2019"},
      {2, 10, 0, 20348, "", "WinSrv2022"}, {2, 10, 0, 26100, "", "WinSrv2025"},
      {2, 11, 0, 30000, "", "WinNT??"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(WindowsName({r.major, r.minor, r.build, r.platform, r.csd}, true), r.name)
        << r.major << "." << r.minor << "." << r.build;
  }
}

TEST(ProductType, ServerAndDomainControllerAreServersWhateverTheirCase) {
  const std::pair<const char*, bool> types[] = {
      {"ServerNT", true}, {"LANMANNT", true}, {"WinNT", false}, {"ServerNTX", false}, {"", false}};
  for (const auto& [type, server] : types) {
    MemoryRegistry r;
    r.SetString(kHklm, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType", type);
    EXPECT_EQ(IsServer(r), server) << type;
  }
}

TEST(VersionText, SkipsExactlyOneLeadingBlankOfTheSubVersion) {
  EXPECT_EQ(ComposeVersionText("Win98SE", {"4.10.1234", " A", "", "P"}),
            "Win98SE 4.10.1234 A, , P");
  EXPECT_EQ(ComposeVersionText("Win98SE", {"4.10.1234", "  A", "", "P"}),
            "Win98SE 4.10.1234  A, , P");
  EXPECT_EQ(ComposeVersionText("Win95??", {}), "Win95??  , , ");
}

TEST(VersionParts, NinetyFiveFamilyReadsTheWindowsKey) {
  MemoryRegistry r;
  r.SetString(kHklm, kWindowsKey, "VersionNumber", "4.10.1234");
  r.SetString(kHklm, kWindowsKey, "SubVersionNumber", " A ");
  r.SetString(kHklm, kWindowsKey, "Plus! VersionNumber", "IE 5 5.00.2314.1003");
  r.SetString(kHklm, kWindowsKey, "ProductId", "W-1");
  r.SetString(kHklm, kNtKey, "CurrentVersion", "6.1");
  const VersionParts p = ReadVersionParts(r, {4, 10, 1234, 1, " A "});
  EXPECT_EQ(p.version, "4.10.1234");
  EXPECT_EQ(p.sub_version, " A ");
  EXPECT_EQ(p.plus, "IE 5 5.00.2314.1003");
  EXPECT_EQ(p.product_id, "W-1");
}

TEST(VersionParts, NtFamilyReadsTheNtKeyAndOnVersionFiveTheExplorerVersion) {
  MemoryRegistry r;
  r.SetString(kHklm, kNtKey, "CurrentVersion", "5.1");
  r.SetString(kHklm, kNtKey, "CurrentBuildNumber", "1234");
  r.SetString(kHklm, kNtKey, "ProductId", "N-1");
  r.SetString(kHklm, kWindowsKey, "ProductId", "W-1");
  r.SetString(kHklm, kExplorerKey, "Version", "9.8.7");
  EXPECT_EQ(ComposeVersionText("WinXP", ReadVersionParts(r, {5, 1, 2600, 2, ""})),
            "WinXP 5.1 1234, IE 9.8.7, N-1");
  // A Plus! value wins over the Internet Explorer version.
  r.SetString(kHklm, kNtKey, "Plus! VersionNumber", "Plus! 98");
  EXPECT_EQ(ReadVersionParts(r, {5, 1, 2600, 2, ""}).plus, "Plus! 98");
}

TEST(VersionParts, ExplorerVersionIsReadOnVersionFiveOnly) {
  MemoryRegistry r;
  r.SetString(kHklm, kExplorerKey, "Version", "9.8.7");
  EXPECT_EQ(ReadVersionParts(r, {4, 0, 1381, 2, ""}).plus, "");
  EXPECT_EQ(ReadVersionParts(r, {4, 10, 2222, 1, ""}).plus, "");
  EXPECT_EQ(ReadVersionParts(r, {6, 1, 7601, 2, ""}).plus, "");
  EXPECT_EQ(ReadVersionParts(r, {5, 0, 2195, 2, ""}).plus, "IE 9.8.7");
}

TEST(VersionParts, OtherPlatformsReadNoKeyExceptTheExplorerVersion) {
  MemoryRegistry r;
  r.SetString(kHklm, kNtKey, "CurrentVersion", "6.1");
  r.SetString(kHklm, kWindowsKey, "ProductId", "W-1");
  r.SetString(kHklm, kExplorerKey, "Version", "9.8.7");
  const VersionParts p = ReadVersionParts(r, {5, 0, 0, 3, ""});
  EXPECT_EQ(p.version, "");
  EXPECT_EQ(p.product_id, "");
  EXPECT_EQ(p.plus, "IE 9.8.7");
}

TEST(VersionParts, TenAndLaterTakeTheNumbersAndTheFeatureUpdateName) {
  MemoryRegistry r;
  r.SetString(kHklm, kNtKey, "CurrentVersion", "6.3");
  r.SetString(kHklm, kNtKey, "CurrentBuildNumber", "22631");
  r.SetDword(kHklm, kNtKey, "CurrentMajorVersionNumber", 10);
  r.SetDword(kHklm, kNtKey, "CurrentMinorVersionNumber", 0);
  r.SetString(kHklm, kNtKey, "ReleaseId", "2009");
  r.SetString(kHklm, kNtKey, "DisplayVersion", "23H2");
  r.SetString(kHklm, kNtKey, "ProductId", "00330-80000-00000-AA123");
  const OsVersion eleven{10, 0, 22631, 2, ""};
  EXPECT_EQ(ComposeVersionText(WindowsName(eleven), ReadVersionParts(r, eleven)),
            "Win11 10.0 22631, 23H2, 00330-80000-00000-AA123");
  r.DeleteValue(kHklm, kNtKey, "DisplayVersion");
  EXPECT_EQ(ReadVersionParts(r, eleven).plus, "2009");
  // Without the numbers the version string is all there is.
  r.DeleteValue(kHklm, kNtKey, "CurrentMajorVersionNumber");
  EXPECT_EQ(ReadVersionParts(r, eleven).version, "6.3");
  // Before 10 the numbers, where present, are not used.
  r.SetDword(kHklm, kNtKey, "CurrentMajorVersionNumber", 10);
  EXPECT_EQ(ReadVersionParts(r, {6, 3, 9600, 2, ""}).version, "6.3");
  EXPECT_EQ(ReadVersionParts(r, {6, 3, 9600, 2, ""}).plus, "");
}

TEST(VersionParts, AValueLongerThanTheAnsiBufferReadsAsEmpty) {
  MemoryRegistry r;
  const std::string fits(255, '7');  // with its zero, the 256 bytes of the buffer
  r.SetString(kHklm, kNtKey, "ProductId", fits);
  EXPECT_EQ(ReadVersionParts(r, {6, 1, 7601, 2, ""}).product_id, fits);
  r.SetString(kHklm, kNtKey, "ProductId", fits + "7");
  EXPECT_EQ(ReadVersionParts(r, {6, 1, 7601, 2, ""}).product_id, "");
}

TEST(CollectWindowsVersion, PublishesTheProductIdAndThePlatform) {
  CollectHarness h;
  h.machine.version = {4, 10, 2222, 1, " A "};
  h.registry.SetString(kHklm, kWindowsKey, "ProductId", "12345-OEM");
  CollectWindowsVersion(h.ctx);
  EXPECT_EQ(h.info.platform_id, 1u);
  EXPECT_EQ(h.info.product_id_text, "12345-OEM");
  EXPECT_EQ(h.field(2), "Win98SE  , , 12345-OEM");
  h.registry.DeleteValue(kHklm, kWindowsKey, "ProductId");
  CollectWindowsVersion(h.ctx);
  EXPECT_EQ(h.info.product_id_text, "");
}

// Each system Wine can pretend to be, with the version it then reports and
// the registry values of its fixture: the end-to-end tests expect the same.
struct Personality {
  const char* name;
  OsVersion version;
  const char* text;
};

class WinePersonality : public ::testing::TestWithParam<Personality> {};

TEST_P(WinePersonality, ReadsAsTheVersionTableSays) {
  const Personality& p = GetParam();
  CollectHarness h;
  const std::string dir = ZELTRAND_FIXTURES "/registry/";
  ASSERT_TRUE(h.registry.LoadRegFile(dir + "wine_version_base.reg")) << h.registry.load_error();
  ASSERT_TRUE(h.registry.LoadRegFile(dir + "personality_" + p.name + ".reg"))
      << h.registry.load_error();
  h.machine.version = p.version;
  CollectWindowsVersion(h.ctx);
  EXPECT_EQ(h.field(2), p.text);
  EXPECT_EQ(h.info.product_id_text, "12345-oem-0000001-54321");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, WinePersonality,
    ::testing::Values(
        Personality{
            "win95", {4, 0, 0x040003B6, 1, ""}, "Win95 4.00.950 , , 12345-oem-0000001-54321"},
        Personality{"win98",
                    {4, 10, 0x040A08AE, 1, " A "},
                    "Win98SE 4.10.2222 A, , 12345-oem-0000001-54321"},
        Personality{
            "winme", {4, 90, 0x045A0BB8, 1, " "}, "WinMe 4.90.3000 , , 12345-oem-0000001-54321"},
        Personality{"nt40",
                    {4, 0, 1381, 2, "Service Pack 6a"},
                    "WinNT 4.0 1381, , 12345-oem-0000001-54321"},
        Personality{"win2k",
                    {5, 0, 2195, 2, "Service Pack 4"},
                    "Win2000 5.0 2195, IE 9.11.9600.18376, 12345-oem-0000001-54321"},
        Personality{"winxp",
                    {5, 1, 2600, 2, "Service Pack 3"},
                    "WinXP 5.1 2600, IE 9.11.9600.18376, 12345-oem-0000001-54321"},
        Personality{"vista",
                    {6, 0, 6002, 2, "Service Pack 2"},
                    "WinVista 6.0 6002, , 12345-oem-0000001-54321"},
        Personality{
            "win7", {6, 1, 7601, 2, "Service Pack 1"}, "Win7 6.1 7601, , 12345-oem-0000001-54321"},
        Personality{"win8", {6, 2, 9200, 2, ""}, "Win8 6.2 9200, , 12345-oem-0000001-54321"},
        Personality{"win81", {6, 3, 9600, 2, ""}, "Win8.1 6.3 9600, , 12345-oem-0000001-54321"},
        Personality{
            "win10", {10, 0, 18362, 2, ""}, "Win10 10.0 18362, 1903, 12345-oem-0000001-54321"},
        Personality{"win2008r2",
                    {6, 1, 7601, 2, "Service Pack 1"},
                    "WinSrv2008R2 6.1 7601, , 12345-oem-0000001-54321"}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace zeltrand::testing
