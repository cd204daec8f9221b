#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/posix/iconv_converter.h"
#include "summary/record_file.h"
#include "summary/sha256.h"
#include "summary/summary_page.h"
#include "support/string_source.h"

namespace zeltrand::summary {
namespace {

using zeltrand::testing::StringSource;

constexpr std::string_view kHeader =
    "\"PC名\",\"情報取得時刻\",\"Windows起動時間\",\"WindowsVer\",\"CPU種類､ｽﾋﾟｰﾄﾞ､psn\",\"ﾒﾓﾘの空/"
    "全容量\",\"ｼｽﾃﾑHDの空/全容量\",\"GDI、USERﾘｿｰｽ残量\",\"WinSockVer\",\"GetUserName\","
    "\"GetComputerName\",\"gethostname\",\"IPｱﾄﾞﾚｽ\",\"MACｱﾄﾞﾚｽ\",\"ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ\","
    "\"ﾛｸﾞｲﾝ者\","
    "\"\",\"\",\"\",\"\",\"ｲﾝｽﾄｰﾙｿﾌﾄ\"\n";
constexpr std::string_view kImportHeader =
    "情報取得時刻,Windows起動時間,WindowsVer,CPU種類､ｽﾋﾟｰﾄﾞ､psn,ﾒﾓﾘの空/全容量,ｼｽﾃﾑHDの空/全容量,"
    "GDI、USERﾘｿｰｽ残量,WinSockVer,GetUserName,GetComputerName,gethostname,IPｱﾄﾞﾚｽ,MACｱﾄﾞﾚｽ,"
    "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ,ﾛｸﾞｲﾝ者,,,,,ｲﾝｽﾄｰﾙｿﾌﾄ\r\n";

std::string U8(std::u8string_view text) {
  return {text.begin(), text.end()};
}

// The columns of a record as 記録 writes them, quotes doubled.
std::vector<std::string> Columns(std::string computer, std::string time,
                                 std::vector<std::string> programs = {}) {
  std::vector<std::string> c = {"会計課7号機",
                                time,
                                "0日00:12",
                                "Win10 10.0.19045",
                                "Intel, Core i5, c2400MHz",
                                "3000/8192MBytes",
                                "1520/6150MByte",
                                "",
                                "2.2",
                                "user01",
                                computer,
                                "kaikei07",
                                "192.168.1.57",
                                "n00:50:BA:12:34:56",
                                "未設定",
                                "user01",
                                "",
                                "",
                                "",
                                ""};
  c.insert(c.end(), programs.begin(), programs.end());
  return c;
}

std::string Line(const std::vector<std::string>& columns, bool imported = false) {
  std::string line;
  for (const std::string& text : columns) {
    if (&text != &columns.front() && imported) line += ',';
    line += '"';
    for (char c : text) line.append(c == '"' ? 2 : 1, c);
    line += imported ? "\"" : "\",";
  }
  return line + (imported ? "\r\n" : "\n");
}

// Hands the bytes out a few at a time, so that lines span reads.
struct Read {
  std::vector<Record> records;
  ReadStats stats;
};

Read ReadAll(std::string bytes) {
  StringSource source(std::move(bytes), 7);
  RecordReader reader(source, INT64_MAX);
  Read read;
  while (const Record* r = reader.Next()) read.records.push_back(*r);
  read.stats = reader.stats();
  return read;
}

const std::string kA = Line(Columns("PC01", "2024.05.01 08:00:00", {"Editor 2.1", "LAN Tools"}));

TEST(RecordReader, ReadsEveryFormAndSkipsOnlyWhatItCannotRead) {
  const struct {
    const char* name;
    std::string bytes;
    std::vector<std::uint64_t> record_lines;
    std::vector<std::uint64_t> unreadable_lines;
    std::uint64_t headers;
    bool torn;
  } kCases[] = {
      {"empty file", "", {}, {}, 0, false},
      {"header only", std::string(kHeader), {}, {}, 1, false},
      {"記録's lines", std::string(kHeader) + kA + kA, {2, 3}, {}, 1, false},
      {"取込's lines",
       std::string(kImportHeader) + Line(Columns("PC02", "2024.05.02 08:00:00"), true),
       {2},
       {},
       1,
       false},
      {"files joined, headers between",
       kA + std::string(kHeader) + kA + std::string(kImportHeader) + kA,
       {1, 3, 5},
       {},
       2,
       false},
      {"torn last line", kA + kA.substr(0, 40), {1}, {}, 0, true},
      {"blank lines", "\n\r\n" + kA, {3}, {}, 0, false},
      {"unclosed quote", "\"PC\",\"2024.05.01 08:00:00\n" + kA, {2}, {1}, 0, false},
      {"too few columns", "\"a\",\"b\",\n" + kA, {2}, {1}, 0, false},
      {"time not a time", Line(Columns("PC01", "yesterday")) + kA, {2}, {1}, 0, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Read read = ReadAll(c.bytes);
    std::vector<std::uint64_t> lines;
    for (const Record& r : read.records) lines.push_back(r.line);
    EXPECT_EQ(lines, c.record_lines);
    lines.clear();
    for (const UnreadableLine& u : read.stats.first_unreadable) lines.push_back(u.line);
    EXPECT_EQ(lines, c.unreadable_lines);
    EXPECT_EQ(read.stats.headers, c.headers);
    EXPECT_EQ(read.stats.torn_last_line, c.torn);
  }
}

TEST(RecordReader, TakesColumnTextsBack) {
  const auto columns = Columns("PC01", "2024.05.01 08:00:00", {"x"});
  EXPECT_EQ(ReadAll(Line(columns)).records[0].columns, columns);
  EXPECT_EQ(ReadAll(Line(columns, true)).records[0].columns, columns);
  const struct {
    std::string line;
    std::vector<std::string> programs;
  } kCases[] = {
      // Cut at 255 bytes, on a character boundary, with a mark.
      {Line(Columns("PC01", "2024.05.01 08:00:00", {"xy" + std::string(300, '\x82')})),
       {"xy" + std::string(252, '\x82') + "…"}},
      {Line(Columns("PC01", "2024.05.01 08:00:00", {"Say \"Hi\"", "a,b", ""})),
       {"Say \"Hi\"", "a,b", ""}},
      {Line(Columns("PC01", "2024.05.01 08:00:00", {"x", "\"y\""}), true), {"x", "\"y\""}},
      // Written before quotes were doubled.
      {"\"\",\"2024.05.01 08:00:00\"" + std::string(19, ',') +
           "\"Say \"Hi\" now\",\"Pro \"X\"\",\n",
       {"Say \"Hi\" now", "Pro \"X\""}},
      // Bytes the code page lacks go through as they are.
      {Line(Columns("PC01", "2024.05.01 08:00:00", {"\x85\x40\xFF\xA0"})), {"\x85\x40\xFF\xA0"}},
  };
  for (const auto& c : kCases) {
    const Read read = ReadAll(c.line);
    ASSERT_EQ(read.records.size(), 1u) << c.line.substr(0, 200);
    EXPECT_EQ(read.records[0].columns.size(), column::kFirstProgram + c.programs.size());
    const auto programs = read.records[0].Programs();
    EXPECT_EQ(std::vector<std::string>(programs.begin(), programs.end()), c.programs);
  }
}

// Each row replays one attack on the record file: the page stays within a
// small constant times the file, and the reader within its bound.
TEST(HostileRecordFile, CostsAtMostAConstantTimesItsSize) {
  const std::string time = "2024.05.01 08:00:00";
  std::vector<std::string> programs;
  for (int i = 0; i < 5000; ++i) programs.push_back("p" + std::to_string(i));
  std::string one_record_pcs;
  for (int i = 0; i < 5000; ++i) one_record_pcs += Line(Columns(std::to_string(i), time));
  const struct {
    const char* attack;
    std::string bytes;
    std::uint64_t records, unreadable;
    std::string shown;
  } kCases[] = {
      {"a computer name of 2,000 & and 5,000 programs",
       Line(Columns(std::string(2000, '&'), time, programs)), 1, 0,
       U8(u8">&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;&amp;"
          u8"\u2026")},
      {"a line over 1 MiB", Line(Columns("PC01", time, {std::string(3 << 20, 'x')})) + kA, 1, 1,
       U8(u8"1\u884C\u304C\u9577\u3059\u304E\u307E\u3059")},
      {"a torn line over 1 MiB", kA + std::string(3 << 20, 'x'), 1, 0, U8(u8"\u66F8\u304D")},
      {"a line of commas", std::string(1 << 20, ',') + "\n" + kA, 1, 1,
       U8(u8"\u304C\u591A\u3059\u304E\u307E\u3059 (10,000")},
      {"a record dated 9999", Line(Columns("PC01", "9999.12.31 23:59:59")) + kA, 1, 1,
       U8(u8"\u672A\u6765")},
      {"control bytes in a name", Line(Columns(std::string("PC\x1B]0;x\x07\r", 10), time)), 1, 0,
       "PC\\x1B]0;x\\x07\\x0D\\x00"},
      {"5,000 one-record PCs", one_record_pcs, 5000, 0, ">4999</a>"},
  };
  posix::IconvConverter converter;
  const LocalTime now{2024, 6, 1, 9, 0, 0, 540};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.attack);
    StringSource source(c.bytes, 7);
    RecordReader reader(source, RecordSeconds(now) + kFutureSeconds);
    Inventory inventory;
    while (const Record* r = reader.Next()) inventory.Add(*r);
    const std::string page =
        WriteSummaryPage(inventory, reader.stats(), {"x.csv", 0, now}, converter);
    EXPECT_EQ(reader.stats().records, c.records);
    EXPECT_EQ(reader.stats().unreadable, c.unreadable);
    EXPECT_LE(page.size(), 40 * c.bytes.size() + 65536);
    EXPECT_LE(reader.MemoryHeld(), kMaxReaderBytes);
    EXPECT_NE(page.find(c.shown), std::string::npos);
  }
}

Record Make(std::string computer, std::string time, std::vector<std::string> programs = {}) {
  static std::uint64_t line = 0;
  return {++line, Columns(std::move(computer), std::move(time), std::move(programs))};
}

TEST(Inventory, OnePcPerComputerNameWithItsNewestRecord) {
  Inventory inventory;
  inventory.Add(Make("PC01", "2024.05.02 08:00:00", {"new"}));
  inventory.Add(Make("pc01", "2024.05.01 08:00:00", {"old, added later from pending.csv"}));
  inventory.Add(Make("PC02", "2024.05.01 08:00:00", {"first"}));
  inventory.Add(Make("PC02", "2024.05.01 08:00:00", {"same time, later line"}));
  inventory.Add(Make("ＰＣ01", "2024.04.01 08:00:00"));  // full-width: another name
  ASSERT_EQ(inventory.pcs().size(), 3u);
  EXPECT_EQ(inventory.pcs()[0].records, 2u);
  EXPECT_EQ(inventory.pcs()[0].Latest().Programs()[0], "new");
  EXPECT_EQ(inventory.pcs()[1].Latest().Programs()[0], "same time, later line");
  EXPECT_EQ(inventory.oldest_time(), "2024.04.01 08:00:00");
  EXPECT_EQ(inventory.newest_time(), "2024.05.02 08:00:00");
  EXPECT_EQ(PcKey("ab\x83\x61"), "AB\x83\x61");  // ｱ's second byte is no letter
}

TEST(Inventory, ListsWhatChangedFromOneRecordToTheNext) {
  const struct {
    const char* name;
    std::size_t column;
    std::string after;
    std::vector<std::string> labels;
  } kCases[] = {
      {"measured CPU speed", column::kCpu, "Intel, Core i5, c2398MHz", {}},
      {"free memory", column::kMemory, "2000/8192MBytes", {}},
      {"free disk", column::kDisk, "1000/6150MByte", {}},
      {"CPU", column::kCpu, "Intel, Core i7, c2400MHz", {"CPU種類､ｽﾋﾟｰﾄﾞ､psn"}},
      {"memory size", column::kMemory, "3000/16384MBytes", {"ﾒﾓﾘの空/全容量"}},
      {"Windows", column::kWindows, "Win11 10.0.22631", {"WindowsVer"}},
      {"IP", column::kIp, "192.168.1.58", {"IPｱﾄﾞﾚｽ"}},
      {"MAC", column::kMac, "n00:50:BA:12:34:57", {"MACｱﾄﾞﾚｽ"}},
      {"printer", column::kPrinter, "LBP", {"ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ"}},
      {"users", column::kFirstUser + 1, "user02", {"ﾛｸﾞｲﾝ者"}},
  };
  const Record before_record = Make("PC01", "2024.05.01 08:00:00", {"A", "B", "C"});
  const std::vector<std::string_view> before(before_record.columns.begin(),
                                             before_record.columns.end());
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Record after = Make("PC01", "2024.05.02 08:00:00", {"C", "A", "B"});
    after.columns[c.column] = c.after;
    std::vector<std::string> labels;
    for (const FieldChange& f : Compare(before, after).fields) labels.emplace_back(f.label);
    EXPECT_EQ(labels, c.labels);
  }
  const Change programs = Compare(before, Make("PC01", "2024.05.02 08:00:00", {"D", "A", "C"}));
  EXPECT_EQ(programs.added, std::vector<std::string>{"D"});
  EXPECT_EQ(programs.removed, std::vector<std::string>{"B"});
  EXPECT_EQ(programs.before_time, "2024.05.01 08:00:00");

