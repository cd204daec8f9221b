// Finding a mailed record in the text the administrator copied out of the
// mail. 送信 sends the first sixteen characters of the title, "[", the
// record in mail form and "]":
//
//   Zeltrand v0.90 2["会計課7号機", … ,"user01","user02","","","",
//   "Sample Editor 2.1","Report Viewer 5.0","LAN Tools",
//   "Virus Check 7",]
//
// Mail programs add line breaks, tabs and text around it. 取込 drops every
// control byte, which joins the record into one line, and keeps what lies
// between the "[" after the tag and the ",]" after that:
//
// clang-format off
//   "会計課7号機", … ,"user01","user02","","","","Sample Editor 2.1","Report Viewer 5.0","LAN Tools","Virus Check 7"
//
// It is appended with CR LF. An empty file first gets a header of its own:
// no PC名, nothing quoted, 20 columns, CR LF:
//
//   情報取得時刻,Windows起動時間,WindowsVer,CPU種類､ｽﾋﾟｰﾄﾞ､psn,ﾒﾓﾘの空/全容量,ｼｽﾃﾑHDの空/全容量,GDI、USERﾘｿｰｽ残量,WinSockVer,GetUserName,GetComputerName,gethostname,IPｱﾄﾞﾚｽ,MACｱﾄﾞﾚｽ,ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ,ﾛｸﾞｲﾝ者,,,,,ｲﾝｽﾄｰﾙｿﾌﾄ
// clang-format on
#pragma once

#include <string>
#include <string_view>

#include "platform/window.h"

namespace zeltrand {

enum class ImportCheck {
  kFound,
  kNoTag,         // no "Zeltrand v" anywhere
  kTooFewFields,  // fewer than five comma-separated pieces from the tag on
  kNoBracket,     // no "[" after the tag
};

struct MailedRecord {
  ImportCheck check = ImportCheck::kNoTag;
  std::string record;  // without its final comma and line end
};

// `text` without any byte from 0x01 to 0x1F.
std::string CleanCopiedText(std::string_view text);
MailedRecord FindMailedRecord(std::string_view copied_text);

// The header line of an imported file, CR LF included.
std::string BuildImportHeader(DialogWindow& window);

}  // namespace zeltrand
