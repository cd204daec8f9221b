// Scripted MAC address sources and win.ini for the collectors' tests.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "collect/mib2.h"
#include "platform/network_probes.h"
#include "platform/win_ini.h"

namespace zeltrand::testing {

// No NetBIOS until `status` says otherwise.
class FakeNetBios : public NetBios {
 public:
  NetBiosStatus status{0x40 /* NRC_SYSTEM */, {}};
  std::vector<int> queried_adapters;

  NetBiosStatus AdapterStatus(std::uint8_t lana) override {
    queried_adapters.push_back(lana);
    return status;
  }

  // A good answer from an adapter of `type` at `address`.
  void Answer(std::uint8_t type, std::vector<std::uint8_t> address) {
    status.return_code = 0;
    status.record = std::move(address);
    status.record.resize(60);
    status.record[8] = type;
  }
};

// An agent over scripted interface rows; `status` says how opening goes.
// Without the agent (kNoAgent) the rows are the system's interface table.
class FakeMibAgent : public MibAgent {
 public:
  MibOpenStatus status = MibOpenStatus::kAgent;
  std::vector<InterfaceRow> rows;
  int opens = 0;
  std::vector<std::string> traces;
  // Replaces the agent over `rows` when set.
  std::function<std::unique_ptr<MibSession>()> make_session;

  MibOpening Open() override {
    ++opens;
    MibOpening opening{status, nullptr, std::nullopt};
    if (status == MibOpenStatus::kAgent) {
      opening.session = make_session ? make_session() : std::make_unique<InterfaceTableMib>(rows);
    }
    if (status == MibOpenStatus::kNoAgent) opening.interfaces = rows;
    return opening;
  }
  void Trace(std::string_view line) override { traces.emplace_back(line); }
};

class FakeUuid : public UuidSource {
 public:
  NewUuid next{UuidStatus::kFailed, {}};
  int creates = 0;

  NewUuid Create() override {
    ++creates;
    return next;
  }
};

// Values by (section, key), matched as given.
class FakeWinIni : public WinIni {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view fallback) override {
    const auto it = values.find({std::string(section), std::string(key)});
    return it == values.end() ? std::string(fallback) : it->second;
  }
};

}  // namespace zeltrand::testing
