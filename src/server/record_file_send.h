// The record file to the inventory server: the latest record of every PC
// (by its computer name, as the summary page counts PCs), one inventory
// each, so that an office brings its history in in one step. The server
// keeps a PC under the same id as the PC's own 記録 sends, so a second run
// updates the computers and adds none. Each is offered first (a PROLOG),
// so the server turns down a PC whose inventory it has from the last
// FREQUENCY days. A PC the server did not answer for in time fails and the
// next is tried (a server busy on a lock answers the next); after
// kSilencesToStop such PCs in a row the server is away and the rest are
// not tried (each would wait for the time-out).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/http.h"
#include "platform/text_converter.h"
#include "server/ocs_client.h"
#include "summary/record_reader.h"

namespace zeltrand::server {

inline constexpr int kSilencesToStop = 3;

struct RecordFileSend {
  std::uint64_t pcs = 0;
  std::uint64_t sent = 0;
  std::uint64_t declined = 0;       // the server wanted none now (its FREQUENCY)
  std::uint64_t left_out = 0;       // their latest records are older than asked for
  std::vector<std::string> failed;  // "<computer name>: <why>", code page 932
};

// One PC after the other, in the order of their first records; a record
// dated after `newest` (summary::RecordSeconds) is no PC's latest, and a
// PC whose latest is dated before `oldest` is left out: retired and renamed
// PCs would show as seen today on the server.
RecordFileSend SendRecordFile(summary::ByteSource& source, const HttpTarget& to, ServerLink& link,
                              TextConverter& text, std::int64_t newest, std::int64_t oldest);

// What the command prints or shows, code page 932, LF line ends:
//
//   ｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞに 3 台中 2 台を送信しました。
//   最新の記録が古い 4 台は送りませんでした (--since 日数, --all)。      (only when so)
//   1 台はｻｰﾊﾞが求めませんでした (ｻｰﾊﾞに最近の情報があります)。   (only when so)
//   送信できなかったPC:
//   KAIKEI07: ｻｰﾊﾞがｴﾗｰを返しました (HTTP 500)
std::string SendReportText(const RecordFileSend& result);

}  // namespace zeltrand::server
