// Reads .reg fixture files: the same files the end-to-end tests import into
// Wine with `reg import`, so a unit test and an end-to-end test can share
// one fixture. The two forms Wine imports faithfully are accepted:
//
//   REGEDIT4                                  (code page 932 bytes)
//
//   [HKEY_LOCAL_MACHINE\Software\Zeltrand]
//   "Name"="表示 \"quoted\" C:\\dir"
//   @="default value"
//   "Count"=dword:0000002a
//   "Blob"=hex:01,02,ff
//   "Path"=hex(2):25,54,45,4d,50,25,00
//   "List"=hex(7):61,00,62,00,00,00
//   "Gone"=-
//   [-HKEY_CURRENT_USER\Software\Old]        ; deletes the key and below
//
// and "Windows Registry Editor Version 5.00" as UTF-16LE with a byte-order
// mark, where hex(1)/hex(2)/hex(7) bytes are UTF-16LE text. A hex list may
// go on over several lines, each but the last ending in a backslash.
//
// Data comes out as the ANSI registry calls would return it after Wine's
// import: string types as code page 932 bytes, with a terminating zero
// added where the file left it out (one only, also for hex(7)).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zeltrand::reg_file {

struct Edit {
  enum class Kind { kAddKey, kDeleteKey, kSetValue, kDeleteValue };
  Kind kind = Kind::kAddKey;
  RegRoot root = RegRoot::kLocalMachine;
  std::string path;          // code page 932, relative to the root
  std::u16string wide_path;  // the same as the file spells it
  std::string name;          // values only; "" is the default value
  RegType type = RegType::kNone;
  std::string data;
};

struct ParseResult {
  std::vector<Edit> edits;  // in file order
  std::string error;        // empty on success; names the line otherwise
  bool ok() const { return error.empty(); }
};

ParseResult Parse(std::string_view file_bytes);

}  // namespace zeltrand::reg_file
