#include "platform/posix/file_summary_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/summary_command.h"
#include "platform/posix/iconv_converter.h"

namespace zeltrand::posix {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// What a user who can write the page's folder plants there, and a FIFO
// for the record file: the page replaces the link, nothing is followed,
// the FIFO is refused at once.
TEST(FileSummaryIo, FollowsNoPlantedLinkAndRefusesAFifo) {
  const fs::path dir = fs::temp_directory_path() / ("zeltrand-io-" + std::to_string(getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  std::ofstream(dir / "victim") << "kept";
  std::ofstream(dir / "records.csv") << "";
  fs::create_symlink(dir / "victim", dir / "page.html");
  fs::create_symlink(dir / "victim", dir / "page.html.tmp");
  IconvConverter converter;
  const std::string records = (dir / "records.csv").string();
  const std::string page = (dir / "page.html").string();
  FileSummaryIo io(records.c_str(), page.c_str(), converter);
  EXPECT_EQ(RunSummaryCommand(io, nullptr, converter), kSummaryWritten);
  EXPECT_EQ(Bytes(dir / "victim"), "kept");
  EXPECT_FALSE(fs::is_symlink(dir / "page.html"));
  EXPECT_NE(Bytes(dir / "page.html").find("<!DOCTYPE html>"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 4);

  ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
  const std::string fifo = (dir / "fifo").string();
  FileSummaryIo fifo_io(fifo.c_str(), page.c_str(), converter);
  EXPECT_EQ(RunSummaryCommand(fifo_io, nullptr, converter), kSummaryNoRecordFile);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zeltrand::posix
