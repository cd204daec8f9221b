// Records that could not reach their record file (held open by a
// spreadsheet, a share that was away), kept in the user's own folder until
// the next 記録 adds them, in order, ahead of its own line, to whatever file
// it writes (the inventory server's kept documents wait for their own
// server, by the same means):
//
//   <local application data>\Zeltrand\pending.csv
//
// One kept record a line: the record file's path, a tab, and the line as
// 記録 would have written it, its LF included. A tab or line break in a path
// is kept as a blank, and a record line holds no control byte, so nothing
// needs escaping:
//
//   \\server\inventory\Zeltrand.csv<TAB>"会計課7号機","2003.01.20 09:15:42", … ,"Virus Check
//   7",<LF>
//
// The file is rewritten whole each time; it is empty once nothing waits.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace zeltrand {

class PendingRecords {
 public:
  // `file_name` is another file of the same form in the same folder.
  explicit PendingRecords(Files& files, std::string_view file_name = "pending.csv");

  // The lines kept for `record_path`, in the order they were kept.
  std::string For(std::string_view record_path) const;
  // Every line kept, whatever file it was meant for, in order.
  std::string All() const;
  // Forgets the lines kept for `record_path`, once they are in the file.
  bool Drop(std::string_view record_path);
  // Forgets every line kept.
  bool DropAll();
  // Adds `line` for `record_path`; false when it could not be kept.
  bool Keep(std::string_view record_path, std::string_view line);

 private:
  template <typename Visit>
  void ForEach(Visit visit) const;
  bool Save(const std::string& content);

  Files& files_;
  std::string folder_;
  std::string path_;
  std::string content_;
};

}  // namespace zeltrand
