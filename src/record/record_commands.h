// The commands that act on the record file: 記録 appends this PC's line,
// 参照 chooses the file, 取込 adds a mailed record from the clipboard.
#pragma once

#include "app/app_state.h"
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

 private:
  [[maybe_unused]] AppState& state_;
  [[maybe_unused]] Services& services_;
  [[maybe_unused]] DialogWindow& window_;
};

}  // namespace zeltrand
