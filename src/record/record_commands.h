// The commands that act on the record file: 記録 appends this PC's line,
// 参照 chooses the file, 取込 adds a mailed record from the clipboard.
//
// 記録 on a busy file starts an episode: the notice counts down 5, 4, 3, 2,
// 1 while timer 2 presses 記録 again each second, and the sixth failed
// attempt gives up. RecordRetryCount (AppState::record_retry_count) counts
// the failed attempts; it is 0 outside an episode. A record that could not
// be written is kept (pending_records.h) and goes ahead of the next record
// written, into the file named then: the settings may have been corrected
// meanwhile, and a record of this PC belongs in whichever inventory it
// keeps. Until then the process exit code carries
// exit_code::kRecordPending. When 記録 is done, by success or not, with
// AutoExit set and Shift not held at start, the program ends: silently when
// the first tick pressed 記録 (what went wrong goes to the log file,
// core/log_file.h), through the exit button as the user would otherwise.
#pragma once

#include <functional>
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

  // 記録 of the unattended run, pressed by the first tick. The tick ends the
  // run itself once the mail is out: a record done at once leaves the exit
  // to it; one that waits for a busy file ends the run when it is done.
  void PressUnattended();

  // Called once per 記録, when it is done with the file (written, or given
  // up after the retries) and before the program may end; `silent` when the
  // run ends by itself and nobody would answer a message.
  void OnRecorded(std::function<void(bool silent)> hook) { recorded_ = std::move(hook); }

 private:
  void WaitForFile();
  void EndEpisode();
  bool EndsByItself() const;
  void ApplyEndHook();
  void NoteWritten(bool pending_added);
  std::string_view NoteNotWritten(const std::string& path, const std::string& line);
  std::string RecordPathText();
  void Tell(std::string_view text, unsigned style);

  AppState& state_;
  Services& services_;
  DialogWindow& window_;
  bool exit_left_to_caller_ = false;
  bool unattended_ = false;
  std::function<void(bool)> recorded_;
};

}  // namespace zeltrand
