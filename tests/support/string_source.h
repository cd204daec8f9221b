// A record file held in a string, handed out at most `chunk` bytes a read
// (a small chunk splits lines across reads, as a slow share does).
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>

#include "platform/summary_io.h"

namespace zeltrand::testing {

class StringSource final : public ByteSource {
 public:
  explicit StringSource(std::string bytes,
                        std::size_t chunk = std::numeric_limits<std::size_t>::max())
      : bytes_(std::move(bytes)), chunk_(chunk) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = bytes_.copy(buffer, std::min(size, chunk_), at_);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t at_ = 0;
};

}  // namespace zeltrand::testing
