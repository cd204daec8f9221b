// What the collectors found: the fourteen field texts and the values other
// parts of the program read from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zeltrand {

inline constexpr int kInfoItemCount = 14;
// A field text never exceeds this many bytes.
inline constexpr std::size_t kFieldTextLimit = 159;

using ItemValues = std::array<std::string, kInfoItemCount>;

// The texts the fields show before anything has been collected.
ItemValues InitialItemValues();

struct CollectedInfo {
  ItemValues item_values = InitialItemValues();

  // Published for the hardware report.
  std::string product_id_text;
  std::uint32_t platform_id = 0;
  std::string psn_text;
  std::uint64_t total_memory_mb = 0;

  // WinSock runs from the version field to the address field of a pass.
  bool winsock_started = false;
  // The address the latest successful lookup found, without the settings
  // part that follows it in field 11.
  std::string last_ip_address;

  // The two lists, filled once at start.
  std::vector<std::string> login_users;
  std::vector<std::string> softs;
};

}  // namespace zeltrand
