#include "platform/tls_records.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_net.h"

namespace zeltrand::testing {
namespace {

std::string Record(char type, std::size_t length) {
  return std::string{type, 3, 3, static_cast<char>(length >> 8), static_cast<char>(length)} +
         std::string(length, type);
}

const std::string kData = Record(23, 42);     // application data
const std::string kTicket = Record(22, 300);  // a post-handshake message
const std::string kAlert = Record(21, 2);     // close-notify
const std::string kLongest = Record(23, 16384 + 2048);
constexpr int kNotTls = TlsRecordReader::kNotTls;

// Receives as the server's side split and join them; then the records the
// reader hands out, and the error of the read after them (10060: nothing
// more came, 0: closed between records).
TEST(TlsRecordReader, HandsOutWholeRecordsHoweverTheyArrive) {
  const struct {
    std::vector<std::string> receives;
    std::vector<std::string> records;
    int last_error;
  } cases[] = {
      {{kData, kAlert}, {kData, kAlert}, 10060},
      {{kData + kTicket + kAlert}, {kData, kTicket, kAlert}, 10060},
      {{kData.substr(0, 3), kData.substr(3)}, {kData}, 10060},
      {{kTicket.substr(0, 100), kTicket.substr(100, 100), kTicket.substr(200)}, {kTicket}, 10060},
      {{kData + kTicket.substr(0, 7), kTicket.substr(7) + kAlert.substr(0, 1), kAlert.substr(1)},
       {kData, kTicket, kAlert},
       10060},
      {{kLongest}, {kLongest}, 10060},
      {{kData, ""}, {kData}, 0},
      {{kData.substr(0, 9), ""}, {}, kNotTls},
      {{"220 mail.example.jp ESMTP\r\n"}, {}, kNotTls},
      {{Record(23, 16384 + 2049)}, {}, kNotTls},
  };
  for (const auto& c : cases) {
    FakeNet net;
    for (const std::string& bytes : c.receives) net.replies.push_back({bytes, 0});
    const OpenedConnection opened = net.Open();
    TlsRecordReader reader(*opened.connection);
    std::vector<std::string> records;
    TlsRecord got;
    while (!(got = reader.Next([] { return 1000u; })).bytes.empty()) records.push_back(got.bytes);
    EXPECT_EQ(records, c.records) << c.receives.size() << " receives";
    EXPECT_EQ(got.error, c.last_error);
  }
}

// What the handshake did not use comes out first, ahead of what arrives.
TEST(TlsRecordReader, GivesBackWhatWasPutBackFirst) {
  FakeNet net;
  net.replies = {{kTicket.substr(5), 0}, {kAlert, 0}};
  const OpenedConnection opened = net.Open();
  TlsRecordReader reader(*opened.connection);
  reader.PutBack(kData + kTicket.substr(0, 5));
  for (const std::string& expected : {kData, kTicket, kAlert})
    EXPECT_EQ(reader.Next([] { return 1u; }).bytes, expected);
}

}  // namespace
}  // namespace zeltrand::testing
