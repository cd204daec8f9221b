// What field 3 makes of the processor's answers: the vendor and model
// names, the speed arithmetic and the serial number text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/cpu.h"

namespace zeltrand {

enum class CpuModelTable { kNone, kIntel, kAmd, kIdt, kCyrix, kRise, kTransmeta };

struct CpuVendor {
  std::string_view text;  // "Intel", "AMD", ... or "?????"
  CpuModelTable table;
};

// By the last four characters of the vendor identification, as CPUID leaf 0
// leaves them in ECX.
CpuVendor VendorOf(std::uint32_t leaf0_ecx);

// The fields of CPUID leaf 1 EAX.
struct CpuSignature {
  std::uint32_t type;  // bits 13-12
  std::uint32_t family;
  std::uint32_t model;
  std::uint32_t extended_family;
  std::uint32_t extended_model;
};

CpuSignature DecodeSignature(std::uint32_t leaf1_eax);

// The model table's row; nothing where the table has none.
std::optional<std::string_view> TableModelName(CpuModelTable table, const CpuSignature& signature);

// The table was made for processors without extended family and model
// numbers; for every other processor, and for the table's misses, the
// processor's own brand string tells more. "-----" when nothing is known.
std::string ModelText(CpuModelTable table, std::uint32_t leaf1_eax, std::string_view brand);

// The brand string of CPUID 0x80000002 to 0x80000004, blanks around it
// removed.
std::string BrandString(const std::array<CpuidRegisters, 3>& leaves);

// Counted cycles over elapsed milliseconds in MHz, halves rounded up; 0
// when no time elapsed.
std::uint64_t MegaHertz(std::uint64_t cycles, std::uint32_t milliseconds);

// Six groups of four hexadecimal digits: leaf 1 EAX, then leaf 3 EDX and
// ECX, upper half first.
std::string SerialNumberText(std::uint32_t leaf1_eax, const CpuidRegisters& leaf3);

inline constexpr std::string_view kNoSerialNumber = "PSNは非ｻﾎﾟｰﾄまたは非許可";
inline constexpr std::string_view kUnknownModel = "-----";

}  // namespace zeltrand
