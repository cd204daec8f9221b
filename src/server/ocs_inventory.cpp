#include "server/ocs_inventory.h"

#include <algorithm>
#include <array>

#include "core/cp932.h"
#include "summary/inventory.h"
#include "summary/summary_page.h"

namespace zeltrand::server {

namespace {

// Columns of a record, counted from 0, as the record file's reader has them.
using namespace summary::column;
constexpr std::size_t kHost = 11;
constexpr std::size_t kUsers = kFirstProgram - kFirstUser;  // always five, filled or not

// The first run of the program's own version: the date part of every id.
constexpr std::string_view kDeviceIdTime = "-2003-01-17-00-00-00";

// The sections whose bits the server reads from CHECKSUM to know what to
// replace: hardware, drives, networks, printers and processors. Each one
// sent replaces the server's whole; one not sent (no printer) leaves the
// server's rows as they are.
constexpr std::string_view kChecksum = "274945";  // 1 + 512 + 4096 + 8192 + 262144
// The same with the firmware's (2), when the PC read its SMBIOS table.
constexpr std::string_view kChecksumWithBios = "274947";

constexpr std::string_view kNoPrinter = "未設定";

// The longest text of the running PC's own that goes (the server's columns
// hold 255).
constexpr std::size_t kLiveTextLimit = 255;

std::string_view Column(std::span<const std::string> columns, std::size_t i) {
  return i < columns.size() ? std::string_view(columns[i]) : std::string_view();
}

std::string_view Trim(std::string_view text) {
  while (text.starts_with(' ')) text.remove_prefix(1);
  while (text.ends_with(' ')) text.remove_suffix(1);
  return text;
}

// Splits at each ", ", the separator of the parts of a field.
std::vector<std::string_view> Parts(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t cut; (cut = text.find(", ")) != std::string_view::npos;) {
    parts.push_back(text.substr(0, cut));
    text.remove_prefix(cut + 2);
  }
  parts.push_back(text);
  return parts;
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.size() <= 18 && text.find_first_not_of("0123456789") == text.npos;
}

// "45/128MBytes" → {"45", "128"}; empty parts where the field holds no such
// figures (it was never measured).
std::array<std::string_view, 2> FreeAndTotal(std::string_view text, std::string_view unit) {
  const std::size_t slash = text.find('/');
  if (slash == text.npos || !text.ends_with(unit)) return {};
  const std::string_view free = text.substr(0, slash);
  const std::string_view total = text.substr(slash + 1, text.size() - slash - 1 - unit.size());
  if (!IsNumber(free) || !IsNumber(total)) return {};
  return {free, total};
}

// "r3192MHz" (what Windows recorded) or "c800MHz" (measured) → "3192".
std::string_view Megahertz(std::string_view text) {
  if (text.size() < 5 || (text[0] != 'r' && text[0] != 'c') || !text.ends_with("MHz")) return {};
  const std::string_view number = text.substr(1, text.size() - 4);
  return IsNumber(number) ? number : std::string_view();
}

// "2003.01.20 09:15:42" → "2003-01-20 09:15:42", the time the server
// shows as the inventory's; nothing for a text of another form.
std::string InventoryTime(std::string_view text) {
  constexpr std::string_view kForm = "0000.00.00 00:00:00";
  if (text.size() != kForm.size()) return {};
  std::string time(text);
  for (std::size_t i = 0; i < kForm.size(); ++i) {
    const bool digit = text[i] >= '0' && text[i] <= '9';
    if (kForm[i] == '0' ? !digit : text[i] != kForm[i]) return {};
    if (text[i] == '.') time[i] = '-';
  }
  return time;
}

bool IsIpv4(std::string_view text) {
  int dots = 0;
  for (const char c : text) {
    if (c == '.') ++dots;
    if (c != '.' && (c < '0' || c > '9')) return false;
  }
  return dots == 3 && text.size() >= 7 && text.size() <= 15;
}

// The address comes first in its field; the sender and mail server may
// follow.
std::string_view IpAddress(std::span<const std::string> columns) {
  const std::string_view ip = Parts(Column(columns, kIp))[0];
  return IsIpv4(ip) ? ip : std::string_view();
}

// The address without the letter of the method that found it; a UUID's
// node ("u") is no address of the PC's, and "x" means none was found.
std::string_view MacAddress(std::string_view text) {
  if (text.size() != 18 || (text[0] != 'n' && text[0] != 's')) return {};
  const std::string_view mac = text.substr(1);
  for (std::size_t i = 0; i < mac.size(); ++i) {
    const char c = mac[i];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    if (i % 3 == 2 ? c != ':' : !hex) return {};
  }
  return mac;
}

// XML 1.0 has no place for control characters but tab and line breaks;
// the record holds none of those either, so all become blanks.
void AppendEscaped(std::string& xml, std::string_view utf8) {
  std::string text(utf8);
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  xml += summary::EscapeHtml(text);  // XML's own five, as HTML has them
}

// The names the record's version table gives, as Windows calls itself: the
// server's console counts a computer as Windows by the word in its name.
struct OsNameRow {
  std::string_view short_name;
  std::string_view name;
};
constexpr OsNameRow kOsNames[] = {
    {"Win3.1", "Microsoft Windows 3.1"},
    {"Win95", "Microsoft Windows 95"},
    {"Win95OSR2", "Microsoft Windows 95 OSR2"},
    {"Win98", "Microsoft Windows 98"},
    {"Win98SE", "Microsoft Windows 98 Second Edition"},
    {"WinMe", "Microsoft Windows Millennium Edition"},
    {"WinNT", "Microsoft Windows NT"},
    {"Win2000", "Microsoft Windows 2000"},
    {"WinXP", "Microsoft Windows XP"},
    {"WinVista", "Microsoft Windows Vista"},
    {"Win7", "Microsoft Windows 7"},
    {"Win8", "Microsoft Windows 8"},
    {"Win8.1", "Microsoft Windows 8.1"},
    {"Win10", "Microsoft Windows 10"},
    {"Win11", "Microsoft Windows 11"},
    {"WinSrv2008", "Microsoft Windows Server 2008"},
    {"WinSrv2008R2", "Microsoft Windows Server 2008 R2"},
    {"WinSrv2012", "Microsoft Windows Server 2012"},
    {"WinSrv2012R2", "Microsoft Windows Server 2012 R2"},
    {"WinSrv2016", "Microsoft Windows Server 2016"},
    {"WinSrv2019", "Microsoft Windows Server 2019"},
    {"WinSrv2022", "Microsoft Windows Server 2022"},
    {"WinSrv2025", "Microsoft Windows Server 2025"},
};

// The name of the PC's Windows: the registry's product name where the PC
// read it ("Windows 10 Pro", which Windows 11 still says too), else the
// version table's name; a name the table does not know ("WinNT??") is
// Windows all the same.
std::string OsName(std::string_view short_name, std::string_view product_name) {
  constexpr std::string_view kMicrosoft = "Microsoft ";
  if (!product_name.empty()) {
    std::string name(product_name);
    if (short_name == "Win11" && name.starts_with("Windows 10")) name[9] = '1';
    return name.starts_with(kMicrosoft) ? name : std::string(kMicrosoft) + name;
  }
  for (const OsNameRow& row : kOsNames) {
    if (row.short_name == short_name) return std::string(row.name);
  }
  return "Microsoft Windows";
}

// "10.0 19045" → "10.0.19045", as Windows writes its version; the 95
// family's "4.10.2222 A" stays as it is.
std::string OsVersion(std::string_view text) {
  text = Trim(text);
  const std::size_t blank = text.find(' ');
  if (blank == text.npos) return std::string(text);
  const std::string_view version = text.substr(0, blank);
  const std::string_view build = Trim(text.substr(blank + 1));
  if (std::ranges::count(version, '.') != 1 || !IsNumber(build)) return std::string(text);
  return std::string(version) + "." + std::string(build);
}

class Document {
 public:
  explicit Document(TextConverter& text) : text_(text) {}

