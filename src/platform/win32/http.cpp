#include "platform/win32/http.h"

#include <windows.h>

#include <winhttp.h>

#include <memory>

#include "core/base64.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

constexpr DWORD kAutomaticProxy = 4;  // WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, 8.1 on

// The entry points used, by the declarations of winhttp.h; none is imported.
struct WinHttp {
  SystemLibrary dll{L"winhttp.dll"};
  decltype(&WinHttpOpen) open = dll.Find<decltype(&WinHttpOpen)>("WinHttpOpen");
  decltype(&WinHttpCrackUrl) crack = dll.Find<decltype(&WinHttpCrackUrl)>("WinHttpCrackUrl");
  decltype(&WinHttpConnect) connect = dll.Find<decltype(&WinHttpConnect)>("WinHttpConnect");
  decltype(&WinHttpOpenRequest) open_request =
      dll.Find<decltype(&WinHttpOpenRequest)>("WinHttpOpenRequest");
  decltype(&WinHttpSetTimeouts) set_timeouts =
      dll.Find<decltype(&WinHttpSetTimeouts)>("WinHttpSetTimeouts");
  decltype(&WinHttpSetOption) set_option =
      dll.Find<decltype(&WinHttpSetOption)>("WinHttpSetOption");
  decltype(&WinHttpSendRequest) send =
      dll.Find<decltype(&WinHttpSendRequest)>("WinHttpSendRequest");
  decltype(&WinHttpReceiveResponse) receive =
      dll.Find<decltype(&WinHttpReceiveResponse)>("WinHttpReceiveResponse");
  decltype(&WinHttpQueryHeaders) query =
      dll.Find<decltype(&WinHttpQueryHeaders)>("WinHttpQueryHeaders");
  decltype(&WinHttpQueryDataAvailable) available =
      dll.Find<decltype(&WinHttpQueryDataAvailable)>("WinHttpQueryDataAvailable");
  decltype(&WinHttpReadData) read = dll.Find<decltype(&WinHttpReadData)>("WinHttpReadData");
  decltype(&WinHttpCloseHandle) close =
      dll.Find<decltype(&WinHttpCloseHandle)>("WinHttpCloseHandle");
  decltype(&WinHttpGetIEProxyConfigForCurrentUser) ie_proxy =
      dll.Find<decltype(&WinHttpGetIEProxyConfigForCurrentUser)>(
          "WinHttpGetIEProxyConfigForCurrentUser");
  decltype(&WinHttpGetProxyForUrl) proxy_for_url =
      dll.Find<decltype(&WinHttpGetProxyForUrl)>("WinHttpGetProxyForUrl");

  bool complete() const {
    return open && crack && connect && open_request && set_timeouts && set_option && send &&
           receive && query && available && read && close;
  }
};

struct Closer {
  decltype(&WinHttpCloseHandle) close;
  void operator()(void* handle) const { close(handle); }
};
using Handle = std::unique_ptr<void, Closer>;

// Windows before 8.1 has no "automatic" access: Internet Options' own
// settings, read here, stand in. A fixed proxy serves the whole session; an
// automatic configuration is asked for each address.
struct ProxySetting {
  HINTERNET session = nullptr;
  std::wstring auto_config_url;
  bool auto_detect = false;
};

ProxySetting OpenSession(const WinHttp& api) {
  const std::wstring user_agent = Widen(kHttpUserAgent);
  const wchar_t* agent = user_agent.c_str();
  if (HINTERNET s = api.open(agent, kAutomaticProxy, nullptr, nullptr, 0)) return {s, {}, false};
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG ie{};
  if (api.ie_proxy == nullptr || !api.ie_proxy(&ie)) {
    return {api.open(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0), {}, false};
  }
  ProxySetting setting;
  setting.auto_detect = ie.fAutoDetect != FALSE;
  if (ie.lpszAutoConfigUrl != nullptr) setting.auto_config_url = ie.lpszAutoConfigUrl;
  setting.session =
      ie.lpszProxy != nullptr
          ? api.open(agent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, ie.lpszProxy,
                     ie.lpszProxyBypass ? ie.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0)
          : api.open(agent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, nullptr, nullptr, 0);
  for (wchar_t* text : {ie.lpszAutoConfigUrl, ie.lpszProxy, ie.lpszProxyBypass}) {
    if (text != nullptr) GlobalFree(text);
  }
  return setting;
}

