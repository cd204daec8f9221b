// The administrator's page: the record file as one self-contained HTML page
// (UTF-8, its style and script inline and allowed by their hashes alone).
// A head with the file's facts and charts of what the PCs run, a table of
// the PCs from their latest records, a table of the programs, what changed
// on each PC, and each PC's own view. Every text that comes from the file is
// escaped. What the page does not show at once it keeps as data (JSON in
// script elements that do not run, and markup a browser with scripts reads
// as text), so that a page of 10,000 PCs opens and filters at once.
#pragma once

#include <cstdint>
#include <string>

#include "platform/machine.h"
#include "platform/text_converter.h"
#include "summary/inventory.h"
#include "summary/record_reader.h"

namespace zeltrand::summary {

inline constexpr int kStaleDays = 30;

struct PageFacts {
  std::string file_name;  // UTF-8
  std::uint64_t file_size = 0;
  LocalTime now;
};

// `text` with & < > " ' as character references.
std::string EscapeHtml(std::string_view text);

std::string WriteSummaryPage(const Inventory& inventory, const ReadStats& stats,
                             const PageFacts& facts, TextConverter& converter);

// Reads every record of `source` and writes its page.
std::string MakeSummaryPage(ByteSource& source, const PageFacts& facts, TextConverter& converter);

}  // namespace zeltrand::summary