  StringSource source(Line(Columns("PC01", "2024.05.01 08:00:00", {"A", "B \"x\""})) +
                          Line(Columns("pc01", "2024.05.02 08:00:00", {"A", "C"})),
                      7);
  RecordReader reader(source, INT64_MAX);
  Inventory read;
  while (const Record* r = reader.Next()) read.Add(*r);
  EXPECT_EQ(read.pcs()[0].changes.at(0).removed, std::vector<std::string>{"B \"x\""});
  EXPECT_EQ(read.pcs()[0].changes.at(0).added, std::vector<std::string>{"C"});
  EXPECT_EQ(read.pcs()[0].Latest().columns, Columns("pc01", "2024.05.02 08:00:00", {"A", "C"}));

  Inventory inventory;
  for (int i = 0; i < 60; ++i) {
    inventory.Add(Make("PC01", "2024.05.01 08:00:00", {std::to_string(i % 2)}));
  }
  EXPECT_EQ(inventory.pcs()[0].changes.size(), Pc::kKeptChanges);
  EXPECT_EQ(inventory.pcs()[0].dropped_changes, 59u - Pc::kKeptChanges);
}

std::string Page(const RecordFile& read) {
  static posix::IconvConverter converter;
  return WriteSummaryPage(read.inventory, read.stats, {"x.csv", 0, {2024, 6, 1, 9, 0, 0, 540}},
                          converter);
}

