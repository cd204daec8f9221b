#include "app/ocs_command.h"

#include "app/summary_command.h"
#include "core/visible_text.h"
#include "platform/summary_io.h"
#include "server/record_file_send.h"

namespace zeltrand {

int RunOcsCommand(SummaryIo& io, Files* files, const std::string& url, Http& http,
                  TextConverter& text, server::Compressor compress, server::Inflater inflate,
                  const OcsTeller& tell) {
  const std::string settings_path =
      !io.RecordFileNamed() && files != nullptr ? SettingsRecordPath(*files) : std::string();
  if (!io.OpenRecordFile(settings_path)) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを開けません。");
    return kOcsNoRecordFile;
  }
  const server::RecordFileSend result = server::SendRecordFile(
      io, url, http, text, compress != nullptr ? compress : server::StoredZlib, inflate,
      summary::RecordSeconds(io.Now()) + summary::kFutureSeconds);
  if (io.ReadFailed()) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを読めません。");
    return kOcsNoRecordFile;
  }
  // Names from the record file: no control byte of theirs reaches the
  // terminal or the message box.
  tell(VisibleText(server::SendReportText(result), /*keep_line_feeds=*/true),
       result.failed.empty());
  return result.failed.empty() ? kOcsAllSent : kOcsSomeNotSent;
}

}  // namespace zeltrand
