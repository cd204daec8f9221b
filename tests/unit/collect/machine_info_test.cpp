#include <gtest/gtest.h>

#include "collect/machine_texts.h"
#include "unit/collect/collect_harness.h"

namespace zeltrand::testing {
namespace {

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

TEST(CollectMemory, ShowsFreeAndTotalMegabytesAndPublishesTheTotal) {
  CollectHarness h;
  h.machine.memory = MemoryStatus{134'217'728, 47'185'920};
  CollectMemory(h.ctx);
  EXPECT_EQ(h.field(4), "45/128MBytes");
  EXPECT_EQ(h.info.total_memory_mb, 128u);
  h.machine.memory = MemoryStatus{16 * kGiB, 5 * kGiB + (1 << 20)};
  CollectMemory(h.ctx);
  EXPECT_EQ(h.field(4), "5121/16384MBytes");
  EXPECT_EQ(h.info.total_memory_mb, 16384u);
  h.machine.memory.reset();
  CollectMemory(h.ctx);
  EXPECT_EQ(h.field(4), "5121/16384MBytes");
}

TEST(CollectSystemDrive, AsksAboutTheRootOfTheSystemDirectory) {
  CollectHarness h;
  h.machine.system_directory = "D:\\WINNT\\system32";
  h.machine.disk_space = DiskSpace{10'737'418'240, 21'474'836'480};
  CollectSystemDrive(h.ctx);
  EXPECT_EQ(h.field(5), "10240/20480MByte");
  EXPECT_EQ(h.machine.disk_roots, std::vector<std::string>{"D:\\"});
}

TEST(CollectSystemDrive, UsesClustersWhereTheExtendedCallIsMissing) {
  CollectHarness h;
  h.machine.has_extended_disk_space = false;
  h.machine.disk_clusters = DiskClusters{64, 512, 20'000, 65'000};
  CollectSystemDrive(h.ctx);
  EXPECT_EQ(h.field(5), "625/2031MByte");
  // Cluster counts of a volume above 4 GB, as NT reports them.
  h.machine.disk_clusters = DiskClusters{8, 512, 18'400'737, 66'053'021};
  CollectSystemDrive(h.ctx);
  EXPECT_EQ(h.field(5), "71877/258019MByte");
}

TEST(CollectSystemDrive, AFailedCallLeavesTheField) {
  CollectHarness h;
  h.info.item_values[5] = "1/2MByte";
  h.machine.disk_space.reset();
  CollectSystemDrive(h.ctx);
  h.machine.has_extended_disk_space = false;
  CollectSystemDrive(h.ctx);
  EXPECT_EQ(h.field(5), "1/2MByte");
  EXPECT_EQ(h.machine.disk_roots.size(), 2u);  // no second call after a failure
}

TEST(CollectResources, ShowsGdiThenUserPercent) {
  CollectHarness h;
  h.machine.resources = FreeResources{85, 90};
  CollectResources(h.ctx);
  EXPECT_EQ(h.field(6), "85%, 90%");
}

TEST(CollectResources, KeepsTheDefaultTextWithoutTheResourceLibrary) {
  CollectHarness h;
  CollectResources(h.ctx);
  EXPECT_EQ(h.field(6), "--%、--%");
  EXPECT_EQ(h.machine.resource_calls, 2);
}

TEST(WinsockVersion, IsTheLowByteDotTheHighByte) {
  EXPECT_EQ(FormatWinsockVersion(0x0202), "2.2");
  EXPECT_EQ(FormatWinsockVersion(0x0101), "1.1");
  EXPECT_EQ(FormatWinsockVersion(0x0002), "2.0");
}

// Fields 7 to 11 in the order of a pass.
void RunNetworkFields(CollectHarness& h) {
  for (int n = 7; n <= 11; ++n) kItemTable[n](h.ctx);
}

TEST(NetworkFields, FillTheNamesAndTheAddressOfTheHost) {
  CollectHarness h;
  RunNetworkFields(h);
  EXPECT_EQ(h.field(7), "2.2");
  EXPECT_EQ(h.field(8), "taro");
  EXPECT_EQ(h.field(9), "PC01");
  EXPECT_EQ(h.field(10), "pc01");
  EXPECT_EQ(h.field(11), "192.168.0.5");
  EXPECT_EQ(h.machine.winsock_requests, std::vector<std::uint16_t>{0x0101});
  EXPECT_EQ(h.machine.winsock_stops, 1);
  EXPECT_FALSE(h.info.winsock_started);
}

TEST(NetworkFields, NamesThatCannotBeReadKeepTheirEarlierText) {
  CollectHarness h;
  RunNetworkFields(h);
  h.machine.user_name.reset();
  h.machine.computer_name.reset();
  h.machine.host_name.reset();
  RunNetworkFields(h);
  EXPECT_EQ(h.field(8), "taro");
  EXPECT_EQ(h.field(9), "PC01");
  EXPECT_EQ(h.field(10), "pc01");
  // The earlier host name is looked up again.
  EXPECT_EQ(h.machine.lookups, (std::vector<std::string>{"pc01", "pc01"}));
}

TEST(NetworkFields, WithoutWinsockNothingIsLookedUpOrStopped) {
  CollectHarness h;
  h.machine.winsock_high_version.reset();
  RunNetworkFields(h);
  EXPECT_EQ(h.field(7), "");
  EXPECT_EQ(h.field(10), "");
  EXPECT_EQ(h.field(11), "");
  EXPECT_TRUE(h.machine.lookups.empty());
  EXPECT_EQ(h.machine.winsock_stops, 0);
}

TEST(NetworkFields, AnEmptyHostNameIsNotLookedUp) {
  CollectHarness h;
  h.machine.host_name = "";
  RunNetworkFields(h);
  EXPECT_TRUE(h.machine.lookups.empty());
  EXPECT_EQ(h.field(11), "");
}

constexpr const char* kIni = "C:\\Tools\\Zeltrand.ini";

TEST(IpAddressField, AppendsTheSenderAndServerOnlyWhenASenderIsSet) {
  const struct {
    const char* ini;
    const char* text;
  } rows[] = {
      {"", "10.0.0.1"},
      {"[mail]\r\nSmtp=???@???.???\r\nMyMailServerIP=mail.example.jp\r\n", "10.0.0.1"},
      {"[mail]\r\nSmtp=\r\nMyMailServerIP=mail.example.jp\r\n", "10.0.0.1"},
      {"[mail]\r\nSmtp=taro@example.jp\r\n", "10.0.0.1, taro@example.jp, "},
      {"[mail]\r\nSmtp=taro@example.jp\r\nMyMailServerIP=???.???.???.???\r\n",
       "10.0.0.1, taro@example.jp, ???.???.???.???"},
      {"[mail]\r\nSmtp=taro@example.jp\r\nMyMailServerIP=mail.example.jp\r\n",
       "10.0.0.1, taro@example.jp, mail.example.jp"},
  };
  for (const auto& row : rows) {
    CollectHarness h;
    h.machine.hosts = {{"pc01", {10, 0, 0, 1}}};
    h.files.contents[kIni] = row.ini;
    RunNetworkFields(h);
    EXPECT_EQ(h.field(11), row.text) << row.ini;
  }
}

TEST(IpAddressField, AFailedLookupKeepsTheLastAddressAndAppendsTheSettingsOnce) {
  CollectHarness h;
  h.files.contents[kIni] = "[mail]\r\nSmtp=taro@example.jp\r\nMyMailServerIP=mail.example.jp\r\n";
  RunNetworkFields(h);
  h.machine.hosts.clear();
  RunNetworkFields(h);
  RunNetworkFields(h);
  EXPECT_EQ(h.field(11), "192.168.0.5, taro@example.jp, mail.example.jp");
  // A sender removed from the settings takes its part away too.
  h.files.contents[kIni] = "";
  RunNetworkFields(h);
  EXPECT_EQ(h.field(11), "192.168.0.5");
}

TEST(IpAddressField, ShowsTheBytesOfTheAddressInTheirOrder) {
  EXPECT_EQ(FormatIpv4({0, 10, 200, 255}), "0.10.200.255");
}

}  // namespace
}  // namespace zeltrand::testing
