// Paths of the program and its settings file, Zeltrand.ini beside the
// executable. The file is written whole at exit, always as these thirteen
// lines (CR LF line ends, values as they are):
//
//   [mail]
//   Smtp=<sender address>
//   MailTo=<recipient address>
//   MyMailServerIP=<mail server name or address>
//
//   [file]
//   RecFile=<record file path>
//
//   [auto]
//   Start=1      (empty when clear)
//   Rec=1
//   Mail=1
//   End=1
//
// and, only where an inventory server is set, two more lines after an empty
// one:
//
//   [server]
//   Url=<the server's address, e.g. https://inventory.example.co.jp/ocsinventory>
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/settings_values.h"

namespace zeltrand {

class Files;

// Sections and keys of the settings file.
inline constexpr std::string_view kSectionMail = "mail";
inline constexpr std::string_view kKeySmtp = "Smtp";  // the sender's address
inline constexpr std::string_view kKeyMailTo = "MailTo";
inline constexpr std::string_view kKeyMailServer = "MyMailServerIP";
inline constexpr std::string_view kSectionFile = "file";
inline constexpr std::string_view kKeyRecFile = "RecFile";
inline constexpr std::string_view kSectionAuto = "auto";
inline constexpr std::string_view kKeyStart = "Start";
inline constexpr std::string_view kKeyRec = "Rec";
inline constexpr std::string_view kKeyMail = "Mail";
inline constexpr std::string_view kKeyEnd = "End";
inline constexpr std::string_view kSectionServer = "server";
inline constexpr std::string_view kKeyUrl = "Url";

// Paths are read from the dialog whole, up to the longest path Windows
// knows; every other text is held to 255 bytes.
inline constexpr std::size_t kPathLimit = 32767;

// Placeholders that mark a mail setting as not configured yet.
inline constexpr std::string_view kUnsetSender = "???@???.???";
inline constexpr std::string_view kUnsetMailServer = "???.???.???.???";
inline constexpr std::string_view kUnsetRecipient = "???@???.???";

// A mail setting as saved, or empty where none is: a placeholder the boxes
// showed and the exit saved (it begins with "?") is not a setting, so the
// mail account found on the PC still counts.
std::string SavedMailValue(std::string_view saved);

std::string DirectoryOf(std::string_view exe_path);
Paths MakePaths(std::string exe_path);
Settings DefaultSettings(const Paths& paths);

std::string FormatSettingsFile(const Settings& settings, const AutoFlags& flags);
bool WriteSettingsFile(Files& files, const Paths& paths, const Settings& settings,
                       const AutoFlags& flags);

}  // namespace zeltrand
