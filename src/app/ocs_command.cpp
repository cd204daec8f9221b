#include "app/ocs_command.h"

#include <limits>

#include "app/summary_command.h"
#include "core/visible_text.h"
#include "platform/summary_io.h"
#include "server/record_file_send.h"

namespace zeltrand {

std::optional<std::size_t> ParseOcsOptions(std::span<const std::string> arguments,
                                           OcsOptions& options) {
  if (!arguments.empty() && arguments[0] == "--all") {
    options.since_days = 0;
    return 1;
  }
  if (arguments.empty() || arguments[0] != "--since") return 0;
  if (arguments.size() < 2) return std::nullopt;
  const std::string& days = arguments[1];
  if (days.empty() || days.size() > 5 || days.find_first_not_of("0123456789") != days.npos ||
      std::stoi(days) < 1 || std::stoi(days) > kOcsMaxDays) {
    return std::nullopt;
  }
  options.since_days = std::stoi(days);
  return 2;
}

int RunOcsCommand(SummaryIo& io, Files* files, const std::string& url, const OcsOptions& options,
                  server::ServerLink& link, TextConverter& text, const OcsTeller& tell) {
  const std::string settings_path =
      !io.RecordFileNamed() && files != nullptr ? SettingsRecordPath(*files) : std::string();
  if (!io.OpenRecordFile(settings_path)) {
    io.TellAboutRecordFile("取得情報記録ﾌｧｲﾙを開けません。");
    return kOcsNoRecordFile;
  }
  const std::int64_t now = summary::RecordSeconds(io.Now());
  const std::int64_t oldest = options.since_days == 0
                                  ? std::numeric_limits<std::int64_t>::min()
                                  : now - std::int64_t{options.since_days} * 24 * 3600;
  const server::RecordFileSend result = server::SendRecordFile(
      io, server::ServerTarget(url), link, text, now + summary::kFutureSeconds, oldest);
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
