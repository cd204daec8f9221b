#include "server/ocs_client.h"

#include <algorithm>

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

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Unanswered(const HttpReply& reply) {
  const char* why = "ｻｰﾊﾞに接続できません (err=%d)";
  switch (reply.failure) {
    case HttpFailure::kTimeout:
      why = "ｻｰﾊﾞが時間内に応答しません (err=%d)";
      break;
    case HttpFailure::kName:
      why = "ｻｰﾊﾞ名が見つかりません (err=%d)";
      break;
    case HttpFailure::kCertificate:
      why = "ｻｰﾊﾞ証明書を信頼できません (err=%d)";
      break;
    case HttpFailure::kTls:
      why = "ｻｰﾊﾞとTLSで接続できません: 証明書と、TLS 1.2以上への対応を確かめてください (err=%d)";
      break;
    case HttpFailure::kNone:
    case HttpFailure::kConnect:
      break;
  }
  return FormatText(why, reply.error);
}

std::string Refused(int status) {
  if (status >= 300 && status < 400) {
    return FormatText("ｻｰﾊﾞが別のURLへ転送しようとしました (HTTP %d): Urlを転送先に直してください",
                      status);
  }
  switch (status) {
    case 401:
      return "ｻｰﾊﾞがﾕｰｻﾞｰ名かﾊﾟｽﾜｰﾄﾞを受け付けません (HTTP 401)";
    case 403:
      return "ｻｰﾊﾞが受け付けません (HTTP 403: 同じPCの情報を処理中か、ｻｰﾊﾞの設定で拒否)";
    case 404:
      return "ｻｰﾊﾞにそのURLがありません (HTTP 404): Urlのﾊﾟｽを確かめてください";
    default:
      return FormatText("ｻｰﾊﾞがｴﾗｰを返しました (HTTP %d)", status);
  }
}

}  // namespace

HttpTarget ServerTarget(std::string_view url, std::string_view user, std::string_view password) {
  HttpTarget target{std::string(url), std::string(user), std::string(password)};
  const std::size_t scheme = url.find("://");
  const std::size_t host = scheme == url.npos ? 0 : scheme + 3;
  const std::size_t authority_end = std::min(url.find_first_of("/?#", host), url.size());
  const std::size_t at = url.substr(0, authority_end).rfind('@');
  if (at == url.npos || at < host) return target;
  target.url = std::string(url.substr(0, host)) + std::string(url.substr(at + 1));
  if (user.empty()) {
    const std::string_view account = url.substr(host, at - host);
    const std::size_t colon = account.find(':');
    target.user = PercentDecoded(account.substr(0, colon));
    target.password = colon == account.npos ? "" : PercentDecoded(account.substr(colon + 1));
  }
  return target;
}

std::optional<std::string> ReplyResponse(std::string_view reply_xml) {
  const std::string_view reply = Between(reply_xml, "<REPLY>", "</REPLY>");
  const std::size_t open = reply.find("<RESPONSE>");
  if (open == reply.npos) return std::nullopt;
  const std::size_t close = reply.find("</RESPONSE>", open);
  if (close == reply.npos) return std::nullopt;
  return std::string(reply.substr(open + 10, close - open - 10));
}

std::string CheckReply(const HttpReply& reply, Inflater inflate) {
  if (reply.error != 0) return Unanswered(reply);
  if (reply.status != 200) return Refused(reply.status);
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

Delivery PostInventory(ServerLink& link, const HttpTarget& to, std::string_view inventory_xml) {
  const HttpReply reply =
      link.http.Post(to, kContentType, link.compress(inventory_xml), kServerTimeoutMs);
  return {CheckReply(reply, link.inflate), reply.error != 0, reply.status};
}

}  // namespace zeltrand::server
