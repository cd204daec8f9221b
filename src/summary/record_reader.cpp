#include "summary/record_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/cp932.h"
#include "core/formula_text.h"

namespace zeltrand::summary {

namespace {

constexpr std::string_view kUnclosedQuote = "引用符が閉じていません";
constexpr std::string_view kTooFewColumns = "ﾃﾞｰﾀ項目数が足りません";
constexpr std::string_view kBadTime = "情報取得時刻が読めません";
constexpr std::string_view kTooLong = "1行が長すぎます (1 MiB超)";
constexpr std::string_view kTooManyColumns = "ｲﾝｽﾄｰﾙｿﾌﾄが多すぎます (10,000超)";
constexpr std::string_view kFuture = "情報取得時刻が未来です";

constexpr std::string_view kTimeLabel = "情報取得時刻";
constexpr std::string_view kUptimeLabel = "Windows起動時間";

constexpr std::size_t kChunk = std::size_t{1} << 16;  // grows for long lines

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

std::int64_t RecordSeconds(std::string_view time) {
  // 0123456789012345678
  // 2003.01.20 09:15:42
  static constexpr std::string_view kForm = "dddd.dd.dd dd:dd:dd";
  if (time.size() != kForm.size()) return -1;
  for (std::size_t i = 0; i < kForm.size(); ++i) {
    const bool digit = time[i] >= '0' && time[i] <= '9';
    if (kForm[i] == 'd' ? !digit : time[i] != kForm[i]) return -1;
  }
  const auto number = [&](std::size_t at, std::size_t digits) {
    int value = 0;
    for (std::size_t i = at; i < at + digits; ++i) value = value * 10 + (time[i] - '0');
    return value;
  };
  const int month = number(5, 2);
  const int day = number(8, 2);
  const int hour = number(11, 2);
  const int minute = number(14, 2);
  const int second = number(17, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return -1;
  }
  return DaysFromCivil(number(0, 4), static_cast<unsigned>(month), static_cast<unsigned>(day)) *
             86400 +
         std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

std::int64_t RecordSeconds(const LocalTime& t) {
  return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
             86400 +
         std::int64_t{t.hour} * 3600 + std::int64_t{t.minute} * 60 + t.second;
}

namespace {

// A column keeps at most its bound and one byte more, so that the cut
// knows there was more; the text is cut when the column is complete.
void AppendBounded(std::string& text, std::string_view piece, std::size_t bound) {
  if (text.size() <= bound) text.append(piece.substr(0, bound + 1 - text.size()));
}

void AppendBounded(std::string& text, std::size_t count, char c, std::size_t bound) {
  if (text.size() <= bound) text.append(std::min(count, bound + 1 - text.size()), c);
}

// The quotes of a line, found 64 bytes at a time.
class QuoteFinder {
 public:
  explicit QuoteFinder(std::string_view line) : line_(line) {}

  // The first quote at or after `from` (which only grows), or the line's size.
  std::size_t Next(std::size_t from) {
    if (from >= line_.size()) return line_.size();
    if (from >= base_ + 64 || !loaded_) Load(from & ~std::size_t{63});
    std::uint64_t bits = bits_ & (~std::uint64_t{0} << (from - base_));
    while (bits == 0) {
      if (base_ + 64 >= line_.size()) return line_.size();
      Load(base_ + 64);
      bits = bits_;
    }
    return base_ + static_cast<std::size_t>(std::countr_zero(bits));
  }

 private:
  void Load(std::size_t base) {
    base_ = base;
    loaded_ = true;
    const char* at = line_.data() + base;
    const std::size_t left = line_.size() - base;
    bits_ = 0;
#if defined(__SSE2__)
    if (left >= 64) {
      const __m128i quote = _mm_set1_epi8('"');
      for (std::size_t i = 0; i < 4; ++i) {
        // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast): SSE2's unaligned load
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 16 * i));
        const auto mask =
            static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, quote)));
        bits_ |= std::uint64_t{mask} << (16 * i);
      }
      return;
    }
#endif
    for (std::size_t i = 0; i < std::min<std::size_t>(left, 64); ++i) {
      bits_ |= std::uint64_t{at[i] == '"'} << i;
    }
  }

  std::string_view line_;
  std::size_t base_ = 0;
  std::uint64_t bits_ = 0;  // the quotes of line_[base_, base_ + 64)
  bool loaded_ = false;
};

