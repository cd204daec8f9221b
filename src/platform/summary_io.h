// What the summary command needs of the system: the record file, read
// while other PCs append to it, and the page it writes and shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/machine.h"

namespace zeltrand {

// Where bytes come from: fills `buffer` and says how many bytes it put
// there; 0 at the end.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual std::size_t Read(char* buffer, std::size_t size) = 0;
};

// A file read at any place, by several threads at once: fills `buffer`
// with the bytes from `offset` on and says how many it put there; 0 at the
// end.
class FileSource {
 public:
  virtual ~FileSource() = default;
  virtual std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) = 0;
};

// The record file and the page of one run of the command. The paths are
// the system's own (the command line's, or `settings_path`).
class SummaryIo : public ByteSource, public FileSource {
 public:
  // True when the command line names the record file.
  virtual bool RecordFileNamed() = 0;
  // Opens the record file the command line names, else `settings_path`
  // (code page 932), to read up to its size now while others append.
  virtual bool OpenRecordFile(const std::string& settings_path) = 0;
  virtual std::string RecordFileName() = 0;  // UTF-8, without its folder
  virtual std::uint64_t RecordFileSize() = 0;
  virtual bool ReadFailed() = 0;
  // Writes the page whole (or not at all); then shows it.
  virtual bool WritePage(const std::string& page) = 0;
  virtual void ShowPage() = 0;
  virtual LocalTime Now() = 0;
  // Tells the user what went wrong: `message` (code page 932) and the path
  // of the record file or of the page.
  virtual void TellAboutRecordFile(std::string_view message) = 0;
  virtual void TellAboutPage(std::string_view message) = 0;
};

}  // namespace zeltrand
