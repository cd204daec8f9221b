// The record file's PCs to an inventory server, without the dialog:
// `Zeltrand.exe /ocs [--since DAYS | --all] URL [RECORD_FILE]` and, on a
// file server, `zeltrand-summary --ocs [--since DAYS | --all] URL RECORD_FILE`. Without RECORD_FILE
// the record file is the one 記録 would write, as the settings name it. The record file is opened
// and read as the summary reads it (its page is not used).
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "server/ocs_client.h"

namespace zeltrand {

class Files;
class SummaryIo;
class TextConverter;

// Exit codes of the command.
inline constexpr int kOcsAllSent = 0;
inline constexpr int kOcsSomeNotSent = 1;
inline constexpr int kOcsNoRecordFile = 2;  // it cannot be opened or read

// Shows or prints the report (code page 932; see SendReportText).
using OcsTeller = std::function<void(std::string_view report, bool all_sent)>;

// The options before URL: `--since DAYS` sends the PCs whose latest record
// is at most DAYS days old (kOcsDefaultDays without it), `--all` every PC.
inline constexpr int kOcsDefaultDays = 90;
inline constexpr int kOcsMaxDays = 36500;
struct OcsOptions {
  int since_days = kOcsDefaultDays;  // 0: every PC
};

// How many of `arguments` (those after /ocs or --ocs) are options;
// nothing when they are wrong.
std::optional<std::size_t> ParseOcsOptions(std::span<const std::string> arguments,
                                           OcsOptions& options);

// `url` may hold an account (ServerTarget); it is not shown.
int RunOcsCommand(SummaryIo& io, Files* files, const std::string& url, const OcsOptions& options,
                  server::ServerLink& link, TextConverter& text, const OcsTeller& tell);

}  // namespace zeltrand
