#include "server/record_file_send.h"

#include "core/text_format.h"
#include "server/ocs_inventory.h"
#include "summary/inventory.h"

namespace zeltrand::server {

namespace {

constexpr std::string_view kNotTried = "送信を中止しました (ｻｰﾊﾞが応答しません)";
constexpr std::string_view kNoName = "ｺﾝﾋﾟｭｰﾀ名がありません";

}  // namespace

RecordFileSend SendRecordFile(summary::ByteSource& source, const std::string& url, Http& http,
                              TextConverter& text, Compressor compress, Inflater inflate) {
  summary::RecordReader reader(source);
  summary::Inventory inventory(/*track_changes=*/false);
  while (const summary::Record* record = reader.Next()) inventory.Add(*record);
  RecordFileSend result;
  bool server_away = false;
  for (const summary::Pc& pc : inventory.pcs()) {
    ++result.pcs;
    const std::string name(pc.latest[summary::column::kComputer]);
    const std::optional<std::string> xml = InventoryXml(pc.latest.columns, text);
    Delivery delivery{std::string(server_away ? kNotTried : kNoName)};
    if (xml && !server_away) delivery = PostInventory(http, url, *xml, compress, inflate);
    if (delivery.problem.empty()) {
      ++result.sent;
      continue;
    }
    server_away = server_away || delivery.no_answer;
    result.failed.push_back(name + ": " + delivery.problem);
  }
  return result;
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
