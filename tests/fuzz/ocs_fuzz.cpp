// Any record file's PCs as inventory documents, and any bytes as a server's
// reply: no fault, and every document is well-formed, its elements the ones
// the writer makes and its text free of markup the file brought in.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "platform/posix/iconv_converter.h"
#include "platform/zlib_codec.h"
#include "server/ocs_client.h"
#include "server/ocs_inventory.h"
#include "summary/record_reader.h"

namespace {

using namespace zeltrand;

class Bytes final : public summary::ByteSource {
 public:
  explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = bytes_.copy(buffer, size, at_);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

const std::set<std::string> kElements = {
    "REQUEST",     "CONTENT",   "HARDWARE",     "NAME",       "USERID",   "OSNAME", "OSVERSION",
    "OSCOMMENTS",  "WINPRODID", "PROCESSORT",   "PROCESSORS", "MEMORY",   "IPADDR", "LASTDATE",
    "CHECKSUM",    "CPUS",      "MANUFACTURER", "TYPE",       "SPEED",    "DRIVES", "FREE",
    "TOTAL",       "NETWORKS",  "IPADDRESS",    "MACADDR",    "PRINTERS", "PORT",   "SOFTWARES",
    "ACCOUNTINFO", "KEYNAME",   "KEYVALUE",     "DEVICEID",   "QUERY"};

void CheckDocument(const std::string& xml) {
  std::size_t at = xml.find("?>");
  if (at == std::string::npos) std::abort();
  std::vector<std::string> open;
  for (at += 2; at < xml.size();) {
    if (xml[at] == '<') {
      const std::size_t end = xml.find('>', at);
      const bool closing = xml[at + 1] == '/';
      const std::string name = xml.substr(at + 1 + closing, end - at - 1 - closing);
      if (kElements.count(name) == 0) std::abort();
      if (closing && (open.empty() || open.back() != name)) std::abort();
      if (closing)
        open.pop_back();
      else
        open.push_back(name);
      at = end + 1;
    } else if (xml[at] == '>' || static_cast<unsigned char>(xml[at]) < 0x20) {
      std::abort();
    } else if (xml[at] == '&') {
      const std::size_t end = xml.find(';', at);
      const std::string entity = xml.substr(at, end - at + 1);
      if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" &&
          entity != "&#39;") {
        std::abort();
      }
      at = end + 1;
    } else {
      ++at;
    }
  }
  if (!open.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static posix::IconvConverter converter;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  Bytes source(bytes);
  summary::RecordReader reader(source, INT64_MAX);
  while (const summary::Record* record = reader.Next()) {
    if (const auto xml = server::InventoryXml(record->columns, converter)) CheckDocument(*xml);
  }
  server::ReplyResponse(bytes);
  server::CheckReply({0, 200, "application/x-compressed", bytes}, ZlibInflate);
  return 0;
}