// All a read gives, as text.
std::string Facts(const RecordFile& read) {
  const ReadStats& s = read.stats;
  std::string facts = std::to_string(s.bytes) + " " + std::to_string(s.lines) + " " +
                      std::to_string(s.records) + " " + std::to_string(s.headers) + " " +
                      std::to_string(s.unreadable) + (s.torn_last_line ? " torn " : " ") +
                      read.inventory.oldest_time() + read.inventory.newest_time();
  for (const UnreadableLine& u : s.first_unreadable) facts += "|" + std::to_string(u.line);
  for (const Pc& pc : read.inventory.pcs()) {
    const Record latest = pc.Latest();
    facts += "\n" + std::to_string(latest.line) + " " + std::to_string(pc.records) + " " +
             std::to_string(pc.last_line) + " " + std::to_string(pc.dropped_changes);
    for (const std::string& text : latest.columns) facts += "," + text;
    for (const Change& c : pc.changes) {
      facts += "\n " + c.before_time + c.time;
      for (const auto* names : {&c.added, &c.removed}) {
        for (const std::string& name : *names) facts += "," + name;
      }
      for (const FieldChange& f : c.fields) facts += ";" + f.before + ">" + f.after;
    }
  }
  return facts;
}

// Records of PC01 a day apart from 2024.05.01 (and PC02's in between), PC名
// as given, programs `i % 2` for record i where `alternate`.
std::string Runs(const std::vector<std::string>& names, bool alternate = false) {
  std::string bytes;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string time = "2024.05." + std::to_string(10 + i % 20) + " 08:00:00";
    auto columns = Columns("PC01", time, {alternate ? std::to_string(i % 2) : "x"});
    columns[column::kPcName] = names[i];
    bytes += Line(columns) + (i % 3 == 1 ? Line(Columns("PC02", time)) : "");
  }
  return bytes;
}

