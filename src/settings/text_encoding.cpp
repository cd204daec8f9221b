#include "settings/text_encoding.h"

#include <map>
#include <optional>
#include <utility>

namespace zeltrand {

namespace {

struct Mark {
  TextEncoding encoding;
  std::string_view bytes;
};

constexpr Mark kMarks[] = {
    {TextEncoding::kUtf8WithMark, "\xEF\xBB\xBF"},
    {TextEncoding::kUtf16Le, "\xFF\xFE"},
    {TextEncoding::kUtf16Be, "\xFE\xFF"},
};

std::string_view MarkOf(TextEncoding encoding) {
  for (const Mark& m : kMarks) {
    if (m.encoding == encoding) return m.bytes;
  }
  return {};
}

bool IsUtf16(TextEncoding encoding) {
  return encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be;
}

// The next character of UTF-8 `bytes` at `i`, or nullopt for a malformed
// sequence (overlong, a surrogate, past U+10FFFF, cut short); `i` moves on
// either way.
std::optional<char32_t> NextUtf8(std::string_view bytes, std::size_t& i) {
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  const auto lead = static_cast<unsigned char>(bytes[i++]);
  const int extra = lead < 0x80 ? 0 : lead < 0xC2 ? -1 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
  if (extra < 0 || lead >= 0xF5) return std::nullopt;
  char32_t v = lead & (extra == 0 ? 0x7Fu : 0x3Fu >> extra);
  for (int got = 0; got < extra; ++got) {
    if (i >= bytes.size() || (bytes[i] & 0xC0) != 0x80) return std::nullopt;
    v = v << 6 | (bytes[i++] & 0x3F);
  }
  if (v < kLeast[extra] || v > 0x10FFFF || (v >= 0xD800 && v < 0xE000)) return std::nullopt;
  return v;
}

// A malformed sequence becomes U+FFFD, which no code page holds either.
std::u16string Utf16FromUtf8(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size();) {
    char32_t c = NextUtf8(bytes, i).value_or(0xFFFD);
    if (c >= 0x10000) {
      text += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      c = 0xDC00 + ((c - 0x10000) & 0x3FF);
    }
    text += static_cast<char16_t>(c);
  }
  return text;
}

bool IsUtf8WithHighBytes(std::string_view bytes) {
  bool high = false;
  for (std::size_t i = 0; i < bytes.size();) {
    high = high || static_cast<unsigned char>(bytes[i]) > 0x7F;
    if (!NextUtf8(bytes, i)) return false;
  }
  return high;
}

void AppendUtf8(std::string& out, char32_t c) {
  const auto byte = [&out](char32_t b) { out += static_cast<char>(b); };
  if (c < 0x80) {
    byte(c);
  } else if (c < 0x800) {
    byte(0xC0 | c >> 6);
    byte(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    byte(0xE0 | c >> 12);
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  } else {
    byte(0xF0 | c >> 18);
    byte(0x80 | (c >> 12 & 0x3F));
    byte(0x80 | (c >> 6 & 0x3F));
    byte(0x80 | (c & 0x3F));
  }
}

// UTF-16 units stored low byte first or high byte first; an odd last byte
// is dropped.
std::u16string Utf16FromBytes(std::string_view bytes, bool high_first) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text += static_cast<char16_t>(high_first ? first << 8 | second : second << 8 | first);
  }
  return text;
}

std::u16string Widen(std::string_view bytes, TextEncoding encoding) {
  if (IsUtf16(encoding)) return Utf16FromBytes(bytes, encoding == TextEncoding::kUtf16Be);
  return Utf16FromUtf8(bytes);
}

// `text` in a Unicode encoding; a lone surrogate goes into UTF-8 as U+FFFD.
std::string Encode(std::u16string_view text, TextEncoding encoding) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (encoding == TextEncoding::kUtf16Le || encoding == TextEncoding::kUtf16Be) {
      const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
      out += encoding == TextEncoding::kUtf16Le ? low : high;
      out += encoding == TextEncoding::kUtf16Le ? high : low;
    } else if (u >= 0xD800 && u < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else {
      AppendUtf8(out, u >= 0xD800 && u < 0xE000 ? 0xFFFD : u);
    }
  }
  return out;
}

