// Small services of the operating system that the logic needs besides the
// dialog: time, files, the registry.
#pragma once

#include <cstdint>
#include <memory>
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
class Shell;
class Net;
class Http;
class TextConverter;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(unsigned milliseconds) = 0;
};

// A file opened for appending that no other process can open for writing
// until this object goes away, which closes it; readers that share writing
// may read it meanwhile.
class AppendFile {
 public:
  virtual ~AppendFile() = default;
  // Nothing when the size cannot be read.
  virtual std::optional<std::uint64_t> Size() = 0;
  // Nothing when the file is empty or cannot be read.
  virtual std::optional<char> LastByte() = 0;
  // Writes `bytes` at the end and flushes them; false unless all of them
  // reached the file.
  virtual bool Append(std::string_view bytes) = 0;
  // Cuts the file back to `size` bytes.
  virtual bool Truncate(std::uint64_t size) = 0;
};

struct OpenedFile {
  std::unique_ptr<AppendFile> file;  // none when the open failed
  bool busy = false;                 // it failed because another process has the file open
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
  // Opens `path` for this process alone to write (readers that share
  // writing may read), creating it when missing and never truncating it.
  virtual OpenedFile OpenExclusive(const std::string& path) = 0;
  // The user's own local application-data folder; "" when unknown.
  virtual std::string LocalAppDataFolder() = 0;
  // Creates the folder `path`, whose parent exists; true when it exists now.
  virtual bool CreateFolder(const std::string& path) = 0;
  // UTF-16 text in code page 932, as the system converts it ('?' for what
  // the code page lacks).
  virtual std::string Cp932FromUtf16(std::u16string_view text) = 0;
  // Code page 932 text in UTF-16, as the system converts it.
  virtual std::u16string Utf16FromCp932(std::string_view text) = 0;
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
  Shell& shell;
  Net& net;
  Http& http;
  TextConverter& text;
};

}  // namespace zeltrand
