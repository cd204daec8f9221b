// The start-up shortcut behind 自動起動: "Zeltrand.lnk" in the user's
// Startup folder, pointing at the executable and starting it in its own
// folder (where a start from Explorer runs it), described "Zeltrand". The
// exit makes or renews it while 自動起動 is checked and removes it, with
// "ｽﾀｰﾄｱｯﾌﾟZeltrand.lnk" in the Programs folder, while it is not.
#pragma once

#include <string>

#include "platform/shell.h"

namespace zeltrand {

// Nothing is made or removed in a folder the shell could not name. The
// outcome is not reported: the exit goes on in any case.
void UpdateStartupShortcut(Shell& shell, const std::string& exe_path, bool auto_start);

}  // namespace zeltrand
