// The clipboard import on any copied text: it must not fault, and a record
// it finds holds no control byte and no line end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "record/clipboard_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const zeltrand::MailedRecord found = zeltrand::FindMailedRecord(text);
  if (found.check != zeltrand::ImportCheck::kFound) return 0;
  for (const char c : found.record) {
    if (c >= 0x01 && c <= 0x1F) std::abort();
  }
  return 0;
}
