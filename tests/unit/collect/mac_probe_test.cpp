#include "collect/mac_probe.h"

#include <gtest/gtest.h>

#include "collect/collectors.h"
#include "collect/mib2.h"
#include "support/fake_services.h"

namespace zeltrand::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes kCard = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56};
constexpr std::uint32_t kLoopback = 24;
constexpr std::uint32_t kEthernet = 6;
constexpr std::string_view kNothingYet = "x--:--:--:--:--:--";

struct MacHarness : FakeServices {
  Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  CollectedInfo info;
  CollectContext ctx{info, services, paths};

  const std::string& Collect() {
    CollectMacAddress(ctx);
    return info.item_values[12];
  }
  void GiveUuid() {
    uuid.next.status = UuidStatus::kOk;
    for (std::uint8_t i = 0; i < 16; ++i) uuid.next.bytes[i] = static_cast<std::uint8_t>(0xA0 + i);
  }
};

TEST(MacAddressNetBios, EthernetAdapterWinsAndSnmpIsNotTried) {
  MacHarness h;
  h.netbios.Answer(0xFE, {0x00, 0x0C, 0x29, 0x1A, 0x2B, 0x3C});
  EXPECT_EQ(h.Collect(), "n00:0C:29:1A:2B:3C");
  EXPECT_EQ(h.netbios.queried_adapters, std::vector<int>{0});
  EXPECT_EQ(h.mib.opens, 0);
  EXPECT_EQ(h.uuid.creates, 0);
}

TEST(MacAddressNetBios, AcceptsEthernetTokenRingAnd7DAdaptersOnly) {
  const struct {
    std::uint8_t type;
    bool accepted;
  } cases[] = {{0xFE, true}, {0xFF, true}, {0x7D, true}, {0x00, false}, {0xFD, false}};
  for (const auto& c : cases) {
    MacHarness h;
    h.netbios.Answer(c.type, {0xab, 0xcd, 0xef, 0x01, 0x02, 0x03});
    EXPECT_EQ(h.Collect(), c.accepted ? "nAB:CD:EF:01:02:03" : kNothingYet)
        << "adapter type " << int{c.type};
  }
}

TEST(MacAddressNetBios, FailedOrShortAnswerFallsThroughToSnmp) {
  MacHarness h;
  h.mib.rows = {{1, kEthernet, kCard}};
  h.netbios.Answer(0xFE, {1, 2, 3, 4, 5, 6});
  h.netbios.status.return_code = 0x23;  // NRC_BRIDGE: no such adapter
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");

  MacHarness short_answer;
  short_answer.netbios.status = {0, {1, 2, 3, 4, 5, 6, 7, 8}};  // no adapter type byte
  EXPECT_EQ(short_answer.Collect(), kNothingYet);
  EXPECT_EQ(short_answer.mib.opens, 1);
}

TEST(MacAddressSnmp, WalkSkipsLoopbackDialUpAndZeroRowsToTheEthernetCard) {
  MacHarness h;
  h.mib.rows = {{1, kLoopback, Bytes{}},
                {2, kEthernet, Bytes{0x44, 0x45, 0x53, 0x54, 0x00, 0x00}},
                {3, kEthernet, Bytes{0, 0, 0, 0, 0, 0}},
                {4, kEthernet, kCard},
                {5, kEthernet, Bytes{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}}};
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");
  EXPECT_TRUE(h.mib.traces.empty());
  EXPECT_EQ(h.uuid.creates, 0);
}

TEST(MacAddressNetBios, AnAnswerCutShortBeforeTheNameTableStillGivesTheAddress) {
  MacHarness h;
  h.netbios.Answer(0xFE, {0x00, 0x0C, 0x29, 0x1A, 0x2B, 0x3C});
  h.netbios.status.return_code = 0x06;  // NRC_INCOMP
  EXPECT_EQ(h.Collect(), "n00:0C:29:1A:2B:3C");

  MacHarness address_only;
  address_only.netbios.status = {0x06, {0x00, 0x0C, 0x29, 0x1A, 0x2B, 0x3C}};
  EXPECT_EQ(address_only.Collect(), kNothingYet);  // no adapter type to judge
}

