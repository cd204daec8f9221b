#include "app/summary_command.h"

#include "platform/summary_io.h"
#include "platform/system.h"
#include "settings/profile.h"
#include "settings/settings_file.h"
#include "summary/record_file.h"
#include "summary/summary_page.h"

namespace zeltrand {

std::string SettingsRecordPath(Files& files) {
  const Paths paths = MakePaths(files.ExecutablePath());
  const std::string named = ReadProfileString(files, paths.ini_path, kSectionFile, kKeyRecFile);
  return named.empty() ? DefaultSettings(paths).record_path : named;
}

int RunSummaryCommand(SummaryIo& io, Files* files, TextConverter& converter) {
  std::string settings_path;
  if (!io.RecordFileNamed() && files != nullptr) settings_path = SettingsRecordPath(*files);
  if (!io.OpenRecordFile(settings_path)) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを開けません。");
    return kSummaryNoRecordFile;
  }
  const summary::PageFacts facts{io.RecordFileName(), io.RecordFileSize(), io.Now()};
  const summary::RecordFile read = summary::ReadRecordFile(
      io, facts.file_size, summary::RecordSeconds(facts.now) + summary::kFutureSeconds);
  const std::string page = summary::WriteSummaryPage(read.inventory, read.stats, facts, converter);
  if (io.ReadFailed()) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを読めません。");
    return kSummaryNoRecordFile;
  }
  if (!io.WritePage(page)) {
    io.TellAboutPage("を書き込めませんでした。");
    return kSummaryNotWritten;
  }
  io.ShowPage();
  return kSummaryWritten;
}

}  // namespace zeltrand
