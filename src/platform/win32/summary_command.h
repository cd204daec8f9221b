// Zeltrand.exe /summary [RECORD_FILE] [HTML_FILE] on Windows: the record
// file and the page by their UTF-16 paths, the page in the current folder
// (Zeltrand.html) unless named, shown by the default browser; failures in a
// message box.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/summary_io.h"

namespace zeltrand::win32 {

// True when the command line asks for the summary.
bool IsSummaryCommand(const wchar_t* command_line);

class Win32SummaryIo final : public SummaryIo {
 public:
  // The record file is argument `record_argument` (1: after /summary), the
  // page the one after it.
  explicit Win32SummaryIo(const wchar_t* command_line, std::size_t record_argument = 1);
  ~Win32SummaryIo() override;
  Win32SummaryIo(const Win32SummaryIo&) = delete;
  Win32SummaryIo& operator=(const Win32SummaryIo&) = delete;

  std::size_t Read(char* buffer, std::size_t size) override;
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override;
  bool RecordFileNamed() override;
  bool OpenRecordFile(const std::string& settings_path) override;
  std::string RecordFileName() override;
  std::uint64_t RecordFileSize() override;
  bool ReadFailed() override;
  bool WritePage(const std::string& page) override;
  void ShowPage() override;
  LocalTime Now() override;
  void TellAboutRecordFile(std::string_view message) override;
  void TellAboutPage(std::string_view message) override;

 private:
  void Tell(const std::wstring& text);

  std::wstring record_path_;
  std::wstring page_path_;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::uint64_t size_ = 0;
  std::uint64_t left_ = 0;
  std::atomic<bool> failed_ = false;  // set by any thread
  bool not_a_file_ = false;
};

}  // namespace zeltrand::win32
