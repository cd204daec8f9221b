// A record file held in a string, handed out at most `chunk` bytes a read
// (a small chunk splits lines across reads, as a slow share does), in turn
// or from any place.
#pragma once

#include <algorithm>
#include <cstddef>
#include <limits>
#include <string>

#include "platform/summary_io.h"

namespace zeltrand::testing {

class StringSource final : public ByteSource, public FileSource {
 public:
  explicit StringSource(std::string bytes,
                        std::size_t chunk = std::numeric_limits<std::size_t>::max())
      : bytes_(std::move(bytes)), chunk_(chunk) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = bytes_.copy(buffer, std::min(size, chunk_), at_);
    at_ += n;
    return n;
  }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    return offset < bytes_.size() ? bytes_.copy(buffer, std::min(size, chunk_), offset) : 0;
  }
  std::uint64_t size() const { return bytes_.size(); }

 private:
  std::string bytes_;
  std::size_t chunk_;
  std::size_t at_ = 0;
};

}  // namespace zeltrand::testing
