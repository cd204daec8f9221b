#include "summary/summary_page.h"

#include <algorithm>
#include <map>
#include <span>
#include <unordered_map>

#include "core/cp932.h"
#include "core/text_format.h"
#include "core/visible_text.h"
#include "summary/glance.h"
#include "summary/sha256.h"

namespace zeltrand::summary {

namespace {

constexpr std::string_view kStyle =
    "body{font-family:sans-serif;margin:1em;color:#222}"
    "h1{font-size:1.4em}h2{font-size:1.2em;margin-top:1.5em}h3{font-size:1em;margin:1em 0 .2em}"
    "dl{display:grid;grid-template-columns:max-content auto;gap:2px 1em}dt{font-weight:bold}"
    "dd{margin:0}table{border-collapse:collapse}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:left;vertical-align:top}"
    "thead th{background:#e4e8f0;cursor:pointer;position:sticky;top:0;word-break:keep-all}"
    "th[aria-sort=ascending]::after{content:' \\25B2'}"
    "th[aria-sort=descending]::after{content:' \\25BC'}"
    "td{white-space:nowrap}td.n{text-align:right}tr.stale td{background:#fbe0e0}"
    "td.bad{background:#f6c8c8}td.warn{background:#fde6bf}"
    "#programs td:last-child{white-space:normal}"
    "#tools{position:sticky;top:0;background:#fff;padding:.3em 0;z-index:2}"
    "#filter{font-size:1.1em;width:24em}#tools button{font-size:1em;margin-left:.5em}"
    "#narrow{background:#fff3d0;border:1px solid #e0b850;padding:.3em .6em;margin:.3em 0}"
    "#glance{display:flex;flex-wrap:wrap;gap:1em 2.5em}#glance figure{margin:0}"
    "figcaption{font-weight:bold;margin-bottom:.3em}#glance p{margin:.2em 0}"
    "svg text{font-size:12px;fill:#222}.bar{cursor:pointer}.bar rect{fill:#6b8cc4}"
    ".bar:hover rect{fill:#3d5f9e}.bar.ending rect{fill:#e8a030}.bar.ended rect{fill:#cc4444}"
    ".bar rect.hit{fill:transparent;stroke:none}.bar:hover rect.hit{fill:#eef2f8}"
    ".bar.on rect.hit{fill:#fff3d0;stroke:none}.bar:focus{outline:2px solid #3d5f9e}"
    ".bar.on rect{stroke:#222;stroke-width:2}.sel{border:1px solid #c8ccd4;border-radius:4px;"
    "padding:2px 8px;margin-right:.6em;cursor:pointer;background:#f4f6fa;display:inline-block}"
    ".sel:hover{background:#e4e8f0}.sel.on{border-color:#222;font-weight:bold}"
    ".js-only{display:none}html.js .js-only{display:block}"
    ".pc:target{outline:3px solid #e8a030}#v-rec th{background:#eef1f6}"
    "#v-progs{columns:18em;padding-left:1.2em}"
    "#programs-place,#changes-list{content-visibility:auto;contain-intrinsic-size:auto 1000px}"
    ".pc{content-visibility:auto;contain-intrinsic-size:auto 4em}#more button{margin-left:.5em}"
    ".added{color:#060}.removed{color:#a00}";

// The script: the PC and program tables made from the page's data a part
// at a time, the filter box, the charts' narrowing, sorting, the export as
// CSV, a program's PCs, and the view of one PC that the address names.
constexpr std::string_view kScript =
    "(function(){"
    "var d=document,$=function(i){return d.getElementById(i);};d.documentElement.className='js';"
    "function json(id){return JSON.parse($(id).textContent);}"
    "var box=$('filter'),main=$('main'),view=$('view'),data=json('pcdata'),pd=json('progs'),"
    "c=data.c,x=data.x,key='',notesOf=[],step=50,held,texts,names,groups,ids,notes,"
    "pl=pd.n.map(function(s){return s.toLowerCase();}),at=[0,10,1,-1,9,3,4,5,6,12,13,14,-2,-3,-4];"
    "function val(i,k){return at[k]>=0?c[i][at[k]]:x[i][-at[k]];}"
    "function getHeld(){if(!held)held=json('held');return held;}"
    "function Part(id,labels,count,fill,value){"
    "var "
    "t=d.createElement('table'),h=t.createTHead().insertRow(),b=t.createTBody(),more=$(id+'-more'),"
    "p={order:[],shown:[],limit:step},rows=[],i;t.id=id;"
    "labels.forEach(function(l){h.appendChild(d.createElement('th')).textContent=l;});"
    "$(id+'-place').appendChild(t);for(i=0;i<count;i++)p.order.push(i);p.shown=p.order;"
    "p.render=function(){if(p.after)p.after();var "
    "f=d.createDocumentFragment(),m=Math.min(p.shown.length,p.limit),j;"
    "for(j=0;j<m;j++)f.appendChild(rows[p.shown[j]]||(rows[p.shown[j]]=fill(p.shown[j])));b."
    "textContent='';b.appendChild(f);"
    "more.hidden=p.shown.length<=m;more.querySelector('.k').textContent=m;"
    "more.querySelector('.n').textContent=p.shown.length;};"
    "p.set=function(list){var same=list.length===p.shown.length,j;"
    "for(j=0;same&&j<Math.min(list.length,p.limit);j++)same=list[j]===p.shown[j];"
    "p.shown=list;if(!same){p.limit=step;p.render();}};"
    "more.querySelector('button').addEventListener('click',function(){p.limit+=step*10;p.render();}"
    ");"
    "h.addEventListener('click',function(e){var th=e.target.closest('th'),k=th.cellIndex,"
    "up=th.getAttribute('aria-sort')!=='ascending',coll=new Intl.Collator('ja',{numeric:true});"
    "[].forEach.call(h.cells,function(e){e.removeAttribute('aria-sort');});"
    "th.setAttribute('aria-sort',up?'ascending':'descending');p.order.sort(function(a,b){"
    "var r=coll.compare(String(value(a,k)),String(value(b,k)));return "
    "up?r:-r;});p.shown=[];apply();});"
    "return p;}"
    "function cell(tr,text,css){var td=tr.insertCell();td.textContent=text;if(css)td.className=css;"
    "return td;}"
    "function link(i){var a=d.createElement('a');a.href='#'+x[i][0];a.textContent=c[i][10];return "
    "a;}"
    "var pcs=Part('pcs',data.t,c.length,function(i){var tr=d.createElement('tr'),fl=x[i][5],k;"
    "if(fl&1)tr.className='stale';for(k=0;k<15;k++){"
    "if(k===1)tr.insertCell().appendChild(link(i));"
    "else cell(tr,val(i,k),k===3||k>11&&k<14?'n':k===5&&fl&6?(fl&2?'bad':'warn'):"
    "(k===7&&fl&8)||(k===8&&fl&16)?'warn':'');}return tr;},val);"
    "pcs.after=listChanges;"
    "var words=$('programs-place').dataset;"
    "var progs=Part('programs',pd.t,pd.n.length,function(j){var tr=d.createElement('tr');"
    "cell(tr,pd.n[j]);cell(tr,pd.k[j],'n');var "
    "b=tr.insertCell().appendChild(d.createElement('button'));"
    "b.type='button';b.className='who';b.textContent=words.show;b.dataset.p=j;return tr;},"
    "function(j,k){return k===0?pd.n[j]:pd.k[j];});"
    "pcs.render();progs.render();"
    "function prepare(){if(texts)return;texts=[];names=[];groups=[];"
    "for(var i=0;i<c.length;i++){var t=[];for(var k=0;k<15;k++)t.push(val(i,k));"
    "texts.push(t.join('\\t').toLowerCase());names.push(c[i][10].toLowerCase());"
    "groups.push(' '+x[i][6]+' ');}}"
    "function apply(){prepare();var q=box.value.toLowerCase(),k=' '+key+' ',on=null,m=0;"
    "pcs.set(pcs.order.filter(function(i){return(q===''||texts[i].indexOf(q)>=0)&&"
    "(key===''||groups[i].indexOf(k)>=0);}));"
    "names.forEach(function(s){if(q!==''&&s.indexOf(q)>=0)m++;});"
    "if(m>0&&m<names.length){on=new Uint8Array(pd.n.length);getHeld().forEach(function(l,i){"
    "if(names[i].indexOf(q)>=0)l.forEach(function(j){on[j]=1;});});}"
    "progs.set(q===''||m===names.length?progs.order:progs.order.filter(function(j){"
    "return(on&&on[j])||pl[j].indexOf(q)>=0;}));$('shown').textContent=pcs.shown.length;"
    "$('narrow').hidden=key==='';d.querySelectorAll('[data-k]').forEach(function(b){"
    "var "
    "on=b.dataset.k===key;b.classList.toggle('on',on);if(on)$('narrowed').textContent=b.dataset.l;}"
    ");}"
    "box.addEventListener('input',apply);"
    "d.addEventListener('click',function(e){var b=e.target.closest('[data-k]');if(b){"
    "key=key===b.dataset.k?'':b.dataset.k;apply();return;}"
    "b=e.target.closest('.who');if(b)who(b);});"
    "d.addEventListener('keydown',function(e){var b=e.target.closest&&e.target.closest('[data-k]');"
    "if(b&&(e.key==='Enter'||e.key===' ')){e.preventDefault();b.dispatchEvent(new "
    "MouseEvent('click',{bubbles:true}));}});"
    "$('clear').addEventListener('click',function(){key='';apply();});"
    "function who(b){var td=b.parentNode,list=td.querySelector('span');"
    "b.textContent=list?words.show:words.hide;if(list){list.remove();return;}"
    "var j=+b.dataset.p;list=td.appendChild(d.createElement('span'));"
    "getHeld().forEach(function(l,i){if(l.indexOf(j)>=0){"
    "if(list.firstChild)list.appendChild(d.createTextNode(', '));list.appendChild(link(i));}});}"
    "$('export').addEventListener('click',function(){"
    "function q(s){s=String(s);if(/^[=+\\-@\\t\\r]/.test(s))s=\"'\"+s;return "
    "'\"'+s.replace(/\"/g,'\"\"')+'\"';}"
    "var lines=[data.t.map(q).join(',')];pcs.shown.forEach(function(i){var r=[];"
    "for(var k=0;k<15;k++)r.push(q(val(i,k)));lines.push(r.join(','));});"
    "var a=d.createElement('a');a.href=URL.createObjectURL(new Blob(['\\ufeff'+"
    "lines.join('\\r\\n')+'\\r\\n'],{type:'text/csv'}));a.download='pcs.csv';"
    "d.body.appendChild(a);a.click();a.remove();});"
    "function changes(id){var s,m,re,last;if(!notes){"
    "notes={t:$('changes-place').textContent};re=/<div class=\"pc\" id=\"([^\"]*)\"/g;"
    "while((m=re.exec(notes.t))){if(last)last[1]=m.index;notes[m[1]]=last=[m.index,0];}"
    "if(last)last[1]=notes.t.indexOf('</section>',last[0]);}"
    "s=notes[id];return !s||id==='t'?'':notes.t.slice(s[0],s[1]).replace(' id=',' data-id=');}"
    "function listChanges(){var l=$('changes-list'),f=d.createDocumentFragment();"
    "pcs.shown.slice(0,pcs.limit).forEach(function(i){var n=notesOf[i];if(!n){"
    "var t=d.createElement('template');t.innerHTML=changes(x[i][0]);"
    "n=notesOf[i]=t.content.firstChild||d.createTextNode('');}f.appendChild(n);});"
    "l.textContent='';l.appendChild(f);}"
    "function show(){var h=location.hash.slice(1),i,sec;try{h=decodeURIComponent(h);}catch(e){}"
    "if(!ids){ids={};x.forEach(function(r,i){ids[r[0]]=i;});}i=ids[h];"
    "sec=i===undefined?'':changes(h);"
    "if(!sec){main.hidden=false;view.hidden=true;return;}"
    "var t=d.createElement('template');t.innerHTML=sec;sec=t.content.firstChild;"
    "var r=c[i],rec=$('v-rec').tBodies[0],ul=$('v-progs'),l=getHeld()[i];"
    "$('v-name').textContent=sec.firstChild.textContent;rec.textContent='';"
    "data.h.forEach(function(label,k){var tr=rec.insertRow();"
    "tr.appendChild(d.createElement('th')).textContent=label;"
    "cell(tr,k<15?r[k]:r.slice(15,20).filter(Boolean).join(', '));});"
    "ul.textContent='';l.map(function(j){return pd.n[j];}).sort().forEach(function(s){"
    "ul.appendChild(d.createElement('li')).textContent=s;});$('v-n').textContent=l.length;"
    "sec.firstChild.remove();var ch=$('v-changes');ch.textContent='';ch.appendChild(sec);"
    "main.hidden=true;view.hidden=false;window.scrollTo(0,0);}"
    "window.addEventListener('hashchange',show);show();"
    "(window.requestIdleCallback||setTimeout)(function(){prepare();getHeld();});"
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
                                           "記録数",
                                           "注意"};
// The fixed columns of a record, the users under one heading.
constexpr std::string_view kRecordColumns[] = {"PC名",
                                               "情報取得時刻",
                                               "Windows起動時間",
                                               "WindowsVer",
                                               "CPU種類､ｽﾋﾟｰﾄﾞ､psn",
                                               "ﾒﾓﾘの空/全容量",
                                               "ｼｽﾃﾑHDの空/全容量",
                                               "GDI、USERﾘｿｰｽ残量",
                                               "WinSockVer",
                                               "GetUserName",
                                               "GetComputerName",
                                               "gethostname",
                                               "IPｱﾄﾞﾚｽ",
                                               "MACｱﾄﾞﾚｽ",
                                               "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ",
                                               "ﾛｸﾞｲﾝ者"};
constexpr std::string_view kMemoryBands[] = {"4GB未満", "4～8GB", "8～16GB", "16GB以上"};
constexpr std::string_view kFreeBands[] = {"10%未満", "10～25%", "25～50%", "50%以上"};
constexpr std::string_view kAgeBands[] = {"今日", "7日以内", "30日以内", "30日より前"};
constexpr std::size_t kCpuBars = 8;

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

// The id of a PC's part of the page: its key, each byte other than an
// ASCII letter, digit, - or _ as . and two hex digits.
std::string PcId(std::string_view key) {
  std::string id = "pc-";
  for (const char c : key) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '-' ||
        b == '_') {
      id += c;
    } else {
      id += FormatText(".%02X", b);
    }
  }
  return id;
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
  Html& operator<<(char c) {
    out_ += c;
    return *this;
  }
  // Code page 932 text, from the file or the page's own words; a control
  // byte shows as \x1B, as on the terminal.
  Html& Text(std::string_view text) {
    out_ += EscapeHtml(converter_.Utf8FromCp932(VisibleText(text)));
    return *this;
  }
  // The same as a JSON string inside a script element: no < > & as they are.
  Html& Json(std::string_view text) {
    out_ += '"';
    for (const char c : converter_.Utf8FromCp932(VisibleText(text))) {
      if (c == '"' || c == '\\') {
        out_ += '\\';
        out_ += c;
      } else if (c == '<' || c == '>' || c == '&' || static_cast<unsigned char>(c) < 0x20) {
        out_ += FormatText("\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
      } else {
        out_ += c;
      }
    }
    out_ += '"';
    return *this;
  }
  Html& Cell(std::string_view text, std::string_view css = {}) {
    out_ += css.empty() ? "<td>" : "<td class=\"" + std::string(css) + "\">";
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

// A PC in the order of the page, with what the head counts of it; its
// latest texts are unpacked when they are written, so that many PCs cost
// little more than the Pcs.
struct Shown {
  const Pc* pc = nullptr;
  std::string key;
  std::int64_t days = 0;
  std::string release;
  const Lifecycle* lifecycle = nullptr;
  Support support = Support::kUnknown;
  int memory = -1;
  int free = -1;
  int age = 0;
  std::string cpu;
  std::size_t windows_bar = 0;
  std::size_t cpu_bar = 0;
};

std::vector<Shown> SortedPcs(const Inventory& inventory, std::int64_t now) {
  std::vector<Shown> pcs;
  pcs.reserve(inventory.pcs().size());
  for (const Pc& pc : inventory.pcs()) {
    const std::vector<std::string_view> r = pc.LatestColumns();
    Shown shown;
    shown.pc = &pc;
    shown.key = PcKey(r[column::kComputer]);
    shown.days = DaysBetween(pc.latest_seconds, now);
    shown.release = WindowsRelease(r[column::kWindows]);
    shown.lifecycle = FindLifecycle(shown.release);
    shown.support = SupportOn(shown.lifecycle, now);
    shown.memory = MemoryBand(r[column::kMemory]);
    shown.free = FreeBand(r[column::kDisk]);
    shown.age = AgeBand(pc.latest_seconds, now);
    shown.cpu = CpuKind(r[column::kCpu]);
    pcs.push_back(std::move(shown));
  }
  std::sort(pcs.begin(), pcs.end(), [](const Shown& a, const Shown& b) { return a.key < b.key; });
  return pcs;
}

void WriteHead(Html& html, const Inventory& inventory, const ReadStats& stats,
               const PageFacts& facts, std::size_t stale) {
  html << "<dl>\n<dt>";
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

// One bar of a chart: a click narrows the PC table to the PCs whose row
// holds `key` among its groups.
struct Bar {
  std::string label;  // code page 932
  std::size_t count = 0;
  std::string key;
  std::string note;
  std::string_view css;
};

Bar MakeBar(std::string label, std::size_t count, std::string key) {
  Bar bar;
  bar.label = std::move(label);
  bar.count = count;
  bar.key = std::move(key);
  return bar;
}

// A bar chart as inline SVG: its title above it, each bar's label, count and
// note as text, and the same in words for those who do not see it.
void WriteChart(Html& html, std::string_view id, std::string_view title,
                const std::vector<Bar>& bars, int label_width, int note_width) {
  constexpr int kRow = 22;
  constexpr int kLength = 160;
  std::size_t most = 1;
  for (const Bar& bar : bars) most = std::max(most, bar.count);
  const int width = label_width + kLength + 60 + note_width;
  const int height = static_cast<int>(bars.size()) * kRow + 4;
  html << "<figure><figcaption id=\"" << id << "-t\">";
  html.Text(title) << "</figcaption>\n<svg role=\"img\" aria-labelledby=\"" << id << "-t " << id
                   << "-d\" width=\"" << std::to_string(width) << "\" height=\""
                   << std::to_string(height) << "\" viewBox=\"0 0 " << std::to_string(width) << ' '
                   << std::to_string(height) << "\"><desc id=\"" << id << "-d\">";
  for (std::size_t i = 0; i < bars.size(); ++i) {
    html.Text(i == 0 ? "" : "、")
        .Text(bars[i].label)
        .Text(": " + std::to_string(bars[i].count) + "台");
    if (!bars[i].note.empty()) html.Text(" (").Text(bars[i].note).Text(")");
  }
  html << "</desc>\n";
  for (std::size_t i = 0; i < bars.size(); ++i) {
    const Bar& bar = bars[i];
    const int y = static_cast<int>(i) * kRow;
    const auto length = static_cast<int>(bar.count * kLength / most);
    html << "<g class=\"bar " << bar.css << "\" tabindex=\"0\" data-k=\"" << bar.key
         << "\" data-l=\"";
    html.Text(title).Text(": ").Text(bar.label) << "\"><title>";
    html.Text(bar.label).Text(": " + std::to_string(bar.count) + "台")
        << "</title><rect class=\"hit\" x=\"0\" y=\"" << std::to_string(y) << "\" width=\""
        << std::to_string(width) << "\" height=\"" << std::to_string(kRow)
        << "\"></rect><text x=\"0\" y=\"" << std::to_string(y + 15) << "\">";
    html.Text(cp932::Cut(bar.label, 24))
        << "</text><rect x=\"" << std::to_string(label_width) << "\" y=\"" << std::to_string(y + 3)
        << "\" width=\"" << std::to_string(std::max(length, 2))
        << "\" height=\"16\"></rect><text x=\""
        << std::to_string(label_width + std::max(length, 2) + 4) << "\" y=\""
        << std::to_string(y + 15) << "\">" << std::to_string(bar.count) << "</text>";
    if (!bar.note.empty()) {
      html << "<text x=\"" << std::to_string(label_width + kLength + 60) << "\" y=\""
           << std::to_string(y + 15) << "\">";
      html.Text(bar.note) << "</text>";
    }
    html << "</g>\n";
  }
  html << "</svg></figure>\n";
}

// Bars of the counts of `values` (its index per PC), most first; the first
// `most` bars and one for the rest. Sets each PC's bar.
std::vector<Bar> CountBars(std::vector<Shown>& pcs, std::string Shown::*value,
                           std::size_t Shown::*bar_of, char prefix, std::size_t most) {
  std::map<std::string, std::size_t> counts;
  for (const Shown& shown : pcs) ++counts[shown.*value];
  std::vector<std::pair<std::string, std::size_t>> order(counts.begin(), counts.end());
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::vector<Bar> bars;
  std::map<std::string_view, std::size_t> index;
  for (const auto& [name, count] : order) {
    if (bars.size() >= most) {
      if (bars.size() == most) bars.push_back(MakeBar("その他", 0, prefix + std::to_string(most)));
      bars.back().count += count;
    } else {
      bars.push_back(
          MakeBar(name.empty() ? "不明" : name, count, prefix + std::to_string(bars.size())));
    }
    index[name] = bars.size() - 1;
  }
  for (Shown& shown : pcs) shown.*bar_of = index[shown.*value];
  return bars;
}

std::vector<Bar> BandBars(const std::vector<Shown>& pcs, int Shown::*band,
                          std::span<const std::string_view> labels, char prefix) {
  std::vector<Bar> bars;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    bars.push_back(MakeBar(std::string(labels[i]), 0, prefix + std::to_string(i)));
  }
  bars.push_back(MakeBar("不明", 0, prefix + std::string("9")));
  for (const Shown& shown : pcs) {
    const int b = shown.*band;
    ++bars[b < 0 ? labels.size() : static_cast<std::size_t>(b)].count;
  }
  if (bars.back().count == 0) bars.pop_back();
  if (!bars.empty()) bars[0].css = prefix == 'a' ? "" : "ending";
  if (prefix == 'a') bars[3].css = "ended";
  return bars;
}

std::string EndText(const Lifecycle& life) {
  if (life.home_pro == life.enterprise) return "更新終了 " + std::string(life.home_pro);
  return "更新終了 Home/Pro " + std::string(life.home_pro) + "、Enterprise/Education " +
         std::string(life.enterprise);
}

void WriteSelect(Html& html, std::string_view key, std::string_view label, std::size_t count) {
  html << "<span class=\"sel\" role=\"button\" tabindex=\"0\" data-k=\"" << key << "\" data-l=\"";
  html.Text(label) << "\">";
  html.Text(label).Text(": " + Grouped(count) + " 台") << "</span>";
}

void WriteGlance(Html& html, std::vector<Shown>& pcs) {
  if (pcs.empty()) return;
  std::vector<Bar> windows = CountBars(pcs, &Shown::release, &Shown::windows_bar, 'w', pcs.size());
  std::size_t ended = 0;
  std::size_t ending = 0;
  for (const Shown& shown : pcs) {
    Bar& bar = windows[shown.windows_bar];
    if (shown.support == Support::kEnded) ++ended, bar.css = "ended";
    if (shown.support == Support::kEnding) ++ending, bar.css = "ending";
    bar.note = shown.lifecycle != nullptr ? EndText(*shown.lifecycle) : "更新終了日不明";
  }
  html << "<section id=\"glance\" aria-label=\"";
  html.Text("概要") << "\">\n<div>";
  WriteChart(html, "c-win", "Windowsのﾊﾞｰｼﾞｮﾝ", windows, 100, 420);
  html << "<p>";
  WriteSelect(html, "s3", "更新が終了したWindows", ended);
  html << " ";
  WriteSelect(html, "s2", "90日以内に更新が終了するWindows", ending);
  html << "</p></div>\n";
  WriteChart(html, "c-mem", "ﾒﾓﾘの全容量", BandBars(pcs, &Shown::memory, kMemoryBands, 'm'), 80, 0);
  WriteChart(html, "c-free", "ｼｽﾃﾑHDの空き", BandBars(pcs, &Shown::free, kFreeBands, 'f'), 80, 0);
  WriteChart(html, "c-age", "最新の記録", BandBars(pcs, &Shown::age, kAgeBands, 'a'), 80, 0);
  WriteChart(html, "c-cpu", "CPU種類", CountBars(pcs, &Shown::cpu, &Shown::cpu_bar, 'c', kCpuBars),
             150, 0);
  html << "</section>\n";
}

std::string Groups(const Shown& s) {
  const auto band = [](char prefix, int b) {
    return std::string(1, prefix) + std::to_string(b < 0 ? 9 : b);
  };
  std::string groups = "w" + std::to_string(s.windows_bar) + " c" + std::to_string(s.cpu_bar) +
                       ' ' + band('m', s.memory) + ' ' + band('f', s.free) + ' ' + band('a', s.age);
  if (s.support == Support::kEnded) groups += " s3";
  if (s.support == Support::kEnding) groups += " s2";
  return groups;
}

// What the PC table marks of a PC: the texts of its 注意 column, and
// which cells are marked as kMark bits.
enum Mark { kStale = 1, kEnded = 2, kEnding = 4, kSmallMemory = 8, kLittleFree = 16 };

int Marks(const Shown& shown, std::string& marks) {
  int flags = 0;
  const auto mark = [&](int flag, std::string_view text) {
    flags |= flag;
    marks += marks.empty() ? "" : " ";
    marks += text;
  };
  if (shown.support == Support::kEnded) mark(kEnded, "更新終了");
  if (shown.support == Support::kEnding) {
    mark(kEnding, std::string(shown.lifecycle->home_pro) + "に更新終了");
  }
  if (shown.memory == 0) mark(kSmallMemory, "ﾒﾓﾘ4GB未満");
  if (shown.free == 0) mark(kLittleFree, "空き10%未満");
  if (shown.days > kStaleDays) mark(kStale, "30日以上記録なし");
  return flags;
}

// The line under a table the script makes a part at a time.
void WriteMore(Html& html, std::string_view id) {
  html << "<p id=\"" << id << "\" hidden>";
  html.Text("該当する ") << "<span class=\"n\"></span>";
  html.Text(" 件のうち ") << "<span class=\"k\"></span>";
  html.Text(" 件を表示しています。") << "<button type=\"button\">";
  html.Text("さらに表示") << "</button></p>\n";
}

// The script makes the PC table from the page's data, a part at a time; the
// whole table is here for a browser without scripts.
void WritePcs(Html& html, const std::vector<Shown>& pcs) {
  html << "<h2>";
  html.Text("PC") << "</h2>\n<div id=\"pcs-place\"></div>\n";
  WriteMore(html, "pcs-more");
  html << "<noscript><table id=\"pcs\">\n<thead><tr>";
  for (std::string_view label : kPcColumns) {
    html << "<th>";
    html.Text(label) << "</th>";
  }
  html << "</tr></thead>\n<tbody>\n";
  std::string marks;
  for (const Shown& shown : pcs) {
    const std::vector<std::string_view> r = shown.pc->LatestColumns();
    marks.clear();
    const int flags = Marks(shown, marks);
    html << ((flags & kStale) != 0 ? "<tr class=\"stale\">" : "<tr>");
    html.Cell(r[column::kPcName]) << "<td><a href=\"#" << PcId(shown.key) << "\">";
    html.Text(r[column::kComputer]) << "</a></td>";
    html.Cell(r[column::kTime]).Number(shown.days).Cell(r[column::kUser]);
    html.Cell(r[column::kWindows], (flags & kEnded) != 0    ? "bad"
                                   : (flags & kEnding) != 0 ? "warn"
                                                            : "");
    html.Cell(r[column::kCpu]).Cell(r[column::kMemory], (flags & kSmallMemory) != 0 ? "warn" : "");
    html.Cell(r[column::kDisk], (flags & kLittleFree) != 0 ? "warn" : "");
    html.Cell(r[column::kIp]).Cell(r[column::kMac]).Cell(r[column::kPrinter]);
    html.Number(static_cast<std::int64_t>(r.size() - column::kFirstProgram))
        .Number(static_cast<std::int64_t>(shown.pc->records));
    html.Cell(marks) << "</tr>\n";
  }
  html << "</tbody></table></noscript>\n";
}

// Each program once, with the number of PCs that have it. Which PCs those
// are the page lists when asked, from each PC's programs kept as numbers in
// the page's data: a few bytes per program of each PC's latest record.
void WritePrograms(Html& html, const std::vector<Shown>& pcs) {
  std::unordered_map<std::string_view, std::uint32_t> index;
  std::vector<std::string_view> names;
  std::vector<std::uint32_t> counts;
  std::vector<std::vector<std::uint32_t>> of_pc(pcs.size());
  for (std::size_t i = 0; i < pcs.size(); ++i) {
    std::vector<std::string_view> columns = pcs[i].pc->LatestColumns();
    columns.erase(columns.begin(), columns.begin() + column::kFirstProgram);
    std::sort(columns.begin(), columns.end());
    columns.erase(std::unique(columns.begin(), columns.end()), columns.end());
    for (std::string_view name : columns) {
      const auto [at, added] = index.try_emplace(name, static_cast<std::uint32_t>(names.size()));
      if (added) names.push_back(name), counts.push_back(0);
      ++counts[at->second];
      of_pc[i].push_back(at->second);
    }
  }
  std::vector<std::uint32_t> order(names.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return counts[a] != counts[b] ? counts[a] > counts[b] : names[a] < names[b];
  });
  std::vector<std::uint32_t> rank(names.size());
  for (std::uint32_t i = 0; i < order.size(); ++i) rank[order[i]] = i;
  constexpr std::string_view kLabels[] = {"ｲﾝｽﾄｰﾙｿﾌﾄ", "PC数", "GetComputerName"};
  html << "<h2>";
  html.Text("ｲﾝｽﾄｰﾙｿﾌﾄ") << "</h2>\n<div id=\"programs-place\" data-show=\"";
  html.Text("PCを表示") << "\" data-hide=\"";
  html.Text("閉じる") << "\"></div>\n";
  WriteMore(html, "programs-more");
  html << "<noscript><table id=\"programs\">\n<thead><tr>";
  for (std::size_t i = 0; i < 2; ++i) {
    html << "<th>";
    html.Text(kLabels[i]) << "</th>";
  }
  html << "</tr></thead>\n<tbody>\n";
  for (const std::uint32_t p : order) {
    html << "<tr>";
    html.Cell(names[p]).Number(counts[p]) << "</tr>\n";
  }
  html << "</tbody></table></noscript>\n<script type=\"application/json\" id=\"progs\">{\"t\":[";
  for (std::size_t i = 0; i < std::size(kLabels); ++i) {
    if (i > 0) html << ",";
    html.Json(kLabels[i]);
  }
  html << "],\n\"n\":[";
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    if (i > 0) html << ",";
    html.Json(names[order[i]]);
  }
  html << "],\n\"k\":[";
  for (std::uint32_t i = 0; i < order.size(); ++i) {
    html << (i > 0 ? "," : "") << std::to_string(counts[order[i]]);
  }
  html << "]}</script>\n<script type=\"application/json\" id=\"held\">[";
  std::string list;
  for (std::size_t i = 0; i < of_pc.size(); ++i) {
    for (std::uint32_t& p : of_pc[i]) p = rank[p];
    std::sort(of_pc[i].begin(), of_pc[i].end());
    list = i > 0 ? ",\n[" : "[";
    for (std::size_t j = 0; j < of_pc[i].size(); ++j) {
      if (j > 0) list += ',';
      list += std::to_string(of_pc[i][j]);
    }
    html << list << "]";
  }
  html << "]</script>\n";
}

