#include "server/ocs_client.h"

#include "core/text_format.h"

namespace zeltrand::server {

namespace {

constexpr std::string_view kReplyType = "application/x-compress";  // "...ed" from the server
constexpr std::string_view kAccepted[] = {"NO_ACCOUNT_UPDATE", "ACCOUNT_UPDATE"};
constexpr const char* kReplyTooLong = "ｻｰﾊﾞの応答が長すぎます (64 KiB 超)";

std::string_view Between(std::string_view text, std::string_view open, std::string_view close) {
  const std::size_t start = text.find(open);
  if (start == text.npos) return {};
  const std::size_t end = text.find(close, start + open.size());
  if (end == text.npos) return {};
  return text.substr(start + open.size(), end - start - open.size());
}

}  // namespace

std::optional<std::string> ReplyResponse(std::string_view reply_xml) {
  const std::string_view reply = Between(reply_xml, "<REPLY>", "</REPLY>");
  const std::size_t open = reply.find("<RESPONSE>");
  if (open == reply.npos) return std::nullopt;
  const std::size_t close = reply.find("</RESPONSE>", open);
  if (close == reply.npos) return std::nullopt;
  return std::string(reply.substr(open + 10, close - open - 10));
}

std::string CheckReply(const HttpReply& reply, Inflater inflate) {
  if (reply.error != 0) return FormatText("ｻｰﾊﾞに接続できません (err=%d)", reply.error);
  if (reply.status != 200) return FormatText("ｻｰﾊﾞがｴﾗｰを返しました (HTTP %d)", reply.status);
  if (reply.too_long) return kReplyTooLong;
  if (!reply.content_type.starts_with(kReplyType) || !LooksLikeZlib(reply.body)) {
    return "ｻｰﾊﾞの応答がｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞのものではありません";
  }
  if (inflate == nullptr) return {};
  const std::optional<std::string> xml = inflate(reply.body, kInflatedReplyLimit);
  const std::optional<std::string> response = xml ? ReplyResponse(*xml) : std::nullopt;
  for (const std::string_view accepted : kAccepted) {
    if (response == accepted) return {};
  }
  return "ｻｰﾊﾞの応答がｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞのものではありません: " + response.value_or("");
}

Delivery PostInventory(Http& http, const std::string& url, std::string_view inventory_xml,
                       Compressor compress, Inflater inflate) {
  const HttpReply reply = http.Post(url, kContentType, compress(inventory_xml), kServerTimeoutMs);
  return {CheckReply(reply, inflate), reply.error != 0};
}

}  // namespace zeltrand::server
