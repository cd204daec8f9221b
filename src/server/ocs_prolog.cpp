#include "server/ocs_prolog.h"

namespace zeltrand::server {

namespace {

constexpr int kUnknownAgent = 400;
constexpr std::string_view kNotAServer = "ｻｰﾊﾞの応答がｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞのものではありません";

std::string_view DeviceIdOf(std::string_view xml) {
  constexpr std::string_view kOpen = "<DEVICEID>";
  const std::size_t start = xml.rfind(kOpen);
  if (start == xml.npos) return {};
  const std::size_t end = xml.find("</DEVICEID>", start);
  if (end == xml.npos) return {};
  return xml.substr(start + kOpen.size(), end - start - kOpen.size());
}

}  // namespace

std::string PrologXml(std::string_view inventory_xml) {
  return R"(<?xml version="1.0" encoding="UTF-8"?><REQUEST><DEVICEID>)" +
         std::string(DeviceIdOf(inventory_xml)) + "</DEVICEID><QUERY>PROLOG</QUERY></REQUEST>";
}

Offer OfferInventory(Http& http, const std::string& url, std::string_view inventory_xml,
                     Compressor compress, Inflater inflate) {
  const HttpReply reply =
      http.Post(url, kContentType, compress(PrologXml(inventory_xml)), kServerTimeoutMs);
  if (reply.error != 0 || reply.status != kUnknownAgent) {
    if (std::string problem = CheckReply(reply, nullptr); !problem.empty()) {
      return {{std::move(problem), reply.error != 0}};
    }
    const std::optional<std::string> xml = inflate(reply.body, kInflatedReplyLimit);
    const std::optional<std::string> response = xml ? ReplyResponse(*xml) : std::nullopt;
    if (!response) return {{std::string(kNotAServer)}};
    if (*response != "SEND") return {{}, true};
  }
  return {PostInventory(http, url, inventory_xml, compress, inflate)};
}

}  // namespace zeltrand::server