TEST(MacAddressSnmp, RowsShorterThanSixBytesAreSkipped) {
  MacHarness h;
  h.mib.rows = {{1, kEthernet, Bytes{0x00, 0xA0, 0xC9}},
                {2, kEthernet, Bytes{0x44, 0x45, 0x53, 0x54, 0x01}},
                {3, kEthernet, kCard}};
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");

  MacHarness only_short;
  only_short.mib.rows = {{1, kEthernet, Bytes{0x00, 0xA0, 0xC9, 0x12, 0x34}}};
  EXPECT_EQ(only_short.Collect(), kNothingYet);
}

TEST(MacAddressSnmp, TakesTheFirstSixBytesOfALongerAddress) {
  MacHarness h;
  h.mib.rows = {{7, kEthernet, Bytes{0x02, 0x00, 0x4C, 0x4F, 0x4F, 0x50, 0x99, 0x98}}};
  EXPECT_EQ(h.Collect(), "s02:00:4C:4F:4F:50");
}

TEST(MacAddressSnmp, ARowWhoseAddressTheAgentLeavesOutIsSkipped) {
  MacHarness h;
  h.mib.rows = {{1, kLoopback, std::nullopt}, {2, kEthernet, std::nullopt}, {3, kEthernet, kCard}};
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");
}

TEST(MacAddressSnmp, AnEthernetRowIsNeverGivenTheAddressOfAnotherRow) {
  MacHarness h;
  h.mib.rows = {{1, kEthernet, std::nullopt}, {2, kLoopback, kCard}};
  EXPECT_EQ(h.Collect(), kNothingYet);
}

TEST(MacAddressSnmp, OtherInterfaceKindsAreNotTaken) {
  MacHarness h;
  h.mib.rows = {{1, kLoopback, kCard}, {2, 71 /* ieee80211 */, kCard}, {3, 23 /* ppp */, kCard}};
  EXPECT_EQ(h.Collect(), kNothingYet);
}

TEST(MacAddressSnmp, TracesWhyTheMethodCouldNotRun) {
  const struct {
    MibOpenStatus status;
    std::vector<std::string> traces;
  } cases[] = {
      {MibOpenStatus::kNoWinsock, {"This program requires Winsock 2.x!\n"}},
      {MibOpenStatus::kNoAgent, {"no inetmib1.dll\n"}},
      {MibOpenStatus::kNoQueryEntry, {}},
  };
  for (const auto& c : cases) {
    MacHarness h;
    h.mib.status = c.status;
    h.mib.make_session = [] { return nullptr; };
    EXPECT_EQ(h.Collect(), kNothingYet);
    EXPECT_EQ(h.mib.traces, c.traces);
  }
}

TEST(MacAddressSnmp, WithoutTheAgentTheFirstPhysicalEthernetOrWirelessCardAnswers) {
  const Bytes kVirtual = {0x00, 0x15, 0x5D, 0x01, 0x02, 0x03};
  const Bytes kWireless = {0x3C, 0xA9, 0xF4, 0x10, 0x20, 0x30};
  const struct {
    std::vector<InterfaceRow> rows;
    std::string_view field;
  } cases[] = {
      // A Wi-Fi laptop: loopback and a virtual switch's adapter come first.
      {{{1, kLoopback, Bytes{}, false}, {2, kEthernet, kVirtual, false}, {9, 71, kWireless, true}},
       "s3C:A9:F4:10:20:30"},
      {{{3, kEthernet, kCard, true}, {2, 23 /* ppp */, kWireless, true}}, "s00:A0:C9:12:34:56"},
      {{{1, kEthernet, Bytes(6, 0), true}, {2, kEthernet, kCard, true}}, "s00:A0:C9:12:34:56"},
      {{{1, kEthernet, kVirtual, false}, {2, 71, kWireless, false}}, kNothingYet},
  };
  for (const auto& c : cases) {
    MacHarness h;
    h.mib.status = MibOpenStatus::kNoAgent;
    h.mib.rows = c.rows;
    EXPECT_EQ(h.Collect(), c.field);
    EXPECT_EQ(h.mib.traces, std::vector<std::string>{"no inetmib1.dll\n"});
  }
}

// An agent that fails every query, answers every query with one object, or
// answers with fewer bindings than it was asked for.
enum class Stuck { kFails, kStays, kShrinks };
class StuckSession : public MibSession {
 public:
  explicit StuckSession(Stuck how, int* calls) : how_(how), calls_(calls) {}
  bool GetNext(std::vector<VarBind>& bindings) override {
    ++*calls_;
    if (how_ == Stuck::kFails) return false;
    if (how_ == Stuck::kShrinks) bindings.resize(1);
    bindings[0] = {{1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 1}, {2, 6, {}}};
    return true;
  }

