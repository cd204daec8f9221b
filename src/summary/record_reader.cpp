#include "summary/record_reader.h"

#include <algorithm>
#include <cstring>

#include "core/cp932.h"

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

// 記録's header names PC名 first; 取込's starts at the time.
bool IsHeader(const std::vector<std::string>& columns) {
  return (columns.size() > 1 && columns[1] == kTimeLabel) ||
         (columns.size() > 1 && columns[0] == kTimeLabel && columns[1] == kUptimeLabel);
}

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

void CutToBound(std::string& text, std::size_t bound) {
  if (text.size() <= bound) return;
  text.resize(cp932::Prefix(text, bound).size());
  text += kCutMark;
}

}  // namespace

// A quoted column ends at a quote followed by a comma or the line's end; two
// quotes are one; any other quote inside is taken as it stands, as lines
// written before quotes were doubled hold them. (Such a line whose text
// holds a quote followed by a comma splits that text in two: nothing tells
// the comma from a column's.) Unquoted columns (取込's header) run to the
// next comma. A comma at the very end closes the line. The texts of
// `spare` are used again, so that a file of many lines does not allocate
// one text per column; no text grows past its bound.
Split SplitColumns(std::string_view line, std::vector<std::string>& columns,
                   std::vector<std::string>& spare) {
  while (!columns.empty()) {
    spare.push_back(std::move(columns.back()));
    columns.pop_back();
  }
  const std::size_t n = line.size();
  std::size_t i = 0;
  while (i < n) {
    if (columns.size() == kMaxColumns) return Split::kTooManyColumns;
    const std::size_t bound = columns.size() == column::kComputer ? kComputerNameBytes : kTextBytes;
    if (spare.empty()) {
      columns.emplace_back();
    } else {
      columns.push_back(std::move(spare.back()));
      spare.pop_back();
      columns.back().clear();
    }
    std::string& text = columns.back();
    if (line[i] == '"') {
      ++i;
      while (true) {
        const void* quote = std::memchr(line.data() + i, '"', n - i);
        if (quote == nullptr) return Split::kUnclosedQuote;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(quote) - line.data());
        AppendBounded(text, line.substr(i, at - i), bound);
        std::size_t run = 1;
        while (at + run < n && line[at + run] == '"') ++run;
        i = at + run;
        if (i == n || line[i] == ',') {
          // The last quote closes the column. Before it, an odd run holds
          // doubled quotes; an even one ends an undoubled line's text in a
          // quote.
          const std::size_t quotes = run % 2 == 1 ? (run - 1) / 2 : run - 1;
          AppendBounded(text, quotes, '"', bound);
          break;
        }
        AppendBounded(text, (run + 1) / 2, '"', bound);
      }
    } else {
      const std::size_t comma = std::min(line.find(',', i), n);
      AppendBounded(text, line.substr(i, comma - i), bound);
      i = comma;
    }
    CutToBound(text, bound);
    if (i < n && ++i == n) break;
  }
  return Split::kDone;
}

namespace {

enum class LineKind { kRecord, kHeader, kBlank, kUnreadable };

LineKind Classify(Split split, const std::vector<std::string>& columns, std::string_view& reason) {
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
bool RecordReader::NextLine(std::string_view& line, bool& too_long) {
  std::size_t scanned = start_;
  while (true) {
    const void* found = std::memchr(buffer_.data() + scanned, '\n', end_ - scanned);
    if (found != nullptr) {
      const auto end = static_cast<std::size_t>(static_cast<const char*>(found) - buffer_.data());
      line = std::string_view(buffer_).substr(start_, end - start_);
      stats_.bytes += skipped_ + end + 1 - start_;
      ++stats_.lines;
      start_ = end + 1;
      too_long = skipping_;
      skipping_ = false;
      skipped_ = 0;
      return true;
    }
    if (end_ - start_ > kMaxLineBytes) {
      skipping_ = true;
      skipped_ += end_ - start_;
      start_ = end_;
    }
    if (at_end_) {
      if (start_ < end_ || skipping_) stats_.torn_last_line = true;
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
      buffer_.capacity() + (record_.columns.capacity() + spare_.capacity()) * sizeof(std::string);
  for (const auto* texts : {&record_.columns, &spare_}) {
    for (const std::string& text : *texts) held += text.capacity();
  }
  return held;
}

const Record* RecordReader::Next() {
  std::string_view line;
  bool too_long = false;
  while (NextLine(line, too_long)) {
    std::string_view reason = kTooLong;
    LineKind kind = LineKind::kUnreadable;
    if (!too_long) {
      kind =
          Classify(SplitColumns(WithoutCr(line), record_.columns, spare_), record_.columns, reason);
    }
    if (kind == LineKind::kRecord && RecordSeconds(record_.columns[column::kTime]) > newest_) {
      kind = LineKind::kUnreadable;
      reason = kFuture;
    }
    switch (kind) {
      case LineKind::kRecord:
        record_.line = stats_.lines;
        ++stats_.records;
        return &record_;
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

}  // namespace zeltrand::summary
