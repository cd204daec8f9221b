// What the record tests share: the made-up PC of the worked example, the
// dialog's labels as the template gives them, and the expected-bytes files
// under tests/fixtures/record/ (also read by the end-to-end cases).
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "core/item_values.h"
#include "support/fake_window.h"

namespace zeltrand::testing {

inline std::string ReadRecordFixture(const std::string& name) {
  std::ifstream in(std::string(ZELTRAND_FIXTURES) + "/record/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Two users, four programs; the product ID at the end of field 2 is empty.
inline CollectedInfo WorkedExamplePc() {
  CollectedInfo info;
  info.item_values = {"2003.01.20 09:15:42",
                      "0日00:12",
                      "Win98SE 4.10.2222 A, , ",
                      "Intel, Pentium-III, c800MHz, PSNは非ｻﾎﾟｰﾄまたは非許可",
                      "45/128MBytes",
                      "1520/6150MByte",
                      "78%, 65%",
                      "2.2",
                      "user01",
                      "KAIKEI07",
                      "kaikei07",
                      "192.168.1.57",
                      "n00:50:BA:12:34:56",
                      "未設定"};
  info.login_users = {"user01", "user02"};
  info.softs = {"Sample Editor 2.1", "Report Viewer 5.0", "LAN Tools", "Virus Check 7"};
  return info;
}

inline constexpr const char* kWorkedPcName = "会計課7号機";

// Labels 100 to 116 as the dialog template has them.
inline void SetTemplateLabels(FakeDialogWindow& window) {
  static const char* const kLabels[] = {
      "情報取得時刻",   "Windows起動時間",   "WindowsVer",        "CPU種類､ｽﾋﾟｰﾄﾞ､psn",
      "ﾒﾓﾘの空/全容量", "ｼｽﾃﾑHDの空/全容量", "GDI、USERﾘｿｰｽ残量", "WinSockVer",
      "GetUserName",    "GetComputerName",   "gethostname",       "IPｱﾄﾞﾚｽ",
      "MACｱﾄﾞﾚｽ",       "ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀ、ﾎﾟｰﾄ", "ﾛｸﾞｲﾝ者",           "ｲﾝｽﾄｰﾙｿﾌﾄ",
      "PC名",
  };
  int id = 100;
  for (const char* text : kLabels) window.texts[id++] = text;
}

}  // namespace zeltrand::testing
