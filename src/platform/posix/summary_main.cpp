// zeltrand-summary --ocs URL RECORD_FILE: see ocs_command.h.
// zeltrand-summary RECORD_FILE [HTML_FILE]: the administrator's page of a
// record file, made on the file server (from cron, say). The page goes to
// HTML_FILE, or to standard output without it; errors go to standard error.
// Exit codes, as Zeltrand.exe /summary: 0 the page is written, 2 the record
// file cannot be read, 3 the page cannot be written; 64 wrong arguments.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/posix/iconv_converter.h"
#include "platform/posix/ocs_command.h"
#include "summary/summary_page.h"

namespace {

using namespace zeltrand;

// Reads up to the size the file had when it was opened: what a 記録 adds
// meanwhile is for the next page.
class FileSource final : public summary::ByteSource {
 public:
  FileSource(int fd, std::uint64_t size) : fd_(fd), left_(size) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (left_ < size) size = static_cast<std::size_t>(left_);
    while (size > 0) {
      const ssize_t got = read(fd_, buffer, size);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) failed_ = errno;
      if (got <= 0) break;
      left_ -= static_cast<std::uint64_t>(got);
      return static_cast<std::size_t>(got);
    }
    return 0;
  }
  int failed() const { return failed_; }

 private:
  int fd_;
  std::uint64_t left_;
  int failed_ = 0;
};

LocalTime Now() {
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

int Fail(const char* what, const char* path, int error, int code) {
  std::fprintf(stderr, "zeltrand-summary: %s %s: %s\n", what, path, std::strerror(error));
  return code;
}

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

}  // namespace

int main(int argc, char** argv) {
  if (posix::IsOcsCommand(argc, argv)) return posix::RunOcsCommand(argc, argv);
  if (argc != 2 && argc != 3) {
    std::fputs("usage: zeltrand-summary RECORD_FILE [HTML_FILE]\n", stderr);
    return 64;
  }
  const int fd = open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || fstat(fd, &info) != 0) return Fail("cannot open", argv[1], errno, 2);
  FileSource source(fd, static_cast<std::uint64_t>(info.st_size));
  posix::IconvConverter converter;
  const char* slash = std::strrchr(argv[1], '/');
  const summary::PageFacts facts{slash != nullptr ? slash + 1 : argv[1],
                                 static_cast<std::uint64_t>(info.st_size), Now()};
  const std::string page = summary::MakeSummaryPage(source, facts, converter);
  close(fd);
  if (source.failed() != 0) return Fail("cannot read", argv[1], source.failed(), 2);
  if (argc == 2) {
    return WriteAll(STDOUT_FILENO, page) ? 0 : Fail("cannot write", "standard output", errno, 3);
  }
  // A new file beside the old one takes its place whole: a browser never
  // sees half a page.
  const std::string temporary = std::string(argv[2]) + ".tmp";
  const int out = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0) return Fail("cannot write", temporary.c_str(), errno, 3);
  const bool written = WriteAll(out, page) && fsync(out) == 0;
  const int error = errno;
  if (close(out) != 0 || !written || rename(temporary.c_str(), argv[2]) != 0) {
    unlink(temporary.c_str());
    return Fail("cannot write", argv[2], written ? errno : error, 3);
  }
  return 0;
}
