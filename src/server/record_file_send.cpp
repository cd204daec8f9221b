#include "server/record_file_send.h"

#include "core/text_format.h"
#include "server/ocs_inventory.h"
#include "server/ocs_prolog.h"
#include "summary/inventory.h"

namespace zeltrand::server {

namespace {

// The latest records of the PCs seen since `oldest`; counts the others.
std::vector<summary::Record> LatestRecords(summary::ByteSource& source, std::int64_t newest,
                                           std::int64_t oldest, std::uint64_t& left_out) {
  summary::RecordReader reader(source, newest);
  summary::Inventory inventory(/*track_changes=*/false);
  while (const summary::Record* record = reader.Next()) inventory.Add(*record);
  std::vector<summary::Record> latest;
  latest.reserve(inventory.pcs().size());
  for (const summary::Pc& pc : inventory.pcs()) {
    if (pc.latest_seconds < oldest) {
      ++left_out;
    } else {
      latest.push_back(pc.Latest());
    }
  }
  return latest;
}

Offer SendLatest(const summary::Record& latest, const HttpTarget& to, ServerLink& link,
                 TextConverter& text) {
  const std::optional<std::string> xml = InventoryXml(latest.columns, text);
  if (!xml) return {{std::string(kNoComputerName)}};
  return OfferInventory(link, to, *xml);
}

Offer NotTried() {
  return {{"送信を中止しました (ｻｰﾊﾞが応答しません)", true}};
}

RecordFileSend Tally(const std::vector<summary::Record>& pcs, const std::vector<Offer>& offers) {
  RecordFileSend result;
  result.pcs = pcs.size();
  for (std::size_t i = 0; i < pcs.size() && i < offers.size(); ++i) {
    if (offers[i].declined) {
      ++result.declined;
    } else if (offers[i].delivery.problem.empty()) {
      ++result.sent;
    } else {
      result.failed.push_back(std::string(pcs[i][summary::column::kComputer]) + ": " +
                              offers[i].delivery.problem);
    }
  }
  return result;
}

}  // namespace

RecordFileSend SendRecordFile(summary::ByteSource& source, const HttpTarget& to, ServerLink& link,
                              TextConverter& text, std::int64_t newest, std::int64_t oldest) {
  std::uint64_t left_out = 0;
  const std::vector<summary::Record> pcs = LatestRecords(source, newest, oldest, left_out);
  std::vector<Offer> offers;
  int silences = 0;  // in a row
  for (const summary::Record& pc : pcs) {
    offers.push_back(silences >= kSilencesToStop ? NotTried() : SendLatest(pc, to, link, text));
    silences = offers.back().delivery.no_answer ? silences + 1 : 0;
  }
  RecordFileSend result = Tally(pcs, offers);
  result.left_out = left_out;
  return result;
}

std::string SendReportText(const RecordFileSend& result) {
  std::string text = FormatText("ｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞに %llu 台中 %llu 台を送信しました。\n",
                                static_cast<unsigned long long>(result.pcs),
                                static_cast<unsigned long long>(result.sent));
  if (result.left_out != 0) {
    text += FormatText("最新の記録が古い %llu 台は送りませんでした (--since 日数, --all)。\n",
                       static_cast<unsigned long long>(result.left_out));
  }
  if (result.declined != 0) {
    text += FormatText("%llu 台はｻｰﾊﾞが求めませんでした (ｻｰﾊﾞに最近の情報があります)。\n",
                       static_cast<unsigned long long>(result.declined));
  }
  if (!result.failed.empty()) text += "送信できなかったPC:\n";
  for (const std::string& line : result.failed) text += line + "\n";
  return text;
}

}  // namespace zeltrand::server
