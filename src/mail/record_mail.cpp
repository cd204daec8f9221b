#include "mail/record_mail.h"

#include <vector>

#include "core/log_file.h"
#include "mail/kana_widener.h"
#include "mail/mail_server.h"
#include "mail/smtp_session.h"
#include "record/record_line.h"
#include "settings/profile.h"
#include "settings/settings_file.h"

namespace zeltrand {

namespace {

constexpr std::string_view kProductName = "Zeltrand";
constexpr std::size_t kTitleHead = 16;

// Where `line` may be broken: after each `",` that closes a column (a
// doubled quote inside a column is part of its text).
std::vector<std::size_t> ColumnEnds(std::string_view line) {
  std::vector<std::size_t> ends;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '"') continue;
    if (!quoted) {
      quoted = true;
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      ++i;
    } else {
      quoted = false;
      if (i + 1 < line.size() && line[i + 1] == ',') ends.push_back(i + 2);
    }
  }
  return ends;
}

// Breaks at ASCII bytes only, so each piece converts alone to what it is
// inside the whole line.
void AppendBroken(std::string& out, std::string_view line) {
  std::size_t start = 0;
  std::size_t fits = 0;
  for (const std::size_t end : ColumnEnds(line)) {
    if (KanaWidener(line.substr(start, end - start)).size() <= kMailLineLimit) {
      fits = end;
      continue;
    }
    if (fits > start) {
      out.append(line.substr(start, fits - start)) += '\n';
      start = fits;
    }
    fits = end;  // a column longer than a line by itself stays whole
  }
  if (fits > start && KanaWidener(line.substr(start)).size() > kMailLineLimit) {
    out.append(line.substr(start, fits - start)) += '\n';
    start = fits;
  }
  out.append(line.substr(start));
}

// RFC 4616 wants the account in UTF-8.
std::string Utf8(std::u16string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace

std::string MailedRecordText(std::string_view mail_form_record) {
  const std::string text =
      std::string(kTitleText.substr(0, kTitleHead)) + "[" + std::string(mail_form_record) + "]";
  std::string out;
  std::string_view rest = text;
  for (;;) {
    const std::size_t end = rest.find('\n');
    AppendBroken(out, rest.substr(0, end));
    if (end == std::string_view::npos) return out;
    out += '\n';
    rest.remove_prefix(end + 1);
  }
}

bool SendRecordMail(AppState& state, Services& services, DialogWindow& window, bool to_log) {
  Settings& s = state.settings;
  s.sender_address = window.GetItemText(ctl::kSenderEdit);
  s.recipient_address = window.GetItemText(ctl::kRecipientEdit);
  s.mail_server_name = window.GetItemText(ctl::kMailServerEdit);
  MailRequest request{s.sender_address,
                      s.recipient_address,
                      std::string(kProductName),
                      MailedRecordText(BuildRecordLine(state, window, RecordForm::kMail)),
                      s.mail_server_name,
                      services.machine.Now(),
                      {},
                      {},
                      {}};
  const Profile profile(ReadProfileText(services.files, state.paths.ini_path));
  const auto utf8 = [&](std::string_view key) {
    return Utf8(services.files.Utf16FromCp932(profile.Get(kSectionMail, key)));
  };
  request.user = utf8(kKeyUser);
  request.password = utf8(kKeyPassword);
  request.pin = profile.Get(kSectionMail, kKeyTlsCertSha256);
  MailTeller log;
  if (to_log) {
    log = [&services](std::string_view text, unsigned) {
      AppendLogLine(services.files, services.machine.Now(), text);
    };
  }
  return SmtpSession(services.net, window, request, log);
}

}  // namespace zeltrand
