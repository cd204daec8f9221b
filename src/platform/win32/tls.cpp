// TLS over a mail connection with the system's own TLS (Schannel, through
// SSPI): nothing is bundled, and Windows Update keeps it current. secur32
// and crypt32 are loaded from the system folder when the first mail needs
// them. TLS 1.2 at least; 1.3 where the system has it.
//
// Schannel is told not to judge the server's certificate itself: the
// program asks the system's chain engine, as a browser would (SSL policy,
// the name typed in the box), so that it can say why a certificate is not
// trusted and can trust the one certificate the settings name.
//
// A server that asks for a client certificate (SEC_I_INCOMPLETE_CREDENTIALS)
// gets none, as Schannel documents: the handshake simply goes on. Records
// that carry no text count toward the same 64 KiB as a reply would, and
// every wait ends by the session's end.
#include "platform/win32/net.h"

// clang-format off
#include <windows.h>
#include <wincrypt.h>
#include <subauth.h>
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <sspi.h>
#include <schannel.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>

#include "platform/tls_records.h"
#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

constexpr unsigned kHandshakeTimeoutMs = 30000;
constexpr unsigned kGoodbyeTimeoutMs = 2000;
// Past this many bytes without a handshake's end, or without a byte of text,
// the server is only keeping the line busy.
constexpr std::size_t kNoTextLimit = 65536;
constexpr int kTooLong = WSAEMSGSIZE;
constexpr DWORD kIgnoreName = 0x00001000;  // SECURITY_FLAG_IGNORE_CERT_CN_INVALID of wininet.h
constexpr ULONG kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT |
                                ISC_REQ_CONFIDENTIALITY | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;
constexpr int kTlsBroken = WSAECONNRESET;

PSecurityFunctionTableW SecurityFunctions() {
  static const SystemLibrary secur32(L"secur32.dll");
  static const PSecurityFunctionTableW table = [] {
    const auto init = secur32.Find<INIT_SECURITY_INTERFACE_W>("InitSecurityInterfaceW");
    return init ? init() : nullptr;
  }();
  return table;
}

struct CertificateFunctions {
  decltype(&CertGetCertificateChain) get_chain;
  decltype(&CertVerifyCertificateChainPolicy) verify_policy;
  decltype(&CertFreeCertificateChain) free_chain;
  decltype(&CertFreeCertificateContext) free_certificate;
  decltype(&CryptHashCertificate2) hash;
  decltype(&CertFindExtension) find_extension;
  decltype(&CryptDecodeObjectEx) decode;
};

const CertificateFunctions* Crypt32() {
  static const SystemLibrary crypt32(L"crypt32.dll");
  static const CertificateFunctions functions{
      crypt32.Find<decltype(&CertGetCertificateChain)>("CertGetCertificateChain"),
      crypt32.Find<decltype(&CertVerifyCertificateChainPolicy)>("CertVerifyCertificateChainPolicy"),
      crypt32.Find<decltype(&CertFreeCertificateChain)>("CertFreeCertificateChain"),
      crypt32.Find<decltype(&CertFreeCertificateContext)>("CertFreeCertificateContext"),
      crypt32.Find<decltype(&CryptHashCertificate2)>("CryptHashCertificate2"),
      crypt32.Find<decltype(&CertFindExtension)>("CertFindExtension"),
      crypt32.Find<decltype(&CryptDecodeObjectEx)>("CryptDecodeObjectEx")};
  const bool complete = functions.get_chain && functions.verify_policy && functions.free_chain &&
                        functions.free_certificate && functions.hash && functions.find_extension &&
                        functions.decode;
  return complete ? &functions : nullptr;
}

// The chain engine's verdict in the words the user is told.
TlsCheck CheckOf(DWORD policy_error) {
  switch (policy_error) {
    case 0:
      return TlsCheck::kTrusted;
    case static_cast<DWORD>(CERT_E_EXPIRED):
      return TlsCheck::kExpired;
    case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
      return TlsCheck::kWrongName;
    case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
    case static_cast<DWORD>(CERT_E_CHAINING):
    case static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT):
      return TlsCheck::kUnknownIssuer;
    case static_cast<DWORD>(CERT_E_WRONG_USAGE):
      return TlsCheck::kWrongUsage;
    case static_cast<DWORD>(TRUST_E_BASIC_CONSTRAINTS):
      return TlsCheck::kBasicConstraints;
    case static_cast<DWORD>(TRUST_E_EXPLICIT_DISTRUST):
      return TlsCheck::kDistrusted;
    default:
      return TlsCheck::kRejected;
  }
}

