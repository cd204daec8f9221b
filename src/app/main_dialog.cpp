#include "app/main_dialog.h"

#include "app/item_help.h"
#include "app/startup_shortcut.h"
#include "collect/item_table.h"
#include "collect/lists.h"
#include "core/log_file.h"
#include "mail/mail_account.h"
#include "mail/record_mail.h"
#include "platform/shell.h"
#include "reports/registry_reports.h"
#include "resources/help_texts.h"
#include "server/pc_inventory.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace zeltrand {

namespace {

constexpr std::string_view kProgressCaption = "Zeltrand";
constexpr std::string_view kProgressText = "\nPC構成情報収集中...";
constexpr std::string_view kSettingsWriteFailed = "Zeltrand.iniﾌｧｲﾙのｵｰﾌﾟﾝに失敗!";
constexpr std::string_view kEndWithoutSaving = "\n設定を保存せずに終了しますか?";
// Said at start about the settings file; the lines are named by number, so
// nothing of the file's text reaches the box.
constexpr std::string_view kSettingsLinesUnheld =
    "行目にはｺｰﾄﾞﾍﾟｰｼﾞ932にない文字があり、"
    "'?'と表示します。\nﾌｧｲﾙのその行は変えずに残します。";
constexpr std::string_view kSettingsValueRefused = "にﾀﾌﾞか改行があります! この設定は使いません。";
constexpr std::size_t kUnheldLinesNamed = 5;
constexpr std::string_view kIniName = "Zeltrand.iniの";
constexpr unsigned kSoftwareListExtent = 500;
constexpr unsigned kWaitPauseMs = 200;

}  // namespace

// Ids 0 to 13 are the value fields, which open their detail display when
// clicked; the lists, edits and check boxes start nothing.
const std::array<MainDialog::Command, ctl::kCommandCount> MainDialog::kCommands = {
    &MainDialog::ShowDetail,     &MainDialog::ShowDetail,       &MainDialog::ShowDetail,
    &MainDialog::ShowDetail,     &MainDialog::ShowDetail,       &MainDialog::ShowDetail,
    &MainDialog::ShowDetail,     &MainDialog::ShowDetail,       &MainDialog::ShowDetail,
    &MainDialog::ShowDetail,     &MainDialog::ShowDetail,       &MainDialog::ShowDetail,
    &MainDialog::ShowDetail,     &MainDialog::ShowDetail,       &MainDialog::Nothing,
    &MainDialog::Nothing,        &MainDialog::Nothing,          &MainDialog::Nothing,
    &MainDialog::Nothing,        &MainDialog::Nothing,          &MainDialog::Nothing,
    &MainDialog::SendMail,       &MainDialog::ChooseRecordFile, &MainDialog::Recollect,
    &MainDialog::Record,         &MainDialog::Import,           &MainDialog::ShowHelp,
    &MainDialog::Exit,           &MainDialog::Nothing,          &MainDialog::Nothing,
    &MainDialog::Nothing,        &MainDialog::Nothing,          &MainDialog::OpenDownloadPage,
    &MainDialog::HardwareReport, &MainDialog::ProductReport,
};

// 記録 also sends the inventory, where the settings name a server.
MainDialog::MainDialog(AppState& state, Services& services, DialogWindow& window)
    : state_(state), services_(services), window_(window) {
  record_.OnRecorded(
      [this](bool silent) { server::SendRecordToServer(state_, services_, window_, silent); });
}

CollectContext MainDialog::MakeCollectContext() {
  return CollectContext{state_.collected, services_, state_.paths};
}

