#include "mail/kana_widener.h"

#include <array>
#include <cstdint>

namespace zeltrand {

namespace {

// The full-width forms of 0xA0 to 0xDF, then the voiced ガ to ド, the
// semi-voiced パ to ポ and the voiced バ to ボ.
constexpr std::string_view kKanaTable =
    "　。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
    "ハヒフヘホマミムメモヤユヨラリルレロワン゛゜ガギグゲゴザジズゼゾダヂヅデドパピプペポバビブベ"
    "ボ";
static_assert(kKanaTable.size() == std::size_t{89} * 2);

constexpr unsigned char kVoicedMark = 0xDE;      // ﾞ
constexpr unsigned char kSemiVoicedMark = 0xDF;  // ﾟ
constexpr int kVoicedShift = 42;
constexpr int kSemiVoicedShift = 37;

constexpr std::string_view kToJis = "\x1B$B";
constexpr std::string_view kToRoman = "\x1B(J";

// ESC, SO and SI of the text itself would switch a reader's character set
// behind the encoder's back: they are no characters and are left out.
bool IsAscii(unsigned char b) {
  return b >= 0x01 && b <= 0x7E && b != 0x1B && b != 0x0E && b != 0x0F;
}
bool IsHalfWidthKana(unsigned char b) {
  return b >= 0xA0 && b <= 0xDF;
}
bool IsLead(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF);
}
bool IsTrail(unsigned char b) {
  return b >= 0x40 && b <= 0xFC && b != 0x7F;
}
bool HasVoicedForm(unsigned char b) {
  return (b >= 0xB6 && b <= 0xC4) || (b >= 0xCA && b <= 0xCE);
}
bool HasSemiVoicedForm(unsigned char b) {
  return b >= 0xCA && b <= 0xCE;
}

// Shift-JIS to JIS X 0208, in the 8-bit arithmetic the two codes share.
void AppendJis(std::string& out, unsigned char s1, unsigned char s2) {
  auto j1 = static_cast<std::uint8_t>(2 * (s1 - (s1 <= 0x9F ? 0x71 : 0xB1)) + 1);
  const auto t = static_cast<std::uint8_t>(s2 >= 0x80 ? s2 - 1 : s2);
  std::uint8_t j2;
  if (t > 0x9D) {
    j2 = static_cast<std::uint8_t>(t - 0x7D);
    ++j1;
  } else {
    j2 = static_cast<std::uint8_t>(t - 0x1F);
  }
  out += static_cast<char>(j1);
  out += static_cast<char>(j2);
}

// The table entry of the half-width katakana at `text[i]`; moves `i` past
// a sound mark that joins it.
std::size_t KanaEntry(std::string_view text, std::size_t& i) {
  const auto b = static_cast<unsigned char>(text[i]);
  const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
  std::size_t entry = b - 0xA0u;
  if (next == kVoicedMark && HasVoicedForm(b)) {
    entry += kVoicedShift;
    ++i;
  } else if (next == kSemiVoicedMark && HasSemiVoicedForm(b)) {
    entry += kSemiVoicedShift;
    ++i;
  }
  return entry;
}

}  // namespace

// A first byte whose second is missing or no second byte at all is left
// out, and what follows is read as a character of its own: the result then
// holds nothing but 7-bit characters and the controls of the text.
std::string KanaWidener(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::string out;
  out.reserve(text.size() + text.size() / 2 + 16);
  bool jis = false;
  const auto enter = [&](bool to_jis) {
    if (jis != to_jis) out += to_jis ? kToJis : kToRoman;
    jis = to_jis;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (IsAscii(b)) {
      enter(false);
      out += static_cast<char>(b);
    } else if (IsHalfWidthKana(b)) {
      enter(true);
      const std::size_t entry = KanaEntry(text, i);
      AppendJis(out, static_cast<unsigned char>(kKanaTable[2 * entry]),
                static_cast<unsigned char>(kKanaTable[2 * entry + 1]));
    } else if (IsLead(b) && i + 1 < text.size() &&
               IsTrail(static_cast<unsigned char>(text[i + 1]))) {
      enter(true);
      AppendJis(out, b, static_cast<unsigned char>(text[++i]));
    }
  }
  enter(false);
  return out;
}

}  // namespace zeltrand
