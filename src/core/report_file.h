// The text files the program writes for the user to read (the help file and
// the two registry reports), in the current folder:
//
//   <title>
//
//   <header>
//   <body>
//
// with CR LF line ends, as a text-mode stream writes them.
#pragma once

#include <string>
#include <string_view>

namespace zeltrand {

class DialogWindow;
class Files;

// The file's bytes: the title, an empty line, the header, the body, each
// "\n" stored as CR LF.
std::string FormatReportFile(std::string_view header, std::string_view body);

// Writes `file_name` whole. When it cannot be written, nothing is written
// through a failed open and the user is told; false then.
bool WriteReportFile(Files& files, DialogWindow& window, const std::string& file_name,
                     std::string_view header, std::string_view body);

}  // namespace zeltrand