// Where the line at the start of `bytes` ends: the offset of its CR or LF
// (npos for the last line) and which of the two it is.
std::size_t LineEnd(std::string_view bytes, TextEncoding encoding, char& end) {
  const std::size_t unit = IsUtf16(encoding) ? 2 : 1;
  const std::size_t low = encoding == TextEncoding::kUtf16Be ? 1 : 0;
  for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
    const char c = bytes[i + low];
    if ((c == '\r' || c == '\n') && (unit == 1 || bytes[i + 1 - low] == 0)) {
      end = c;
      return i;
    }
  }
  return std::string_view::npos;
}

bool StartsWithLf(std::string_view bytes, TextEncoding encoding) {
  if (!IsUtf16(encoding)) return bytes.starts_with('\n');
  const std::size_t low = encoding == TextEncoding::kUtf16Be ? 1 : 0;
  return bytes.size() >= 2 && bytes[low] == '\n' && bytes[1 - low] == 0;
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view bytes) {
  for (const Mark& m : kMarks) {
    if (bytes.starts_with(m.bytes)) return m.encoding;
  }
  return IsUtf8WithHighBytes(bytes) ? TextEncoding::kUtf8 : TextEncoding::kCp932;
}

// Line by line, so that a line code page 932 cannot hold is known by its
// own bytes: converted to code page 932 and back, it does not come out as
// it went in.
DecodedText DecodeText(std::string_view bytes, const Cp932Codec& codec) {
  DecodedText out;
  out.encoding = DetectTextEncoding(bytes);
  if (out.encoding == TextEncoding::kCp932) {
    out.text = bytes;
    return out;
  }
  std::string_view rest = bytes.substr(MarkOf(out.encoding).size());
  const std::size_t unit = IsUtf16(out.encoding) ? 2 : 1;
  std::map<std::string, std::size_t> seen;
  for (std::size_t number = 1; !rest.empty();) {
    char end = 0;
    const std::size_t length = LineEnd(rest, out.encoding, end);
    const std::string_view line = rest.substr(0, length);
    std::string text = codec.to_cp932(Widen(line, out.encoding));
    const std::size_t same_before = seen[text]++;
    if (Encode(codec.from_cp932(text), out.encoding) != line) {
      out.unheld.push_back({number, text, same_before, std::string(line)});
    }
    out.text += text;
    if (length == std::string_view::npos) break;
    out.text += end;
    rest.remove_prefix(length + unit);
    if (end == '\n' || !StartsWithLf(rest, out.encoding)) ++number;
  }
  return out;
}

std::string EncodeText(std::string_view text, const DecodedText& as, const Cp932Codec& codec) {
  if (as.encoding == TextEncoding::kCp932) return std::string(text);
  std::string out(MarkOf(as.encoding));
  std::map<std::pair<std::string_view, std::size_t>, std::string_view> unheld;
  for (const DecodedText::Unheld& u : as.unheld) unheld[{u.text, u.same_before}] = u.bytes;
  std::map<std::string_view, std::size_t> seen;
  // CR and LF are never the second byte of a code page 932 character.
  for (;;) {  // the last line too, when only an odd byte was left of it
    const std::size_t length = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, length);
    const auto found = unheld.find({line, seen[line]++});
    if (found != unheld.end()) {
      // An odd byte, which only the last line of UTF-16 can end in, would
      // shift every unit after it.
      const bool odd = IsUtf16(as.encoding) && found->second.size() % 2 != 0;
      out += found->second.substr(0, found->second.size() - (odd && length != line.npos));
    } else {
      out += Encode(codec.from_cp932(line), as.encoding);
    }
    if (length == std::string_view::npos) break;
    out += Encode(std::u16string(1, static_cast<char16_t>(text[length])), as.encoding);
    text.remove_prefix(length + 1);
  }
  return out;
}

}  // namespace zeltrand
