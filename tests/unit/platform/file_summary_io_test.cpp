#include "platform/posix/file_summary_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/summary_command.h"
#include "platform/posix/iconv_converter.h"

namespace zeltrand::posix {
namespace {

namespace fs = std::filesystem;

// What a user who can write the page's folder plants there, and a FIFO
// for the record file: the page replaces the link, nothing is followed,
// nothing is left behind, the FIFO is refused at once.
TEST(FileSummaryIo, FollowsNoPlantedLinkAndRefusesAFifo) {
  const fs::path dir = fs::temp_directory_path() / ("zeltrand-io-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "victim") << "kept";
  std::ofstream(dir / "records.csv").flush();
  fs::create_symlink(dir / "victim", dir / "page.html");
  fs::create_symlink(dir / "victim", dir / "page.html.tmp");
  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  IconvConverter converter;
  const std::string page = (dir / "page.html").string();
  const std::pair<fs::path, int> kRuns[] = {{dir / "records.csv", kSummaryWritten},
                                            {dir / "fifo", kSummaryNoRecordFile}};
  for (const auto& [record, code] : kRuns) {
    FileSummaryIo io(record.c_str(), page.c_str(), converter);
    EXPECT_EQ(RunSummaryCommand(io, nullptr, converter), code);
  }
  EXPECT_EQ(fs::file_size(dir / "victim"), 4u);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "page.html")));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 5);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zeltrand::posix
