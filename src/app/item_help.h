// What the dialog tells about its items: the tooltips, the detail display
// of a field and the help file "Zeltrand.txt".
//
// The help file, in the current folder, CR LF line ends:
//
//   Zeltrand v0.90 2003.1.17
//
//   <first help text: 【概要】, 【特徴】, 【使用法】>
//
//   【項目説明】
//    情報取得時刻 --- 情報取得時刻(自機時刻)
//    ...                                  (35 lines, controls 0 to 34)
//    品番 --- ｲﾝｽﾄｰﾙｿﾌﾄの製品番号等をﾚｼﾞｽﾄﾘより検索表示
//   <second help text: 【その他】 ... ★既知不具合>
//   (empty last line)
#pragma once

#include <string>

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand {

inline constexpr const char* kHelpFileName = "Zeltrand.txt";

// The name of control `id` as the dialog shows it now: the label beside a
// field, list or edit, the caption of a button or check box.
std::string ItemName(DialogWindow& window, int id);

// The tooltips: the dialog's surface first, then each control 0 to 34.
void CreateTooltips(DialogWindow& window);

// The description of field `item`, an empty line and its current value, in
// a box captioned with the item's name.
void ShowDetail(DialogWindow& window, const ItemValues& values, int item);

// Writes the help file and opens it; the user is told when it cannot be
// written.
void ShowHelp(AppState& state, Services& services, DialogWindow& window);

}  // namespace zeltrand
