// The encodings a settings file comes in, as editors save it, and the way
// back to the same bytes. Which one a file is in:
//
//   FF FE ...      UTF-16, low byte first (Notepad's "Unicode")
//   FE FF ...      UTF-16, high byte first
//   EF BB BF ...   UTF-8 with its mark (Notepad's "UTF-8 (BOM)")
//   no mark        UTF-8 when the whole file is valid UTF-8 and holds a byte
//                  above 0x7F (Notepad's default since Windows 10 1903, and
//                  what Linux editors save); otherwise code page 932, the
//                  "ANSI" of Japanese Windows, as is a file of ASCII alone.
//
// Code page 932 text is valid UTF-8 only by chance: each of its two-byte
// characters would have to pair up with its neighbours into UTF-8's
// sequences of a lead and trail bytes ("譌･" is the UTF-8 of "日"). A file
// that is valid as both is read as UTF-8, which is what its editor meant in
// all but contrived cases.
//
// The program's text is code page 932. A line of the file that code page
// 932 cannot hold whole (a "€", "ü", an emoji) is read with '?' in their
// place, and written back as the bytes it had, as long as its text is still
// the same.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zeltrand {

enum class TextEncoding { kCp932, kUtf8, kUtf8WithMark, kUtf16Le, kUtf16Be };

// The system's conversions: to code page 932 ('?' for what it lacks) and
// back to UTF-16.
struct Cp932Codec {
  std::function<std::string(std::u16string_view)> to_cp932;
  std::function<std::u16string(std::string_view)> from_cp932;
};

// A file's text in code page 932, and what is needed to write it back.
struct DecodedText {
  // A line code page 932 cannot hold: its number (from 1), its text as
  // read, how many lines of the same text came before it, and its bytes in
  // the file, without the line end.
  struct Unheld {
    std::size_t number;
    std::string text;
    std::size_t same_before;
    std::string bytes;
  };
  TextEncoding encoding = TextEncoding::kCp932;
  std::string text;
  std::vector<Unheld> unheld;
};

TextEncoding DetectTextEncoding(std::string_view bytes);
DecodedText DecodeText(std::string_view bytes, const Cp932Codec& codec);

// `text` (code page 932) in the encoding `as` was read in, its mark first.
// The n-th line of a text that was the n-th of that text when read, and
// could not be held then, is written as that line's own bytes: a file
// written back unchanged comes out byte for byte.
std::string EncodeText(std::string_view text, const DecodedText& as, const Cp932Codec& codec);

}  // namespace zeltrand
