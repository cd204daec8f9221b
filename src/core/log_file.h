// What a run that nobody watches would have said in a message box, kept in
// the user's own folder, one line each, code page 932, CR LF, appended:
//
//   <local application data>\Zeltrand\Zeltrand.log
//
//   2026.12.07 19:15:04 RCPT TO err=550
//   2026.12.07 19:15:11 取得情報記録ﾌｧｲﾙに記録できませんでした! ﾌｧｲﾙが他で使用中です。
//   \\server\inventory\Zeltrand.csv この記録は保存しておき、次回の記録時にその時の
//   取得情報記録ﾌｧｲﾙに追加します。
//
// A line break inside a message becomes a blank. Any part of the program
// may append its own lines.
#pragma once

#include <string>
#include <string_view>

#include "platform/machine.h"
#include "platform/system.h"

namespace zeltrand {

// "" when the system names no folder for the user.
std::string LogFilePath(Files& files);

// False when the line could not be added (the folder is away, another
// process holds the file).
bool AppendLogLine(Files& files, const LocalTime& when, std::string_view text);

}  // namespace zeltrand
