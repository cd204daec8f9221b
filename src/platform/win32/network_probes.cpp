#include "platform/win32/network_probes.h"

// clang-format off
#include <winsock2.h>
#include <ws2ipdef.h>
#include <windows.h>
#include <iphlpapi.h>
#include <nb30.h>
#include <rpc.h>
#include <snmp.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/win32/system_library.h"

namespace zeltrand::win32 {
namespace {

// WinSock 2.0 for as long as the object lives.
class Winsock {
 public:
  Winsock() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 0), &data) == 0;
  }
  ~Winsock() {
    if (started_) WSACleanup();
  }
  Winsock(const Winsock&) = delete;
  Winsock& operator=(const Winsock&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

// ---- the SNMP extension agent ----------------------------------------------

using SnmpMemAllocFn = LPVOID(SNMP_FUNC_TYPE*)(UINT);
using SnmpVarBindFreeFn = VOID(SNMP_FUNC_TYPE*)(SnmpVarBind*);

// The agent allocates and frees the names and values it hands back with
// snmpapi.dll's allocator, so what is handed to it must come from there too.
struct SnmpApi {
  SystemLibrary library{L"snmpapi.dll"};
  SnmpMemAllocFn mem_alloc = library.Find<SnmpMemAllocFn>("SnmpUtilMemAlloc");
  SnmpVarBindFreeFn var_bind_free = library.Find<SnmpVarBindFreeFn>("SnmpUtilVarBindFree");
  bool usable() const { return mem_alloc != nullptr && var_bind_free != nullptr; }
};

bool OidCopy(const SnmpApi& api, AsnObjectIdentifier& destination, const Oid& source) {
  const UINT count = static_cast<UINT>(source.size());
  auto* ids = static_cast<UINT*>(api.mem_alloc(count * sizeof(UINT)));
  if (ids == nullptr) return false;
  std::copy(source.begin(), source.end(), ids);
  destination.ids = ids;
  destination.idLength = count;
  return true;
}

void VarBindFree(const SnmpApi& api, SnmpVarBind& binding) {
  api.var_bind_free(&binding);
  binding.value.asnType = ASN_NULL;
}

bool IsStringType(BYTE type) {
  return type == ASN_OCTETSTRING || type == ASN_IPADDRESS || type == ASN_OPAQUE || type == ASN_BITS;
}

VarBind FromAgent(const SnmpVarBind& binding) {
  VarBind result;
  if (binding.name.ids != nullptr) {
    result.name.assign(binding.name.ids, binding.name.ids + binding.name.idLength);
  }
  const AsnAny& value = binding.value;
  result.value.type = value.asnType;
  if (value.asnType == ASN_INTEGER) result.value.number = value.asnValue.number;
  if (IsStringType(value.asnType) && value.asnValue.string.stream != nullptr) {
    const BYTE* bytes = value.asnValue.string.stream;
    result.value.bytes.assign(bytes, bytes + value.asnValue.string.length);
  }
  return result;
}

class AgentSession final : public MibSession {
 public:
  AgentSession(std::unique_ptr<Winsock> winsock, std::unique_ptr<SnmpApi> api,
               std::unique_ptr<SystemLibrary> agent, PFNSNMPEXTENSIONQUERY query)
      : winsock_(std::move(winsock)),
        api_(std::move(api)),
        agent_(std::move(agent)),
        query_(query),
        close_(agent_->Find<PFNSNMPEXTENSIONCLOSE>("SnmpExtensionClose")) {}
  AgentSession(const AgentSession&) = delete;
  AgentSession& operator=(const AgentSession&) = delete;

  // An agent that says how to end it gets the chance before it is unloaded.
  ~AgentSession() override {
    if (close_ != nullptr) close_();
  }

  bool GetNext(std::vector<VarBind>& bindings) override {
    std::vector<SnmpVarBind> list(bindings.size());
    bool ok = true;
    for (std::size_t i = 0; i < list.size() && ok; ++i) {
      list[i].value.asnType = ASN_NULL;
      ok = OidCopy(*api_, list[i].name, bindings[i].name);
    }
    SnmpVarBindList request{list.data(), static_cast<UINT>(list.size())};
    AsnInteger32 error_status = 0;
    AsnInteger32 error_index = 0;
    ok = ok && query_(SNMP_PDU_GETNEXT, &request, &error_status, &error_index);
    // Only an answer in the list as it was handed over is read.
    ok = ok && request.list == list.data() && request.len == list.size();
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (ok) bindings[i] = FromAgent(list[i]);
      VarBindFree(*api_, list[i]);
    }
    return ok;
  }

 private:
  // Released in reverse order: the agent, its allocator, then WinSock.
  std::unique_ptr<Winsock> winsock_;
  std::unique_ptr<SnmpApi> api_;
  std::unique_ptr<SystemLibrary> agent_;
  PFNSNMPEXTENSIONQUERY query_;
  PFNSNMPEXTENSIONCLOSE close_;
};