// For the script: the PC table's headings, the record's, every fixed column
// of each PC's latest record, and what the table adds: the PC's id, days
// since, programs, records, 注意, marks and groups.
void WritePcData(Html& html, const std::vector<Shown>& pcs) {
  const auto labels = [&html](std::span<const std::string_view> list) {
    for (std::size_t i = 0; i < list.size(); ++i) {
      if (i > 0) html << ",";
      html.Json(list[i]);
    }
  };
  html << "<script type=\"application/json\" id=\"pcdata\">{\"t\":[";
  labels(kPcColumns);
  html << "],\n\"h\":[";
  labels(kRecordColumns);
  html << "],\n\"c\":[";
  for (std::size_t i = 0; i < pcs.size(); ++i) {
    const std::vector<std::string_view> r = pcs[i].pc->LatestColumns();
    html << (i > 0 ? ",\n[" : "[");
    for (std::size_t c = 0; c < column::kFirstProgram; ++c) {
      if (c > 0) html << ",";
      html.Json(r[c]);
    }
    html << "]";
  }
  html << "],\n\"x\":[";
  std::string marks;
  for (std::size_t i = 0; i < pcs.size(); ++i) {
    const Shown& shown = pcs[i];
    marks.clear();
    const int flags = Marks(shown, marks);
    html << (i > 0 ? ",\n[\"" : "[\"") << PcId(shown.key) << "\"," << std::to_string(shown.days)
         << ',' << std::to_string(shown.pc->LatestColumns().size() - column::kFirstProgram) << ','
         << std::to_string(shown.pc->records) << ',';
    html.Json(marks) << ',' << std::to_string(flags) << ",\"" << Groups(shown) << "\"]";
  }
  html << "]}</script>\n";
}

