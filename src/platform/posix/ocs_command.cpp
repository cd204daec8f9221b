#include "platform/posix/ocs_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/posix/curl_http.h"
#include "platform/posix/iconv_converter.h"
#include "platform/posix/zlib_codec.h"
#include "server/record_file_send.h"

namespace zeltrand::posix {

namespace {

class FdSource final : public summary::ByteSource {
 public:
  explicit FdSource(int fd) : fd_(fd) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    ssize_t got = -1;
    while (got < 0 && !failed_) {
      got = read(fd_, buffer, size);
      if (got < 0 && errno != EINTR) failed_ = errno;
    }
    return got > 0 ? static_cast<std::size_t>(got) : 0;
  }
  int failed() const { return failed_; }

 private:
  int fd_;
  int failed_ = 0;
};

}  // namespace

bool IsOcsCommand(int argc, char** argv) {
  return argc >= 2 && std::strcmp(argv[1], "--ocs") == 0;
}

int RunOcsCommand(int argc, char** argv) {
  if (argc != 4) {
    std::fputs("usage: zeltrand-summary --ocs URL RECORD_FILE\n", stderr);
    return 64;
  }
  const int fd = open(argv[3], O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    std::fprintf(stderr, "zeltrand-summary: cannot open %s: %s\n", argv[3], std::strerror(errno));
    return 2;
  }
  FdSource source(fd);
  // One inventory at a time: the server (2.8) takes several at once, but
  // then loses some in deadlocks of its program tables while it still
  // answers that it stored them.
  CurlHttp http;
  IconvConverter text;
  const server::RecordFileSend result =
      server::SendRecordFile(source, argv[2], http, text, ZlibCompress, ZlibInflate);
  close(fd);
  if (source.failed() != 0) {
    std::fprintf(stderr, "zeltrand-summary: cannot read %s: %s\n", argv[3],
                 std::strerror(source.failed()));
    return 2;
  }
  std::fputs(text.Utf8FromCp932(server::SendReportText(result)).c_str(), stdout);
  return result.failed.empty() ? 0 : 1;
}

}  // namespace zeltrand::posix
