#include "summary/record_file.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace zeltrand::summary {

namespace {

// The bytes of a file from `offset` up to `end`.
class PartSource final : public ByteSource {
 public:
  PartSource(FileSource& file, std::uint64_t offset, std::uint64_t end)
      : file_(file), offset_(offset), end_(end) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    if (offset_ >= end_) return 0;
    const std::size_t got = file_.ReadAt(
        offset_, buffer, static_cast<std::size_t>(std::min<std::uint64_t>(size, end_ - offset_)));
    offset_ += got;
    return got;
  }

 private:
  FileSource& file_;
  std::uint64_t offset_;
  std::uint64_t end_;
};

// The lines starting in [begin, end): a part after the first reads from the
// byte before its beginning, and skips the line that byte ends or holds.
RecordFile ReadPart(FileSource& file, std::uint64_t size, std::int64_t newest, std::uint64_t begin,
                    std::uint64_t end) {
  const std::uint64_t from = begin == 0 ? 0 : begin - 1;
  PartSource source(file, from, size);
  RecordFile part{Inventory(true, begin != 0), {}};
  RecordReader reader(source, newest, {begin != 0, end - from}, &part.inventory);
  while (const Fields* fields = reader.NextFields()) part.inventory.Add(*fields);
  part.inventory.ForgetLastLines();
  part.stats = reader.stats();
  return part;
}

void Join(ReadStats& stats, const ReadStats& later) {
  for (const UnreadableLine& line : later.first_unreadable) {
    if (stats.first_unreadable.size() == ReadStats::kListedUnreadable) break;
    stats.first_unreadable.push_back({line.line + stats.lines, line.reason});
  }
  stats.bytes += later.bytes;
  stats.lines += later.lines;
  stats.records += later.records;
  stats.headers += later.headers;
  stats.unreadable += later.unreadable;
  stats.torn_last_line = stats.torn_last_line || later.torn_last_line;
}

}  // namespace

RecordFile ReadRecordFile(FileSource& file, std::uint64_t size, std::int64_t newest) {
  // A part costs a thread and a reader's memory: worth it from a few
  // megabytes on.
  constexpr std::uint64_t kLeastPart = std::uint64_t{4} << 20;
  const std::uint64_t parts = std::clamp<std::uint64_t>(
      std::min<std::uint64_t>(std::thread::hardware_concurrency(), size / kLeastPart), 1,
      kMaxParts);
  std::vector<std::uint64_t> splits;
  for (std::uint64_t i = 1; i < parts; ++i) splits.push_back(size / parts * i);
  return ReadRecordFile(file, size, newest, splits);
}

RecordFile ReadRecordFile(FileSource& file, std::uint64_t size, std::int64_t newest,
                          std::span<const std::uint64_t> splits) {
  std::vector<std::uint64_t> begins = {0};
  begins.insert(begins.end(), splits.begin(), splits.end());
  begins.push_back(size);
  std::vector<RecordFile> later(begins.size() - 2);
  std::vector<std::thread> threads;
  for (std::size_t i = 0; i < later.size(); ++i) {
    threads.emplace_back(
        [&, i] { later[i] = ReadPart(file, size, newest, begins[i + 1], begins[i + 2]); });
  }
  RecordFile read = ReadPart(file, size, newest, 0, begins[1]);
  for (std::thread& thread : threads) thread.join();
  for (RecordFile& part : later) {
    read.inventory.Join(std::move(part.inventory), read.stats.lines);
    Join(read.stats, part.stats);
  }
  return read;
}

}  // namespace zeltrand::summary