void WriteNames(Html& html, std::string_view label, const std::vector<std::string>& names,
                std::string_view css) {
  if (names.empty()) return;
  html << "<li class=\"" << css << "\">";
  html.Text(label);
  for (std::size_t i = 0; i < names.size(); ++i) html.Text(i == 0 ? ": " : ", ").Text(names[i]);
  html << "</li>";
}

// Each PC's changes, in a part the script reads as text and shows for the
// PCs the table shows; without scripts, all of them, each at its PC's id.
void WriteChanges(Html& html, const std::vector<Shown>& pcs) {
  html << "<section id=\"changes-js\" class=\"js-only\"><h2>";
  html.Text("変更履歴") << "</h2><div id=\"changes-list\"></div></section>\n"
                        << "<noscript id=\"changes-place\"><section id=\"changes\">\n<h2>";
  html.Text("変更履歴") << "</h2>\n";
  for (std::size_t i = 0; i < pcs.size(); ++i) {
    const Pc* pc = pcs[i].pc;
    const std::vector<std::string_view> latest = pc->LatestColumns();
    html << "<div class=\"pc\" id=\"" << PcId(pcs[i].key) << "\" data-i=\"" << std::to_string(i)
         << "\"><h3>";
    html.Text(latest[column::kComputer]);
    if (!latest[column::kPcName].empty()) html.Text(" (").Text(latest[column::kPcName]).Text(")");
    html << "</h3>\n";
    if (pc->changes.empty()) {
      html << "<p>";
      html.Text(pc->records == 1 ? "記録は1件だけです。" : "変更はありません。") << "</p></div>\n";
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
    html << "</ul></div>\n";
  }
  html << "</section></noscript>\n";
}

// The view of one PC, filled by the script from the page's data when the
// address names the PC; without scripts the PC's part of 変更履歴 is shown.
void WriteView(Html& html) {
  html << "<section id=\"view\" hidden>\n<p><a href=\"#\">";
  html.Text("← 一覧に戻る") << "</a></p>\n<h2 id=\"v-name\"></h2>\n<table id=\"v-rec\"><tbody>"
                            << "</tbody></table>\n<h3>";
  html.Text("ｲﾝｽﾄｰﾙｿﾌﾄ (") << "<span id=\"v-n\"></span>)</h3>\n<ul id=\"v-progs\"></ul>\n<h3>";
  html.Text("変更履歴") << "</h3>\n<div id=\"v-changes\"></div>\n</section>\n";
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
  std::vector<Shown> pcs = SortedPcs(inventory, now);
  const auto stale = static_cast<std::size_t>(std::count_if(
      pcs.begin(), pcs.end(), [&](const Shown& shown) { return shown.days > kStaleDays; }));
  Html html(converter);
  html << "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"utf-8\">\n"
       << "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; script-src "
       << Hash(kScript) << "; style-src " << Hash(kStyle)
       << "; base-uri 'none'; form-action 'none'\">\n"
       << "<meta name=\"viewport\" content=\"width=device-width\">\n<title>";
  html.Text("PC構成情報一覧 - ") << EscapeHtml(facts.file_name) << "</title>\n<style>" << kStyle
                                 << "</style>\n</head>\n<body>\n<h1>";
  html.Text("PC構成情報一覧") << "</h1>\n";
  WriteView(html);
  html << "<main id=\"main\">\n";
  WriteHead(html, inventory, stats, facts, stale);
  WriteGlance(html, pcs);
  html << "<div id=\"tools\" class=\"js-only\"><input id=\"filter\" type=\"search\" placeholder=\"";
  html.Text("絞り込み (PC名、ｿﾌﾄ名など)") << "\" aria-label=\"";
  html.Text("絞り込み") << "\"><button type=\"button\" id=\"export\">";
  html.Text("表示中のPCをCSVで保存") << "</button> <span>";
  html.Text("表示中: ") << "<span id=\"shown\">" << std::to_string(pcs.size()) << "</span> / "
                        << std::to_string(pcs.size());
  html.Text(" 台") << "</span>\n<p id=\"narrow\" hidden><span id=\"narrowed\"></span>";
  html.Text(" のPCだけを表示しています。") << "<button type=\"button\" id=\"clear\">";
  html.Text("解除") << "</button></p></div>\n";
  WritePcs(html, pcs);
  WritePrograms(html, pcs);
  WriteChanges(html, pcs);
  html << "</main>\n";
  WritePcData(html, pcs);
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
