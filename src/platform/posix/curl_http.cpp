#include "platform/posix/curl_http.h"

#include <curl/curl.h>

namespace zeltrand::posix {

namespace {

// Stops the transfer (a write error) at a reply longer than the limit.
std::size_t Collect(char* data, std::size_t size, std::size_t count, void* reply) {
  HttpReply& to = *static_cast<HttpReply*>(reply);
  if (to.body.size() + size * count > kHttpReplyLimit) {
    to.too_long = true;
    return 0;
  }
  to.body.append(data, size * count);
  return size * count;
}

HttpReply Failed(CURLcode code) {
  HttpReply reply;
  reply.error = static_cast<int>(code);
  switch (code) {
    case CURLE_COULDNT_CONNECT:
      reply.failure = HttpFailure::kConnect;
      break;
    case CURLE_OPERATION_TIMEDOUT:
      reply.failure = HttpFailure::kTimeout;
      break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      reply.failure = HttpFailure::kName;
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      reply.failure = HttpFailure::kCertificate;
      break;
    case CURLE_SSL_CONNECT_ERROR:
      reply.failure = HttpFailure::kTls;
      break;
    default:
      break;
  }
  return reply;
}

}  // namespace

CurlHttp::CurlHttp() : curl_(curl_easy_init()) {}

CurlHttp::~CurlHttp() {
  curl_easy_cleanup(static_cast<CURL*>(curl_));
}

HttpReply CurlHttp::Post(const HttpTarget& to, std::string_view content_type, std::string_view body,
                         unsigned timeout_ms) {
  HttpReply reply;
  CURL* curl = static_cast<CURL*>(curl_);
  if (curl == nullptr) return Failed(CURLE_FAILED_INIT);
  const std::string type = "Content-Type: " + std::string(content_type);
  curl_slist* headers = curl_slist_append(nullptr, type.c_str());
  headers = curl_slist_append(headers, "Expect:");  // no wait for "100 Continue"
  curl_easy_setopt(curl, CURLOPT_URL, to.url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  if (!to.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
    curl_easy_setopt(curl, CURLOPT_USERNAME, to.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, to.password.c_str());
  } else {
    curl_easy_setopt(curl, CURLOPT_USERNAME, nullptr);
    curl_easy_setopt(curl, CURLOPT_PASSWORD, nullptr);
  }
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // One deadline for the whole request: a server that sends a byte now and
  // then holds it no longer than one that sends nothing.
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout_ms));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout_ms));
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kHttpReplyLimit));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  const CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  if (reply.too_long || result == CURLE_FILESIZE_EXCEEDED) {
    reply.too_long = true;
    reply.body.clear();
  } else if (result != CURLE_OK) {
    return Failed(result);
  }
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  reply.status = static_cast<int>(status);
  char* type_text = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type_text);
  if (type_text != nullptr) reply.content_type = type_text;
  return reply;
}

}  // namespace zeltrand::posix
