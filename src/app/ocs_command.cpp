#include "app/ocs_command.h"

#include "app/summary_command.h"
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
      io, url, http, text, compress != nullptr ? compress : server::StoredZlib, inflate);
  if (io.ReadFailed()) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを読めません。");
    return kOcsNoRecordFile;
  }
  tell(server::SendReportText(result), result.failed.empty());
  return result.failed.empty() ? kOcsAllSent : kOcsSomeNotSent;
}

}  // namespace zeltrand
