#include "platform/posix/ocs_command.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <thread>

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

// The server stores an inventory in a few hundred database statements and
// takes several at once: a few connections keep it busy.
constexpr unsigned kConnections = 4;

server::RecordFileSend SendAll(const std::vector<summary::Record>& pcs, const std::string& url) {
  std::vector<server::Delivery> deliveries(pcs.size());
  std::atomic<std::size_t> next = 0;
  std::atomic<bool> server_away = false;
  const auto work = [&] {
    CurlHttp http;
    IconvConverter text;
    for (std::size_t i; (i = next++) < pcs.size();) {
      deliveries[i] = server_away
                          ? server::NotTried()
                          : server::SendLatest(pcs[i], url, http, text, ZlibCompress, ZlibInflate);
      if (deliveries[i].no_answer) server_away = true;
    }
  };
  std::vector<std::thread> threads;
  for (unsigned i = 1; i < kConnections && i < pcs.size(); ++i) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return server::Tally(pcs, deliveries);
}

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
  const std::vector<summary::Record> pcs = server::LatestRecords(source);
  close(fd);
  if (source.failed() != 0) {
    std::fprintf(stderr, "zeltrand-summary: cannot read %s: %s\n", argv[3],
                 std::strerror(source.failed()));
    return 2;
  }
  curl_global_init(CURL_GLOBAL_DEFAULT);  // once, before the threads
  const server::RecordFileSend result = SendAll(pcs, argv[2]);
  IconvConverter text;
  std::fputs(text.Utf8FromCp932(server::SendReportText(result)).c_str(), stdout);
  return result.failed.empty() ? 0 : 1;
}

}  // namespace zeltrand::posix
