#include "collect/cpu_tables.h"

#include <limits>

#include "core/text_format.h"

namespace zeltrand {
namespace {

constexpr std::uint32_t kAny = std::numeric_limits<std::uint32_t>::max();

constexpr std::uint32_t FourCc(const char (&s)[5]) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(s[0])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(s[3])) << 24;
}

struct VendorRow {
  std::uint32_t ecx;
  CpuVendor vendor;
};

constexpr VendorRow kVendors[] = {
    {FourCc("ntel"), {"Intel", CpuModelTable::kIntel}},          // GenuineIntel
    {FourCc("cAMD"), {"AMD", CpuModelTable::kAmd}},              // AuthenticAMD
    {FourCc("auls"), {"IDT", CpuModelTable::kIdt}},              // CentaurHauls
    {FourCc("tead"), {"Cyrix", CpuModelTable::kCyrix}},          // CyrixInstead
    {FourCc("Rise"), {"RISE", CpuModelTable::kRise}},            // RiseRiseRise
    {FourCc("Mx86"), {"Transmeta", CpuModelTable::kTransmeta}},  // GenuineTMx86
};

struct ModelRow {
  CpuModelTable table;
  std::uint32_t type;  // examined for Intel only
  std::uint32_t family;
  std::uint32_t model;
  std::string_view name;
};

using T = CpuModelTable;

constexpr ModelRow kModels[] = {
    {T::kIntel, 0, 4, kAny, "486xx/DX2/Dx4"},
    {T::kIntel, 0, 5, 1, "Pentium"},
    {T::kIntel, 0, 5, 2, "Pentium"},
    {T::kIntel, 0, 5, 4, "Pentium-MMX"},
    {T::kIntel, 0, 5, 7, "Mobile Pentium"},
    {T::kIntel, 0, 5, 8, "Mobile Pentium-MMX"},
    {T::kIntel, 0, 6, 1, "Pentium-Pro"},
    {T::kIntel, 0, 6, 3, "Pentium-II"},
    {T::kIntel, 0, 6, 5, "Pentium-II/Celeron"},
    {T::kIntel, 0, 6, 6, "Mobile Pentium-II/Celeron"},
    {T::kIntel, 0, 6, 7, "Pentium-III"},
    {T::kIntel, 0, 6, 8, "Pentium-III"},
    {T::kIntel, 0, 6, 10, "Pentium-III"},
    {T::kIntel, 0, 15, kAny, "Pentium-4"},
    {T::kIntel, 1, 4, kAny, "Dx4 ODP"},
    {T::kIntel, 1, 5, 1, "Pentium-ODP for P5"},
    {T::kIntel, 1, 5, 2, "Pentium-ODP for P5"},
    {T::kIntel, 1, 5, 3, "Pentium-ODP for i486"},
    {T::kIntel, 1, 5, 4, "Pentium-MMX ODP"},
    {T::kIntel, 1, 6, kAny, "Pentium-II ODP"},
    {T::kAmd, kAny, 4, kAny, "Am486/Am5x86"},
    {T::kAmd, kAny, 5, 0, "K5(Model-0)"},
    {T::kAmd, kAny, 5, 1, "K5(Model-1)"},
    {T::kAmd, kAny, 5, 2, "K5(Model-2)"},
    {T::kAmd, kAny, 5, 3, "K5(Model-3)"},
    {T::kAmd, kAny, 5, 6, "K6(Model-6)"},
    {T::kAmd, kAny, 5, 7, "K6(Model-7)"},
    {T::kAmd, kAny, 5, 8, "K6-2(Model-8)"},
    {T::kAmd, kAny, 5, 9, "K6-III(Model-9)"},
    {T::kAmd, kAny, 5, 13, "K6-II+(Model-D)"},
    {T::kAmd, kAny, 6, 0, "K7 ES(Model-0)"},
    {T::kAmd, kAny, 6, 1, "Athlon (Model-1)"},
    {T::kAmd, kAny, 6, 2, "Athlon (Model-2)"},
    {T::kAmd, kAny, 6, 3, "Duron (Model-3)"},
    {T::kAmd, kAny, 6, 4, "Athlon (Model-4)"},
    {T::kIdt, kAny, 5, 4, "WinChip C6"},
    {T::kIdt, kAny, 5, 8, "WinChip 2"},
    {T::kIdt, kAny, 5, 9, "WinChip 3"},
    {T::kIdt, kAny, 5, 10, "WinChip 4"},
    {T::kCyrix, kAny, 4, 4, "MediaGX"},
    {T::kCyrix, kAny, 5, 2, "6x86/6x86L"},
    {T::kCyrix, kAny, 5, 4, "MediaGX MMX Enhanced"},
    {T::kCyrix, kAny, 6, 0, "6x86MX/M-II"},
    {T::kCyrix, kAny, 6, 5, "VIA-III"},
    {T::kRise, kAny, kAny, 0, "mP6"},
    {T::kRise, kAny, kAny, 2, "mP6"},
    {T::kRise, kAny, kAny, 8, "mP6-II"},
    {T::kRise, kAny, kAny, 9, "mP6-II"},
    {T::kTransmeta, kAny, kAny, kAny, "Crusoe TM5xxx"},
};

