#include <gtest/gtest.h>

#include <optional>

#include "collect/collectors.h"
#include "support/fake_services.h"

namespace zeltrand::testing {
namespace {

// The field of a pass whose win.ini has `device` in [windows], or no such
// entry at all.
std::string PrinterField(const std::optional<std::string>& device) {
  FakeServices fakes;
  if (device) fakes.win_ini.values[{"windows", "device"}] = *device;
  const Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  CollectedInfo info;
  CollectContext ctx{info, fakes.services, paths};
  CollectPrinter(ctx);
  return info.item_values[13];
}

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

TEST(DefaultPrinter, ShowsNameAndPortJoinedByACommaAndTwoBlanks) {
  const struct {
    std::string device;
    std::string field;
  } cases[] = {
      {"Office Printer,PRNDRV,LPT1:", "Office Printer,  LPT1:"},
      {"経理部 LBP-1510,winspool,Ne01:", "経理部 LBP-1510,  Ne01:"},
      // The port runs to the end of the value, blanks and commas included.
      {"HP,winspool,\\\\prtsrv\\2F east wing", "HP,  \\\\prtsrv\\2F east wing"},
      {"HP,winspool,IP_10.0.0.5, Ne02:", "HP,  IP_10.0.0.5, Ne02:"},
      {"HP,winspool,LPT1:\r\nrest", "HP,  LPT1:"},
      {"HP,,LPT1:", "HP,  LPT1:"},
      // Without the second comma there is no port.
      {"HP,winspool", "HP,  "},
      {"Only A Name", "Only A Name,  "},
  };
  for (const auto& c : cases) EXPECT_EQ(PrinterField(c.device), c.field) << c.device;
}

TEST(DefaultPrinter, ReadsNotSetWhenNoPrinterIsNamed) {
  for (const std::optional<std::string>& device :
       {std::optional<std::string>(), std::optional<std::string>(""),
        std::optional<std::string>(",winspool,LPT1:"), std::optional<std::string>("未設定")}) {
    EXPECT_EQ(PrinterField(device), "未設定") << device.value_or("(missing)");
  }
}

TEST(DefaultPrinter, CutsNameAndPortAt79BytesOnACharacterBoundary) {
  const std::string name = "A" + Repeat("表", 45);  // 91 bytes
  const std::string port = "Q" + Repeat("表", 45);
  EXPECT_EQ(PrinterField(name + ",drv,LPT1:"), "A" + Repeat("表", 39) + ",  LPT1:");
  EXPECT_EQ(PrinterField("HP,drv," + port), "HP,  Q" + Repeat("表", 39));
  // 表 would end at byte 80: the name keeps 78 bytes.
  EXPECT_EQ(PrinterField(Repeat("表", 40) + ",drv,LPT1:"), Repeat("表", 39) + ",  LPT1:");
}

TEST(DefaultPrinter, ReadsNoMoreOfTheValueThanTheFieldHolds) {
  // The second comma lies beyond byte 159, so no port is seen.
  EXPECT_EQ(PrinterField("Printer123," + Repeat("D", 150) + ",LPT1:"), "Printer123,  ");
}

}  // namespace
}  // namespace zeltrand::testing
