#include "server/pc_inventory.h"

#include "core/cp932.h"
#include "core/log_file.h"
#include "platform/machine.h"
#include "platform/registry.h"
#include "platform/zlib_codec.h"
#include "record/pending_records.h"
#include "server/ocs_client.h"
#include "server/ocs_inventory.h"
#include "server/ocs_prolog.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace zeltrand::server {

namespace {

constexpr std::string_view kNotSent = "ｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞに送信できませんでした!";
constexpr std::string_view kKept = "\nこの情報は保存しておき、次回の記録時に送信します。";
constexpr std::string_view kNotKept = "\nこの情報は保存もできませんでした。";
// The server's PROLOG said STOP: it has a recent inventory of the PC.
constexpr std::string_view kDeclined = "ｲﾝﾍﾞﾝﾄﾘｻｰﾊﾞは今回の情報を求めませんでした。";

// Windows' own name for itself, and the firmware's facts.
LiveFacts ReadLiveFacts(Services& services) {
  constexpr std::string_view kNtKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  constexpr std::size_t kLimit = 255;
  LiveFacts live;
  if (const auto key = services.registry.Open(RegRoot::kLocalMachine, kNtKey)) {
    live.product_name = cp932::Cut(key->Query("ProductName", kLimit + 1).Text(), kLimit);
  }
  live.firmware = ParseSmbios(services.machine.SmbiosTable());
  live.machine = services.machine.ReadInventoryFacts();
  return live;
}

Offer Post(Services& services, const HttpTarget& to, std::string_view xml) {
  ServerLink link{services.http, services.clock, ZlibCompress, ZlibInflate};
  return OfferInventory(link, to, xml);
}

// The address, and the account from [server] User and Password or the
// address itself.
HttpTarget Target(const AppState& state, Services& services) {
  const Profile profile(ReadProfileText(services.files, state.paths.ini_path));
  return ServerTarget(state.settings.server_url,
                      services.text.Utf8FromCp932(profile.Get(kSectionServer, kKeyUser)),
                      services.text.Utf8FromCp932(profile.Get(kSectionServer, kKeyPassword)));
}

// The kept inventory, then this one; the first failure ends the attempt
// (the server is away for both). A kept inventory of the same computer is
// not sent: this newer one replaces it there anyway, and the server, asked
// first, may take only one of the two.
Offer Deliver(Services& services, const HttpTarget& to, const std::string& xml) {
  PendingRecords pending(services.files, kPendingInventoryFile);
  std::string kept = pending.For(to.url);
  if (!kept.empty()) {
    kept.pop_back();  // its LF
    // One is kept for a server; should two runs at once have kept one each,
    // the later is the newer.
    kept.erase(0, kept.find_last_of('\n') + 1);
    if (PrologXml(kept) != PrologXml(xml)) {
      if (Offer offer = Post(services, to, kept); !offer.delivery.problem.empty()) return offer;
    }
  }
  Offer offer = Post(services, to, xml);
  if (offer.delivery.problem.empty()) pending.Drop(to.url);
  return offer;
}

}  // namespace

void SendRecordToServer(AppState& state, Services& services, DialogWindow& window, bool silent) {
  if (state.settings.server_url.empty()) return;
  // Only the address without the account is ever shown, logged or kept.
  const HttpTarget to = Target(state, services);
  const std::string& url = to.url;
  const std::vector<std::string> columns =
      RecordColumns(window.GetItemText(ctl::kPcNameEdit), state.collected);
  const LiveFacts live = ReadLiveFacts(services);
  const std::optional<std::string> xml = InventoryXml(columns, services.text, &live);
  const Offer offer = xml ? Deliver(services, to, *xml) : Offer{{std::string(kNoComputerName)}};
  const std::string& problem = offer.delivery.problem;
  if (problem.empty()) {
    state.exit_code &= ~exit_code::kInventoryPending;
    if (offer.declined && silent) {
      AppendLogLine(services.files, services.machine.Now(), std::string(kDeclined) + "\n" + url);
    }
    return;
  }
  state.exit_code |= exit_code::kInventoryPending;
  PendingRecords pending(services.files, kPendingInventoryFile);
  const bool kept = xml && pending.Drop(url) && pending.Keep(url, *xml);
  const std::string_view after = !xml ? std::string_view() : kept ? kKept : kNotKept;
  const std::string text = std::string(kNotSent) + "\n" + problem + "\n" + url + std::string(after);
  if (silent) {
    AppendLogLine(services.files, services.machine.Now(), text);
  } else {
    window.ShowMessage(text, kTitleText, kMbOk | kMbIconWarning);
  }
}

}  // namespace zeltrand::server
