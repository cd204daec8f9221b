// Control ids of the main dialog. Fields 0 to 13 show the collected items,
// label 100 + n names field n (and the lists and edits up to 120).
#pragma once

namespace zeltrand::ctl {

inline constexpr int kFirstField = 0;
inline constexpr int kCpuField = 3;
inline constexpr int kLastField = 13;
inline constexpr int kUserList = 14;
inline constexpr int kSoftwareList = 15;
inline constexpr int kPcNameEdit = 16;
inline constexpr int kSenderEdit = 17;
inline constexpr int kMailServerEdit = 18;
inline constexpr int kRecipientEdit = 19;
inline constexpr int kRecordPathEdit = 20;
inline constexpr int kSendButton = 21;
inline constexpr int kBrowseButton = 22;
inline constexpr int kCollectButton = 23;
inline constexpr int kRecordButton = 24;
inline constexpr int kImportButton = 25;
inline constexpr int kHelpButton = 26;
inline constexpr int kExitButton = 27;
inline constexpr int kAutoStartCheck = 28;
inline constexpr int kAutoRecordCheck = 29;
inline constexpr int kAutoMailCheck = 30;
inline constexpr int kAutoExitCheck = 31;
inline constexpr int kVersionButton = 32;
inline constexpr int kHardwareReportButton = 33;
inline constexpr int kProductReportButton = 34;
inline constexpr int kCommandCount = 35;
inline constexpr int kFirstLabel = 100;

// Timers of the dialog.
inline constexpr int kStartupTimer = 1;
inline constexpr int kRecordRetryTimer = 2;

}  // namespace zeltrand::ctl
