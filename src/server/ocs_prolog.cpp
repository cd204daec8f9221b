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

namespace {

Offer OfferOnce(ServerLink& link, const HttpTarget& to, std::string_view inventory_xml) {
  const HttpReply reply =
      link.http.Post(to, kContentType, link.compress(PrologXml(inventory_xml)), kServerTimeoutMs);
  if (reply.error != 0 || reply.status != kUnknownAgent) {
    if (std::string problem = CheckReply(reply, nullptr); !problem.empty()) {
      return {{std::move(problem), reply.error != 0, reply.status}};
    }
    const std::optional<std::string> xml = link.inflate(reply.body, kInflatedReplyLimit);
    const std::optional<std::string> response = xml ? ReplyResponse(*xml) : std::nullopt;
    if (!response) return {{std::string(kNotAServer)}};
    if (*response != "SEND") return {{}, true};
  }
  return {PostInventory(link, to, inventory_xml)};
}

}  // namespace

Offer OfferInventory(ServerLink& link, const HttpTarget& to, std::string_view inventory_xml) {
  constexpr int kForbidden = 403;
  Offer offer = OfferOnce(link, to, inventory_xml);
  if (offer.delivery.status != kForbidden) return offer;
  link.clock.Sleep(kLockedRetryMs);
  return OfferOnce(link, to, inventory_xml);
}

}  // namespace zeltrand::server
