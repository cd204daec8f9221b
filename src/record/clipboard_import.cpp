#include "record/clipboard_import.h"

#include <algorithm>

#include "core/formula_text.h"

namespace zeltrand {

namespace {

constexpr std::string_view kRecordTag = "Zeltrand v";
constexpr std::string_view kRecordEnd = ",]";
constexpr int kRequiredRuns = 5;

// Non-empty runs of non-comma bytes, each but the last followed by a single
// comma, counted up to five: a mail cut short before its fields fails here.
int CountLeadingRuns(std::string_view text) {
  int runs = 0;
  std::size_t pos = 0;
  while (runs < kRequiredRuns) {
    const std::size_t comma = std::min(text.find(',', pos), text.size());
    if (comma == pos) break;
    ++runs;
    if (comma == text.size()) break;
    pos = comma + 1;
  }
  return runs;
}

// Where the quoted column that starts at `at` ends: after its closing quote,
// a quote followed by a comma or the end, as the summary reads the file.
std::size_t QuotedColumnEnd(std::string_view record, std::size_t at) {
  for (std::size_t i = at + 1;;) {
    const std::size_t quote = record.find('"', i);
    if (quote == std::string_view::npos) return record.size();
    i = record.find_first_not_of('"', quote);
    if (i == std::string_view::npos || record[i] == ',') return std::min(i, record.size());
  }
}

// The mail carries the texts users control as they are; the file guards
// them against formulas (core/formula_text.h), also in a mail from an
// earlier version or written by hand.
std::string GuardUsersColumns(std::string_view record) {
  std::string guarded;
  guarded.reserve(record.size() + 8);
  for (std::size_t at = 0, column = 0; at < record.size(); ++column) {
    const bool quoted = record[at] == '"';
    const std::size_t end =
        quoted ? QuotedColumnEnd(record, at) : std::min(record.find(',', at), record.size());
    const std::size_t text = at + (quoted ? 1 : 0);
    guarded.append(record.substr(at, text - at));
    if (formula::IsUserColumn(column) && formula::NeedsGuard(record.substr(text, end - text))) {
      guarded += '\'';
    }
    guarded.append(record.substr(text, end + 1 - text));  // its comma too
    at = end + 1;
  }
  return guarded;
}

}  // namespace

std::string CleanCopiedText(std::string_view text) {
  std::string cleaned;
  cleaned.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == 0 || byte >= 0x20) cleaned += c;
  }
  return cleaned;
}

// The end is looked for after the record's start: a ",]" quoted earlier in
// the mail must not leave the record running on to the end of the text.
MailedRecord FindMailedRecord(std::string_view copied_text) {
  const std::string cleaned = CleanCopiedText(copied_text);
  const std::size_t tag = cleaned.find(kRecordTag);
  if (tag == std::string::npos) return {ImportCheck::kNoTag, {}};
  if (CountLeadingRuns(std::string_view(cleaned).substr(tag)) < kRequiredRuns) {
    return {ImportCheck::kTooFewFields, {}};
  }
  const std::size_t open = cleaned.find('[', tag);
  if (open == std::string::npos) return {ImportCheck::kNoBracket, {}};
  const std::size_t start = open + 1;
  const std::size_t end = cleaned.find(kRecordEnd, start);
  return {ImportCheck::kFound,
          GuardUsersColumns(std::string_view(cleaned).substr(
              start, end == std::string::npos ? std::string::npos : end - start))};
}

}  // namespace zeltrand
