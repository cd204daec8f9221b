#include "platform/tls_records.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/fake_net.h"

namespace zeltrand::testing {
namespace {

std::string Record(char type, std::size_t length, char fill) {
  std::string header = {type, 3, 3, static_cast<char>(length >> 8), static_cast<char>(length)};
  return header + std::string(length, fill);
}

const std::string kData = Record(23, 42, 'a');     // application data
const std::string kTicket = Record(23, 300, 't');  // a TLS 1.3 new session ticket, sealed
const std::string kAlert = Record(21, 2, 'c');     // close-notify
const std::string kLongest = Record(23, 16384 + 2048, 'x');

struct ReaderCase {
  const char* name;
  std::vector<Received> receives;
  std::vector<std::string> records;  // then one read that fails
  int last_error;
};

TEST(TlsRecordReader, HandsOutWholeRecordsHoweverTheyArrive) {
  const ReaderCase cases[] = {
      {"one_per_receive", {{kData, 0}, {kAlert, 0}}, {kData, kAlert}, 10060},
      {"three_joined", {{kData + kTicket + kAlert, 0}}, {kData, kTicket, kAlert}, 10060},
      {"split_in_the_header", {{kData.substr(0, 3), 0}, {kData.substr(3), 0}}, {kData}, 10060},
      {"split_over_three",
       {{kTicket.substr(0, 100), 0}, {kTicket.substr(100, 100), 0}, {kTicket.substr(200), 0}},
       {kTicket},
       10060},
      {"joined_and_split",
       {{kData + kTicket.substr(0, 7), 0},
        {kTicket.substr(7) + kAlert.substr(0, 1), 0},
        {kAlert.substr(1), 0}},
       {kData, kTicket, kAlert},
       10060},
      {"longest_allowed", {{kLongest, 0}}, {kLongest}, 10060},
      {"closed_between_records", {{kData, 0}, {"", 0}}, {kData}, 0},
      {"closed_mid_record", {{kData.substr(0, 9), 0}, {"", 0}}, {}, TlsRecordReader::kNotTls},
      {"receive_fails", {{kData.substr(0, 9), 0}, {"", 10054}}, {}, 10054},
      {"smtp_is_no_tls", {{"220 mail.example.jp ESMTP\r\n", 0}}, {}, TlsRecordReader::kNotTls},
      {"too_long", {{Record(23, 16384 + 2049, 'x'), 0}}, {}, TlsRecordReader::kNotTls},
  };
  for (const ReaderCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeNet net;
    net.replies.assign(c.receives.begin(), c.receives.end());
    const OpenedConnection opened = net.Open();
    TlsRecordReader reader(*opened.connection);
    for (const std::string& expected : c.records) {
      const TlsRecord got = reader.Next(1000);
      EXPECT_EQ(got.error, 0);
      EXPECT_EQ(got.bytes, expected);
    }
    const TlsRecord last = reader.Next(1000);
    EXPECT_EQ(last.error, c.last_error);
    EXPECT_TRUE(last.bytes.empty());
  }
}

// What the handshake did not use comes out first, ahead of what arrives.
TEST(TlsRecordReader, GivesBackWhatWasPutBackFirst) {
  FakeNet net;
  net.replies = {{kTicket.substr(5), 0}, {kAlert, 0}};
  const OpenedConnection opened = net.Open();
  TlsRecordReader reader(*opened.connection);
  reader.PutBack(kData + kTicket.substr(0, 5));
  for (const std::string& expected : {kData, kTicket, kAlert}) {
    EXPECT_EQ(reader.Next(1000).bytes, expected);
  }
}

}  // namespace
}  // namespace zeltrand::testing
