// The two registry reports: the product numbers of installed software
// (MyReg.txt) and the hardware facts Windows activation is built on
// (MyCert.txt). Both walk a registry tree depth first, a key's own findings
// before those of its sub-keys, each key opened once through its parent.
#pragma once

#include <string>
#include <string_view>

#include "core/item_values.h"

namespace zeltrand {

class DialogWindow;
class Registry;
class RegistryKey;
struct AppState;
struct Services;

inline constexpr std::string_view kProductReportFile = "MyReg.txt";
inline constexpr std::string_view kHardwareReportFile = "MyCert.txt";

// Appends an entry for every string or 32-bit number value under `key`
// whose folded name holds one of the keywords. `key_path` names `key`; it
// is extended while a sub-key is searched and is back as it was on return.
// Keys named "CLASSES" or "Classes" are not entered.
void ProductNumberSearch(RegistryKey& key, std::string& key_path, std::string& out);

// Appends "<class>=[<description>]\n" for every key under `key`, itself
// included, that describes a device of a listed class.
void DeviceWalk(RegistryKey& key, std::string& out);

// The hardware report's body, built in `out`.
void HardwareReport(const CollectedInfo& info, Services& services, std::string& out);

// The two commands: build the report in the state's report buffer, write
// the file to the current folder and open it.
void RunProductReport(AppState& state, Services& services, DialogWindow& window);
void RunHardwareReport(AppState& state, Services& services, DialogWindow& window);

}  // namespace zeltrand