bool Fits(std::uint32_t wanted, std::uint32_t actual) {
  return wanted == kAny || wanted == actual;
}

void AppendRegister(std::string& text, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) text.push_back(static_cast<char>(value >> shift));
}

}  // namespace

CpuVendor VendorOf(std::uint32_t leaf0_ecx) {
  for (const VendorRow& row : kVendors) {
    if (row.ecx == leaf0_ecx) return row.vendor;
  }
  return {"?????", CpuModelTable::kNone};
}

CpuSignature DecodeSignature(std::uint32_t eax) {
  return {(eax >> 12) & 0x3, (eax >> 8) & 0xF, (eax >> 4) & 0xF, (eax >> 20) & 0xFF,
          (eax >> 16) & 0xF};
}

std::optional<std::string_view> TableModelName(CpuModelTable table, const CpuSignature& s) {
  for (const ModelRow& row : kModels) {
    if (row.table == table && Fits(row.type, s.type) && Fits(row.family, s.family) &&
        Fits(row.model, s.model)) {
      return row.name;
    }
  }
  return std::nullopt;
}

std::string ModelText(CpuModelTable table, std::uint32_t leaf1_eax, std::string_view brand) {
  const CpuSignature s = DecodeSignature(leaf1_eax);
  if (s.extended_family == 0 && s.extended_model == 0) {
    if (const auto name = TableModelName(table, s)) return std::string(*name);
  }
  return std::string(brand.empty() ? kUnknownModel : brand);
}

std::string BrandString(const std::array<CpuidRegisters, 3>& leaves) {
  std::string text;
  for (const CpuidRegisters& r : leaves) {
    for (std::uint32_t value : {r.eax, r.ebx, r.ecx, r.edx}) AppendRegister(text, value);
  }
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::uint64_t MegaHertz(std::uint64_t cycles, std::uint32_t milliseconds) {
  if (milliseconds == 0) return 0;
  const std::uint64_t per_mhz = std::uint64_t{milliseconds} * 1000;
  return cycles / per_mhz + (cycles % per_mhz * 2 >= per_mhz ? 1 : 0);
}

std::string SerialNumberText(std::uint32_t leaf1_eax, const CpuidRegisters& leaf3) {
  return FormatText("%04X-%04X-%04X-%04X-%04X-%04X", leaf1_eax >> 16, leaf1_eax & 0xFFFF,
                    leaf3.edx >> 16, leaf3.edx & 0xFFFF, leaf3.ecx >> 16, leaf3.ecx & 0xFFFF);
}

}  // namespace zeltrand
