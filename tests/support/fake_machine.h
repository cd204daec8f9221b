// Scripted system facts and processor for the collectors' tests. The
// defaults describe an ordinary Windows 7 PC; the processor answers no
// CPUID leaf and runs at 1000 MHz.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/cpu.h"
#include "platform/machine.h"

namespace zeltrand::testing {

class FakeMachine : public Machine {
 public:
  LocalTime now{2003, 1, 17, 9, 5, 3};
  std::uint32_t tick_count = 0;
  OsVersion version{6, 1, 7601, 2, "Service Pack 1"};
  std::optional<MemoryStatus> memory = MemoryStatus{512u << 20, 256u << 20};
  std::string system_directory = "C:\\WINDOWS\\system32";
  bool has_extended_disk_space = true;
  std::optional<DiskSpace> disk_space = DiskSpace{std::uint64_t{10} << 30, std::uint64_t{20} << 30};
  std::optional<DiskClusters> disk_clusters;
  std::vector<std::string> disk_roots;  // the roots asked about, in order
  std::optional<std::uint32_t> volume_serial = 0x1A2B3C4D;
  std::vector<std::string> volume_roots;   // the roots whose serial was asked for
  std::optional<FreeResources> resources;  // none: the NT family
  int resource_calls = 0;
  std::optional<std::uint16_t> winsock_high_version = 0x0202;
  std::vector<std::uint16_t> winsock_requests;
  int winsock_stops = 0;
  std::optional<std::string> user_name = "taro";
  std::optional<std::string> computer_name = "PC01";
  std::optional<std::string> host_name = "pc01";
  std::map<std::string, Ipv4Address> hosts{{"pc01", {192, 168, 0, 5}}};
  std::vector<std::string> lookups;  // the host names looked up, in order
  std::vector<std::uint8_t> smbios;
  InventoryFacts inventory_facts{4, "AMD64", "WORKGROUP", "PC01", 1u << 30};

  LocalTime Now() override { return now; }
  std::uint32_t TickCount() override { return tick_count; }
  OsVersion Version() override { return version; }
  std::optional<MemoryStatus> Memory() override { return memory; }
  std::string SystemDirectory() override { return system_directory; }
  bool HasExtendedDiskSpace() override { return has_extended_disk_space; }
  std::optional<DiskSpace> ExtendedDiskSpace(std::string_view root) override {
    disk_roots.emplace_back(root);
    return disk_space;
  }
  std::optional<DiskClusters> LegacyDiskSpace(std::string_view root) override {
    disk_roots.emplace_back(root);
    return disk_clusters;
  }
  std::optional<std::uint32_t> VolumeSerial(std::string_view root) override {
    volume_roots.emplace_back(root);
    return volume_serial;
  }
  std::optional<FreeResources> FreeSystemResources() override {
    ++resource_calls;
    return resources;
  }
  std::optional<std::uint16_t> StartWinsock(std::uint16_t requested) override {
    winsock_requests.push_back(requested);
    return winsock_high_version;
  }
  void StopWinsock() override { ++winsock_stops; }
  std::optional<std::string> UserName() override { return user_name; }
  std::optional<std::string> ComputerName() override { return computer_name; }
  std::optional<std::string> HostName() override { return host_name; }
  std::optional<Ipv4Address> HostAddress(std::string_view host) override {
    lookups.emplace_back(host);
    const auto it = hosts.find(std::string(host));
    if (it == hosts.end()) return std::nullopt;
    return it->second;
  }
  std::vector<std::uint8_t> SmbiosTable() override { return smbios; }
  InventoryFacts ReadInventoryFacts() override { return inventory_facts; }
};

// The counter and the timer stand still except while sleeping.
class FakeCpu : public CpuProbe {
 public:
  std::map<std::uint32_t, CpuidRegisters> leaves;  // others read as zeros
  std::uint64_t counter = 0;
  std::uint32_t milliseconds = 0;
  std::uint64_t cycles_per_sleep = 1'000'000'000;  // what one Sleep lets pass
  std::uint32_t ms_per_sleep = 1000;
  std::vector<std::string> calls;  // "Cpuid 1", "Counter", "Timer", "Sleep 1000"

  CpuidRegisters Cpuid(std::uint32_t leaf) override {
    calls.push_back("Cpuid " + std::to_string(leaf));
    const auto it = leaves.find(leaf);
    return it == leaves.end() ? CpuidRegisters{} : it->second;
  }
  std::uint64_t TimeStampCounter() override {
    calls.push_back("Counter");
    return counter;
  }
  std::uint32_t Milliseconds() override {
    calls.push_back("Timer");
    return milliseconds;
  }
  void Sleep(unsigned ms) override {
    calls.push_back("Sleep " + std::to_string(ms));
    counter += cycles_per_sleep;
    milliseconds += ms_per_sleep;
  }
};

}  // namespace zeltrand::testing
