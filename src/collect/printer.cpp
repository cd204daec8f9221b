// The default printer and its port, from the "device" entry of the
// "windows" section of win.ini: printer name, driver and port separated by
// commas, e.g.
//
//   device=Office Printer,PRNDRV,LPT1:     shown as "Office Printer,  LPT1:"
#include <string>
#include <string_view>

#include "collect/collectors.h"
#include "core/cp932.h"
#include "platform/win_ini.h"

namespace zeltrand {

namespace {

constexpr int kPrinterField = 13;
constexpr std::string_view kNotSet = "未設定";
constexpr std::size_t kPartLimit = 79;  // bytes of the name, and of the port

struct Device {
  std::string_view name;
  std::string_view port;  // empty when the value names no port
};

// The name ends at the first comma; the port starts after the second and
// ends at a carriage return. Blanks stay part of either.
Device ParseDevice(std::string_view value) {
  Device device;
  const std::size_t first = value.find(',');
  device.name = value.substr(0, first);
  if (first == std::string_view::npos) return device;
  const std::size_t second = value.find(',', first + 1);
  if (second == std::string_view::npos) return device;
  device.port = value.substr(second + 1);
  device.port = device.port.substr(0, device.port.find('\r'));
  return device;
}

}  // namespace

void CollectPrinter(CollectContext& ctx) {
  std::string& field = ctx.info.item_values[kPrinterField];
  // Read as far as the field holds, as into the field's own buffer.
  const std::string value =
      cp932::Cut(ctx.services.win_ini.ReadString("windows", "device", kNotSet), kFieldTextLimit);
  const Device device = ParseDevice(value);
  // An empty entry names no printer, like a missing one.
  if (device.name.empty() || device.name == kNotSet) {
    field = kNotSet;
    return;
  }
  // Both parts come out of one value of at most kFieldTextLimit bytes, so
  // the joined text fits the field too.
  field = cp932::Cut(device.name, kPartLimit);
  field += ",  ";
  field += cp932::Prefix(device.port, kPartLimit);
}

}  // namespace zeltrand