void MainDialog::OnInit() {
  state_.report_buffer.clear();
  window_.SetIcon();
  window_.CreateListBrush();
  state_.shift_held = window_.IsShiftDown();
  state_.paths = MakePaths(services_.files.ExecutablePath());
  state_.settings = DefaultSettings(state_.paths);
  window_.SetTitle(kTitleText);
  window_.InitCommonControls();
  window_.SetListHorizontalExtent(ctl::kSoftwareList, kSoftwareListExtent);
  CreateTooltips(window_);
  ShowItemValues(state_.collected, window_);
  CollectContext ctx = MakeCollectContext();
  CollectAll(ctx, window_, /*include_cpu=*/false);
  ListLoginUsers(ctx, window_);
  ListInstalledSoftware(ctx, window_);
  DiscoverMailAccount(services_, state_.paths, state_.settings, window_);
  LoadSettings();
  window_.Focus(ctl::kRecordPathEdit);
  if (state_.auto_flags.exit && !state_.shift_held) {
    window_.ShowMinimized();
    window_.OpenProgressWindow(kProgressCaption);
    window_.SetProgressText(kProgressText);
  }
  window_.StartTimer(ctl::kStartupTimer, 1);
}

void MainDialog::OnTimer(int timer_id) {
  if (timer_id == ctl::kStartupTimer) OnFirstTick();
  if (timer_id == ctl::kRecordRetryTimer) OnRecordRetryTick();
}

// The unattended run: the flags are the ones loaded at start, whatever the
// check boxes show by now. A record that is still waiting for a busy file
// ends the program itself once it is done.
void MainDialog::OnFirstTick() {
  window_.StopTimer(ctl::kStartupTimer);
  CollectContext ctx = MakeCollectContext();
  CollectItem(ctl::kCpuField, ctx, window_);
  const AutoFlags flags = state_.auto_flags;
  if (flags.record) record_.PressUnattended();
  if (flags.mail) {
    mail_unattended_ = true;
    window_.Press(ctl::kSendButton);
    mail_unattended_ = false;
  }
  if (!state_.shift_held && flags.exit && state_.record_retry_count == 0) {
    PressExitUnattended(state_, window_);
  }
}

// The edits show the file's values, or the built-in ones where the file has
// none; the settings themselves change only when the program exits.
void MainDialog::LoadSettings() {
  const DecodedText file = ReadProfileFile(services_.files, state_.paths.ini_path);
  const Profile profile(file.text);
  std::vector<std::string> complaints;
  // A tab or line break in a path or address would split the lines of the
  // kept records and inventories; such a value is not used.
  const auto usable = [&](std::string_view section, std::string_view key) {
    std::string value = profile.Get(section, key);
    if (value.find_first_of("\t\r\n") == std::string::npos) return value;
    complaints.push_back(std::string(kIniName) + "[" + std::string(section) + "] " +
                         std::string(key) + std::string(kSettingsValueRefused));
    return std::string();
  };
  const auto value_or = [&](std::string_view key, const std::string& fallback) {
    std::string value = SavedMailValue(profile.Get(kSectionMail, key));
    return value.empty() ? fallback : value;
  };
  window_.SetItemText(ctl::kRecipientEdit, value_or(kKeyMailTo, state_.settings.recipient_address));
  std::string record_path = usable(kSectionFile, kKeyRecFile);
  window_.SetItemText(ctl::kRecordPathEdit,
                      record_path.empty() ? state_.settings.record_path : record_path);
  state_.settings.server_url = usable(kSectionServer, kKeyUrl);
  AutoFlags& flags = state_.auto_flags;
  const struct {
    std::string_view key;
    bool& flag;
    int check_box;
  } rows[] = {{kKeyStart, flags.start, ctl::kAutoStartCheck},
              {kKeyRec, flags.record, ctl::kAutoRecordCheck},
              {kKeyMail, flags.mail, ctl::kAutoMailCheck},
              {kKeyEnd, flags.exit, ctl::kAutoExitCheck}};
  for (const auto& row : rows) {
    row.flag = !profile.Get(kSectionAuto, row.key).empty();
    window_.SetCheck(row.check_box, row.flag);
  }
  if (!file.unheld.empty()) {
    std::string numbers;
    for (std::size_t i = 0; i < file.unheld.size() && i < kUnheldLinesNamed; ++i) {
      if (i > 0) numbers += ", ";
      numbers += std::to_string(file.unheld[i].number);
    }
    if (file.unheld.size() > kUnheldLinesNamed) numbers += ", …";
    complaints.push_back(std::string(kIniName) + numbers + std::string(kSettingsLinesUnheld));
  }
  for (const std::string& text : complaints) TellAtStart(text);
}

