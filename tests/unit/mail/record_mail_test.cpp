#include <gtest/gtest.h>

#include "../record/record_fixtures.h"
#include "support/dialog_harness.h"

namespace zeltrand::testing {
namespace {

std::deque<Received> Replies(std::initializer_list<const char*> codes) {
  std::deque<Received> out;
  for (const char* code : codes) out.push_back({std::string(code) + " ok\r\n", 0});
  return out;
}

struct MailHarness : DialogHarness {
  MailHarness() {
    dialog.OnInit();
    state.collected = WorkedExamplePc();
    window.texts[16] = "会計課7号機";
    window.texts[17] = "taro@example.jp";
    window.texts[18] = "192.0.2.25";
    window.texts[19] = "admin@example.jp";
  }
  void Send(std::deque<Received> replies) {
    net.replies = std::move(replies);
    net.sent.clear();
    window.Press(21);
  }
};

// The body is the worked example's mail form between the title's head and
// "]", in JIS code (the expected bytes come from Python's ISO-2022-JP codec).
TEST(RecordMail, SendsTheMailFormOfTheRecordAndKeepsTheSettingsUsed) {
  MailHarness h;
  h.Send(Replies({"220", "250", "250", "250", "354", "250", "221"}));
  std::string body = ReadRecordFixture("worked_example_mail.jis");
  for (std::size_t at = 0; (at = body.find('\n', at)) != std::string::npos; at += 2) {
    body.replace(at, 1, "\r\n");
  }
  const std::size_t start = h.net.sent.find("\r\n\r\n") + 4;
  EXPECT_EQ(h.net.sent.substr(start), body + "\r\n.\r\nQUIT\r\n");
  EXPECT_EQ(h.state.settings.sender_address, "taro@example.jp");
  EXPECT_EQ(h.state.settings.mail_server_name, "192.0.2.25");
  EXPECT_EQ(h.state.settings.recipient_address, "admin@example.jp");
  EXPECT_EQ(h.state.exit_code, exit_code::kDone);
}

// Only a mail the first tick sends counts: the user sees the box of one
// sent by hand.
TEST(RecordMail, AFailedUnattendedMailAddsItsBitToTheExitCode) {
  MailHarness h;
  h.state.exit_code = exit_code::kRecordPending;
  h.Send(Replies({"220", "250", "550"}));
  EXPECT_EQ(h.state.exit_code, exit_code::kRecordPending);
  h.state.auto_flags.mail = true;
  h.net.replies = Replies({"220", "250", "550"});
  h.dialog.OnTimer(1);
  EXPECT_EQ(h.state.exit_code, exit_code::kRecordPending | exit_code::kMailFailed);
}

}  // namespace
}  // namespace zeltrand::testing
