#include "reports/registry_reports.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "core/app_state.h"
#include "core/cp932.h"
#include "core/report_file.h"
#include "core/text_format.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace zeltrand {
namespace {

// MyReg.txt reads:
//
//   Zeltrand v0.90 2003.1.17
//
//   検索範囲:  HKEY_LOCAL_MACHINE\Software(CLASSES\を除く)
//   検索文字列:Product, Version, Name, Number, Serial, Regist, Key
//
//
//   Software\Sample\Editor
//   [ProductName]=[Sample Editor]
//
//   Software\Sample\Editor
//   [VersionMajor]=0x00000002(2)
//
//
constexpr std::string_view kProductHeader =
    "検索範囲:  HKEY_LOCAL_MACHINE\\Software(CLASSES\\を除く)\n"
    "検索文字列:Product, Version, Name, Number, Serial, Regist, Key\n\n";

// MyCert.txt: the title, an empty line, this header, an empty line, the
// lines of HardwareReport and a last empty line.
constexpr std::string_view kHardwareHeader =
    "WinXP WPA 機器構成情報一覧(資料収集中。追加, 訂正等情報 歓迎。)\n"
    "検索範囲: HKEY_LOCAL_NACHINE\\Enum(NT系は\\SYSTEM?)\n"
    "検索文字列: ClassがHDC, SCSIADAPTER, DISPLAY, CDROM, DISKDRIVEの時\n"
    "            そのDeviceDescを表示。\n";

// Names and data are read into buffers of this size, terminator included.
constexpr std::size_t kValueLimit = 256;

// Matched against the value name with every byte ANDed with 0x5F, which
// upper-cases ASCII letters and folds other bytes along with them.
constexpr std::array<std::string_view, 7> kKeywords = {"PRODUCTID", "VERSION", "NAME", "NUMBER",
                                                       "SERIAL",    "REGIST",  "KEY"};

// Compared without regard to ASCII letter case; "DiskDrive" only exactly.
constexpr std::array<std::string_view, 4> kDeviceClasses = {"HDC", "SCSIADAPTER", "DISPLAY",
                                                            "CDROM"};
constexpr std::string_view kDiskDriveClass = "DiskDrive";

bool NameHoldsKeyword(std::string_view name, std::string& folded) {
  folded.assign(name);
  for (char& c : folded) c = static_cast<char>(c & 0x5F);
  for (const std::string_view keyword : kKeywords) {
    if (folded.find(keyword) != std::string::npos) return true;
  }
  return false;
}

// The first four bytes as a little-endian number; bytes the data lacks
// count as zero, as they would in an emptied buffer.
std::uint32_t LittleEndian32(std::string_view bytes) {
  std::uint32_t v = 0;
  for (std::size_t i = std::min<std::size_t>(bytes.size(), 4); i-- > 0;) {
    v = (v << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return v;
}

bool IsListedClass(std::string_view device_class) {
  if (device_class == kDiskDriveClass) return true;
  for (const std::string_view listed : kDeviceClasses) {
    if (cp932::EqualsIgnoringCase(device_class, listed)) return true;
  }
  return false;
}

// A value that is missing or does not fit counts as absent.
std::optional<RegQuery> ReadValue(RegistryKey* key, std::string_view name) {
  if (!key) return std::nullopt;
  RegQuery query = key->Query(name, kValueLimit);
  if (!query.ok()) return std::nullopt;
  return query;
}

std::string ReadText(RegistryKey* key, std::string_view name) {
  const std::optional<RegQuery> query = ReadValue(key, name);
  return query ? query->Text() : std::string();
}

}  // namespace

void ProductNumberSearch(RegistryKey& key, std::string& key_path, std::string& out) {
  std::string folded;
  for (std::uint32_t index = 0;; ++index) {
    const std::optional<RegValue> value = key.Value(index, kValueLimit);
    // A name or data too large for the buffers ends this key's values; its
    // sub-keys are still searched.
    if (!value || !value->query.ok() || value->name.size() >= kValueLimit) break;
    const RegQuery& query = value->query;
    if (query.type != RegType::kString && query.type != RegType::kDword) continue;
    if (!NameHoldsKeyword(value->name, folded)) continue;
    out += key_path;
    out += "\n[";
    out += value->name;
    out += "]=";
    if (query.type == RegType::kString) {
      out += '[';
      out += query.Text();
      out += "]\n\n";
    } else {
      const std::uint32_t number = LittleEndian32(query.data);
      out += FormatText("0x%08X(%d)\n\n", number, static_cast<std::int32_t>(number));
    }
  }
  for (std::uint32_t index = 0;; ++index) {
    std::optional<RegSubkey> subkey = key.Subkey(index);
    if (!subkey) break;
    if (!subkey->key || subkey->name == "CLASSES" || subkey->name == "Classes") continue;
    const std::size_t parent_length = key_path.size();
    key_path += '\\';
    key_path += subkey->name;
    ProductNumberSearch(*subkey->key, key_path, out);
    key_path.resize(parent_length);
  }
}

void DeviceWalk(RegistryKey& key, std::string& out) {
  if (const std::optional<RegQuery> description = ReadValue(&key, "DeviceDesc")) {
    if (const std::optional<RegQuery> device_class = ReadValue(&key, "Class")) {
      const std::string class_text = device_class->Text();
      if (IsListedClass(class_text)) {
        out += class_text;
        out += "=[";
        out += description->Text();
        out += "]\n";
      }
    }
  }
  for (std::uint32_t index = 0;; ++index) {
    std::optional<RegSubkey> subkey = key.Subkey(index);
    if (!subkey) break;
    if (subkey->key) DeviceWalk(*subkey->key, out);
  }
}

void HardwareReport(const CollectedInfo& info, Services& services, std::string& out) {
  out.clear();
  out += "ProductId=" + info.product_id_text + "\n";

  std::unique_ptr<RegistryKey> key = services.registry.Open(
      RegRoot::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion");
  out += "ProductKey=" + ReadText(key.get(), "ProductKey") + "\n";
  const std::optional<RegQuery> installed = ReadValue(key.get(), "FirstInstallDateTime");
  out += FormatText("FirstInstallDateTime=%08X\n", installed ? LittleEndian32(installed->data) : 0);

  // Text up to the first zero byte: of a multi-string only the first string.
  key = services.registry.Open(RegRoot::kLocalMachine, "HARDWARE\\DESCRIPTION\\System");
  for (const std::string_view name :
       {"SystemBiosDate", "SystemBiosVersion", "VideoBiosDate", "VideoBiosVersion"}) {
    out += name;
    out += '=' + ReadText(key.get(), name) + "\n";
  }
  key.reset();

  const std::string root = services.machine.SystemDirectory().substr(0, 3);
  const std::optional<std::uint32_t> serial = services.machine.VolumeSerial(root);
  out += "ｼｽﾃﾑﾄﾞﾗｲﾌﾞ(" + root + ")ｼﾘｱﾙNo=";
  if (serial) out += FormatText("%04X-%04X", *serial >> 16, *serial & 0xFFFF);
  out += '\n';
  out += FormatText("ﾒﾓﾘ=%llu\n", static_cast<unsigned long long>(info.total_memory_mb));
  out += "ProcessorSerialNumber=" + info.psn_text + "\n";
  out += "MACｱﾄﾞﾚｽ=" + info.item_values[12] + "\n";

  // The device tree: Enum on Windows 95, 98 and Me, all of SYSTEM otherwise.
  const std::string_view start = info.platform_id == 1 ? "Enum" : "SYSTEM";
  if (const std::unique_ptr<RegistryKey> tree =
          services.registry.Open(RegRoot::kLocalMachine, start)) {
    DeviceWalk(*tree, out);
  }
}

void RunProductReport(AppState& state, Services& services, DialogWindow& window) {
  std::string& body = state.report_buffer;
  body.clear();
  std::string key_path = "Software";
  if (const std::unique_ptr<RegistryKey> software =
          services.registry.Open(RegRoot::kLocalMachine, key_path)) {
    ProductNumberSearch(*software, key_path, body);
  }
  const std::string file_name(kProductReportFile);
  if (WriteReportFile(services.files, window, file_name, kProductHeader, body)) {
    services.shell.Open(file_name);
  }
}

void RunHardwareReport(AppState& state, Services& services, DialogWindow& window) {
  HardwareReport(state.collected, services, state.report_buffer);
  const std::string file_name(kHardwareReportFile);
  if (WriteReportFile(services.files, window, file_name, kHardwareHeader, state.report_buffer)) {
    services.shell.Open(file_name);
  }
}

}  // namespace zeltrand