// ---- the IP Helper interface table -------------------------------------------

using GetIfTable2Fn = NETIO_STATUS(NETIOAPI_API_*)(PMIB_IF_TABLE2*);
using FreeMibTableFn = VOID(NETIOAPI_API_*)(PVOID);

// The newer interface table, the one that marks the physical cards; read
// through iphlpapi.dll loaded from the system folder for the moment.
std::optional<std::vector<InterfaceRow>> ReadInterfaceTable() {
  const SystemLibrary iphlpapi(L"iphlpapi.dll");
  const auto get_table = iphlpapi.Find<GetIfTable2Fn>("GetIfTable2");
  const auto free_table = iphlpapi.Find<FreeMibTableFn>("FreeMibTable");
  MIB_IF_TABLE2* table = nullptr;
  if (get_table == nullptr || free_table == nullptr || get_table(&table) != NO_ERROR ||
      table == nullptr) {
    return std::nullopt;
  }
  std::vector<InterfaceRow> rows;
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IF_ROW2& row = table->Table[i];
    const ULONG length = std::min<ULONG>(row.PhysicalAddressLength, IF_MAX_PHYS_ADDRESS_LENGTH);
    rows.push_back({static_cast<std::uint32_t>(row.InterfaceIndex),
                    static_cast<std::uint32_t>(row.Type),
                    std::vector<std::uint8_t>(row.PhysicalAddress, row.PhysicalAddress + length),
                    row.InterfaceAndOperStatusFlags.HardwareInterface != 0});
  }
  free_table(table);
  return rows;
}

// ---- NetBIOS -------------------------------------------------------------------

using NetbiosFn = UCHAR(APIENTRY*)(PNCB);

constexpr char kLocalAdapterName[NCBNAMSZ + 1] = "*               ";

}  // namespace

MibOpening Win32MibAgent::Open() {
  auto winsock = std::make_unique<Winsock>();
  if (!winsock->started()) return {MibOpenStatus::kNoWinsock, nullptr, std::nullopt};
  auto agent = std::make_unique<SystemLibrary>(L"inetmib1.dll");
  const auto init = agent->Find<PFNSNMPEXTENSIONINIT>("SnmpExtensionInit");
  if (init == nullptr) return {MibOpenStatus::kNoAgent, nullptr, ReadInterfaceTable()};
  const auto query = agent->Find<PFNSNMPEXTENSIONQUERY>("SnmpExtensionQuery");
  auto api = std::make_unique<SnmpApi>();
  if (query == nullptr || !api->usable())
    return {MibOpenStatus::kNoQueryEntry, nullptr, std::nullopt};
  // The trap event and the supported view are of no use here. The view
  // is not freed: some agents hand back their own static storage.
  HANDLE trap_event = nullptr;
  AsnObjectIdentifier supported_view{};
  init(GetTickCount(), &trap_event, &supported_view);
  return {
      MibOpenStatus::kAgent,
      std::make_unique<AgentSession>(std::move(winsock), std::move(api), std::move(agent), query),
      std::nullopt};
}

void Win32MibAgent::Trace(std::string_view line) {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(out, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

NetBiosStatus Win32NetBios::AdapterStatus(std::uint8_t lana) {
  const SystemLibrary netapi(L"netapi32.dll");
  const auto netbios = netapi.Find<NetbiosFn>("Netbios");
  if (netbios == nullptr) return {NRC_SYSTEM, {}};

  NCB reset{};
  reset.ncb_command = NCBRESET;
  reset.ncb_lana_num = lana;
  netbios(&reset);

  ADAPTER_STATUS status{};
  NCB query{};
  query.ncb_command = NCBASTAT;
  query.ncb_lana_num = lana;
  std::memcpy(query.ncb_callname, kLocalAdapterName, NCBNAMSZ);
  query.ncb_buffer = reinterpret_cast<PUCHAR>(&status);
  query.ncb_length = sizeof status;
  NetBiosStatus result;
  result.return_code = netbios(&query);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&status);
  result.record.assign(bytes, bytes + std::min<std::size_t>(query.ncb_length, sizeof status));
  return result;
}

NewUuid Win32Uuid::Create() {
  UUID uuid{};
  const RPC_STATUS status = UuidCreate(&uuid);
  NewUuid result;
  result.status = status == RPC_S_OK                ? UuidStatus::kOk
                  : status == RPC_S_UUID_LOCAL_ONLY ? UuidStatus::kLocalOnly
                                                    : UuidStatus::kFailed;
  static_assert(sizeof uuid == 16);
  std::memcpy(result.bytes.data(), &uuid, sizeof uuid);
  return result;
}

}  // namespace zeltrand::win32