// The text of a quoted column with quotes inside, from `i` (after its
// opening quote; `at` the first quote after it) into `undone`, bounded;
// `i` ends after its closing quote. False when no quote closes it.
bool Undo(std::string_view line, QuoteFinder& quotes, std::size_t at, std::size_t& i,
          std::size_t bound, std::string& undone) {
  const std::size_t n = line.size();
  undone.clear();
  while (true) {
    AppendBounded(undone, line.substr(i, at - i), bound);
    std::size_t run = 1;
    while (at + run < n && line[at + run] == '"') ++run;
    i = at + run;
    if (i == n || line[i] == ',') {
      // The last quote closes the column. Before it, an odd run holds
      // doubled quotes; an even one ends an undoubled line's text in a
      // quote.
      AppendBounded(undone, run % 2 == 1 ? (run - 1) / 2 : run - 1, '"', bound);
      return true;
    }
    AppendBounded(undone, (run + 1) / 2, '"', bound);
    at = quotes.Next(i);
    if (at == n) return false;
  }
}

// Writes column `index`'s text behind its length at `out`: its first
// bound + 1 bytes, without the quote that guards a user's text against
// formulas (core/formula_text.h), cut to the bound. The text is copied 16
// bytes at a time where its bytes may be read up to `readable` and `out`
// has 16 bytes to spare.
char* Put(char* out, std::string_view text, const char* readable, std::size_t index,
          std::size_t bound, std::vector<std::string_view>& columns) {
  text = text.substr(0, bound + 1);
  if (formula::IsUserColumn(index) && text.starts_with('\'') &&
      formula::NeedsGuard(text.substr(1))) {
    text.remove_prefix(1);
  }
  const bool cut = text.size() > bound;
  if (cut) text = cp932::Prefix(text, bound);
  const std::size_t size = text.size() + (cut ? kCutMark.size() : 0);
  *out++ = static_cast<char>(size >> 8);
  *out++ = static_cast<char>(size & 0xFF);
  columns.emplace_back(out, size);
  if (text.size() + 15 <= static_cast<std::size_t>(readable - text.data())) {
    for (std::size_t i = 0; i < text.size(); i += 16) std::memcpy(out + i, text.data() + i, 16);
  } else {
    std::memcpy(out, text.data(), text.size());
  }
  if (cut) std::memcpy(out + text.size(), kCutMark.data(), kCutMark.size());
  return out + size;
}

}  // namespace

// A quoted column ends at a quote followed by a comma or the line's end; two
// quotes are one; any other quote inside is taken as it stands, as lines
// written before quotes were doubled hold them. (Such a line whose text
// holds a quote followed by a comma splits that text in two: nothing tells
// the comma from a column's.) Unquoted columns (取込's header) run to the
// next comma. A comma at the very end closes the line. A text is copied
// once, into the packed texts, where no text grows past its bound; only a
// text with quotes inside goes through one more, bounded, copy.
Split SplitColumns(std::string_view line, Fields& fields, const LastPrograms* last) {
  const std::size_t n = line.size();
  // Each text takes at most 4 bytes more than its part of the line; 16
  // more to spare.
  const std::size_t most = n + 4 * std::min(kMaxColumns, n + 1) + 16;
  if (fields.buffer.size() < most) fields.buffer.resize(most);
  char* const packed = fields.buffer.data();
  char* out = packed;
  std::vector<std::string_view>& columns = fields.columns;
  columns.clear();
  fields.programs_at = 0;
  fields.raw_programs = {};
  fields.programs_unchanged = false;
  QuoteFinder quotes(line);
  std::size_t i = 0;
  Split split = Split::kDone;
  while (i < n) {
    if (columns.size() == kMaxColumns) {
      split = Split::kTooManyColumns;
      break;
    }
    const std::size_t index = columns.size();
    const std::size_t bound = index == column::kComputer ? kComputerNameBytes : kTextBytes;
    std::string_view text;
    if (line[i] == '"') {
      std::size_t at = quotes.Next(++i);
      if (at == n) {
        split = Split::kUnclosedQuote;
        break;
      }
      if (at + 1 == n || line[at + 1] == ',') {
        text = line.substr(i, at - i);
        i = at + 1;
      } else if (!Undo(line, quotes, at, i, bound, fields.text)) {
        split = Split::kUnclosedQuote;
        break;
      } else {
        text = fields.text;
      }
    } else {
      const void* comma = std::memchr(line.data() + i, ',', n - i);
      const std::size_t end =
          comma == nullptr
              ? n
              : static_cast<std::size_t>(static_cast<const char*>(comma) - line.data());
      text = line.substr(i, end - i);
      i = end;
    }
    const char* readable =
        text.data() == fields.text.data() ? text.data() + text.size() : line.data() + n;
    out = Put(out, text, readable, index, bound, columns);
    if (index + 1 == column::kFirstProgram) {
      fields.programs_at = static_cast<std::size_t>(out - packed);
      fields.raw_programs = line.substr(i < n ? i + 1 : n);
      const std::string* before =
          last != nullptr ? last->Find(columns[column::kComputer]) : nullptr;
      if (before != nullptr && *before == fields.raw_programs) {
        fields.programs_unchanged = true;
        break;
      }
    }
    if (i < n && ++i == n) break;
  }
  if (columns.size() < column::kFirstProgram)
    fields.programs_at = static_cast<std::size_t>(out - packed);
  fields.packed = std::string_view(packed, static_cast<std::size_t>(out - packed));
  return split;
}

