#include "app/summary_command.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/posix/iconv_converter.h"
#include "platform/summary_io.h"
#include "support/fake_system.h"

namespace zeltrand {
namespace {

using testing::FakeFiles;

constexpr std::string_view kRecord =
    "\"\",\"2024.05.01 08:00:00\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"PC01\",\"\",\"\",\"\","
    "\"\",\"\",\"\",\"\",\"\",\"\",\"Editor\",\n";

// The record files are those of `disk`; the command line names `named`.
class FakeIo final : public SummaryIo {
 public:
  FakeIo(FakeFiles& disk, std::string named) : disk_(disk), named_(std::move(named)) {}
  std::string opened, page, told;
  bool writable = true, shown = false;

  bool RecordFileNamed() override { return !named_.empty(); }
  bool OpenRecordFile(const std::string& settings_path) override {
    opened = named_.empty() ? settings_path : named_;
    const auto bytes = disk_.ReadWholeFile(opened);
    bytes_ = bytes.value_or("");
    return bytes.has_value();
  }
  std::string RecordFileName() override { return "Zeltrand.csv"; }
  std::uint64_t RecordFileSize() override { return bytes_.size(); }
  std::size_t Read(char* buffer, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size() - at_);
    std::copy_n(bytes_.data() + at_, n, buffer);
    at_ += n;
    return n;
  }
  std::size_t ReadAt(std::uint64_t offset, char* buffer, std::size_t size) override {
    return offset < bytes_.size() ? bytes_.copy(buffer, size, offset) : 0;
  }
  bool ReadFailed() override { return false; }
  bool WritePage(const std::string& text) override {
    page = text;
    return writable;
  }
  void ShowPage() override { shown = true; }
  LocalTime Now() override { return {2024, 6, 1, 9, 0, 0, 540}; }
  void TellAboutRecordFile(std::string_view message) override { told = message; }
  void TellAboutPage(std::string_view message) override { told = message; }

 private:
  FakeFiles& disk_;
  std::string named_;
  std::string bytes_;
  std::size_t at_ = 0;
};

TEST(SummaryCommand, ReadsTheRecordFileOfTheSettingsAndTellsWhatFailed) {
  const struct {
    const char* name;
    std::string ini;  // Zeltrand.ini beside the exe; none when empty
    std::string named;
    bool writable;
    std::string opened;
    int code;
    std::string told;
  } kCases[] = {
      {"default beside the exe", "", "", true, "C:\\Tools\\Zeltrand.csv", 0, ""},
      {"the settings' file", "[file]\r\nRecFile=\\\\srv\\inv\\pcs.csv\r\n", "", true,
       "\\\\srv\\inv\\pcs.csv", 0, ""},
      {"the command line's file", "[file]\r\nRecFile=\\\\srv\\inv\\pcs.csv\r\n", "D:\\a.csv", true,
       "D:\\a.csv", 0, ""},
      {"no such file", "", "D:\\none.csv", true, "D:\\none.csv", 2,
       "取得情報記録ﾌｧｲﾙを開けません。"},
      {"page not writable", "", "", false, "C:\\Tools\\Zeltrand.csv", 3,
       "を書き込めませんでした。"},
  };
  posix::IconvConverter converter;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeFiles files;
    if (!c.ini.empty()) files.contents["C:\\Tools\\Zeltrand.ini"] = c.ini;
    for (const char* path : {"C:\\Tools\\Zeltrand.csv", "\\\\srv\\inv\\pcs.csv", "D:\\a.csv"}) {
      files.contents[path] = kRecord;
    }
    FakeIo io(files, c.named);
    io.writable = c.writable;
    EXPECT_EQ(RunSummaryCommand(io, &files, converter), c.code);
    EXPECT_EQ(io.opened, c.opened);
    EXPECT_EQ(io.told, c.told);
    EXPECT_EQ(io.shown, c.code == 0);
    EXPECT_EQ(io.page.find("<td>Editor</td>") != std::string::npos, c.code != 2);
  }
}

}  // namespace
}  // namespace zeltrand
