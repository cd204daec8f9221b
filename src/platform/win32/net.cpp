#include "platform/win32/net.h"

// clang-format off
#include <winsock2.h>
#include <ws2tcpip.h>
// clang-format on

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/win32/text.h"

namespace zeltrand::win32 {

namespace {

constexpr WORD kWinSockVersion = MAKEWORD(1, 1);

// Waits until `socket` can be read (or written); 0, WSAETIMEDOUT or the
// error select gave.
int Wait(SOCKET socket, bool for_writing, unsigned timeout_ms) {
  fd_set ready, failed;
  FD_ZERO(&ready);
  FD_ZERO(&failed);
  FD_SET(socket, &ready);
  FD_SET(socket, &failed);
  timeval timeout{static_cast<long>(timeout_ms / 1000),
                  static_cast<long>(timeout_ms % 1000) * 1000};
  const int count =
      select(0, for_writing ? nullptr : &ready, for_writing ? &ready : nullptr, &failed, &timeout);
  if (count == SOCKET_ERROR) return WSAGetLastError();
  if (count == 0) return WSAETIMEDOUT;
  if (FD_ISSET(socket, &failed)) {
    int error = 0;
    int size = sizeof error;
    getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
    return error ? error : WSAECONNRESET;
  }
  return 0;
}

// Non-blocking from the start: connect, send and receive wait in select.
class Win32Connection final : public Connection {
 public:
  explicit Win32Connection(SOCKET socket) : socket_(socket) { MakeNonBlocking(); }
  ~Win32Connection() override { closesocket(socket_); }
  Win32Connection(const Win32Connection&) = delete;
  Win32Connection& operator=(const Win32Connection&) = delete;

  // The socket was made for IPv4; an IPv6 address needs one of its own.
  int Connect(NetAddress address, std::uint16_t port, unsigned timeout_ms) override {
    sockaddr_storage to{};
    int size = sizeof(sockaddr_in);
    if (address.is_ipv6) {
      const SOCKET v6 = socket(AF_INET6, SOCK_STREAM, 0);
      if (v6 == INVALID_SOCKET) return WSAGetLastError();
      closesocket(std::exchange(socket_, v6));
      MakeNonBlocking();
      auto& in6 = reinterpret_cast<sockaddr_in6&>(to);
      in6.sin6_family = AF_INET6;
      in6.sin6_port = htons(port);
      std::copy(address.ipv6.begin(), address.ipv6.end(), in6.sin6_addr.s6_addr);
      size = sizeof in6;
    } else {
      auto& in4 = reinterpret_cast<sockaddr_in&>(to);
      in4.sin_family = AF_INET;
      in4.sin_port = htons(port);
      in4.sin_addr.s_addr = address.ipv4;
    }
    if (connect(socket_, reinterpret_cast<const sockaddr*>(&to), size) == 0) return 0;
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK ? Wait(socket_, true, timeout_ms) : error;
  }

  int Send(std::string_view bytes, unsigned timeout_ms) override {
    while (!bytes.empty()) {
      const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 20));
      const int sent = send(socket_, bytes.data(), chunk, 0);
      if (sent == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) return error;
        if (const int waited = Wait(socket_, true, timeout_ms)) return waited;
        continue;
      }
      bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return 0;
  }

  Received Receive(std::size_t max_bytes, unsigned timeout_ms) override {
    if (const int waited = Wait(socket_, false, timeout_ms)) return {"", waited};
    std::string bytes(max_bytes, '\0');
    const int got = recv(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
    if (got == SOCKET_ERROR) return {"", WSAGetLastError()};
    bytes.resize(static_cast<std::size_t>(got));
    return {bytes, 0};
  }

 private:
  void MakeNonBlocking() {
    u_long non_blocking = 1;
    ioctlsocket(socket_, FIONBIO, &non_blocking);
  }

  SOCKET socket_;
};

}  // namespace

int Win32Net::Start() {
  WSADATA data;
  return WSAStartup(kWinSockVersion, &data);
}

void Win32Net::Stop() {
  WSACleanup();
}

std::uint64_t Win32Net::NowMs() {
  return GetTickCount64();
}

namespace {

// The first address of `family` the system gives for `text`.
std::optional<NetAddress> FirstAddress(const std::string& text, int family, int flags) {
  ADDRINFOW hints{};
  hints.ai_family = family;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  ADDRINFOW* found = nullptr;
  if (GetAddrInfoW(Widen(text).c_str(), nullptr, &hints, &found) != 0 || !found) {
    return std::nullopt;
  }
  NetAddress address{};
  if (family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(found->ai_addr);
    address.is_ipv6 = true;
    std::copy(std::begin(in6->sin6_addr.s6_addr), std::end(in6->sin6_addr.s6_addr),
              address.ipv6.begin());
  } else {
    address.ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  }
  FreeAddrInfoW(found);
  return address;
}

}  // namespace

std::optional<NetAddress> Win32Net::ParseAddress(const std::string& text) {
  if (text.find(':') != std::string::npos) return FirstAddress(text, AF_INET6, AI_NUMERICHOST);
  const unsigned long address = inet_addr(text.c_str());
  if (address == INADDR_NONE) return std::nullopt;
  return NetAddress{static_cast<std::uint32_t>(address)};
}

std::optional<NetAddress> Win32Net::LookUp(const std::string& name) {
  return FirstAddress(name, AF_INET, 0);
}

OpenedConnection Win32Net::Open() {
  const SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  if (s == INVALID_SOCKET) return {nullptr, WSAGetLastError()};
  return {std::make_unique<Win32Connection>(s), 0};
}

}  // namespace zeltrand::win32
