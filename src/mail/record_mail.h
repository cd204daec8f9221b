// 送信: mails this PC's record, read from what the dialog shows now. The
// mail text is the title's first sixteen characters, "[", the record in
// its mail form and "]", which the clipboard import finds again:
//
//   Zeltrand v0.90 2["会計課7号機", ... ,"user01","user02","","","",
//   "Sample Editor 2.1","Report Viewer 5.0","LAN Tools",
//   "Virus Check 7",]
//
// No line of the mail may pass 998 bytes (RFC 5322) once in JIS code: a
// line that would is broken after a column's closing quote and comma. The
// import joins the lines again, so the record comes back the same.
#pragma once

#include <string>
#include <string_view>

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand {

inline constexpr std::size_t kMailLineLimit = 998;

// The mail text of a record in mail form.
std::string MailedRecordText(std::string_view mail_form_record);

// Takes the sender, recipient and server from edits 17, 19 and 18 into the
// settings, so the exit saves what was used; true once the server has the
// mail. An unattended run that ends by itself tells nobody: what went
// wrong goes to the log file (core/log_file.h).
bool SendRecordMail(AppState& state, Services& services, DialogWindow& window, bool to_log);

}  // namespace zeltrand
