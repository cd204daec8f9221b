// The summary command's files on a POSIX file server: the record file,
// read while PCs append to it, and the page, which may lie in a folder
// others can write (the README's cron example): nothing planted there is
// opened, and the record file is read only when it is a regular file.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/summary_io.h"
#include "platform/text_converter.h"

namespace zeltrand::posix {

class FileSummaryIo final : public SummaryIo {
 public:
  // `page_path` nullptr: the page goes to standard output.
  FileSummaryIo(const char* record_path, const char* page_path, TextConverter& converter)
      : record_path_(record_path), page_path_(page_path), converter_(converter) {}
  ~FileSummaryIo() override;
  FileSummaryIo(const FileSummaryIo&) = delete;
  FileSummaryIo& operator=(const FileSummaryIo&) = delete;

  bool RecordFileNamed() override { return true; }
  bool OpenRecordFile(const std::string& settings_path) override;
  std::string RecordFileName() override;
  std::uint64_t RecordFileSize() override { return size_; }
  std::size_t Read(char* buffer, std::size_t size) override;
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override;
  bool ReadFailed() override { return error_ != 0; }
  bool WritePage(const std::string& page) override;
  void ShowPage() override {}
  LocalTime Now() override;
  void TellAboutRecordFile(std::string_view message) override;
  void TellAboutPage(std::string_view message) override;

 private:
  bool Failed();
  void Tell(const char* path, const char* separator, std::string_view message);

  const char* record_path_;
  const char* page_path_;
  TextConverter& converter_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t left_ = 0;
  std::atomic<int> error_ = 0;  // the first, from any thread
  bool not_a_file_ = false;
};

}  // namespace zeltrand::posix
