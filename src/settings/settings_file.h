// Paths of the program and its settings file, Zeltrand.ini beside the
// executable. The file is written whole at exit, as these thirteen lines
// (CR LF line ends, values as they are) and whatever else the file held:
// keys the program does not manage (User, Password, TlsCertSha256 of
// [mail]) and comments follow the keys of their section, lines before the
// first section stay first, other sections follow [auto]. It is written in
// the encoding it was read in (text_encoding.h); a new file in code page 932.
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
//
// (User= and Password= there, the server's account, only as the
// administrator writes them.)
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
// The account and the server's own certificate, set by the administrator
// in the file; the program never writes them.
inline constexpr std::string_view kKeyUser = "User";
inline constexpr std::string_view kKeyPassword = "Password";
inline constexpr std::string_view kKeyTlsCertSha256 = "TlsCertSha256";
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

// `old_text` is the file as it was: every line of it but the template's own
// keys is written again, unchanged (see above).
std::string FormatSettingsFile(const Settings& settings, const AutoFlags& flags,
                               std::string_view old_text = {});
bool WriteSettingsFile(Files& files, const Paths& paths, const Settings& settings,
                       const AutoFlags& flags);

}  // namespace zeltrand
