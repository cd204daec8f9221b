// 送信: mails this PC's record, read from what the dialog shows now. The
// mail text is the title's first sixteen characters, "[", the record in
// its mail form and "]", which the clipboard import finds again:
//
//   Zeltrand v0.90 2["会計課7号機", ... ,"user01","user02","","","",
//   "Sample Editor 2.1","Report Viewer 5.0","LAN Tools",
//   "Virus Check 7",]
#pragma once

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand {

// Takes the sender, recipient and server from edits 17, 19 and 18 into the
// settings, so the exit saves what was used; true once the server has the
// mail.
bool SendRecordMail(AppState& state, Services& services, DialogWindow& window);

}  // namespace zeltrand
