// The processor: vendor, kind, speed and serial number.
#include "platform/cpu.h"
#include "collect/collectors.h"
#include "collect/cpu_tables.h"
#include "core/text_format.h"
#include "platform/registry.h"

namespace zeltrand {
namespace {

constexpr std::string_view kProcessorKey = "Hardware\\Description\\System\\CentralProcessor\\0";
constexpr std::uint32_t kBrandLeaves = 0x80000000;
constexpr std::uint32_t kSerialNumberBit = 1u << 18;
constexpr unsigned kMeasureMs = 1000;

std::string ReadBrand(CpuProbe& cpu) {
  if (cpu.Cpuid(kBrandLeaves).eax < kBrandLeaves + 4) return {};
  return BrandString(
      {cpu.Cpuid(kBrandLeaves + 2), cpu.Cpuid(kBrandLeaves + 3), cpu.Cpuid(kBrandLeaves + 4)});
}

// The speed Windows recorded; 0 where it recorded none (95/98/Me).
std::uint32_t RecordedMhz(Registry& registry) {
  const auto key = registry.Open(RegRoot::kLocalMachine, kProcessorKey);
  return key ? key->Query("~MHz", 4).Dword().value_or(0) : 0;
}

// The time-stamp counter against the millisecond clock over one second.
std::uint64_t MeasuredMhz(CpuProbe& cpu) {
  const std::uint64_t c0 = cpu.TimeStampCounter();
  const std::uint32_t m0 = cpu.Milliseconds();
  cpu.Sleep(kMeasureMs);
  const std::uint32_t m1 = cpu.Milliseconds();
  const std::uint64_t c1 = cpu.TimeStampCounter();
  return MegaHertz(c1 - c0, m1 - m0);
}

std::string SpeedText(CollectContext& ctx) {
  if (const std::uint32_t mhz = RecordedMhz(ctx.services.registry)) {
    return FormatText("r%luMHz", static_cast<unsigned long>(mhz));
  }
  return FormatText("c%lluMHz", static_cast<unsigned long long>(MeasuredMhz(ctx.services.cpu)));
}

}  // namespace

void CollectCpu(CollectContext& ctx) {
  CpuProbe& cpu = ctx.services.cpu;
  const CpuidRegisters leaf0 = cpu.Cpuid(0);
  const CpuidRegisters leaf1 = leaf0.eax >= 1 ? cpu.Cpuid(1) : CpuidRegisters{};
  const CpuVendor vendor = VendorOf(leaf0.ecx);
  const std::string model = ModelText(vendor.table, leaf1.eax, ReadBrand(cpu));
  const std::string speed = SpeedText(ctx);
  const bool serial = (leaf1.edx & kSerialNumberBit) != 0 && leaf0.eax >= 3;
  ctx.info.psn_text =
      serial ? SerialNumberText(leaf1.eax, cpu.Cpuid(3)) : std::string(kNoSerialNumber);
  std::string& text = ctx.info.item_values[3];
  text.assign(vendor.text).append(", ").append(model).append(", ").append(speed);
  text.append(", ").append(ctx.info.psn_text);
}

}  // namespace zeltrand
