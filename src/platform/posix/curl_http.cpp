#include "platform/posix/curl_http.h"

#include <curl/curl.h>

namespace zeltrand::posix {

namespace {

std::size_t Collect(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

CurlHttp::CurlHttp() : curl_(curl_easy_init()) {}

CurlHttp::~CurlHttp() {
  curl_easy_cleanup(static_cast<CURL*>(curl_));
}

HttpReply CurlHttp::Post(const std::string& url, std::string_view content_type,
                         std::string_view body, unsigned timeout_ms) {
  HttpReply reply;
  CURL* curl = static_cast<CURL*>(curl_);
  if (curl == nullptr) return {CURLE_FAILED_INIT, 0, {}, {}};
  const std::string type = "Content-Type: " + std::string(content_type);
  curl_slist* headers = curl_slist_append(nullptr, type.c_str());
  headers = curl_slist_append(headers, "Expect:");  // no wait for "100 Continue"
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kHttpUserAgent);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // A server that says nothing for this long at any step is away.
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(timeout_ms));
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>((timeout_ms + 999) / 1000));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply.body);
  const CURLcode result = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  if (result != CURLE_OK) return {static_cast<int>(result), 0, {}, {}};
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  reply.status = static_cast<int>(status);
  char* type_text = nullptr;
  curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type_text);
  if (type_text != nullptr) reply.content_type = type_text;
  return reply;
}

}  // namespace zeltrand::posix
