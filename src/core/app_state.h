// The program's one state object: what the dialog, the collectors and the
// commands share for the life of the process.
#pragma once

#include <string>
#include <string_view>

#include "core/control_ids.h"
#include "core/item_values.h"
#include "core/settings_values.h"
#include "platform/window.h"

namespace zeltrand {

// Window title, caption of every message box and first line of every text
// file the program writes. Its first sixteen characters head a mailed
// record, where the import looks for them.
inline constexpr std::string_view kTitleText = "Zeltrand v0.90 2003.1.17";

// The process exit code, for logon scripts. The bits add up: 6 is a record
// kept pending and a mail that failed. 1 is not used, so that no code of
// the program's looks like a start that failed.
namespace exit_code {
inline constexpr int kDone = 0;
inline constexpr int kRecordPending = 2;     // a record was kept to be added by the next run
inline constexpr int kMailFailed = 4;        // a mail could not be sent
inline constexpr int kInventoryPending = 8;  // an inventory was kept for the server
}  // namespace exit_code

struct AppState {
  bool shift_held = false;       // Shift was down at start: no unattended exit
  AutoFlags auto_flags;          // as loaded at start; refreshed by the exit command
  int record_retry_count = 0;    // failed opens of the record file in this episode
  bool unattended_exit = false;  // the exit under way was pressed by the program
  int exit_code = exit_code::kDone;

  Paths paths;
  Settings settings;
  CollectedInfo collected;

  // Scratch text of the help file and the reports; grows as needed.
  std::string report_buffer;
};

// Ends an unattended run the way the user would, through the exit button;
// the exit then does not stop to ask anything.
inline void PressExitUnattended(AppState& state, DialogWindow& window) {
  state.unattended_exit = true;
  window.Press(ctl::kExitButton);
  state.unattended_exit = false;
}

}  // namespace zeltrand
