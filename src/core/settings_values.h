// What the settings file holds and where the program's files are.
#pragma once

#include <string>

namespace zeltrand {

struct Paths {
  std::string exe_path;
  std::string exe_dir;  // no trailing separator; "C:" for a drive root
  std::string ini_path;
};

struct Settings {
  std::string sender_address;
  std::string mail_server_name;
  std::string recipient_address;
  std::string record_path;
  std::string server_url = {};  // the inventory server; empty: none
};

struct AutoFlags {
  bool start = false;
  bool record = false;
  bool mail = false;
  bool exit = false;
};

}  // namespace zeltrand