// True when the certificate names `address` (4 or 16 bytes) as an
// iPAddress of its subjectAltName (RFC 6125: an address typed is matched
// there only; not every chain engine looks there itself).
bool NamesAddress(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate,
                  const std::string& address) {
  const CERT_INFO& info = *certificate->pCertInfo;
  const PCERT_EXTENSION names =
      crypt.find_extension(szOID_SUBJECT_ALT_NAME2, info.cExtension, info.rgExtension);
  CERT_ALT_NAME_INFO* decoded = nullptr;
  DWORD size = 0;
  if (names == nullptr ||
      !crypt.decode(X509_ASN_ENCODING, X509_ALTERNATE_NAME, names->Value.pbData,
                    names->Value.cbData, CRYPT_DECODE_ALLOC_FLAG, nullptr, &decoded, &size)) {
    return false;
  }
  bool found = false;
  for (const CERT_ALT_NAME_ENTRY& entry : std::span(decoded->rgAltEntry, decoded->cAltEntry)) {
    found = found || (entry.dwAltNameChoice == CERT_ALT_NAME_IP_ADDRESS &&
                      entry.IPAddress.cbData == address.size() &&
                      std::memcmp(entry.IPAddress.pbData, address.data(), address.size()) == 0);
  }
  LocalFree(decoded);
  return found;
}

// The last error as a status; never 0, which would read as success.
long LastErrorStatus() {
  const DWORD error = GetLastError();
  return error ? static_cast<long>(HRESULT_FROM_WIN32(error)) : static_cast<long>(E_FAIL);
}

// The chain's own status, before the SSL policy: Wine's policy passes a
// chain whose issuer was never found.
constexpr std::pair<DWORD, TlsCheck> kChainTrust[] = {
    {CERT_TRUST_IS_EXPLICIT_DISTRUST, TlsCheck::kDistrusted},
    {CERT_TRUST_IS_UNTRUSTED_ROOT | CERT_TRUST_IS_PARTIAL_CHAIN |
         CERT_TRUST_IS_NOT_SIGNATURE_VALID | CERT_TRUST_IS_CYCLIC,
     TlsCheck::kUnknownIssuer},
    {CERT_TRUST_IS_NOT_TIME_VALID, TlsCheck::kExpired},
    {CERT_TRUST_INVALID_BASIC_CONSTRAINTS, TlsCheck::kBasicConstraints},
    {CERT_TRUST_IS_NOT_VALID_FOR_USAGE, TlsCheck::kWrongUsage},
};

// TLS 1.2 and up. Systems before the SCH_CREDENTIALS form (Windows 7 to 10
// 1809) take the older one, which cannot ask for TLS 1.3 but has no 1.3.
SECURITY_STATUS AcquireCredentials(PSecurityFunctionTableW sspi, CredHandle& credentials) {
  constexpr DWORD kFlags = SCH_CRED_MANUAL_CRED_VALIDATION | SCH_CRED_NO_DEFAULT_CREDS;
  TLS_PARAMETERS parameters{};
  parameters.grbitDisabledProtocols =
      SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
  SCH_CREDENTIALS modern{};
  modern.dwVersion = SCH_CREDENTIALS_VERSION;
  modern.dwFlags = kFlags | SCH_USE_STRONG_CRYPTO;
  modern.cTlsParameters = 1;
  modern.pTlsParameters = &parameters;
  wchar_t package[] = UNISP_NAME_W;
  if (sspi->AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &modern,
                                      nullptr, nullptr, &credentials, nullptr) == SEC_E_OK) {
    return SEC_E_OK;
  }
  SCHANNEL_CRED older{};
  older.dwVersion = SCHANNEL_CRED_VERSION;
  older.grbitEnabledProtocols = SP_PROT_TLS1_2_CLIENT;
  older.dwFlags = kFlags;
  return sspi->AcquireCredentialsHandleW(nullptr, package, SECPKG_CRED_OUTBOUND, nullptr, &older,
                                         nullptr, nullptr, &credentials, nullptr);
}

class SchannelConnection final : public Connection {
 public:
  // `address`: the bytes of the address typed in the box, empty for a name.
  SchannelConnection(Connection& plain, PSecurityFunctionTableW sspi, std::wstring target,
                     std::string address, std::uint64_t end_ms)
      : plain_(plain),
        reader_(plain),
        sspi_(sspi),
        target_(std::move(target)),
        address_(std::move(address)),
        end_ms_(end_ms) {}
  ~SchannelConnection() override {
    if (established_) SayGoodbye();
    if (has_context_) sspi_->DeleteSecurityContext(&context_);
    if (has_credentials_) sspi_->FreeCredentialsHandle(&credentials_);
  }
  SchannelConnection(const SchannelConnection&) = delete;
  SchannelConnection& operator=(const SchannelConnection&) = delete;