  void Open(std::string_view tag) { xml_.append("<").append(tag).append(">"); }
  void Close(std::string_view tag) { xml_.append("</").append(tag).append(">"); }
  // An element with code page 932 text; none for an empty text.
  void Text(std::string_view tag, std::string_view cp932) {
    if (cp932.empty()) return;
    Open(tag);
    AppendEscaped(xml_, text_.Utf8FromCp932(cp932));
    Close(tag);
  }
  std::string& xml() { return xml_; }

 private:
  TextConverter& text_;
  std::string xml_;
};

void AddHardware(Document& doc, std::span<const std::string> columns, const LiveFacts* live) {
  doc.Open("HARDWARE");
  doc.Text("NAME", Column(columns, kComputer));
  doc.Text("USERID", Column(columns, kUser));
  // "Win10 10.0 19045, 22H2, 00330-80000-00000-AA123": the name, the
  // version and build, the feature update (or Plus!, IE), the product ID.
  const std::vector<std::string_view> windows = Parts(Column(columns, kWindows));
  const std::string_view head = windows[0];
  const std::size_t blank = head.find(' ');
  doc.Text("OSNAME", OsName(head.substr(0, blank), live ? live->product_name : ""));
  if (blank != head.npos) doc.Text("OSVERSION", OsVersion(head.substr(blank + 1)));
  if (windows.size() >= 3) {
    doc.Text("OSCOMMENTS", Trim(windows[windows.size() - 2]));
    doc.Text("WINPRODID", Trim(windows.back()));
  }
  // "Intel, Pentium-III, c800MHz, PSNは非ｻﾎﾟｰﾄまたは非許可".
  const std::vector<std::string_view> cpu = Parts(Column(columns, kCpu));
  std::string_view model;
  std::string_view mhz;
  if (cpu.size() >= 4) {
    const std::string_view& first = cpu[1];
    const std::string_view& last = cpu[cpu.size() - 3];
    model = std::string_view(first.data(), last.data() + last.size() - first.data());
    mhz = Megahertz(cpu[cpu.size() - 2]);
  }
  doc.Text("PROCESSORT", model);
  doc.Text("PROCESSORS", mhz);
  doc.Text("MEMORY", FreeAndTotal(Column(columns, kMemory), "MBytes")[1]);
  doc.Text("IPADDR", IpAddress(columns));
  doc.Text("LASTDATE", InventoryTime(Column(columns, kTime)));
  if (live) {
    const InventoryFacts& pc = live->machine;
    doc.Text("WORKGROUP", cp932::Cut(pc.workgroup, kLiveTextLimit));
    doc.Text("USERDOMAIN", cp932::Cut(pc.user_domain, kLiveTextLimit));
    doc.Text("PROCESSORN", pc.processors ? std::to_string(pc.processors) : "");
    doc.Text("SWAP", std::to_string(pc.swap_bytes >> 20));
    doc.Text("ARCH", pc.architecture);
    doc.Text("UUID", live->firmware.uuid);
  }
  const bool bios = live && live->firmware != SmbiosFacts{};
  doc.Text("CHECKSUM", bios ? kChecksumWithBios : kChecksum);
  doc.Close("HARDWARE");
  if (cpu.size() >= 4) {
    doc.Open("CPUS");
    doc.Text("MANUFACTURER", cpu[0]);
    doc.Text("TYPE", model);
    doc.Text("SPEED", mhz);
    doc.Close("CPUS");
  }
}

// Nothing when the firmware told nothing: the server keeps what it had.
void AddBios(Document& doc, const SmbiosFacts& bios) {
  if (bios == SmbiosFacts{}) return;
  doc.Open("BIOS");
  doc.Text("SMANUFACTURER", bios.system_maker);
  doc.Text("SMODEL", bios.system_model);
  doc.Text("SSN", bios.system_serial);
  doc.Text("TYPE", bios.chassis);
  doc.Text("BMANUFACTURER", bios.bios_maker);
  doc.Text("BVERSION", bios.bios_version);
  doc.Text("BDATE", bios.bios_date);
  doc.Text("ASSETTAG", bios.asset_tag);
  doc.Text("MMANUFACTURER", bios.board_maker);
  doc.Text("MMODEL", bios.board_model);
  doc.Text("MSN", bios.board_serial);
  doc.Close("BIOS");
}

void AddDevices(Document& doc, std::span<const std::string> columns) {
  const auto disk = FreeAndTotal(Column(columns, kDisk), "MByte");
  if (!disk[1].empty()) {
    doc.Open("DRIVES");
    doc.Text("FREE", disk[0]);
    doc.Text("TOTAL", disk[1]);
    doc.Close("DRIVES");
  }
  const std::string_view ip = IpAddress(columns);
  const std::string_view mac = MacAddress(Column(columns, kMac));
  if (!ip.empty() || !mac.empty()) {
    doc.Open("NETWORKS");
    doc.Text("IPADDRESS", ip);
    doc.Text("MACADDR", mac);
    doc.Close("NETWORKS");
  }
  // "Office Printer,  LPT1:"
  const std::string_view printer = Column(columns, kPrinter);
  if (!printer.empty() && printer != kNoPrinter) {
    const std::size_t cut = printer.find(",  ");
    doc.Open("PRINTERS");
    doc.Text("NAME", printer.substr(0, cut));
    if (cut != printer.npos) doc.Text("PORT", printer.substr(cut + 3));
    doc.Close("PRINTERS");
  }
  for (std::size_t i = kFirstProgram; i < columns.size(); ++i) {
    if (columns[i].empty()) continue;
    doc.Open("SOFTWARES");
    doc.Text("NAME", columns[i]);
    doc.Close("SOFTWARES");
  }
}

}  // namespace