namespace {

enum class LineKind { kRecord, kHeader, kBlank, kUnreadable };

// 記録's header names PC名 first; 取込's starts at the time.
bool IsHeader(const std::vector<std::string_view>& columns) {
  return (columns.size() > 1 && columns[1] == kTimeLabel) ||
         (columns.size() > 1 && columns[0] == kTimeLabel && columns[1] == kUptimeLabel);
}

LineKind Classify(Split split, const std::vector<std::string_view>& columns,
                  std::string_view& reason) {
  if (split != Split::kDone) {
    reason = split == Split::kUnclosedQuote ? kUnclosedQuote : kTooManyColumns;
    return LineKind::kUnreadable;
  }
  if (columns.empty()) return LineKind::kBlank;
  if (IsHeader(columns)) return LineKind::kHeader;
  if (columns.size() < column::kFirstProgram) {
    reason = kTooFewColumns;
    return LineKind::kUnreadable;
  }
  if (RecordSeconds(columns[column::kTime]) < 0) {
    reason = kBadTime;
    return LineKind::kUnreadable;
  }
  return LineKind::kRecord;
}

std::string_view WithoutCr(std::string_view line) {
  return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

}  // namespace

// A line longer than kMaxLineBytes is let go as it comes in: the buffer,
// doubled as lines need, stops at twice that (room for the line and reads).
// A part stops after the line that holds its last byte; a part after the
// first lets the line it starts in go uncounted, as the part before reads it.
bool RecordReader::NextLine(std::string_view& line, bool& too_long) {
  std::size_t scanned = start_;
  while (true) {
    if (taken_ >= part_.size && !part_.skips_first_line) {
      start_ = end_;
      return false;
    }
    const void* found = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
    if (found != nullptr) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
      line = std::string_view(buffer_).substr(start_, end - start_);
      taken_ += skipped_ + end + 1 - start_;
      too_long = skipping_;
      skipping_ = false;
      start_ = end + 1;
      scanned = start_;
      if (part_.skips_first_line) {
        part_.skips_first_line = false;
        skipped_ = 0;
        continue;
      }
      stats_.bytes += skipped_ + line.size() + 1;
      ++stats_.lines;
      skipped_ = 0;
      return true;
    }
    if (end_ - start_ > kMaxLineBytes) {
      skipping_ = true;
      skipped_ += end_ - start_;
      start_ = end_;
    }
    if (at_end_) {
      if ((start_ < end_ || skipping_) && !part_.skips_first_line) stats_.torn_last_line = true;
      start_ = end_;
      return false;
    }
    // The unread part moves to the front; the buffer grows only for a line
    // longer than it.
    buffer_.erase(0, start_);
    end_ -= start_;
    start_ = 0;
    scanned = end_;
    if (buffer_.empty() || end_ > buffer_.size() / 2) {
      buffer_.resize(std::min(std::max(2 * buffer_.size(), kChunk), 2 * kMaxLineBytes));
    }
    const std::size_t got = source_.Read(buffer_.data() + end_, buffer_.size() - end_);
    end_ += got;
    at_end_ = got == 0;
  }
}

std::size_t RecordReader::MemoryHeld() const {
  std::size_t held =
      buffer_.capacity() + fields_.MemoryHeld() + record_.columns.capacity() * sizeof(std::string);
  for (const std::string& text : record_.columns) held += text.capacity();
  return held;
}

const Fields* RecordReader::NextFields() {
  std::string_view line;
  bool too_long = false;
  while (NextLine(line, too_long)) {
    std::string_view reason = kTooLong;
    LineKind kind = LineKind::kUnreadable;
    if (!too_long) {
      kind = Classify(SplitColumns(WithoutCr(line), fields_, last_), fields_.columns, reason);
    }
    if (kind == LineKind::kRecord && RecordSeconds(fields_.columns[column::kTime]) > newest_) {
      kind = LineKind::kUnreadable;
      reason = kFuture;
    }
    switch (kind) {
      case LineKind::kRecord:
        fields_.line = stats_.lines;
        ++stats_.records;
        return &fields_;
      case LineKind::kHeader:
        ++stats_.headers;
        break;
      case LineKind::kBlank:
        break;
      case LineKind::kUnreadable:
        ++stats_.unreadable;
        if (stats_.first_unreadable.size() < ReadStats::kListedUnreadable) {
          stats_.first_unreadable.push_back({stats_.lines, reason});
        }
        break;
    }
  }
  return nullptr;
}

// Each text in a string of its own size.
const Record* RecordReader::Next() {
  const Fields* fields = NextFields();
  if (fields == nullptr) return nullptr;
  record_.line = fields->line;
  record_.columns.clear();
  record_.columns.assign(fields->columns.begin(), fields->columns.end());
  return &record_;
}

}  // namespace zeltrand::summary
