// zeltrand-summary --ocs URL RECORD_FILE: see SendToServer below.
// zeltrand-summary RECORD_FILE [HTML_FILE]: the administrator's page of a
// record file, made on the file server (from cron, say) by the same code as
// Zeltrand.exe /summary. The page goes to HTML_FILE, or to standard output
// without it; errors go to standard error. Exit codes as Zeltrand.exe's,
// and 64 for wrong arguments.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "app/ocs_command.h"
#include "app/summary_command.h"
#include "platform/posix/curl_http.h"
#include "platform/posix/iconv_converter.h"
#include "platform/summary_io.h"
#include "platform/zlib_codec.h"

namespace {

using namespace zeltrand;

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

class PosixSummaryIo final : public SummaryIo {
 public:
  PosixSummaryIo(const char* record_path, const char* page_path, TextConverter& converter)
      : record_path_(record_path), page_path_(page_path), converter_(converter) {}
  ~PosixSummaryIo() override {
    if (fd_ >= 0) close(fd_);
  }
  PosixSummaryIo(const PosixSummaryIo&) = delete;
  PosixSummaryIo& operator=(const PosixSummaryIo&) = delete;

  bool RecordFileNamed() override { return true; }

  bool OpenRecordFile(const std::string&) override {
    fd_ = open(record_path_, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd_ < 0 || fstat(fd_, &info) != 0) return Failed();
    size_ = left_ = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  std::string RecordFileName() override {
    const char* slash = std::strrchr(record_path_, '/');
    return slash != nullptr ? slash + 1 : record_path_;
  }

  std::uint64_t RecordFileSize() override { return size_; }

  // Up to the size the file had when opened: what a 記録 adds meanwhile is
  // for the next page.
  std::size_t Read(char* buffer, std::size_t size) override {
    if (left_ < size) size = static_cast<std::size_t>(left_);
    while (size > 0) {
      const ssize_t got = read(fd_, buffer, size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) Failed();
      if (got <= 0) break;
      left_ -= static_cast<std::uint64_t>(got);
      return static_cast<std::size_t>(got);
    }
    return 0;
  }

  bool ReadFailed() override { return error_ != 0; }

  // A new file beside the old one takes its place whole.
  bool WritePage(const std::string& page) override {
    if (page_path_ == nullptr) return WriteAll(STDOUT_FILENO, page) || Failed();
    const std::string temporary = std::string(page_path_) + ".tmp";
    const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0) return Failed();
    const bool written = (WriteAll(out, page) && fsync(out) == 0) || Failed();
    if (close(out) == 0 && written && rename(temporary.c_str(), page_path_) == 0) return true;
    Failed();
    unlink(temporary.c_str());
    return false;
  }

  void ShowPage() override {}

  LocalTime Now() override {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return {t.tm_year + 1900,
            t.tm_mon + 1,
            t.tm_mday,
            t.tm_hour,
            t.tm_min,
            t.tm_sec,
            static_cast<int>(t.tm_gmtoff / 60)};
  }

  void TellAboutRecordFile(std::string_view message) override { Tell(record_path_, ": ", message); }
  void TellAboutPage(std::string_view message) override {
    Tell(page_path_ != nullptr ? page_path_ : "standard output ", "", message);
  }

 private:
  bool Failed() {
    if (error_ == 0) error_ = errno;
    return false;
  }

  void Tell(const char* path, const char* separator, std::string_view message) {
    std::fprintf(stderr, "zeltrand-summary: %s%s%s (%s)\n", path, separator,
                 converter_.Utf8FromCp932(message).c_str(), std::strerror(error_));
  }

  const char* record_path_;
  const char* page_path_;
  TextConverter& converter_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint64_t left_ = 0;
  int error_ = 0;
};

}  // namespace

// zeltrand-summary --ocs URL RECORD_FILE (app/ocs_command.h): the report
// on standard output; exit codes 0 all sent, 1 some not, 2 the record file
// cannot be read.
static int SendToServer(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: zeltrand-summary --ocs URL RECORD_FILE\n", stderr);
    return 64;
  }
  posix::IconvConverter converter;
  PosixSummaryIo io(argv[3], nullptr, converter);
  posix::CurlHttp http;
  return RunOcsCommand(io, nullptr, argv[2], http, converter, ZlibCompress, ZlibInflate,
                       [&](std::string_view report, bool) {
                         std::fputs(converter.Utf8FromCp932(report).c_str(), stdout);
                       });
}

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "--ocs") == 0) return SendToServer(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fputs("usage: zeltrand-summary RECORD_FILE [HTML_FILE]\n", stderr);
    return 64;
  }
  posix::IconvConverter converter;
  PosixSummaryIo io(argv[1], argc == 3 ? argv[2] : nullptr, converter);
  return RunSummaryCommand(io, nullptr, converter);
}
