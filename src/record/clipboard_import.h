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
// clang-format on
//
// The texts users control get the single quote that guards them against
// formulas in the file (core/formula_text.h), as 記録 writes them; the
// mail carries them as they are. It is appended with CR LF. An empty file
// first gets the header 記録 writes (record_line.h), whose first column is
// PC名 like the record's.
#pragma once

#include <string>
#include <string_view>

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

}  // namespace zeltrand
