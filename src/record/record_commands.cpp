#include "record/record_commands.h"

#include <array>
#include <utility>

#include "core/log_file.h"
#include "platform/machine.h"
#include "record/clipboard_import.h"
#include "record/pending_records.h"
#include "record/record_file.h"
#include "record/record_line.h"
#include "settings/settings_file.h"

namespace zeltrand {

namespace {

constexpr int kRetries = 5;
constexpr unsigned kRetryMs = 1000;
constexpr unsigned kWaitPauseMs = 200;
constexpr std::string_view kWaitNoticeText = "取得情報記録ﾌｧｲﾙ空き待ち中...";

constexpr std::string_view kChooserTitle = "Zeltrand管理ファイル";
constexpr std::string_view kChooserFilterName = "Zeltrand管理ﾌｧｲﾙ(*.csv)";
constexpr std::string_view kChooserPattern = "*.csv";
constexpr std::string_view kChooserExtension = "csv";

constexpr std::string_view kClipboardEmpty =
    "ｸﾘｯﾌﾟﾎﾞｰﾄﾞは空です。\nZeltrand情報をｸﾘｯﾌﾟﾎﾞｰﾄﾞにｺﾋﾟｰしてから実行して下さい。";

template <typename Key>
using TextTable = std::array<std::pair<Key, std::string_view>, 3>;

constexpr TextTable<ImportCheck> kImportRefusals = {{
    {ImportCheck::kNoTag, "'Zeltrand v0.x'が見つかりません!"},
    {ImportCheck::kTooFewFields, "ﾃﾞｰﾀ項目数が足りません!"},
    {ImportCheck::kNoBracket, "'Zeltrand v0.x'の後に'['が見つかりません!"},
}};

constexpr std::string_view kRecordNotWritten = "取得情報記録ﾌｧｲﾙに記録できませんでした!";
constexpr std::string_view kRecordKept =
    "\nこの記録は保存しておき、次回の記録時にその時の取得情報記録ﾌｧｲﾙに追加します。";
constexpr std::string_view kRecordNotKept = "\nこの記録は保存もできませんでした。";
constexpr std::string_view kImportNotWritten = "取得情報記録ﾌｧｲﾙに取り込めませんでした!";
constexpr std::string_view kClipboardKept = "\nｸﾘｯﾌﾟﾎﾞｰﾄﾞの内容はそのままです。";
constexpr TextTable<AppendResult> kAppendFailures = {{
    {AppendResult::kBusy, "ﾌｧｲﾙが他で使用中です。"},
    {AppendResult::kNotOpened, "ﾌｧｲﾙを開けません。"},
    {AppendResult::kNotWritten, "ﾌｧｲﾙへの書き込みに失敗しました。"},
}};

template <typename Key>
std::string_view Lookup(const TextTable<Key>& table, Key key) {
  for (const auto& [k, text] : table) {
    if (k == key) return text;
  }
  return {};
}

std::string FailureText(std::string_view headline, AppendResult result, const std::string& path) {
  return std::string(headline) + "\n" + std::string(Lookup(kAppendFailures, result)) + "\n" + path;
}

}  // namespace

std::string RecordCommands::RecordPathText() {
  return window_.GetItemText(ctl::kRecordPathEdit, kPathLimit);
}

void RecordCommands::Tell(std::string_view text, unsigned style) {
  window_.ShowMessage(text, kTitleText, style);
}

// The path is read at every attempt: one changed during the wait counts
// from the next attempt on.
void RecordCommands::Record() {
  const std::string path = RecordPathText();
  const std::string line = BuildRecordLine(state_, window_, RecordForm::kFile) + '\n';
  const std::string kept = PendingRecords(services_.files).All();
  const AppendResult result =
      AppendRecord(services_.files, path, BuildRecordHeader(window_), kept + line, "\n");
  const bool opened = result == AppendResult::kWritten || result == AppendResult::kNotWritten;
  if (!opened && state_.record_retry_count < kRetries) {
    WaitForFile();
    return;
  }
  EndEpisode();
  if (result == AppendResult::kWritten) {
    NoteWritten(!kept.empty());
  } else {
    const std::string text =
        FailureText(kRecordNotWritten, result, path) + std::string(NoteNotWritten(path, line));
    if (unattended_ && EndsByItself()) {
      AppendLogLine(services_.files, services_.machine.Now(), text);
    } else {
      Tell(text, kMbOk | kMbIconWarning);
    }
  }
  if (recorded_) recorded_(unattended_ && EndsByItself());
  ApplyEndHook();
}

// The kept lines are forgotten only once they are in the file: a crash in
// between may add one twice, but never loses one.
void RecordCommands::NoteWritten(bool pending_added) {
  if (pending_added) PendingRecords(services_.files).DropAll();
  state_.exit_code &= ~exit_code::kRecordPending;
}

std::string_view RecordCommands::NoteNotWritten(const std::string& path, const std::string& line) {
  state_.exit_code |= exit_code::kRecordPending;
  if (!PendingRecords(services_.files).Keep(path, line)) return kRecordNotKept;
  return kRecordKept;
}

void RecordCommands::WaitForFile() {
  int& count = state_.record_retry_count;
  const std::string text = std::string(kWaitNoticeText) + std::to_string(kRetries - count);
  if (count == 0) {
    window_.OpenWaitNotice(text);
  } else {
    window_.SetWaitNoticeText(text);
  }
  window_.StartTimer(ctl::kRecordRetryTimer, kRetryMs);
  window_.ActivateWaitNotice();
  ++count;
}

// A manual press may end the episode while the timer is still armed; left
// running, it would press 記録 once more and write the line twice.
void RecordCommands::EndEpisode() {
  if (state_.record_retry_count > 0) {
    window_.StopTimer(ctl::kRecordRetryTimer);
    window_.CloseWaitNotice();
  }
  window_.CloseProgressWindow();
  state_.record_retry_count = 0;
}

bool RecordCommands::EndsByItself() const {
  return state_.auto_flags.exit && !state_.shift_held;
}

// An exit the user's own 記録 leads to asks, like 終了, before it ends
// without saving the settings; only the unattended run ends regardless.
void RecordCommands::ApplyEndHook() {
  const bool unattended = std::exchange(unattended_, false);
  if (!EndsByItself() || exit_left_to_caller_) return;
  if (unattended) {
    PressExitUnattended(state_, window_);
  } else {
    window_.Press(ctl::kExitButton);
  }
}

void RecordCommands::PressUnattended() {
  unattended_ = true;
  exit_left_to_caller_ = true;
  window_.Press(ctl::kRecordButton);
  exit_left_to_caller_ = false;
}

// The dialog starts from the default path, or the last one chosen here,
// whatever edit 20 shows by now.
void RecordCommands::ChooseFile() {
  const SaveFileRequest request{std::string(kChooserTitle),   std::string(kChooserFilterName),
                                std::string(kChooserPattern), state_.paths.exe_dir,
                                state_.settings.record_path,  std::string(kChooserExtension)};
  const std::optional<std::string> chosen = window_.ChooseSaveFile(request);
  if (!chosen) return;
  state_.settings.record_path = *chosen;
  window_.SetItemText(ctl::kRecordPathEdit, *chosen);
}

// The clipboard is emptied only once the record is in the file: whatever
// goes wrong before, the administrator can press 取込 again.
void RecordCommands::Import() {
  const std::optional<ClipboardText> copied = window_.ReadClipboardText();
  if (!copied) {
    Tell(kClipboardEmpty, kMbOk);
    return;
  }
  const MailedRecord found = FindMailedRecord(copied->text);
  if (found.check != ImportCheck::kFound) {
    Tell(Lookup(kImportRefusals, found.check), kMbOk);
    return;
  }
  window_.ShowWaitCursor();
  services_.clock.Sleep(kWaitPauseMs);
  const std::string path = RecordPathText();
  const AppendResult result = AppendRecord(services_.files, path, BuildRecordHeader(window_),
                                           found.record + "\r\n", "\r\n");
  if (result != AppendResult::kWritten) {
    Tell(FailureText(kImportNotWritten, result, path) + std::string(kClipboardKept),
         kMbOk | kMbIconWarning);
    return;
  }
  window_.EmptyClipboard(*copied);
}

}  // namespace zeltrand
