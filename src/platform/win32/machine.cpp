#include "platform/win32/machine.h"

// clang-format off
#include <winsock2.h>
#include <windows.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <iterator>

#include "platform/win32/system_library.h"
#include "platform/win32/text.h"

namespace zeltrand::win32 {
namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOEXW*);
using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCWSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                           PULARGE_INTEGER);
using FreeResourcesFn = int(WINAPI*)(int);

GetDiskFreeSpaceExFn ExtendedDiskSpaceCall() {
  return Entry<GetDiskFreeSpaceExFn>(GetModuleHandleW(L"kernel32.dll"), "GetDiskFreeSpaceExW");
}

// Calls `get(buffer, &size)` with a buffer that grows as long as the call
// asks for more; these calls report the size they need.
template <typename Get>
std::optional<std::string> GrowingName(Get get, DWORD first_size) {
  std::wstring name(first_size, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(name.size());
    if (get(name.data(), &size)) {
      name.resize(wcsnlen(name.data(), name.size()));
      return Narrow(name);
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INSUFFICIENT_BUFFER && error != ERROR_BUFFER_OVERFLOW) break;
    name.assign(std::max<size_t>(size, name.size() * 2), L'\0');
  }
  return std::nullopt;
}

}  // namespace

// The offset is what lies between the local and the UTC clock right now,
// summer time included.
LocalTime Win32Machine::Now() {
  SYSTEMTIME t, utc;
  GetSystemTime(&utc);
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &t);
  FILETIME local_ft, utc_ft;
  SystemTimeToFileTime(&t, &local_ft);
  SystemTimeToFileTime(&utc, &utc_ft);
  const auto ticks = [](const FILETIME& f) {
    return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                  f.dwLowDateTime);
  };
  const auto offset = static_cast<int>((ticks(local_ft) - ticks(utc_ft)) / 600000000LL);
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, offset};
}

std::uint32_t Win32Machine::TickCount() {
  return GetTickCount();
}

// The version the system really runs: RtlGetVersion ignores the
// compatibility shims that make GetVersionEx answer 6.2 to some programs.
OsVersion Win32Machine::Version() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
  const auto rtl_get_version =
      Entry<RtlGetVersionFn>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
  if (rtl_get_version == nullptr || rtl_get_version(&info) != 0) {
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return {};
  }
  return {info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, info.dwPlatformId,
          Narrow(std::wstring_view(info.szCSDVersion,
                                   wcsnlen(info.szCSDVersion, std::size(info.szCSDVersion))))};
}

std::optional<MemoryStatus> Win32Machine::Memory() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return std::nullopt;
  return MemoryStatus{status.ullTotalPhys, status.ullAvailPhys};
}

std::string Win32Machine::SystemDirectory() {
  std::wstring directory(MAX_PATH, L'\0');
  UINT n = GetSystemDirectoryW(directory.data(), static_cast<UINT>(directory.size()));
  if (n >= directory.size()) {
    directory.assign(n, L'\0');
    n = GetSystemDirectoryW(directory.data(), static_cast<UINT>(directory.size()));
  }
  if (n == 0 || n >= directory.size()) return {};
  directory.resize(n);
  return Narrow(directory);
}

bool Win32Machine::HasExtendedDiskSpace() {
  return ExtendedDiskSpaceCall() != nullptr;
}

std::optional<DiskSpace> Win32Machine::ExtendedDiskSpace(std::string_view root) {
  const auto call = ExtendedDiskSpaceCall();
  ULARGE_INTEGER free_to_caller{};
  ULARGE_INTEGER total{};
  if (call == nullptr || !call(Widen(root).c_str(), &free_to_caller, &total, nullptr)) {
    return std::nullopt;
  }
  return DiskSpace{free_to_caller.QuadPart, total.QuadPart};
}

std::optional<DiskClusters> Win32Machine::LegacyDiskSpace(std::string_view root) {
  DWORD sectors = 0, bytes = 0, free_clusters = 0, total_clusters = 0;
  if (!GetDiskFreeSpaceW(Widen(root).c_str(), &sectors, &bytes, &free_clusters, &total_clusters)) {
    return std::nullopt;
  }
  return DiskClusters{sectors, bytes, free_clusters, total_clusters};
}

std::optional<std::uint32_t> Win32Machine::VolumeSerial(std::string_view root) {
  DWORD serial = 0;
  if (!GetVolumeInformationW(Widen(root).c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr,
                             0)) {
    return std::nullopt;
  }
  return serial;
}

// Only from the system folder, where the 95/98/Me family keeps it: a copy
// in the program's folder, often a shared one, must not be run.
std::optional<FreeResources> Win32Machine::FreeSystemResources() {
  HMODULE library = LoadSystemLibrary(L"rsrc32.dll");
  if (library == nullptr) return std::nullopt;
  std::optional<FreeResources> result;
  if (const auto get = Entry<FreeResourcesFn>(library, "_MyGetFreeSystemResources32@4")) {
    result = FreeResources{get(1), get(2)};
  }
  FreeLibrary(library);
  return result;
}