// Two readers, the file split anywhere between them, give what one
// reader gives.
TEST(RecordFile, ReadInTwoPartsGivesWhatOneReaderGives) {
  std::vector<std::string> many(60, "");
  many[3] = many[30] = "A";
  many[47] = "B";
  const std::string t = "2024.05.01 08:00:00";
  const struct {
    const char* name;
    std::string bytes;
    std::size_t step;
  } kFiles[] = {
      {"the latest followed by an older record, PC名 given now and then",
       Runs({"A", "", ""}) + Line(Columns("PC01", "2024.05.02 08:00:00")) + Runs({"", "C"}), 1},
      {"headers, unreadable lines, a future record, a torn last line",
       std::string(kHeader) + kA + "\"bad\n" + std::string(kImportHeader) +
           Line(Columns("PC03", "9999.01.01 00:00:00")) + "\n" + kA + kA.substr(0, 50),
       1},
      {"more than 50 changes", Runs(many, true), 61},
      {"lines over 1 MiB",
       kA + Line(Columns("PC01", t, {std::string(3 << 20, 'x')})) + kA + std::string(2 << 20, 'y'),
       (1 << 19) + 1},
  };
  const std::int64_t newest = RecordSeconds(LocalTime{2024, 6, 1, 9, 0, 0, 540}) + kFutureSeconds;
  posix::IconvConverter converter;
  for (const auto& f : kFiles) {
    SCOPED_TRACE(f.name);
    StringSource file(f.bytes);
    const RecordFile whole = ReadRecordFile(file, file.size(), newest, {});
    StringSource stream(f.bytes, 7);
    EXPECT_EQ(MakeSummaryPage(stream, {"x.csv", 0, {2024, 6, 1, 9, 0, 0, 540}}, converter),
              Page(whole));
    const std::string facts = Facts(whole);
    for (std::uint64_t at = 1; at < f.bytes.size(); at += f.step) {
      const std::uint64_t split[] = {at};
      ASSERT_EQ(Facts(ReadRecordFile(file, file.size(), newest, split)), facts)
          << "split at " << at;
    }
  }
}