void ApplyAutomaticProxy(const WinHttp& api, const ProxySetting& setting, HINTERNET request,
                         const std::wstring& url) {
  if ((!setting.auto_detect && setting.auto_config_url.empty()) || api.proxy_for_url == nullptr)
    return;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.fAutoLogonIfChallenged = TRUE;
  if (setting.auto_config_url.empty()) {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  } else {
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = setting.auto_config_url.c_str();
  }
  WINHTTP_PROXY_INFO info{};
  if (!api.proxy_for_url(setting.session, url.c_str(), &options, &info)) return;
  api.set_option(request, WINHTTP_OPTION_PROXY, &info, sizeof info);
  if (info.lpszProxy != nullptr) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass != nullptr) GlobalFree(info.lpszProxyBypass);
}

HttpReply Failed(DWORD code = GetLastError()) {
  HttpReply reply;
  reply.error = static_cast<int>(code);
  switch (code) {
    case ERROR_WINHTTP_CANNOT_CONNECT:
    case ERROR_WINHTTP_CONNECTION_ERROR:
      reply.failure = HttpFailure::kConnect;
      break;
    case ERROR_WINHTTP_TIMEOUT:
      reply.failure = HttpFailure::kTimeout;
      break;
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      reply.failure = HttpFailure::kName;
      break;
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
      reply.failure = HttpFailure::kCertificate;
      break;
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      reply.failure = HttpFailure::kTls;
      break;
    default:
      break;
  }
  return reply;
}

HttpReply TimedOut() {
  return Failed(ERROR_WINHTTP_TIMEOUT);
}