std::optional<std::uint16_t> Win32Machine::StartWinsock(std::uint16_t version) {
  WSADATA data{};
  if (WSAStartup(version, &data) != 0) return std::nullopt;
  return data.wHighVersion;
}

void Win32Machine::StopWinsock() {
  WSACleanup();
}

std::optional<std::string> Win32Machine::UserName() {
  return GrowingName([](wchar_t* buffer, DWORD* size) { return GetUserNameW(buffer, size); }, 257);
}

std::optional<std::string> Win32Machine::ComputerName() {
  return GrowingName([](wchar_t* buffer, DWORD* size) { return GetComputerNameW(buffer, size); },
                     MAX_COMPUTERNAME_LENGTH + 1);
}

// Host names are plain ASCII; 256 bytes hold any of them.
std::optional<std::string> Win32Machine::HostName() {
  std::string name(256, '\0');
  if (gethostname(name.data(), static_cast<int>(name.size())) != 0) return std::nullopt;
  name.resize(strnlen(name.data(), name.size()));
  return name;
}

std::optional<Ipv4Address> Win32Machine::HostAddress(std::string_view host) {
  const hostent* entry = gethostbyname(std::string(host).c_str());
  if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 ||
      entry->h_addr_list[0] == nullptr) {
    return std::nullopt;
  }
  Ipv4Address address;
  std::memcpy(address.data(), entry->h_addr_list[0], address.size());
  return address;
}

// Looked up rather than imported: the call came with Vista x64 and XP SP2's
// server editions. A table grows when the firmware is updated, so the size
// is asked for again until it holds still.
std::vector<std::uint8_t> Win32Machine::SmbiosTable() {
  using GetFirmwareTableFn = UINT(WINAPI*)(DWORD, DWORD, PVOID, DWORD);
  const auto get =
      Entry<GetFirmwareTableFn>(GetModuleHandleW(L"kernel32.dll"), "GetSystemFirmwareTable");
  constexpr DWORD kRsmb = 'R' << 24 | 'S' << 16 | 'M' << 8 | 'B';
  constexpr UINT kLimit = 1 << 20;  // real tables are a few KiB
  std::vector<std::uint8_t> table;
  for (int attempt = 0; get != nullptr && attempt < 3; ++attempt) {
    const UINT size = get(kRsmb, 0, table.data(), static_cast<DWORD>(table.size()));
    if (size == 0 || size > kLimit) return {};
    if (size <= table.size()) {
      table.resize(size);
      return table;
    }
    table.resize(size);
  }
  return {};
}

namespace {

std::string ArchitectureName(WORD architecture) {
  switch (architecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
      return "AMD64";
    case PROCESSOR_ARCHITECTURE_INTEL:
      return "x86";
    case PROCESSOR_ARCHITECTURE_ARM64:
      return "ARM64";
    case PROCESSOR_ARCHITECTURE_ARM:
      return "ARM";
    case PROCESSOR_ARCHITECTURE_IA64:
      return "IA64";
    default:
      return {};
  }
}

// The NetBIOS name of the domain or workgroup, from netapi32 (loaded from
// the system folder: it is not one of the DLLs Windows always takes there).
std::string JoinedName() {
  using JoinFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR*, int*);
  using FreeFn = DWORD(WINAPI*)(LPVOID);
  const SystemLibrary netapi(L"netapi32.dll");
  const auto join = netapi.Find<JoinFn>("NetGetJoinInformation");
  const auto release = netapi.Find<FreeFn>("NetApiBufferFree");
  if (join == nullptr || release == nullptr) return {};
  LPWSTR name = nullptr;
  int status = 0;
  if (join(nullptr, &name, &status) != 0 || name == nullptr) return {};
  std::string text = Narrow(name);
  release(name);
  return text;
}

// An environment value set at logon; "" when unset.
std::string Environment(const wchar_t* name) {
  std::wstring value(64, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD size =
        GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    if (size == 0 || size > 32767) return {};
    if (size < value.size()) {
      value.resize(size);
      return Narrow(value);
    }
    value.resize(size);
  }
  return {};
}

}  // namespace

InventoryFacts Win32Machine::ReadInventoryFacts() {
  InventoryFacts facts;
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  facts.processors = info.dwNumberOfProcessors;
  facts.architecture = ArchitectureName(info.wProcessorArchitecture);
  facts.workgroup = JoinedName();
  facts.user_domain = Environment(L"USERDOMAIN");
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status) && status.ullTotalPageFile > status.ullTotalPhys) {
    facts.swap_bytes = status.ullTotalPageFile - status.ullTotalPhys;
  }
  return facts;
}

}  // namespace zeltrand::win32