// A run that ends by itself leaves what it would have said to the log.
void MainDialog::TellAtStart(const std::string& text) {
  if (state_.auto_flags.exit && !state_.shift_held) {
    AppendLogLine(services_.files, services_.machine.Now(), text);
  } else {
    window_.ShowMessage(text, kTitleText, kMbOk | kMbIconWarning);
  }
}

void MainDialog::OnRecordRetryTick() {
  window_.StopTimer(ctl::kRecordRetryTimer);
  window_.Activate();
  window_.Press(ctl::kRecordButton);
}

void MainDialog::OnCommand(int id) {
  if (id >= 0 && id < ctl::kCommandCount) (this->*kCommands[id])(id);
}

void MainDialog::WaitCursorPrelude() {
  window_.ShowWaitCursor();
  services_.clock.Sleep(kWaitPauseMs);
}

void MainDialog::ShowDetail(int item) {
  zeltrand::ShowDetail(window_, state_.collected.item_values, item);
}

// An unattended run that could not mail says so to its logon script; one
// that ends by itself writes what went wrong to the log instead of holding
// the run with a box.
void MainDialog::SendMail(int) {
  WaitCursorPrelude();
  const bool to_log = mail_unattended_ && state_.auto_flags.exit && !state_.shift_held;
  if (!SendRecordMail(state_, services_, window_, to_log) && mail_unattended_) {
    state_.exit_code |= exit_code::kMailFailed;
  }
}

void MainDialog::ChooseRecordFile(int) {
  record_.ChooseFile();
}

void MainDialog::Recollect(int) {
  WaitCursorPrelude();
  CollectContext ctx = MakeCollectContext();
  CollectAll(ctx, window_, /*include_cpu=*/true);
}

void MainDialog::Record(int) {
  WaitCursorPrelude();
  record_.Record();
}

void MainDialog::Import(int) {
  record_.Import();
}

void MainDialog::ShowHelp(int) {
  zeltrand::ShowHelp(state_, services_, window_);
}

// A program run from a write-protected share can never save its settings:
// the user may then end it without saving, and an unattended run ends
// anyway, since it would only have rewritten the values it loaded.
void MainDialog::Exit(int) {
  Settings& s = state_.settings;
  s.sender_address = window_.GetItemText(ctl::kSenderEdit);
  s.recipient_address = window_.GetItemText(ctl::kRecipientEdit);
  s.mail_server_name = window_.GetItemText(ctl::kMailServerEdit);
  s.record_path = window_.GetItemText(ctl::kRecordPathEdit, kPathLimit);
  // The boxes become the program's flags only as it ends: a user who chose
  // not to end keeps the run as it started, and no later 記録 ends it
  // unasked because a box was ticked meanwhile.
  AutoFlags flags;
  flags.start = window_.IsChecked(ctl::kAutoStartCheck);
  flags.record = window_.IsChecked(ctl::kAutoRecordCheck);
  flags.mail = window_.IsChecked(ctl::kAutoMailCheck);
  flags.exit = window_.IsChecked(ctl::kAutoExitCheck);
  const bool saved = WriteSettingsFile(services_.files, state_.paths, s, flags);
  if (!saved && !state_.unattended_exit) {
    const std::string question = std::string(kSettingsWriteFailed) + std::string(kEndWithoutSaving);
    if (window_.ShowMessage(question, kTitleText, kMbYesNo | kMbIconWarning) != kIdYes) return;
  }
  state_.auto_flags = flags;
  // Unsaved, the check box would not be what the next start shows.
  if (saved) UpdateStartupShortcut(services_.shell, state_.paths.exe_path, flags.start);
  window_.End(1);
}

void MainDialog::OpenDownloadPage(int) {
  services_.shell.Open(kDownloadPage);
}

void MainDialog::HardwareReport(int) {
  window_.ShowWaitCursor();
  RunHardwareReport(state_, services_, window_);
}

void MainDialog::ProductReport(int) {
  window_.ShowWaitCursor();
  RunProductReport(state_, services_, window_);
}

}  // namespace zeltrand