// A run at logon records no PC名: the name typed before stays.
TEST(Inventory, ShowsTheLatestPcNameItsRecordsGave) {
  const struct {
    std::vector<std::string> names;
    std::string shown;
    std::vector<std::string> changes;
  } kCases[] = {
      {{"会計", "", ""}, "会計", {}},
      {{"", "", "会計"}, "会計", {">会計"}},
      {{"A", "", "B", ""}, "B", {"A>B"}},
      {{"A", "", "A"}, "A", {}},
      {{"A", "B", "", "A"}, "A", {"A>B", "B>A"}},
      {{"", ""}, "", {}},
  };
  for (const auto& c : kCases) {
    const std::string bytes = Runs(c.names);
    StringSource file(bytes);
    for (std::uint64_t at = 0; at < bytes.size(); at = bytes.find('\n', at) + 1) {
      SCOPED_TRACE(c.shown + " split at " + std::to_string(at));
      const RecordFile read =
          ReadRecordFile(file, file.size(), INT64_MAX, std::span(&at, at == 0 ? 0 : 1));
      const Pc& pc = read.inventory.pcs().at(0);
      EXPECT_EQ(pc.LatestColumns()[column::kPcName], c.shown);
      std::vector<std::string> changes;
      for (const Change& change : pc.changes) {
        for (const FieldChange& f : change.fields) {
          if (f.label == "PC名") changes.push_back(f.before + ">" + f.after);
        }
      }
      EXPECT_EQ(changes, c.changes);
    }
  }
}

TEST(Page, ConvertsCp932AndEscapesEverythingFromTheFile) {
  posix::IconvConverter converter;
  const struct {
    std::string cp932;
    std::string utf8;
  } kTexts[] = {
      {"ｲﾝｽﾄｰﾙ", U8(u8"\uFF72\uFF9D\uFF7D\uFF84\uFF70\uFF99")},
      {"①㈱髙", U8(u8"\u2460\u3231\u9AD9")},
      {"C:\\a~", "C:\\a~"},
      {"a\x85\x40"
       "b\x81",
       U8(u8"a\uFFFDb\uFFFD")},
  };
  for (const auto& t : kTexts) EXPECT_EQ(converter.Utf8FromCp932(t.cp932), t.utf8);
  EXPECT_EQ(EscapeHtml("<a href='x'>&\""), "&lt;a href=&#39;x&#39;&gt;&amp;&quot;");
  EXPECT_EQ(Base64(Sha256("abc")), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");

  StringSource source(
      std::string(kHeader) +
          Line(Columns("PC01", "2024.05.01 08:00:00", {"<img src=x onerror=alert(1)>"})) +
          Line(Columns("PC02", "2024.06.01 08:00:00")) + "\"bad\n",
      7);
  const std::string page =
      MakeSummaryPage(source, {"a<b>.csv", 1234, {2024, 6, 1, 9, 0, 0, 540}}, converter);
  EXPECT_NE(page.find("<td>&lt;img src=x onerror=alert(1)&gt;</td>"), std::string::npos);
  EXPECT_EQ(page.find("<img"), std::string::npos);
  EXPECT_EQ(page.find("a<b>"), std::string::npos);
  const std::string pc_name = U8(u8"<td>\u4F1A\u8A08\u8AB27\u53F7\u6A5F</td>");
  EXPECT_NE(page.find("<tr class=\"stale\">" + pc_name + "<td><a href=\"#pc-PC01\">PC01</a></td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr>" + pc_name + "<td><a href=\"#pc-PC02\">"), std::string::npos);
  EXPECT_NE(page.find(U8(u8"<li>4\u884C\u76EE: ")), std::string::npos);  // 4行目
}

}  // namespace
}  // namespace zeltrand::summary
