#include "mail/record_mail.h"

#include "mail/smtp_session.h"
#include "record/record_line.h"

namespace zeltrand {

namespace {

constexpr std::string_view kProductName = "Zeltrand";
constexpr std::size_t kTitleHead = 16;

}  // namespace

bool SendRecordMail(AppState& state, Services& services, DialogWindow& window) {
  Settings& s = state.settings;
  s.sender_address = window.GetItemText(ctl::kSenderEdit);
  s.recipient_address = window.GetItemText(ctl::kRecipientEdit);
  s.mail_server_name = window.GetItemText(ctl::kMailServerEdit);
  MailRequest request{s.sender_address,
                      s.recipient_address,
                      std::string(kProductName),
                      std::string(kTitleText.substr(0, kTitleHead)) + "[" +
                          BuildRecordLine(state, window, RecordForm::kMail) + "]",
                      s.mail_server_name,
                      services.machine.Now()};
  return SmtpSession(services.net, window, request);
}

}  // namespace zeltrand
