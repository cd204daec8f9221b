// A whole record file read by as many readers at once as there are
// processors (kMaxParts at most), each from a part of it split at a line's
// end, their PCs joined in the end: the same inventory as one reader's.
#pragma once

#include <cstdint>
#include <span>

#include "platform/summary_io.h"
#include "summary/inventory.h"
#include "summary/record_reader.h"

namespace zeltrand::summary {

struct RecordFile {
  Inventory inventory;
  ReadStats stats;
};

// The first `size` bytes of `file`, records dated after `newest` unreadable.
RecordFile ReadRecordFile(FileSource& file, std::uint64_t size, std::int64_t newest);

// The same, in parts that begin at the given places after 0 (in order).
RecordFile ReadRecordFile(FileSource& file, std::uint64_t size, std::int64_t newest,
                          std::span<const std::uint64_t> splits);

}  // namespace zeltrand::summary
