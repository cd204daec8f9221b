#include <gtest/gtest.h>

#include <algorithm>

#include "collect/cpu_tables.h"
#include "unit/collect/collect_harness.h"

namespace zeltrand::testing {
namespace {

constexpr std::string_view kProcessorKey = "Hardware\\Description\\System\\CentralProcessor\\0";

std::uint32_t Ecx(const char (&s)[5]) {
  return static_cast<std::uint32_t>(s[0]) | static_cast<std::uint32_t>(s[1]) << 8 |
         static_cast<std::uint32_t>(s[2]) << 16 | static_cast<std::uint32_t>(s[3]) << 24;
}

// Leaf 1 EAX of a processor without extended family and model numbers.
std::uint32_t Signature(std::uint32_t type, std::uint32_t family, std::uint32_t model) {
  return type << 12 | family << 8 | model << 4;
}

TEST(CpuVendor, IsKnownByTheLastFourCharactersOfItsName) {
  EXPECT_EQ(VendorOf(Ecx("ntel")).text, "Intel");
  EXPECT_EQ(VendorOf(Ecx("cAMD")).text, "AMD");
  EXPECT_EQ(VendorOf(Ecx("auls")).text, "IDT");
  EXPECT_EQ(VendorOf(Ecx("tead")).text, "Cyrix");
  EXPECT_EQ(VendorOf(Ecx("Rise")).text, "RISE");
  EXPECT_EQ(VendorOf(Ecx("Mx86")).text, "Transmeta");
  EXPECT_EQ(VendorOf(Ecx("uine")).text, "?????");  // HygonGenuine
  EXPECT_EQ(VendorOf(0).table, CpuModelTable::kNone);
}

struct ModelRow {
  CpuModelTable table;
  std::uint32_t type, family, model;
  const char* text = "-----";
};

using T = CpuModelTable;

TEST(CpuModelTable, NamesEveryListedProcessor) {
  const ModelRow rows[] = {
      {T::kIntel, 0, 4, 0, "486xx/DX2/Dx4"},
      {T::kIntel, 0, 4, 9, "486xx/DX2/Dx4"},
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
      {T::kIntel, 0, 15, 2, "Pentium-4"},
      {T::kIntel, 1, 4, 8, "Dx4 ODP"},
      {T::kIntel, 1, 5, 1, "Pentium-ODP for P5"},
      {T::kIntel, 1, 5, 2, "Pentium-ODP for P5"},
      {T::kIntel, 1, 5, 3, "Pentium-ODP for i486"},
      {T::kIntel, 1, 5, 4, "Pentium-MMX ODP"},
      {T::kIntel, 1, 6, 15, "Pentium-II ODP"},
      {T::kAmd, 0, 4, 14, "Am486/Am5x86"},
      {T::kAmd, 0, 5, 0, "K5(Model-0)"},
      {T::kAmd, 0, 5, 1, "K5(Model-1)"},
      {T::kAmd, 0, 5, 2, "K5(Model-2)"},
      {T::kAmd, 0, 5, 3, "K5(Model-3)"},
      {T::kAmd, 0, 5, 6, "K6(Model-6)"},
      {T::kAmd, 0, 5, 7, "K6(Model-7)"},
      {T::kAmd, 0, 5, 8, "K6-2(Model-8)"},
      {T::kAmd, 0, 5, 9, "K6-III(Model-9)"},
      {T::kAmd, 2, 5, 13, "K6-II+(Model-D)"},
      {T::kAmd, 0, 6, 0, "K7 ES(Model-0)"},
      {T::kAmd, 0, 6, 1, "Athlon (Model-1)"},
      {T::kAmd, 0, 6, 2, "Athlon (Model-2)"},
      {T::kAmd, 0, 6, 3, "Duron (Model-3)"},
      {T::kAmd, 0, 6, 4, "Athlon (Model-4)"},
      {T::kIdt, 0, 5, 4, "WinChip C6"},
      {T::kIdt, 0, 5, 8, "WinChip 2"},
      {T::kIdt, 0, 5, 9, "WinChip 3"},
      {T::kIdt, 3, 5, 10, "WinChip 4"},
      {T::kCyrix, 0, 4, 4, "MediaGX"},
      {T::kCyrix, 0, 5, 2, "6x86/6x86L"},
      {T::kCyrix, 0, 5, 4, "MediaGX MMX Enhanced"},
      {T::kCyrix, 0, 6, 0, "6x86MX/M-II"},
      {T::kCyrix, 1, 6, 5, "VIA-III"},
      {T::kRise, 0, 5, 0, "mP6"},
      {T::kRise, 0, 6, 2, "mP6"},
      {T::kRise, 2, 5, 8, "mP6-II"},
      {T::kRise, 0, 9, 9, "mP6-II"},
      {T::kTransmeta, 3, 5, 4, "Crusoe TM5xxx"},
      {T::kTransmeta, 0, 15, 2, "Crusoe TM5xxx"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(ModelText(r.table, Signature(r.type, r.family, r.model), ""), r.text)
        << static_cast<int>(r.table) << " " << r.type << "/" << r.family << "/" << r.model;
  }
}

TEST(CpuModelTable, LeavesEveryOtherProcessorUnnamed) {
  std::vector<ModelRow> misses;
  for (std::uint32_t m : {0, 3, 5, 6, 9, 10, 11, 12, 13, 14, 15})
    misses.push_back({T::kIntel, 0, 5, m});
  for (std::uint32_t m : {0, 2, 4, 9, 11, 12, 13, 14, 15}) misses.push_back({T::kIntel, 0, 6, m});
  for (std::uint32_t f : {3, 7, 14}) misses.push_back({T::kIntel, 0, f, 1});
  for (std::uint32_t f : {3, 7, 15}) misses.push_back({T::kIntel, 1, f, 1});
  for (std::uint32_t f : {4, 5, 6, 15}) {
    misses.push_back({T::kIntel, 2, f, 2});
    misses.push_back({T::kIntel, 3, f, 2});
  }
  misses.push_back({T::kIntel, 1, 5, 5});
  for (std::uint32_t m : {4, 5, 10, 11, 12, 14, 15}) misses.push_back({T::kAmd, 0, 5, m});
  for (std::uint32_t m = 5; m <= 15; ++m) misses.push_back({T::kAmd, 0, 6, m});
  misses.push_back({T::kAmd, 0, 15, 1});
  misses.push_back({T::kIdt, 0, 6, 4});
  misses.push_back({T::kIdt, 0, 5, 5});
  misses.push_back({T::kCyrix, 0, 4, 5});
  misses.push_back({T::kCyrix, 0, 6, 4});
  misses.push_back({T::kRise, 0, 5, 1});
  misses.push_back({T::kNone, 0, 6, 8});
  for (const auto& r : misses) {
    EXPECT_EQ(ModelText(r.table, Signature(r.type, r.family, r.model), ""), "-----")
        << static_cast<int>(r.table) << " " << r.type << "/" << r.family << "/" << r.model;
  }
}

TEST(CpuModel, ProcessorsWithExtendedNumbersAndTableMissesShowTheirBrandString) {
  const std::string brand = "12th Gen Intel(R) Core(TM) i7-12700";
  // Family 6, model 0x97: the low four bits of the model alone would make
  // it a Pentium-III.
  EXPECT_EQ(ModelText(T::kIntel, 0x00090672, brand), brand);
  EXPECT_EQ(ModelText(T::kIntel, 0x00090672, ""), "-----");
  EXPECT_EQ(ModelText(T::kAmd, 0x00A10F11, "AMD EPYC"), "AMD EPYC");  // family 0x19
  EXPECT_EQ(ModelText(T::kIntel, Signature(0, 6, 11), "Intel(R) Pentium(R) III"),
            "Intel(R) Pentium(R) III");
  EXPECT_EQ(ModelText(T::kNone, Signature(0, 6, 1), "Hygon C86 3250"), "Hygon C86 3250");
  EXPECT_EQ(ModelText(T::kIntel, Signature(0, 6, 8), "Intel(R) Pentium(R) III"), "Pentium-III");
}

CpuidRegisters Text16(const char (&s)[17]) {
  auto word = [&](int i) {
    std::uint32_t v = 0;
    for (int b = 3; b >= 0; --b) v = v << 8 | static_cast<unsigned char>(s[i * 4 + b]);
    return v;
  };
  return {word(0), word(1), word(2), word(3)};
}

TEST(CpuModel, BrandStringLosesTheBlanksAroundIt) {
  EXPECT_EQ(BrandString({Text16("       Intel(R) "), Text16("Pentium(R) 4 CPU"),
                         Text16(" 2.40GHz\0\0\0\0\0\0\0\0")}),
            "Intel(R) Pentium(R) 4 CPU 2.40GHz");
  EXPECT_EQ(BrandString({Text16("AMD EPYC        "), Text16("                "),
                         Text16("                ")}),
            "AMD EPYC");
  EXPECT_EQ(BrandString({}), "");
}

TEST(CpuSpeed, RoundsHalvesUpAndCoversFastClocks) {
  EXPECT_EQ(MegaHertz(1'000'000'000, 1000), 1000u);
  EXPECT_EQ(MegaHertz(999'499'999, 1000), 999u);
  EXPECT_EQ(MegaHertz(999'500'000, 1000), 1000u);
  EXPECT_EQ(MegaHertz(5'200'000'000, 1000), 5200u);  // beyond 32 bits of cycles
  EXPECT_EQ(MegaHertz(2'600'000'000, 1003), 2592u);
  EXPECT_EQ(MegaHertz(1'000'000'000, 0), 0u);
}

TEST(CpuSerialNumber, IsSixGroupsOfFourUpperCaseDigits) {
  EXPECT_EQ(SerialNumberText(0x683, {0, 0, 0x9ABCDEF0, 0x12345678}),
            "0000-0683-1234-5678-9ABC-DEF0");
  EXPECT_EQ(SerialNumberText(0xFFFFFFFF, {}), "FFFF-FFFF-0000-0000-0000-0000");
}

// A Pentium III: vendor, signature 683, serial number present.
void PentiumThree(FakeCpu& cpu) {
  cpu.leaves[0] = {3, 0, Ecx("ntel"), 0};
  cpu.leaves[1] = {0x683, 0, 0, 1u << 18};
  cpu.leaves[3] = {0, 0, 0x9ABCDEF0, 0x12345678};
}

TEST(CollectCpu, TakesTheRecordedSpeedWithoutMeasuring) {
  CollectHarness h;
  PentiumThree(h.cpu);
  h.registry.SetDword(RegRoot::kLocalMachine, kProcessorKey, "~MHz", 866);
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "Intel, Pentium-III, r866MHz, 0000-0683-1234-5678-9ABC-DEF0");
  EXPECT_EQ(h.info.psn_text, "0000-0683-1234-5678-9ABC-DEF0");
  EXPECT_EQ(std::count(h.cpu.calls.begin(), h.cpu.calls.end(), "Sleep 1000"), 0);
}

TEST(CollectCpu, MeasuresOneSecondWhenNoSpeedIsRecorded) {
  CollectHarness h;
  PentiumThree(h.cpu);
  h.registry.SetDword(RegRoot::kLocalMachine, kProcessorKey, "~MHz", 0);
  h.cpu.cycles_per_sleep = 999'500'000;
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "Intel, Pentium-III, c1000MHz, 0000-0683-1234-5678-9ABC-DEF0");
  std::vector<std::string> measure;
  for (const auto& call : h.cpu.calls) {
    if (!call.starts_with("Cpuid")) measure.push_back(call);
  }
  EXPECT_EQ(measure,
            (std::vector<std::string>{"Counter", "Timer", "Sleep 1000", "Timer", "Counter"}));
}

TEST(CollectCpu, MeasuresAcrossACounterAndATimerThatWrap) {
  CollectHarness h;
  h.cpu.counter = ~std::uint64_t{0} - 300'000'000;
  h.cpu.milliseconds = 0xFFFFFFFF - 400;
  h.cpu.cycles_per_sleep = 4'500'000'000;
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "?????, -----, c4500MHz, PSNは非ｻﾎﾟｰﾄまたは非許可");
}

TEST(CollectCpu, WithoutTheSerialNumberBitSaysSoAndSkipsLeafThree) {
  CollectHarness h;
  PentiumThree(h.cpu);
  h.cpu.leaves[1].edx = 0;
  h.registry.SetDword(RegRoot::kLocalMachine, kProcessorKey, "~MHz", 866);
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "Intel, Pentium-III, r866MHz, PSNは非ｻﾎﾟｰﾄまたは非許可");
  EXPECT_EQ(h.info.psn_text, "PSNは非ｻﾎﾟｰﾄまたは非許可");
  EXPECT_EQ(std::count(h.cpu.calls.begin(), h.cpu.calls.end(), "Cpuid 3"), 0);
}

TEST(CollectCpu, AModernProcessorShowsItsBrandString) {
  CollectHarness h;
  h.cpu.leaves[0] = {0x10, 0, Ecx("cAMD"), 0};
  h.cpu.leaves[1] = {0x00A10F11, 0, 0, 0};
  h.cpu.leaves[0x80000000] = {0x80000021, 0, 0, 0};
  h.cpu.leaves[0x80000002] = Text16("AMD EPYC\0\0\0\0\0\0\0\0");
  h.registry.SetDword(RegRoot::kLocalMachine, kProcessorKey, "~MHz", 2596);
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "AMD, AMD EPYC, r2596MHz, PSNは非ｻﾎﾟｰﾄまたは非許可");
}

TEST(CollectCpu, AVendorOutsideTheTableShowsQuestionMarks) {
  CollectHarness h;
  h.cpu.leaves[0] = {1, 0, Ecx("uine"), 0};
  h.cpu.leaves[1] = {Signature(0, 6, 8), 0, 0, 0};
  CollectCpu(h.ctx);
  EXPECT_EQ(h.field(3), "?????, -----, c1000MHz, PSNは非ｻﾎﾟｰﾄまたは非許可");
}

}  // namespace
}  // namespace zeltrand::testing
