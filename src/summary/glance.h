// What the head of the summary page counts: each PC's Windows release and
// the end of its security updates, its memory and free-disk band, the age
// of its latest record and its kind of CPU. Each is read from the texts of
// a record as 記録 writes them; what cannot be read is -1 or "".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zeltrand::summary {

// The end of security updates of one Windows release, from Microsoft's
// lifecycle pages: for Home and Pro (Pro Education, Pro for Workstations),
// and for Enterprise and Education. Dates as "2025.10.14"; the record does
// not name the edition, so a PC is judged by the earlier, Home/Pro date.
struct Lifecycle {
  std::string_view release;  // as WindowsRelease names it
  std::string_view home_pro;
  std::string_view enterprise;
};

inline constexpr int kEndingDays = 90;

// "Win10 22H2", "Win11 24H2", "Win7", "WinSrv2019" from a WindowsVer text
// ("Win10 10.0 19045, 22H2, 00330-..."): Windows 10 and 11 by their build
// number, else by the feature update the record names; other Windows by
// name alone.
std::string WindowsRelease(std::string_view windows_ver);
// nullptr for a release the table does not know.
const Lifecycle* FindLifecycle(std::string_view release);

enum class Support { kUnknown, kSupported, kEnding, kEnded };
// Updates end on the day named: past it, ended; within kEndingDays of it,
// ending. `today` is seconds as RecordSeconds counts them.
Support SupportOn(const Lifecycle* lifecycle, std::int64_t today);

// Bands of the memory size (ﾒﾓﾘの空/全容量 "3000/8192MBytes"): below 4 GB,
// 4 to 8 GB, 8 to 16 GB, 16 GB and more.
int MemoryBand(std::string_view memory);
// Bands of the free share of the system drive (ｼｽﾃﾑHDの空/全容量
// "52000/238000MByte"): below 10 %, 10 to 25 %, 25 to 50 %, 50 % and more.
int FreeBand(std::string_view disk);
// The age of a latest record: today, within 7 days, within kStaleDays, older.
int AgeBand(std::int64_t latest_seconds, std::int64_t now_seconds);
// The CPU's model ("Core i5-8250U" of "GenuineIntel, Core i5-8250U, c1800MHz").
std::string CpuKind(std::string_view cpu);

}  // namespace zeltrand::summary