std::vector<std::string> RecordColumns(std::string_view pc_name, const CollectedInfo& info) {
  std::vector<std::string> columns;
  columns.emplace_back(pc_name);
  columns.insert(columns.end(), info.item_values.begin(), info.item_values.end());
  for (std::size_t i = 0; i < kUsers; ++i) {
    columns.push_back(i < info.login_users.size() ? info.login_users[i] : std::string());
  }
  columns.insert(columns.end(), info.softs.begin(), info.softs.end());
  return columns;
}

// The computer name, or the host name where Windows gave none.
std::optional<std::string> DeviceId(std::span<const std::string> columns, TextConverter& text) {
  std::string_view name = Trim(Column(columns, kComputer));
  if (name.empty()) name = Trim(Column(columns, kHost));
  if (name.empty()) return std::nullopt;
  std::string id;
  AppendEscaped(id, text.Utf8FromCp932(summary::PcKey(name)));
  return id + std::string(kDeviceIdTime);
}

std::optional<std::string> InventoryXml(std::span<const std::string> columns, TextConverter& text,
                                        const LiveFacts* live) {
  const std::optional<std::string> id = DeviceId(columns, text);
  if (!id) return std::nullopt;
  Document doc(text);
  doc.xml() = R"(<?xml version="1.0" encoding="UTF-8"?>)";
  doc.Open("REQUEST");
  doc.Open("CONTENT");
  AddHardware(doc, columns, live);
  if (live) AddBios(doc, live->firmware);
  AddDevices(doc, columns);
  if (!Column(columns, kPcName).empty()) {
    doc.Open("ACCOUNTINFO");
    doc.Text("KEYNAME", "TAG");
    doc.Text("KEYVALUE", Column(columns, kPcName));
    doc.Close("ACCOUNTINFO");
  }
  doc.Close("CONTENT");
  doc.xml() += "<DEVICEID>" + *id + "</DEVICEID><QUERY>INVENTORY</QUERY>";
  doc.Close("REQUEST");
  return std::move(doc.xml());
}

}  // namespace zeltrand::server
