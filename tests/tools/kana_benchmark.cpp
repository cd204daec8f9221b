// Times KanaWidener against glibc's iconv (CP932 to ISO-2022-JP) on one
// large mail-like text: figures for the notes, not a test. iconv has no
// half-width katakana, so the text holds ASCII columns and two-byte runs;
// the widening is timed on its own on a text of half-width labels.
//
//   sh scripts/bench-kana.sh
#include <iconv.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "mail/kana_widener.h"

namespace {

constexpr int kRounds = 5;

std::string MailLikeText() {
  std::string text;
  int code = 0;
  while (text.size() < (32u << 20)) {
    text += "\"Sample Editor 2.1\",\"";
    for (int i = 0; i < 12; ++i, ++code) {
      text += static_cast<char>(0x89 + (code / 188) % 15);
      const int trail = 0x40 + code % 188;
      text += static_cast<char>(trail >= 0x7F ? trail + 1 : trail);
    }
    text += "\",\"LAN Tools\",\n";
  }
  return text;
}

template <typename F>
double BestSeconds(F run) {
  double best = 1e9;
  for (int i = 0; i < kRounds; ++i) {
    const auto began = std::chrono::steady_clock::now();
    run();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
    if (took.count() < best) best = took.count();
  }
  return best;
}

std::size_t Iconv(const std::string& text, std::string& out) {
  iconv_t cd = iconv_open("ISO-2022-JP", "CP932");
  out.resize(text.size() * 2 + 16);
  char* in = const_cast<char*>(text.data());
  char* to = out.data();
  std::size_t in_left = text.size(), out_left = out.size();
  const std::size_t result = iconv(cd, &in, &in_left, &to, &out_left);
  iconv(cd, nullptr, nullptr, &to, &out_left);
  iconv_close(cd);
  return result == static_cast<std::size_t>(-1) ? 0 : out.size() - out_left;
}

}  // namespace

int main() {
  const std::string text = MailLikeText();
  const double mb = static_cast<double>(text.size()) / (1 << 20);
  std::string ours, theirs;
  const double t_ours = BestSeconds([&] { ours = zeltrand::KanaWidener(text); });
  std::size_t theirs_size = 0;
  const double t_iconv = BestSeconds([&] { theirs_size = Iconv(text, theirs); });
  std::printf("text: %.1f MB of CP932 (ASCII columns and kanji runs)\n", mb);
  std::printf("KanaWidener: %7.1f ms  %7.1f MB/s  -> %zu bytes\n", t_ours * 1e3, mb / t_ours,
              ours.size());
  std::printf("iconv:       %7.1f ms  %7.1f MB/s  -> %zu bytes\n", t_iconv * 1e3, mb / t_iconv,
              theirs_size);
  std::printf("ratio iconv/KanaWidener: %.2f\n", t_iconv / t_ours);

  std::string labels;
  while (labels.size() < (32u << 20))
    labels += "\xB2\xDD\xBD\xC4\xB0\xD9\xBF\xCC\xC4,\xCA\xDF\xB9\xAF\xC4\xDE\n";
  const double t_kana = BestSeconds([&] { ours = zeltrand::KanaWidener(labels); });
  std::printf("KanaWidener on half-width labels: %.1f MB in %.1f ms, %.1f MB/s\n",
              static_cast<double>(labels.size()) / (1 << 20), t_kana * 1e3,
              static_cast<double>(labels.size()) / (1 << 20) / t_kana);
  return 0;
}
