// Clock and files in memory.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"
#include "support/utf16.h"

namespace zeltrand::testing {

class FakeClock : public Clock {
 public:
  unsigned slept_ms = 0;
  // Runs during each pause, as other programs would meanwhile.
  std::function<void()> on_sleep;
  void Sleep(unsigned milliseconds) override {
    slept_ms += milliseconds;
    if (on_sleep) on_sleep();
  }
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

  // Exclusive opens: `busy` paths are held by another process, `unopenable`
  // ones fail for any other reason; an append to a `failing_appends` path
  // stops half-way. A path stays held while its AppendFile lives.
  std::set<std::string> busy;
  std::set<std::string> unopenable;
  std::set<std::string> failing_appends;
  std::set<std::string> held;
  std::vector<std::string> open_attempts;

  OpenedFile OpenExclusive(const std::string& path) override;

  std::string local_app_data = "C:\\Users\\taro\\AppData\\Local";
  std::set<std::string> folders;
  std::string LocalAppDataFolder() override { return local_app_data; }
  bool CreateFolder(const std::string& path) override { return folders.insert(path), true; }
  std::string Cp932FromUtf16(std::u16string_view text) override { return utf16::ToCp932(text); }
  std::u16string Utf16FromCp932(std::string_view text) override {
    return utf16::FromCp932(text).value_or(u"?");
  }
};

class FakeAppendFile : public AppendFile {
 public:
  FakeAppendFile(FakeFiles& files, std::string path) : files_(files), path_(std::move(path)) {
    files_.held.insert(path_);
  }
  ~FakeAppendFile() override { files_.held.erase(path_); }

  std::optional<std::uint64_t> Size() override { return Bytes().size(); }
  std::optional<char> LastByte() override {
    if (Bytes().empty()) return std::nullopt;
    return Bytes().back();
  }
  bool Append(std::string_view bytes) override {
    if (files_.failing_appends.count(path_)) {
      Bytes() += bytes.substr(0, bytes.size() / 2);
      return false;
    }
    Bytes() += bytes;
    return true;
  }
  bool Truncate(std::uint64_t size) override {
    Bytes().resize(static_cast<std::size_t>(size));
    return true;
  }

 private:
  std::string& Bytes() { return files_.contents[path_]; }

  FakeFiles& files_;
  std::string path_;
};

inline OpenedFile FakeFiles::OpenExclusive(const std::string& path) {
  open_attempts.push_back(path);
  if (busy.count(path) || held.count(path)) return {nullptr, true};
  if (unopenable.count(path)) return {nullptr, false};
  contents[path];  // open-or-create
  return {std::make_unique<FakeAppendFile>(*this, path), false};
}

}  // namespace zeltrand::testing
