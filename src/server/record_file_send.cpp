#include "server/record_file_send.h"

#include "core/text_format.h"
#include "server/ocs_inventory.h"
#include "summary/inventory.h"

namespace zeltrand::server {

namespace {

std::vector<summary::Record> LatestRecords(summary::ByteSource& source, std::int64_t newest) {
  summary::RecordReader reader(source, newest);
  summary::Inventory inventory(/*track_changes=*/false);
  while (const summary::Record* record = reader.Next()) inventory.Add(*record);
  std::vector<summary::Record> latest;
  latest.reserve(inventory.pcs().size());
  for (const summary::Pc& pc : inventory.pcs()) latest.push_back(pc.Latest());
  return latest;
}

Delivery SendLatest(const summary::Record& latest, const std::string& url, Http& http,
                    TextConverter& text, Compressor compress, Inflater inflate) {
  const std::optional<std::string> xml = InventoryXml(latest.columns, text);
  if (!xml) return {std::string(kNoComputerName)};
  return PostInventory(http, url, *xml, compress, inflate);
}

Delivery NotTried() {
  return {"送信を中止しました (ｻｰﾊﾞが応答しません)", true};
}

RecordFileSend Tally(const std::vector<summary::Record>& pcs,
                     const std::vector<Delivery>& deliveries) {
  RecordFileSend result;
  result.pcs = pcs.size();
  for (std::size_t i = 0; i < pcs.size() && i < deliveries.size(); ++i) {
    if (deliveries[i].problem.empty()) {
      ++result.sent;
    } else {
      result.failed.push_back(std::string(pcs[i][summary::column::kComputer]) + ": " +
                              deliveries[i].problem);
    }
  }
  return result;
}

}  // namespace

RecordFileSend SendRecordFile(summary::ByteSource& source, const std::string& url, Http& http,
                              TextConverter& text, Compressor compress, Inflater inflate,
                              std::int64_t newest) {
  const std::vector<summary::Record> pcs = LatestRecords(source, newest);
  std::vector<Delivery> deliveries;
  int silences = 0;  // in a row
  for (const summary::Record& pc : pcs) {
    deliveries.push_back(silences >= kSilencesToStop
                             ? NotTried()
                             : SendLatest(pc, url, http, text, compress, inflate));
    silences = deliveries.back().no_answer ? silences + 1 : 0;
  }
  return Tally(pcs, deliveries);
}

std::string SendReportText(const RecordFileSend& result) {
  std::string text = FormatText("ｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞに %llu 台中 %llu 台を送信しました。\n",
                                static_cast<unsigned long long>(result.pcs),
                                static_cast<unsigned long long>(result.sent));
  if (!result.failed.empty()) text += "送信できなかったPC:\n";
  for (const std::string& line : result.failed) text += line + "\n";
  return text;
}

}  // namespace zeltrand::server
