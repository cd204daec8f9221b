// Small services of the operating system that the logic needs besides the
// dialog: time, files, the registry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zeltrand {

class Registry;
class Machine;
class CpuProbe;
class NetBios;
class MibAgent;
class UuidSource;
class WinIni;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(unsigned milliseconds) = 0;
};

class Files {
 public:
  virtual ~Files() = default;
  // The full path of the running executable.
  virtual std::string ExecutablePath() = 0;
  // The whole content of `path`; nullopt when it cannot be read.
  virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
  // Writes `bytes` as the whole new content of `path`. The old file stays
  // whole unless the new one was written completely.
  virtual bool WriteWholeFile(const std::string& path, std::string_view bytes) = 0;
};

// Everything the logic may ask of the system, handed in once at start.
struct Services {
  Clock& clock;
  Files& files;
  Registry& registry;
  Machine& machine;
  CpuProbe& cpu;
  NetBios& netbios;
  MibAgent& mib;
  UuidSource& uuid;
  WinIni& win_ini;
};

}  // namespace zeltrand
