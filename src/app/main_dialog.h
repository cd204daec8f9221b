// The main dialog's logic: start-up, the first timer tick, the commands of
// its buttons and the exit. The Win32 dialog procedure only translates
// messages into these calls.
#pragma once

#include <array>

#include "collect/item_table.h"
#include "core/app_state.h"
#include "core/control_ids.h"
#include "platform/system.h"
#include "platform/window.h"
#include "record/record_commands.h"

namespace zeltrand {

class MainDialog {
 public:
  MainDialog(AppState& state, Services& services, DialogWindow& window);

  void OnInit();
  void OnTimer(int timer_id);
  // The caption's close box and Alt+F4 go through the exit command.
  void OnClose() { window_.Press(ctl::kExitButton); }
  void OnCommand(int id);

 private:
  using Command = void (MainDialog::*)(int id);
  static const std::array<Command, ctl::kCommandCount> kCommands;

  void LoadSettings();
  void TellAtStart(const std::string& text);
  void OnFirstTick();
  void OnRecordRetryTick();
  void WaitCursorPrelude();
  CollectContext MakeCollectContext();

  void Nothing(int) {}
  void ShowDetail(int item);
  void SendMail(int);
  void ChooseRecordFile(int);
  void Recollect(int);
  void Record(int);
  void Import(int);
  void ShowHelp(int);
  void Exit(int);
  void OpenDownloadPage(int);
  void HardwareReport(int);
  void ProductReport(int);

  AppState& state_;
  Services& services_;
  DialogWindow& window_;
  RecordCommands record_{state_, services_, window_};
  bool mail_unattended_ = false;  // 送信 was pressed by the first tick
};

}  // namespace zeltrand