  // 0 once the handshake is done, else the system's status.
  SECURITY_STATUS Start() {
    SECURITY_STATUS status = AcquireCredentials(sspi_, credentials_);
    if (status != SEC_E_OK) return status;
    has_credentials_ = true;
    status = Handshake({}, kHandshakeTimeoutMs);
    if (status != SEC_E_OK) return status;
    established_ = true;
    // Wine takes the disabled protocols of SCH_CREDENTIALS as a wish only.
    SecPkgContext_ConnectionInfo connection{};
    status = sspi_->QueryContextAttributesW(&context_, SECPKG_ATTR_CONNECTION_INFO, &connection);
    if (status != SEC_E_OK) return status;
    constexpr DWORD kTooOld =
        SP_PROT_SSL2_CLIENT | SP_PROT_SSL3_CLIENT | SP_PROT_TLS1_0_CLIENT | SP_PROT_TLS1_1_CLIENT;
    if (connection.dwProtocol & kTooOld) return SEC_E_UNSUPPORTED_FUNCTION;
    tls13_ = (connection.dwProtocol & SP_PROT_TLS1_3_CLIENT) != 0;
    return sspi_->QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_);
  }

  // The pinned certificate and no other when one is pinned, else the chain
  // to a trusted root and the name.
  TlsCheck Check(const TlsRequest& request, long& error) {
    const CertificateFunctions* crypt = Crypt32();
    PCCERT_CONTEXT certificate = nullptr;
    if (!crypt) {
      error = HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
      return TlsCheck::kUncheckable;
    }
    error =
        sspi_->QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &certificate);
    if (error != SEC_E_OK || certificate == nullptr) {
      if (error == SEC_E_OK) error = SEC_E_NO_CREDENTIALS;
      return TlsCheck::kUncheckable;
    }
    TlsCheck check = TlsCheck::kNotPinned;
    if (request.pinned_sha256.empty()) {
      check = ChainCheck(*crypt, certificate, error);
    } else if (Pinned(*crypt, certificate, request.pinned_sha256)) {
      check = TlsCheck::kTrusted;
    }
    crypt->free_certificate(certificate);
    return check;
  }

  int Connect(NetAddress, std::uint16_t, unsigned) override { return 0; }

  int Send(std::string_view bytes, unsigned timeout_ms) override {
    while (!bytes.empty()) {
      const std::size_t n = std::min<std::size_t>(bytes.size(), sizes_.cbMaximumMessage);
      std::string packet(sizes_.cbHeader + n + sizes_.cbTrailer, '\0');
      std::memcpy(packet.data() + sizes_.cbHeader, bytes.data(), n);
      SecBuffer buffers[4] = {
          {sizes_.cbHeader, SECBUFFER_STREAM_HEADER, packet.data()},
          {static_cast<ULONG>(n), SECBUFFER_DATA, packet.data() + sizes_.cbHeader},
          {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, packet.data() + sizes_.cbHeader + n},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      if (sspi_->EncryptMessage(&context_, 0, &message, 0) != SEC_E_OK) return kTlsBroken;
      const std::size_t size = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
      if (const int error = plain_.Send(std::string_view(packet.data(), size), timeout_ms)) {
        return error;
      }
      bytes.remove_prefix(n);
    }
    return 0;
  }

  // One record at a time. A record that carries no data (a TLS 1.3 session
  // ticket) is read past; a renegotiation runs the handshake again; the
  // server's close-notify reads as a closed connection.
  Received Receive(std::size_t max_bytes, unsigned timeout_ms) override {
    while (plaintext_.empty()) {
      if (closed_) return {};
      if (no_text_ > kNoTextLimit) return {"", kTooLong};
      TlsRecord record = reader_.Next([&] { return WaitMs(timeout_ms); });
      if (record.bytes.empty()) return {"", record.error};
      no_text_ += record.bytes.size();
      SecBuffer buffers[4] = {
          {static_cast<ULONG>(record.bytes.size()), SECBUFFER_DATA, record.bytes.data()},
          {0, SECBUFFER_EMPTY, nullptr},
          {0, SECBUFFER_EMPTY, nullptr},
          {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc message{SECBUFFER_VERSION, 4, buffers};
      const SECURITY_STATUS status = sspi_->DecryptMessage(&context_, &message, 0, nullptr);
      if (status == SEC_I_CONTEXT_EXPIRED) {
        closed_ = true;
        continue;
      }
      if (status != SEC_E_OK && status != SEC_I_RENEGOTIATE) return {"", kTlsBroken};
      // Buffer 0 held the record; what came of it is in the others.
      std::string extra;
      for (const SecBuffer& b : std::span(buffers).subspan(1)) {
        const char* data = static_cast<const char*>(b.pvBuffer);
        if (b.BufferType == SECBUFFER_DATA && b.cbBuffer != 0) {
          plaintext_.append(data, b.cbBuffer);
          no_text_ = 0;
        }
        if (b.BufferType == SECBUFFER_EXTRA) extra.assign(data, b.cbBuffer);
      }
      if (status == SEC_E_OK) {
        reader_.PutBack(extra);
        continue;
      }
      // TLS 1.3 sends tickets and key updates this way. A TLS 1.2
      // renegotiation could bring another certificate: it is refused.
      if (!tls13_ || Handshake(std::move(extra), timeout_ms) != SEC_E_OK) return {"", kTlsBroken};
    }
    const std::size_t n = std::min(max_bytes, plaintext_.size());
    Received got{plaintext_.substr(0, n), 0};
    plaintext_.erase(0, n);
    return got;
  }

 private:
  // Runs the handshake to its end, from what the server sent (`input`)
  // and what comes record by record.
  SECURITY_STATUS Handshake(std::string input, unsigned timeout_ms) {
    std::size_t taken = input.size();
    int unanswered_requests = 0;
    for (;;) {
      SecBuffer in[2] = {{static_cast<ULONG>(input.size()), SECBUFFER_TOKEN, input.data()},
                         {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc in_desc{SECBUFFER_VERSION, 2, in};
      SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
      SecBufferDesc out_desc{SECBUFFER_VERSION, 1, out};
      ULONG attributes = 0;
      const SECURITY_STATUS status = sspi_->InitializeSecurityContextW(
          &credentials_, has_context_ ? &context_ : nullptr, target_.data(), kContextFlags, 0, 0,
          has_context_ ? &in_desc : nullptr, 0, &context_, &out_desc, &attributes, nullptr);
      if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) has_context_ = true;
      if (const int error = SendToken(out[0], timeout_ms)) return HRESULT_FROM_WIN32(error);
      // The server asked for a certificate: with none to give, the same
      // input again answers it with an empty one.
      if (status == SEC_I_INCOMPLETE_CREDENTIALS && ++unanswered_requests < 3) continue;
      if (status != SEC_E_INCOMPLETE_MESSAGE) {
        input = in[1].BufferType == SECBUFFER_EXTRA ? input.substr(input.size() - in[1].cbBuffer)
                                                    : std::string();
        if (status == SEC_E_OK) {
          reader_.PutBack(input);
          return SEC_E_OK;
        }
        if (status != SEC_I_CONTINUE_NEEDED) return status;
        if (!input.empty()) continue;
      }
      if (taken > kNoTextLimit) return HRESULT_FROM_WIN32(kTooLong);
      const TlsRecord record = reader_.Next([&] { return WaitMs(timeout_ms); });
      if (record.bytes.empty()) return HRESULT_FROM_WIN32(record.error ? record.error : kTlsBroken);
      taken += record.bytes.size();
      input += record.bytes;
    }
  }

  // Sends and frees a token the system made; 0 or the error number.
  int SendToken(SecBuffer& token, unsigned timeout_ms) {
    if (token.pvBuffer == nullptr) return 0;
    const unsigned wait = WaitMs(timeout_ms);
    int error = 0;
    if (token.cbBuffer != 0) {
      error = wait == 0
                  ? TlsRecordReader::kTimedOut
                  : plain_.Send(
                        std::string_view(static_cast<char*>(token.pvBuffer), token.cbBuffer), wait);
    }
    sspi_->FreeContextBuffer(token.pvBuffer);
    token.pvBuffer = nullptr;
    return error;
  }

  // close_notify, so that the server sees an orderly end; not waited for.
  void SayGoodbye() {
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer shutdown[1] = {{sizeof type, SECBUFFER_TOKEN, &type}};
    SecBufferDesc shutdown_desc{SECBUFFER_VERSION, 1, shutdown};
    if (sspi_->ApplyControlToken(&context_, &shutdown_desc) != SEC_E_OK) return;
    SecBuffer out[1] = {{0, SECBUFFER_TOKEN, nullptr}};
    SecBufferDesc out_desc{SECBUFFER_VERSION, 1, out};
    ULONG attributes = 0;
    sspi_->InitializeSecurityContextW(&credentials_, &context_, target_.data(), kContextFlags, 0, 0,
                                      nullptr, 0, &context_, &out_desc, &attributes, nullptr);
    SendToken(out[0], kGoodbyeTimeoutMs);
  }

  // What a wait may take: `limit_ms`, or less as the session's end nears.
  unsigned WaitMs(unsigned limit_ms) const {
    const std::uint64_t now = GetTickCount64();
    return now >= end_ms_ ? 0
                          : static_cast<unsigned>(std::min<std::uint64_t>(limit_ms, end_ms_ - now));
  }

  static bool Pinned(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate,
                     const std::string& pinned) {
    if (pinned.size() != 32) return false;
    BYTE hash[32];
    DWORD size = sizeof hash;
    return crypt.hash(L"SHA256", 0, nullptr, certificate->pbCertEncoded, certificate->cbCertEncoded,
                      hash, &size) &&
           size == sizeof hash && std::memcmp(hash, pinned.data(), sizeof hash) == 0;
  }

  // No revocation check: many office networks cannot reach the lists, and
  // the wait would hold every mail.
  TlsCheck ChainCheck(const CertificateFunctions& crypt, PCCERT_CONTEXT certificate, long& error) {
    char server_auth[] = szOID_PKIX_KP_SERVER_AUTH;
    LPSTR usages[] = {server_auth};
    CERT_CHAIN_PARA chain_para{};
    chain_para.cbSize = sizeof chain_para;
    chain_para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
    chain_para.RequestedUsage.Usage.cUsageIdentifier = 1;
    chain_para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!crypt.get_chain(nullptr, certificate, nullptr, certificate->hCertStore, &chain_para, 0,
                         nullptr, &chain)) {
      error = LastErrorStatus();
      return TlsCheck::kUncheckable;
    }
    const DWORD trust = chain->TrustStatus.dwErrorStatus;
    for (const auto& [bits, check] : kChainTrust) {
      if (trust & bits) {
        crypt.free_chain(chain);
        return check;
      }
    }
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
    ssl.cbSize = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = target_.data();
    if (!address_.empty()) ssl.fdwChecks = kIgnoreName;
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL verified = crypt.verify_policy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    crypt.free_chain(chain);
    error = verified ? static_cast<long>(status.dwError) : LastErrorStatus();
    if (!verified) return TlsCheck::kUncheckable;
    const TlsCheck check = CheckOf(status.dwError);
    if (check != TlsCheck::kTrusted || address_.empty()) return check;
    return NamesAddress(crypt, certificate, address_) ? check : TlsCheck::kWrongName;
  }

  Connection& plain_;
  TlsRecordReader reader_;
  PSecurityFunctionTableW sspi_;
  std::wstring target_;
  std::string address_;
  CredHandle credentials_{};
  CtxtHandle context_{};
  bool has_credentials_ = false;
  std::uint64_t end_ms_;
  bool has_context_ = false;
  bool established_ = false;
  bool tls13_ = false;
  SecPkgContext_StreamSizes sizes_{};
  std::string plaintext_;
  std::size_t no_text_ = 0;  // record bytes since the last that carried text
  bool closed_ = false;
};

}  // namespace

SecuredConnection Win32Net::Secure(Connection& plain, const TlsRequest& request) {
  const PSecurityFunctionTableW sspi = SecurityFunctions();
  if (sspi == nullptr) return {nullptr, TlsCheck::kFailed, SEC_E_SECPKG_NOT_FOUND};
  std::string address;
  if (const std::optional<NetAddress> typed = ParseAddress(request.host)) {
    address = typed->is_ipv6 ? std::string(reinterpret_cast<const char*>(typed->ipv6.data()), 16)
                             : std::string(reinterpret_cast<const char*>(&typed->ipv4), 4);
  }
  auto secured = std::make_unique<SchannelConnection>(plain, sspi, Widen(request.host),
                                                      std::move(address), request.end_ms);
  if (const SECURITY_STATUS status = secured->Start()) return {nullptr, TlsCheck::kFailed, status};
  long error = 0;
  const TlsCheck check = secured->Check(request, error);
  if (check != TlsCheck::kTrusted) return {nullptr, check, error};
  return {std::move(secured), TlsCheck::kTrusted, 0};
}

}  // namespace zeltrand::win32
