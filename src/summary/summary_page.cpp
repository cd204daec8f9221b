#include "summary/summary_page.h"

#include <algorithm>
#include <map>

#include "core/text_format.h"
#include "core/visible_text.h"
#include "summary/sha256.h"

namespace zeltrand::summary {

namespace {

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:1em;color:#222}"
    "h1{font-size:1.4em}h2{font-size:1.2em;margin-top:1.5em}h3{font-size:1em;margin:1em 0 .2em}"
    "dl{display:grid;grid-template-columns:max-content auto;gap:2px 1em}dt{font-weight:bold}"
    "dd{margin:0}table{border-collapse:collapse}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top}"
    "th{background:#e4e8f0;cursor:pointer;position:sticky;top:0;word-break:keep-all}"
    "th[aria-sort=ascending]::after{content:' \\25B2'}"
    "th[aria-sort=descending]::after{content:' \\25BC'}"
    "td{white-space:nowrap}td.n{text-align:right}tr.stale td{background:#fbe0e0}"
    "#programs td:last-child{white-space:normal}"
    "#filter{font-size:1.1em;width:24em;margin:.5em 0}"
    ".added{color:#060}.removed{color:#a00}";

constexpr std::string_view kScript =
    "(function(){"
    "var box=document.getElementById('filter');box.hidden=false;"
    "var rows=[].slice.call(document.querySelectorAll('#pcs tbody tr,#programs tbody tr'));"
    "var texts=rows.map(function(r){return r.textContent.toLowerCase();});"
    "box.addEventListener('input',function(){var q=box.value.toLowerCase();"
    "rows.forEach(function(r,i){r.hidden=q!==''&&texts[i].indexOf(q)<0;});});"
    "document.querySelectorAll('th').forEach(function(th){th.addEventListener('click',function(){"
    "var table=th.closest('table'),body=table.tBodies[0],i=th.cellIndex,"
    "up=th.getAttribute('aria-sort')!=='ascending';"
    "table.querySelectorAll('th').forEach(function(h){h.removeAttribute('aria-sort');});"
    "th.setAttribute('aria-sort',up?'ascending':'descending');"
    "var list=[].slice.call(body.rows);list.sort(function(a,b){"
    "var c=a.cells[i].textContent.localeCompare(b.cells[i].textContent,'ja',{numeric:true});"
    "return up?c:-c;});list.forEach(function(r){body.appendChild(r);});});});"
    "})();";

// The labels of the record header, and the page's own words.
constexpr std::string_view kPcColumns[] = {"PC名",
                                           "GetComputerName",
                                           "情報取得時刻",
                                           "経過日数",
                                           "GetUserName",
                                           "WindowsVer",
                                           "CPU種類､ｽﾋﾟｰﾄﾞ､psn",
                                           "ﾒﾓﾘの空/全容量",
                                           "ｼｽﾃﾑHDの空/全容量",
                                           "IPｱﾄﾞﾚｽ",
                                           "MACｱﾄﾞﾚｽ",
                                           "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ",
                                           "ｲﾝｽﾄｰﾙｿﾌﾄ数",
                                           "記録数"};
constexpr std::size_t kShownFields[] = {column::kUser,   column::kWindows, column::kCpu,
                                        column::kMemory, column::kDisk,    column::kIp,
                                        column::kMac,    column::kPrinter};

std::string Hash(std::string_view text) {
  return "'sha256-" + Base64(Sha256(text)) + "'";
}

std::string Grouped(std::uint64_t n) {
  const std::string digits = std::to_string(n);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string TimeText(const LocalTime& t) {
  return FormatText("%04d.%02d.%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                    t.second);
}

std::int64_t DaysBetween(std::int64_t from, std::int64_t to) {
  const std::int64_t seconds = to - from;
  return seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
}

// The page as it is written: markup as it stands, texts converted and
// escaped.
class Html {
 public:
  explicit Html(TextConverter& converter) : converter_(converter) {}
  Html& operator<<(std::string_view markup) {
    out_ += markup;
    return *this;
  }
  // Code page 932 text, from the file or the page's own words; a control
  // byte shows as \x1B, as on the terminal.
  Html& Text(std::string_view text) {
    out_ += EscapeHtml(converter_.Utf8FromCp932(VisibleText(text)));
    return *this;
  }
  Html& Cell(std::string_view text) {
    out_ += "<td>";
    return Text(text) << "</td>";
  }
  Html& Number(std::int64_t n) {
    out_ += "<td class=\"n\">";
    out_ += std::to_string(n);
    out_ += "</td>";
    return *this;
  }
  Html& Fact(std::string_view label, std::string_view value) {
    *this << "<dt>";
    Text(label) << "</dt><dd>";
    return Text(value) << "</dd>\n";
  }
  std::string& out() { return out_; }

 private:
  TextConverter& converter_;
  std::string out_;
};

// A PC in the order of the page; its latest texts are unpacked when they
// are written, so that many PCs cost little more than the Pcs.
struct Shown {
  const Pc* pc;
  std::string key;
};

std::vector<Shown> SortedPcs(const Inventory& inventory) {
  std::vector<Shown> pcs;
  pcs.reserve(inventory.pcs().size());
  for (const Pc& pc : inventory.pcs()) {
    pcs.push_back({&pc, PcKey(pc.LatestColumns()[column::kComputer])});
  }
  std::sort(pcs.begin(), pcs.end(), [](const Shown& a, const Shown& b) { return a.key < b.key; });
  return pcs;
}

void WriteHead(Html& html, const Inventory& inventory, const ReadStats& stats,
               const PageFacts& facts, std::size_t stale) {
  html << "<h1>";
  html.Text("PC構成情報一覧") << "</h1>\n<dl>\n<dt>";
  html.Text("取得情報記録ﾌｧｲﾙ") << "</dt><dd>" << EscapeHtml(facts.file_name) << "</dd>\n";
  html.Fact("ﾌｧｲﾙｻｲｽﾞ", Grouped(facts.file_size) + " ﾊﾞｲﾄ");
  html.Fact("作成日時", TimeText(facts.now));
  html.Fact("記録数", Grouped(stats.records) + " 件");
  html.Fact("PC数", Grouped(inventory.pcs().size()) + " 台");
  html.Fact("記録の期間", stats.records == 0
                              ? std::string("-")
                              : inventory.oldest_time() + " ～ " + inventory.newest_time());
  html.Fact("30日以上記録のないPC", Grouped(stale) + " 台");
  html << "<dt>";
  html.Text("読めなかった行") << "</dt><dd id=\"unreadable\">";
  html.Text(Grouped(stats.unreadable) + " 行");
  if (!stats.first_unreadable.empty()) {
    html << "<ul>";
    for (const UnreadableLine& line : stats.first_unreadable) {
      html << "<li>";
      html.Text(Grouped(line.line)).Text("行目: ").Text(line.reason) << "</li>";
    }
    html << "</ul>";
  }
  html << "</dd>\n";
  if (stats.torn_last_line) html.Fact("最後の行", "書き込み途中のため読みませんでした");
  html << "</dl>\n";
}

void WritePcs(Html& html, const std::vector<Shown>& pcs, std::int64_t now) {
  html << "<h2>";
  html.Text("PC") << "</h2>\n<table id=\"pcs\">\n<thead><tr>";
  for (std::string_view label : kPcColumns) {
    html << "<th>";
    html.Text(label) << "</th>";
  }
  html << "</tr></thead>\n<tbody>\n";
  for (const Shown& shown : pcs) {
    const std::vector<std::string_view> r = shown.pc->LatestColumns();
    const std::int64_t days = DaysBetween(shown.pc->latest_seconds, now);
    html << (days > kStaleDays ? "<tr class=\"stale\">" : "<tr>");
    html.Cell(r[column::kPcName]).Cell(r[column::kComputer]).Cell(r[column::kTime]).Number(days);
    for (std::size_t field : kShownFields) html.Cell(r[field]);
    html.Number(static_cast<std::int64_t>(r.size() - column::kFirstProgram))
        .Number(static_cast<std::int64_t>(shown.pc->records));
    html << "</tr>\n";
  }
  html << "</tbody></table>\n";
}

// Each program once, with the names of the PCs that have it: a name is at
// most kComputerNameBytes, so the list costs a few bytes per program of
// each PC's latest record, as the record file does.
void WritePrograms(Html& html, const std::vector<Shown>& pcs) {
  std::map<std::string_view, std::vector<std::uint32_t>> holders;
  std::vector<std::string_view> computers;
  computers.reserve(pcs.size());
  for (const Shown& shown : pcs) {
    std::vector<std::string_view> names = shown.pc->LatestColumns();
    computers.push_back(names[column::kComputer]);
    names.erase(names.begin(), names.begin() + column::kFirstProgram);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (std::string_view name : names) {
      holders[name].push_back(static_cast<std::uint32_t>(computers.size() - 1));
    }
  }
  std::vector<const std::pair<const std::string_view, std::vector<std::uint32_t>>*> order;
  order.reserve(holders.size());
  for (const auto& entry : holders) order.push_back(&entry);
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    return a->second.size() > b->second.size();
  });
  html << "<h2>";
  html.Text("ｲﾝｽﾄｰﾙｿﾌﾄ") << "</h2>\n<table id=\"programs\">\n<thead><tr><th>";
  html.Text("ｲﾝｽﾄｰﾙｿﾌﾄ") << "</th><th>";
  html.Text("PC数") << "</th><th>";
  html.Text("GetComputerName") << "</th></tr></thead>\n<tbody>\n";
  for (const auto* entry : order) {
    html << "<tr>";
    html.Cell(entry->first).Number(static_cast<std::int64_t>(entry->second.size())) << "<td>";
    for (std::size_t i = 0; i < entry->second.size(); ++i) {
      if (i > 0) html << ", ";
      html.Text(computers[entry->second[i]]);
    }
    html << "</td></tr>\n";
  }
  html << "</tbody></table>\n";
}

void WriteNames(Html& html, std::string_view label, const std::vector<std::string>& names,
                std::string_view css) {
  if (names.empty()) return;
  html << "<li class=\"" << css << "\">";
  html.Text(label);
  for (std::size_t i = 0; i < names.size(); ++i) html.Text(i == 0 ? ": " : ", ").Text(names[i]);
  html << "</li>";
}

void WriteChanges(Html& html, const std::vector<Shown>& pcs) {
  html << "<section id=\"changes\">\n<h2>";
  html.Text("変更履歴") << "</h2>\n";
  for (const Shown& shown : pcs) {
    const Pc* pc = shown.pc;
    const std::vector<std::string_view> latest = pc->LatestColumns();
    html << "<h3>";
    html.Text(latest[column::kComputer]);
    if (!latest[column::kPcName].empty()) html.Text(" (").Text(latest[column::kPcName]).Text(")");
    html << "</h3>\n";
    if (pc->changes.empty()) {
      html << "<p>";
      html.Text(pc->records == 1 ? "記録は1件だけです。" : "変更はありません。") << "</p>\n";
      continue;
    }
    html << "<ul>\n";
    for (auto change = pc->changes.rbegin(); change != pc->changes.rend(); ++change) {
      html << "<li>";
      html.Text(change->time).Text(" (前回 ").Text(change->before_time).Text(")") << "<ul>";
      WriteNames(html, "追加", change->added, "added");
      WriteNames(html, "削除", change->removed, "removed");
      for (const FieldChange& field : change->fields) {
        html << "<li>";
        html.Text(field.label).Text(": ").Text(field.before).Text(" → ").Text(field.after)
            << "</li>";
      }
      html << "</ul></li>\n";
    }
    if (pc->dropped_changes > 0) {
      html << "<li>";
      html.Text("これより前の変更 ").Text(Grouped(pc->dropped_changes)).Text(" 件は省略しました")
          << "</li>\n";
    }
    html << "</ul>\n";
  }
  html << "</section>\n";
}

}  // namespace

std::string EscapeHtml(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string WriteSummaryPage(const Inventory& inventory, const ReadStats& stats,
                             const PageFacts& facts, TextConverter& converter) {
  const std::int64_t now = RecordSeconds(facts.now);
  const std::vector<Shown> pcs = SortedPcs(inventory);
  const auto stale =
      static_cast<std::size_t>(std::count_if(pcs.begin(), pcs.end(), [&](const Shown& shown) {
        return DaysBetween(shown.pc->latest_seconds, now) > kStaleDays;
      }));
  Html html(converter);
  html << "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src "
       << Hash(kScript) << "; style-src " << Hash(kStyle)
       << "; base-uri 'none'; form-action 'none'\">\n"
       << "<meta name=\"viewport\" content=\"width=device-width\">\n<title>";
  html.Text("PC構成情報一覧 - ") << EscapeHtml(facts.file_name) << "</title>\n<style>" << kStyle
                                 << "</style>\n</head>\n<body>\n";
  WriteHead(html, inventory, stats, facts, stale);
  html << "<input id=\"filter\" type=\"search\" hidden placeholder=\"";
  html.Text("絞り込み (PC名、ｿﾌﾄ名など)") << "\">\n";
  WritePcs(html, pcs, now);
  WritePrograms(html, pcs);
  WriteChanges(html, pcs);
  html << "<script>" << kScript << "</script>\n</body>\n</html>\n";
  return std::move(html.out());
}

std::string MakeSummaryPage(ByteSource& source, const PageFacts& facts, TextConverter& converter) {
  RecordReader reader(source, RecordSeconds(facts.now) + kFutureSeconds);
  Inventory inventory;
  while (const Record* record = reader.Next()) inventory.Add(*record);
  return WriteSummaryPage(inventory, reader.stats(), facts, converter);
}

}  // namespace zeltrand::summary