// TLS 1.2 and 1.3 where the system has 1.3; never anything older. A
// system that has not even 1.2 fails the request.
bool AllowModernTlsOnly(const WinHttp& api, HINTERNET session) {
  constexpr DWORD kTls13 = 0x00002000;  // WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3, Windows 11 on
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | kTls13;
  if (api.set_option(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
    return true;
  }
  protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
  return api.set_option(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
}

// One deadline for the whole request. WinHTTP's own time-outs count from
// each step, or each packet of the reply: every step gets what is left.
class Deadline {
 public:
  explicit Deadline(unsigned ms) : end_(GetTickCount64() + ms) {}
  // Milliseconds; 0 once past (which WinHTTP would take for "no limit").
  DWORD Left() const {
    const ULONGLONG now = GetTickCount64();
    return now >= end_ ? 0 : static_cast<DWORD>(end_ - now);
  }

 private:
  ULONGLONG end_;
};

// The body, a piece at a time as it arrives, so that the deadline is
// looked at between pieces, up to the limit.
HttpReply ReadBody(const WinHttp& api, HINTERNET request, const Deadline& deadline,
                   HttpReply reply) {
  for (;;) {
    DWORD left = deadline.Left();
    if (left == 0) return TimedOut();
    api.set_option(request, WINHTTP_OPTION_RECEIVE_TIMEOUT, &left, sizeof left);
    DWORD ready = 0;
    if (!api.available(request, &ready)) return Failed();
    if (ready == 0) return reply;
    if (reply.body.size() + ready > kHttpReplyLimit) {
      reply.too_long = true;
      reply.body.clear();
      return reply;
    }
    const std::size_t at = reply.body.size();
    reply.body.resize(at + ready);
    DWORD got = 0;
    if (!api.read(request, reply.body.data() + at, ready, &got)) return Failed();
    reply.body.resize(at + got);
  }
}

HttpReply PostNow(const HttpTarget& to, std::string_view content_type, std::string_view body,
                  unsigned timeout_ms) {
  const WinHttp api;
  if (!api.complete()) return Failed(ERROR_MOD_NOT_FOUND);
  const std::wstring wide_url = Widen(to.url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!api.crack(wide_url.c_str(), 0, 0, &parts)) return Failed();
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo != nullptr ? parts.lpszExtraInfo : L"",
                                         parts.dwExtraInfoLength);

  const Deadline deadline(timeout_ms);
  const ProxySetting proxy = OpenSession(api);
  const Handle session(proxy.session, Closer{api.close});
  if (!session) return Failed();
  const bool https = parts.nScheme == INTERNET_SCHEME_HTTPS;
  if (https && !AllowModernTlsOnly(api, session.get())) {
    return Failed(ERROR_WINHTTP_SECURE_CHANNEL_ERROR);
  }
  const Handle connection(api.connect(session.get(), host.c_str(), parts.nPort, 0),
                          Closer{api.close});
  if (!connection) return Failed();
  const DWORD secure = https ? WINHTTP_FLAG_SECURE : 0;
  const Handle request(api.open_request(connection.get(), L"POST", path.c_str(), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure),
                       Closer{api.close});
  if (!request) return Failed();
  ApplyAutomaticProxy(api, proxy, request.get(), wide_url);
  DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  api.set_option(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof never);
  // A server that asks for a client certificate gets none, and may go on.
  if (https) api.set_option(request.get(), WINHTTP_OPTION_CLIENT_CERT_CONTEXT, nullptr, 0);
  const auto left = static_cast<int>(deadline.Left());
  if (left == 0) return TimedOut();
  api.set_timeouts(request.get(), left, left, left, left);
  std::wstring headers = L"Content-Type: " + Widen(content_type) + L"\r\n";
  // The account goes with the first request, so the inventory is sent once.
  if (!to.user.empty()) {
    headers += L"Authorization: Basic " + Widen(Base64(to.user + ":" + to.password)) + L"\r\n";
  }
  if (!api.send(request.get(), headers.c_str(), static_cast<DWORD>(-1L),
                const_cast<char*>(body.data()), static_cast<DWORD>(body.size()),
                static_cast<DWORD>(body.size()), 0)) {
    return Failed();
  }
  // The answer's head as a whole (the time-outs above count per packet).
  DWORD wait = deadline.Left();
  if (wait == 0) return TimedOut();
  api.set_option(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &wait, sizeof wait);
  if (!api.receive(request.get(), nullptr)) return Failed();
  HttpReply reply;
  DWORD status = 0;
  DWORD size = sizeof status;
  api.query(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  reply.status = static_cast<int>(status);
  size = 0;  // first the size, then the text
  api.query(request.get(), WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
            WINHTTP_NO_HEADER_INDEX);
  std::wstring type(size / sizeof(wchar_t) + 1, L'\0');
  if (size > 0 && api.query(request.get(), WINHTTP_QUERY_CONTENT_TYPE, WINHTTP_HEADER_NAME_BY_INDEX,
                            type.data(), &size, WINHTTP_NO_HEADER_INDEX)) {
    reply.content_type = Narrow(std::wstring_view(type.data(), size / sizeof(wchar_t)));
  }
  return ReadBody(api, request.get(), deadline, std::move(reply));
}

// A request on a thread of its own, so that the deadline holds whatever
// the system's HTTP does with its time-outs (some count a header that
// trickles in from each packet). One that overruns is left to finish on
// its own; it owns what it uses.
struct Job {
  HttpTarget to;
  std::string content_type;
  std::string body;
  unsigned timeout_ms = 0;
  HttpReply reply;
};

DWORD WINAPI RunJob(LPVOID parameter) {
  const std::unique_ptr<std::shared_ptr<Job>> job(static_cast<std::shared_ptr<Job>*>(parameter));
  Job& j = **job;
  j.reply = PostNow(j.to, j.content_type, j.body, j.timeout_ms);
  return 0;
}

}  // namespace

HttpReply Win32Http::Post(const HttpTarget& to, std::string_view content_type,
                          std::string_view body, unsigned timeout_ms) {
  constexpr DWORD kGraceMs = 2000;  // for the steps' own ends to come first
  const auto job =
      std::make_shared<Job>(Job{to, std::string(content_type), std::string(body), timeout_ms, {}});
  auto* handed = new std::shared_ptr<Job>(job);
  HANDLE thread = CreateThread(nullptr, 0, RunJob, handed, 0, nullptr);
  if (thread == nullptr) {
    delete handed;
    return Failed();
  }
  const DWORD waited = WaitForSingleObject(thread, timeout_ms + kGraceMs);
  CloseHandle(thread);
  if (waited != WAIT_OBJECT_0) return TimedOut();
  return job->reply;
}

}  // namespace zeltrand::win32
