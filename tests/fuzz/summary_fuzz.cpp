// The summary page of any record file: no fault, and every tag and
// attribute of the page is one the page writer makes, never one the file
// brought in. The first byte of the input chooses the sizes of the reads,
// so that lines are split across reads anywhere; the seeds hold a line
// over 32 KiB, a PC of more than 50 changes and more than 20 unreadable
// lines, and corpus/summary.options keeps their length (-len_control=0).
// Read in two parts, split where the first byte says, the input gives the
// same page.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "platform/posix/iconv_converter.h"
#include "summary/record_file.h"
#include "summary/summary_page.h"
#include "support/string_source.h"

namespace {

using namespace zeltrand;

class Bytes final : public summary::ByteSource {
 public:
  Bytes(const std::uint8_t* data, std::size_t size, unsigned seed)
      : data_(data), left_(size), state_(seed) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    state_ = state_ * 1103515245u + 12345u;
    const std::size_t most = (state_ & 0x80) != 0 ? size : 1 + (state_ >> 16) % 40000;
    const std::size_t n = std::min({size, left_, most});
    for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<char>(data_[i]);
    data_ += n;
    left_ -= n;
    return n;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_;
  unsigned state_;
};

const std::set<std::string> kTags = {
    "!doctype",   "html",  "head",  "meta",  "title", "style",  "script",   "body",
    "h1",         "h2",    "h3",    "dl",    "dt",    "dd",     "ul",       "li",
    "p",          "input", "table", "thead", "tbody", "tr",     "th",       "td",
    "section",    "main",  "div",   "span",  "a",     "button", "noscript", "figure",
    "figcaption", "svg",   "desc",  "g",     "text",  "rect"};
const std::set<std::string> kAttributes = {
    "lang",       "charset",         "http-equiv", "content",   "name",
    "id",         "class",           "type",       "hidden",    "placeholder",
    "aria-label", "aria-labelledby", "role",       "tabindex",  "href",
    "width",      "height",          "viewbox",    "x",         "y",
    "data-i",     "data-k",          "data-l",     "data-show", "data-hide"};

std::string Word(const std::string& page, std::size_t& at) {
  std::string word;
  while (at < page.size() && (std::isalnum(static_cast<unsigned char>(page[at])) ||
                              page[at] == '-' || page[at] == '!' || page[at] == '/')) {
    word += static_cast<char>(std::tolower(static_cast<unsigned char>(page[at++])));
  }
  return word;
}

void CheckMarkup(const std::string& page) {
  std::size_t at = 0;
  while ((at = page.find('<', at)) != std::string::npos) {
    ++at;
    std::string tag = Word(page, at);
    if (!tag.empty() && tag[0] == '/') tag.erase(0, 1);
    if (kTags.count(tag) == 0) std::abort();
    if (tag == "!doctype") at = page.find('>', at);
    while (at < page.size() && page[at] != '>') {
      if (page[at] == ' ') {
        ++at;
        if (kAttributes.count(Word(page, at)) == 0) std::abort();
      } else if (page[at] == '=' && at + 1 < page.size() && page[at + 1] == '"') {
        at = page.find('"', at + 2) + 1;  // values hold no quote: it is escaped
      } else {
        std::abort();
      }
    }
    if (tag == "script" || tag == "style") at = page.find("</" + tag + ">", at) + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static posix::IconvConverter converter;
  if (size == 0) return 0;
  Bytes source(data + 1, size - 1, data[0]);
  const summary::PageFacts facts{"records.csv", size, {2024, 6, 1, 9, 0, 0, 540}};
  const std::string page = summary::MakeSummaryPage(source, facts, converter);
  CheckMarkup(page);
  if (size < 3) return 0;
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): the fuzzer's bytes as text
  testing::StringSource file(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  const std::uint64_t split[] = {1 + data[0] * 2654435761u % (size - 2)};
  const summary::RecordFile read = summary::ReadRecordFile(
      file, size - 1, summary::RecordSeconds(facts.now) + summary::kFutureSeconds, split);
  if (summary::WriteSummaryPage(read.inventory, read.stats, facts, converter) != page) std::abort();
  return 0;
}
