#include "collect/lists.h"

#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "core/control_ids.h"
#include "core/cp932.h"
#include "platform/registry.h"

namespace zeltrand {
namespace {

// Windows 95/98/Me keep the profiles in the first place, the NT family in
// the second; the first that opens is the one used.
constexpr std::string_view kProfileLists[] = {
    "Software\\Microsoft\\Windows\\CurrentVersion\\ProfileList",
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
};
// systemprofile, LocalService and NetworkService: nobody logs on as these,
// and they would crowd the real users out of the five record columns.
constexpr std::string_view kServiceAccounts[] = {"S-1-5-18", "S-1-5-19", "S-1-5-20"};

constexpr std::string_view kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
struct Place {
  RegRoot root;
  RegView view;
};
// What Add/Remove Programs lists: the machine's programs, the 32-bit ones
// that 64-bit Windows keeps apart, then the user's own.
constexpr Place kUninstallPlaces[] = {
    {RegRoot::kLocalMachine, RegView::kNative},
    {RegRoot::kLocalMachine, RegView::k32Bit},
    {RegRoot::kCurrentUser, RegView::kNative},
};

constexpr std::size_t kValueRoom = 256;  // bytes, terminator included
constexpr std::size_t kUserNameLimit = 39;
constexpr std::size_t kSoftNameLimit = 255;

// The text of a string value that fits kValueRoom; empty otherwise.
std::string ReadText(RegistryKey& key, std::string_view name) {
  const RegQuery query = key.Query(name, kValueRoom);
  if (query.type != RegType::kString && query.type != RegType::kExpandString) return {};
  return query.Text();
}

// Calls visit(key, name) for each sub-key of `list` that opens, in the
// registry's order.
template <typename Visit>
void ForEachSubkey(RegistryKey& list, Visit visit) {
  for (std::uint32_t index = 0;; ++index) {
    const std::optional<RegSubkey> entry = list.Subkey(index);
    if (!entry) return;
    if (entry->key) visit(*entry->key, entry->name);
  }
}

// The profile folder's name: what follows the last backslash, which must
// not be the second byte of a two-byte character (表 is 95 5C).
std::string_view FolderName(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (cp932::IsLeadByte(static_cast<unsigned char>(path[i]))) {
      ++i;
    } else if (path[i] == '\\') {
      start = i + 1;
    }
  }
  return path.substr(start);
}

// Entries that the system's own program list leaves out too: parts of the
// system or of another program (SystemComponent = 1) and updates, which
// name the program they belong to in ParentKeyName.
bool IsHiddenProgram(RegistryKey& entry) {
  return entry.Query("SystemComponent").Dword() == 1u ||
         entry.Query("ParentKeyName").status != RegStatus::kMissing;
}

bool IsServiceAccount(std::string_view sid) {
  for (std::string_view account : kServiceAccounts) {
    if (sid == account) return true;
  }
  return false;
}

}  // namespace

void ListLoginUsers(CollectContext& ctx, DialogWindow& window) {
  std::vector<std::string>& users = ctx.info.login_users;
  users.clear();
  Registry& registry = ctx.services.registry;
  for (std::string_view path : kProfileLists) {
    const auto list = registry.Open(RegRoot::kLocalMachine, path);
    if (!list) continue;
    ForEachSubkey(*list, [&](RegistryKey& entry, const std::string& sid) {
      if (IsServiceAccount(sid)) return;
      const std::string user =
          cp932::Cut(FolderName(ReadText(entry, "ProfileImagePath")), kUserNameLimit);
      if (user.empty()) return;
      window.InsertListItem(ctl::kUserList, static_cast<int>(users.size()), user);
      users.push_back(user);
    });
    return;
  }
}

void ListInstalledSoftware(CollectContext& ctx, DialogWindow& window) {
  std::vector<std::string>& softs = ctx.info.softs;
  softs.clear();
  Registry& registry = ctx.services.registry;
  // One program is often registered in more than one place.
  std::set<std::pair<std::string, std::string>> listed;
  for (const Place& place : kUninstallPlaces) {
    const auto list = registry.Open(place.root, kUninstall, place.view);
    if (!list) continue;
    ForEachSubkey(*list, [&](RegistryKey& entry, const std::string&) {
      if (IsHiddenProgram(entry)) return;
      const std::string name = cp932::Cut(ReadText(entry, "DisplayName"), kSoftNameLimit);
      if (name.empty() || !listed.emplace(name, ReadText(entry, "DisplayVersion")).second) return;
      window.InsertListItem(ctl::kSoftwareList, static_cast<int>(softs.size()), name);
      softs.push_back(name);
    });
  }
}

}  // namespace zeltrand
