// Clock and files in memory.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/system.h"

namespace zeltrand::testing {

class FakeClock : public Clock {
 public:
  unsigned slept_ms = 0;
  void Sleep(unsigned milliseconds) override { slept_ms += milliseconds; }
};

class FakeFiles : public Files {
 public:
  std::string exe_path = "C:\\Tools\\Zeltrand.exe";
  std::map<std::string, std::string> contents;
  std::set<std::string> unwritable;  // paths whose replacement fails
  int writes = 0;

  std::string ExecutablePath() override { return exe_path; }
  std::optional<std::string> ReadWholeFile(const std::string& path) override {
    const auto it = contents.find(path);
    if (it == contents.end()) return std::nullopt;
    return it->second;
  }
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override {
    ++writes;
    if (unwritable.count(path)) return false;
    contents[path] = bytes;
    return true;
  }
};

}  // namespace zeltrand::testing
