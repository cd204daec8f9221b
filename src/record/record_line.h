// The record of one PC: one line of the shared CSV file, and the body of the
// mail that carries it to the administrator. Every column is a quoted text
// and a comma, the last one too; a double quote inside a text is doubled, as
// spreadsheets and CSV readers expect, and control bytes become blanks. In
// the file, a text users control that a spreadsheet would take for a
// formula gets a single quote in front (core/formula_text.h); the mail
// carries it as it is. The columns: PC名, the fourteen fields, always five
// users, then one per installed program. A PC with two users and four
// programs, in file form:
//
// clang-format off
//   "会計課7号機","2003.01.20 09:15:42","0日00:12","Win98SE 4.10.2222 A, , ","Intel, Pentium-III, c800MHz, PSNは非ｻﾎﾟｰﾄまたは非許可","45/128MBytes","1520/6150MByte","78%, 65%","2.2","user01","KAIKEI07","kaikei07","192.168.1.57","n00:50:BA:12:34:56","未設定","user01","user02","","","","Sample Editor 2.1","Report Viewer 5.0","LAN Tools","Virus Check 7",
//
// and in mail form, broken before programs 0, 3, 6, ...:
//
//   "会計課7号機", … ,"user01","user02","","","",
//   "Sample Editor 2.1","Report Viewer 5.0","LAN Tools",
//   "Virus Check 7",
//
// The file starts with a header of the dialog's labels, 21 columns, the last
// without comma:
//
//   "PC名","情報取得時刻","Windows起動時間","WindowsVer","CPU種類､ｽﾋﾟｰﾄﾞ､psn","ﾒﾓﾘの空/全容量","ｼｽﾃﾑHDの空/全容量","GDI、USERﾘｿｰｽ残量","WinSockVer","GetUserName","GetComputerName","gethostname","IPｱﾄﾞﾚｽ","MACｱﾄﾞﾚｽ","ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ","ﾛｸﾞｲﾝ者","","","","","ｲﾝｽﾄｰﾙｿﾌﾄ"
// clang-format on
//
// 記録 ends both lines in LF alone.
#pragma once

#include <string>
#include <string_view>

#include "core/app_state.h"
#include "core/item_values.h"
#include "platform/window.h"

namespace zeltrand {

enum class RecordForm { kFile, kMail };

inline constexpr int kRecordUserColumns = 5;

// Labels that head columns besides the field labels 100 to 113.
inline constexpr int kUserListLabel = 114;
inline constexpr int kSoftwareListLabel = 115;
inline constexpr int kPcNameLabel = 116;

// Quotes `text` as one column, comma included.
void AppendColumn(std::string& line, std::string_view text);

std::string BuildRecordLine(std::string_view pc_name, const CollectedInfo& info, RecordForm form);
// With PC名 as the user typed it into the dialog.
std::string BuildRecordLine(const AppState& state, DialogWindow& window, RecordForm form);

// The header line of the file, LF included.
std::string BuildRecordHeader(DialogWindow& window);

}  // namespace zeltrand
