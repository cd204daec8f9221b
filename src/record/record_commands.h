// The commands that act on the record file: 記録 appends this PC's line,
// 参照 chooses the file, 取込 adds a mailed record from the clipboard.
//
// 記録 on a busy file starts an episode: the notice counts down 5, 4, 3, 2,
// 1 while timer 2 presses 記録 again each second, and the sixth failed
// attempt gives up. RecordRetryCount (AppState::record_retry_count) counts
// the failed attempts; it is 0 outside an episode. When 記録 is done, by
// success or not, an unattended run (AutoExit set, Shift not held at start)
// ends the program.
#pragma once

#include <string>
#include <string_view>

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand {

class RecordCommands {
 public:
  RecordCommands(AppState& state, Services& services, DialogWindow& window)
      : state_(state), services_(services), window_(window) {}

  void Record();
  void ChooseFile();
  void Import();

  // The first tick ends the run itself once the mail is out: a record that
  // is done while it presses 記録 leaves the exit to it.
  void LeaveExitToCaller(bool leave) { exit_left_to_caller_ = leave; }

 private:
  void WaitForFile();
  void EndEpisode();
  bool EndsByItself() const;
  void ApplyEndHook();
  std::string RecordPathText();
  void Tell(std::string_view text, unsigned style);

  AppState& state_;
  Services& services_;
  DialogWindow& window_;
  bool exit_left_to_caller_ = false;
};

}  // namespace zeltrand
