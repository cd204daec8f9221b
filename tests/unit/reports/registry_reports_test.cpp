#include "reports/registry_reports.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "core/app_state.h"
#include "support/fake_services.h"
#include "support/fake_window.h"

namespace zeltrand::testing {
namespace {

std::string ExpectedReport(const std::string& name) {
  std::ifstream in(std::string(ZELTRAND_FIXTURES) + "/reports/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct ReportHarness : FakeServices {
  AppState state;
  FakeDialogWindow window;

  explicit ReportHarness(const std::string& fixture = "") {
    if (fixture.empty()) return;
    EXPECT_TRUE(registry.LoadRegFile(std::string(ZELTRAND_FIXTURES) + "/registry/" + fixture))
        << registry.load_error();
  }
  std::string Report(void (*command)(AppState&, Services&, DialogWindow&), const char* file) {
    command(state, services, window);
    return files.contents[file];
  }
};

// Listed: string and number values whose folded names hold a keyword, in
// walk order. Left out: other names and types, the default value, what
// follows an oversize value in its key, keys named Classes or CLASSES.
TEST(ProductReport, TheFixtureGivesTheExpectedFileWhichIsThenOpened) {
  ReportHarness h("product_numbers.reg");
  EXPECT_EQ(h.Report(RunProductReport, "MyReg.txt"), ExpectedReport("MyReg.txt"));
  EXPECT_EQ(h.shell.opened, std::vector<std::string>{"MyReg.txt"});
  EXPECT_TRUE(h.window.messages.empty());
}

TEST(ProductReport, ASearchWithoutMatchesHasAnEmptyBody) {
  ReportHarness h;
  h.registry.SetString(RegRoot::kLocalMachine, "Software\\Sample", "InstallDir", "C:\\");
  const std::string expected = ExpectedReport("MyReg.txt");
  EXPECT_EQ(h.Report(RunProductReport, "MyReg.txt"),
            expected.substr(0, expected.find("Software\\")) + "\r\n");
}

TEST(ProductReport, AFileThatCannotBeWrittenIsNotOpened) {
  ReportHarness h;
  h.files.unwritable.insert("MyReg.txt");
  h.Report(RunProductReport, "MyReg.txt");
  EXPECT_EQ(h.window.messages.size(), 1u);
  EXPECT_TRUE(h.shell.opened.empty());
}

// The device tree is Enum on Windows 95, 98 and Me, SYSTEM on the rest.
TEST(HardwareReport, TheFixtureGivesTheExpectedFileForEachFamily) {
  for (const auto& [platform_id, expected] :
       {std::pair{1u, "MyCert_9x.txt"}, {2u, "MyCert.txt"}, {0u, "MyCert.txt"}}) {
    ReportHarness h("hardware.reg");
    CollectedInfo& info = h.state.collected;
    info.platform_id = platform_id;
    info.product_id_text = "12345-OEM-0000001-54321";
    info.total_memory_mb = 512;
    info.psn_text = "PSNは非ｻﾎﾟｰﾄまたは非許可";
    info.item_values[12] = "n00:11:22:AA:BB:CC";
    EXPECT_EQ(h.Report(RunHardwareReport, "MyCert.txt"), ExpectedReport(expected)) << platform_id;
    EXPECT_EQ(h.machine.volume_roots, std::vector<std::string>{"C:\\"});
    EXPECT_EQ(h.shell.opened, std::vector<std::string>{"MyCert.txt"});
  }
}

TEST(HardwareReport, AbsentOrOversizeValuesLeaveTheirLinesEmpty) {
  ReportHarness h;
  h.machine.volume_serial.reset();
  h.registry.SetString(RegRoot::kLocalMachine, "HARDWARE\\DESCRIPTION\\System", "SystemBiosDate",
                       std::string(256, 'x'));
  h.Report(RunHardwareReport, "MyCert.txt");
  EXPECT_EQ(h.state.report_buffer,
            "ProductId=\nProductKey=\nFirstInstallDateTime=00000000\nSystemBiosDate=\n"
            "SystemBiosVersion=\nVideoBiosDate=\nVideoBiosVersion=\nｼｽﾃﾑﾄﾞﾗｲﾌﾞ(C:\\)ｼﾘｱﾙNo=\n"
            "ﾒﾓﾘ=0\nProcessorSerialNumber=\nMACｱﾄﾞﾚｽ=x--:--:--:--:--:--\n");
}

}  // namespace
}  // namespace zeltrand::testing
