// The short description of every control with an id from 0 to 34: its
// tooltip, the text of a field's detail display and its line in the help
// file. A line feed breaks a tooltip or a detail display into two lines.
#pragma once

#include <array>
#include <string_view>

#include "core/control_ids.h"

namespace zeltrand {

// The tooltip of the dialog's own surface, which includes its labels.
inline constexpr std::string_view kDialogTooltip = "各項目表示欄上で左ｸﾘｯｸすると\nその項目をﾌﾙ表示";

extern const std::array<std::string_view, ctl::kCommandCount> kDescriptionTable;

}  // namespace zeltrand
