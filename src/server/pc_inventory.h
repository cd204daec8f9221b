// After 記録: this PC's inventory to the inventory server the settings name
// ([server] Url), when they name one. An inventory the server did not take
// (no answer within 30 s, refused, an error) is kept in the user's own
// folder, beside the records that wait for their file:
//
//   <local application data>\Zeltrand\pending-inventory.txt
//
// one a line: the server's address, a tab and the document (UTF-8, no line
// break inside). The next 記録 sends it first. The server keeps one
// computer per PC and each inventory replaces the one before, so only the
// newest is kept for a server: one that waits for months still sends one.
// While one waits, the exit code carries exit_code::kInventoryPending.
#pragma once

#include "core/app_state.h"
#include "platform/system.h"
#include "platform/window.h"

namespace zeltrand::server {

inline constexpr std::string_view kPendingInventoryFile = "pending-inventory.txt";

// `silent`: the run ends by itself, so what went wrong goes to the log file
// instead of a message box.
void SendRecordToServer(AppState& state, Services& services, DialogWindow& window, bool silent);

}  // namespace zeltrand::server
