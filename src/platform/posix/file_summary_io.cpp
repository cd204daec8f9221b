#include "platform/posix/file_summary_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/visible_text.h"

namespace zeltrand::posix {

namespace {

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

FileSummaryIo::~FileSummaryIo() {
  if (fd_ >= 0) close(fd_);
}

// Without O_NONBLOCK a FIFO would hold the open until someone writes to
// it; with it the open returns, and anything but a regular file is refused.
bool FileSummaryIo::OpenRecordFile(const std::string&) {
  fd_ = open(record_path_, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd_ < 0 || fstat(fd_, &info) != 0) return Failed();
  if (!S_ISREG(info.st_mode)) {
    not_a_file_ = true;
    return false;
  }
  size_ = left_ = static_cast<std::uint64_t>(info.st_size);
  return true;
}

std::string FileSummaryIo::RecordFileName() {
  const char* slash = std::strrchr(record_path_, '/');
  return slash != nullptr ? slash + 1 : record_path_;
}

// Up to the size the file had when opened: what a 記録 adds meanwhile is
// for the next page.
std::size_t FileSummaryIo::Read(char* buffer, std::size_t size) {
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

// The same from any place, for readers in several threads.
std::size_t FileSummaryIo::ReadAt(std::uint64_t offset, char* buffer, std::size_t size) {
  if (offset >= size_) return 0;
  if (size_ - offset < size) size = static_cast<std::size_t>(size_ - offset);
  while (size > 0) {
    const ssize_t got = pread(fd_, buffer, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Failed();
    if (got <= 0) break;
    return static_cast<std::size_t>(got);
  }
  return 0;
}

// A new file of a unique name in the page's folder, created exclusively
// (mkstemp: O_CREAT|O_EXCL, so no file or link planted there is opened),
// then renamed over the page: a link planted under the page's name is
// replaced, not followed, and a browser never sees half a page.
bool FileSummaryIo::WritePage(const std::string& page) {
  if (page_path_ == nullptr) return WriteAll(STDOUT_FILENO, page) || Failed();
  const char* slash = std::strrchr(page_path_, '/');
  std::string temporary(page_path_, slash != nullptr ? slash + 1 - page_path_ : 0);
  temporary += ".zeltrand-page-XXXXXX";
  const int out = mkostemp(temporary.data(), O_CLOEXEC);
  if (out < 0) return Failed();
  const bool written =
      (fchmod(out, 0644) == 0 && WriteAll(out, page) && fsync(out) == 0) || Failed();
  if (close(out) == 0 && written && rename(temporary.c_str(), page_path_) == 0) return true;
  Failed();
  unlink(temporary.c_str());
  return false;
}

LocalTime FileSummaryIo::Now() {
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

void FileSummaryIo::TellAboutRecordFile(std::string_view message) {
  Tell(record_path_, ": ", message);
}

void FileSummaryIo::TellAboutPage(std::string_view message) {
  Tell(page_path_ != nullptr ? page_path_ : "standard output ", "", message);
}

bool FileSummaryIo::Failed() {
  int none = 0;
  error_.compare_exchange_strong(none, errno);
  return false;
}

void FileSummaryIo::Tell(const char* path, const char* separator, std::string_view message) {
  const char* why = not_a_file_ ? "not a regular file" : std::strerror(error_);
  std::fprintf(stderr, "zeltrand-summary: %s%s%s (%s)\n", VisibleText(path).c_str(), separator,
               converter_.Utf8FromCp932(message).c_str(), why);
}

}  // namespace zeltrand::posix
