// One PC's record as an inventory of the OCS Inventory NG agent protocol:
// the XML document an agent posts, in UTF-8, with each column of the
// record in the place the server keeps it. The worked example's record
// becomes (line breaks added here; the document has none):
//
//   <?xml version="1.0" encoding="UTF-8"?><REQUEST><CONTENT>
//   <HARDWARE><NAME>KAIKEI07</NAME><USERID>user01</USERID><OSNAME>Microsoft Windows 98 Second
//   Edition</OSNAME> <OSVERSION>4.10.2222 A</OSVERSION><PROCESSORT>Pentium-III</PROCESSORT>
//   <PROCESSORS>800</PROCESSORS><MEMORY>128</MEMORY><IPADDR>192.168.1.57</IPADDR>
//   <LASTDATE>2003-01-20 09:15:42</LASTDATE><CHECKSUM>274945</CHECKSUM></HARDWARE>
//   <CPUS><MANUFACTURER>Intel</MANUFACTURER><TYPE>Pentium-III</TYPE><SPEED>800</SPEED></CPUS>
//   <DRIVES><FREE>1520</FREE><TOTAL>6150</TOTAL></DRIVES>
//   <NETWORKS><IPADDRESS>192.168.1.57</IPADDRESS><MACADDR>00:50:BA:12:34:56</MACADDR></NETWORKS>
//   <SOFTWARES><NAME>Sample Editor 2.1</NAME></SOFTWARES>…
//   <ACCOUNTINFO><KEYNAME>TAG</KEYNAME><KEYVALUE>会計課7号機</KEYVALUE></ACCOUNTINFO>
//   </CONTENT><DEVICEID>KAIKEI07-2003-01-17-00-00-00</DEVICEID><QUERY>INVENTORY</QUERY></REQUEST>
//
// Only what the record holds goes: a field the PC could not tell (an
// initial text such as "x--:--:--:--:--:--", 未設定 for the printer, a
// MAC address that is only a UUID's node) leaves its element out, and the
// server keeps what it had there. An empty PC名 sends no TAG; the server
// takes the TAG of a computer's first inventory only (unless it is set up
// to accept the agents' changes, OCS_OPT_ACCEPT_TAG_UPDATE_FROM_CLIENT).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_values.h"
#include "platform/machine.h"
#include "platform/text_converter.h"
#include "server/smbios.h"

namespace zeltrand::server {

// The columns of a record line, as 記録 writes them: PC名, the fourteen
// fields, five users, then the programs.
std::vector<std::string> RecordColumns(std::string_view pc_name, const CollectedInfo& info);

// The id under which the server keeps the PC: its computer name and a
// date and time, as agents make them. An agent takes the time of its
// first run; the records keep no such time, so it is the same fixed one
// for every PC, and every run and every record of a PC give the same id.
// The name's letters are in upper case, as the summary page tells PCs apart.
// Nothing when the record names no computer.
std::optional<std::string> DeviceId(std::span<const std::string> columns, TextConverter& text);

// Why a record without a computer name cannot go.
inline constexpr std::string_view kNoComputerName = "ｺﾝﾋﾟｭｰﾀ名がありません";

// What the running PC tells beyond its record, sent with the inventory
// after 記録 (a record file's PCs have only their records): Windows' own
// product name and the firmware's facts, as a BIOS section and the UUID.
struct LiveFacts {
  std::string product_name;  // "Windows 10 Pro"; "" when unread
  SmbiosFacts firmware;
  InventoryFacts machine;
};

// The inventory document; nothing when the record names no computer.
std::optional<std::string> InventoryXml(std::span<const std::string> columns, TextConverter& text,
                                        const LiveFacts* live = nullptr);

}  // namespace zeltrand::server
