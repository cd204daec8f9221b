// Clock and files over kernel32.
#pragma once

#include "platform/system.h"

namespace zeltrand::win32 {

class Win32Clock final : public Clock {
 public:
  void Sleep(unsigned milliseconds) override;
};

class Win32Files final : public Files {
 public:
  std::string ExecutablePath() override;
  std::optional<std::string> ReadWholeFile(const std::string& path) override;
  bool WriteWholeFile(const std::string& path, std::string_view bytes) override;
  OpenedFile OpenExclusive(const std::string& path) override;
  std::string LocalAppDataFolder() override;
  bool CreateFolder(const std::string& path) override;
  std::string Cp932FromUtf16(std::u16string_view text) override;
  std::u16string Utf16FromCp932(std::string_view text) override;
};

}  // namespace zeltrand::win32
