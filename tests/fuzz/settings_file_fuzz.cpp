// The settings file as it is read from disk and written back at exit, on
// any bytes in any encoding: no fault; a file written back unchanged keeps
// every byte; an exit that rewrites the values gives a file that reads back
// as the text the program wrote.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/profile.h"
#include "settings/settings_file.h"
#include "settings/text_encoding.h"
#include "support/utf16.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zeltrand;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Cp932Codec codec = utf16::Codec();
  const DecodedText read = DecodeText(bytes, codec);
  if (EncodeText(read.text, read, codec) != bytes) std::abort();
  const Profile profile(read.text);
  const Settings settings{profile.Get("mail", "MailTo"), profile.Get("mail", "Smtp"),
                          profile.Get("file", "RecFile"), "C:\\表\\記録.csv"};
  const AutoFlags flags{size % 2 == 0, size % 3 == 0, true, false};
  const std::string text = FormatSettingsFile(settings, flags, read.text);
  if (DecodeText(EncodeText(text, read, codec), codec).text != text) std::abort();
  return 0;
}