 private:
  Stuck how_;
  int* calls_;
};

TEST(MacAddressSnmp, AnAgentThatFailsDoesNotMoveOnOrShortensTheAnswerEndsTheWalk) {
  for (const Stuck how : {Stuck::kFails, Stuck::kStays, Stuck::kShrinks}) {
    MacHarness h;
    int calls = 0;
    h.mib.make_session = [&] { return std::make_unique<StuckSession>(how, &calls); };
    EXPECT_EQ(h.Collect(), kNothingYet);
    EXPECT_LE(calls, 3) << static_cast<int>(how);
  }
}

TEST(MacAddressUuid, WithNeitherNetBiosNorSnmpTheUuidNodeIsShown) {
  MacHarness h;
  h.mib.status = MibOpenStatus::kNoAgent;
  h.GiveUuid();
  EXPECT_EQ(h.Collect(), "uAA:AB:AC:AD:AE:AF");
}

TEST(MacAddressUuid, AUuidUniqueOnlyOnThisComputerIsRefused) {
  MacHarness h;
  h.GiveUuid();
  h.uuid.next.status = UuidStatus::kLocalOnly;
  EXPECT_EQ(h.Collect(), kNothingYet);
}

TEST(MacAddressRecollect, AValueFromAnEarlierPassStaysWhenEveryMethodFails) {
  MacHarness h;
  h.GiveUuid();
  const std::string first = h.Collect();
  ASSERT_EQ(first, "uAA:AB:AC:AD:AE:AF");
  h.uuid.next.bytes[15] = 0x00;  // a new UUID would differ
  EXPECT_EQ(h.Collect(), first);
  EXPECT_EQ(h.uuid.creates, 1);

  h.mib.rows = {{1, kEthernet, kCard}};
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");
  h.mib.rows.clear();
  EXPECT_EQ(h.Collect(), "s00:A0:C9:12:34:56");
  EXPECT_EQ(h.uuid.creates, 1);
}

TEST(MibOids, CompareGivesTheFirstDifferenceOverTheShorterLength) {
  const struct {
    Oid a, b;
    std::size_t n;
    std::int64_t expected;
  } cases[] = {
      {{1, 3, 6}, {1, 3, 6}, 3, 0},  {{1, 3, 7}, {1, 3, 6}, 3, 1},
      {{1, 3, 2}, {1, 3, 6}, 3, -4}, {{1, 3}, {1, 3, 6}, 3, 0},
      {{1, 9, 6}, {1, 3, 6}, 1, 0},  {{0xFFFFFFFF}, {0}, 1, 0xFFFFFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(OidCompare(c.a, c.b, c.n), c.expected);
  EXPECT_TRUE(OidBeginsWith({1, 3, 6, 1, 2, 1, 2, 2, 1, 3, 4}, kIfType));
  EXPECT_FALSE(OidBeginsWith({1, 3, 6, 1, 2, 1, 2, 2, 1}, kIfType));
  EXPECT_FALSE(OidBeginsWith({1, 3, 6, 1, 2, 1, 2, 2, 1, 4, 1}, kIfType));
}

TEST(InterfaceTableMib, GetNextWalksEachColumnInIndexOrderThenLeavesIt) {
  InterfaceTableMib mib({{12, kEthernet, kCard}, {3, kLoopback, Bytes{}}});
  std::vector<VarBind> count = {{kIfNumber, {}}};
  ASSERT_TRUE(mib.GetNext(count));
  EXPECT_EQ(count[0].name, (Oid{1, 3, 6, 1, 2, 1, 2, 1, 0}));
  EXPECT_EQ(count[0].value.number, 2);

  std::vector<VarBind> row = {{kIfType, {}}, {kIfPhysAddress, {}}};
  ASSERT_TRUE(mib.GetNext(row));
  EXPECT_EQ(row[0].name.back(), 3u);
  EXPECT_EQ(row[0].value.number, 24);
  ASSERT_TRUE(mib.GetNext(row));
  EXPECT_EQ(row[0].name.back(), 12u);
  EXPECT_EQ(row[1].value.bytes, kCard);
  EXPECT_FALSE(mib.GetNext(row));  // nothing lies after the last ifPhysAddress
}

}  // namespace
}  // namespace zeltrand::testing
