// The registry double must answer as Wine does after `reg import` of the same
// fixture, or unit tests and end-to-end tests disagree about one file.
#include "support/memory_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zeltrand {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr RegRoot kLM = RegRoot::kLocalMachine;
constexpr RegRoot kCU = RegRoot::kCurrentUser;

std::string Fixture(const std::string& name) {
  return std::string(ZELTRAND_FIXTURES) + "/registry/" + name;
}

// A file in the UTF-16LE form, byte-order mark included.
std::string Utf16File(std::u16string_view text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::vector<std::string> Subkeys(RegistryKey& key) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; auto name = key.SubkeyName(i); ++i) names.push_back(*name);
  return names;
}

std::vector<std::string> Values(RegistryKey& key) {
  std::vector<std::string> names;
  for (std::uint32_t i = 0; auto name = key.ValueName(i); ++i) names.push_back(*name);
  return names;
}

// Writing binary data inline: B("\x01\x00") keeps the zero.
template <std::size_t N>
std::string B(const char (&bytes)[N]) {
  return std::string(bytes, N - 1);
}

struct Expected {
  const char* name;
  RegType type;
  std::string data;
};

void PrintTo(const Expected& e, std::ostream* os) {
  *os << "value \"" << e.name << '"';
}

// --- The two fixture forms --------------------------------------------------

class Regedit4FixtureTest : public ::testing::TestWithParam<Expected> {};

TEST_P(Regedit4FixtureTest, ReadsBackEachValueAsTheAnsiCallsWould) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit4_cp932.reg"))) << reg.load_error();
  auto key = reg.Open(kLM, "Software\\Zeltrand Test\\表示ソフト");
  ASSERT_NE(key, nullptr);
  const RegQuery q = key->Query(GetParam().name);
  ASSERT_EQ(q.status, RegStatus::kOk);
  EXPECT_EQ(q.type, GetParam().type);
  EXPECT_EQ(q.data, GetParam().data);
  EXPECT_EQ(q.size, GetParam().data.size());
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Regedit4FixtureTest,
    ::testing::Values(Expected{"", RegType::kString, B("既定の値\0")},
                      Expected{"String", RegType::kString,
                               B("C:\\Program Files\\表計算 \"ソフト\"\0")},
                      Expected{"Count", RegType::kDword, B("\x2a\0\0\0")},
                      Expected{"Max", RegType::kDword, B("\xff\xff\xff\xff")},
                      Expected{"Blob", RegType::kBinary, B("\x00\x01\x7f\x80\xff")},
                      Expected{"Expand", RegType::kExpandString, B("%SystemRoot%\\表\0")},
                      Expected{"Multi", RegType::kMultiString, B("ソフト\0AB\0\0")},
                      Expected{"Quad", RegType::kQword, B("\x88\x77\x66\x55\x44\x33\x22\x11")},
                      Expected{"Long", RegType::kBinary,
                               B("\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f"
                                 "\x10\x11\x12\x13")}));

class Regedit5FixtureTest : public ::testing::TestWithParam<Expected> {};

TEST_P(Regedit5FixtureTest, ReadsBackEachValueInCodePage932) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit5_utf16.reg"))) << reg.load_error();
  auto key = reg.Open(kLM, "Software\\Zeltrand Test\\ユニコード");
  ASSERT_NE(key, nullptr);
  const RegQuery q = key->Query(GetParam().name, 1024);
  ASSERT_EQ(q.status, RegStatus::kOk);
  EXPECT_EQ(q.type, GetParam().type);
  EXPECT_EQ(q.data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Regedit5FixtureTest,
    ::testing::Values(Expected{"", RegType::kString, B("表示\0")},
                      Expected{"名前", RegType::kString, B("ソフト \"引用\" C:\\Windows\0")},
                      Expected{"Count", RegType::kDword, B("\x10\0\0\0")},
                      Expected{"Expand", RegType::kExpandString, B("%WINDIR%\\表\0")},
                      Expected{"Multi", RegType::kMultiString, B("ソフト\0a\0\0")},
                      Expected{"Binary", RegType::kBinary, B("\xde\xad\xbe\xef")},
                      Expected{"Quad", RegType::kQword, B("\x01\0\0\0\0\0\0\0")}));

TEST(RegFixtureTest, DeletionsInAFileRemoveWhatItAddedEarlier) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit4_cp932.reg"))) << reg.load_error();
  EXPECT_EQ(reg.Open(kLM, "Software\\Zeltrand Test\\Old"), nullptr);
  auto key = reg.Open(kLM, "Software\\Zeltrand Test\\表示ソフト");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("Removed").status, RegStatus::kMissing);
}

TEST(RegFixtureTest, ReachesHkeyUsers) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit5_utf16.reg"))) << reg.load_error();
  auto key = reg.Open(RegRoot::kUsers, ".DEFAULT\\Software\\Zeltrand Test");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("Who").Text(), "default user");
}

TEST(RegFixtureTest, FontSubstitutesNameEveryJapaneseUiFont) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("fonts.reg"))) << reg.load_error();
  auto key = reg.Open(kLM, "Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("ＭＳ Ｐゴシック").Text(), "IPAPGothic");
  EXPECT_EQ(key->Query("MS Shell Dlg").Text(), "IPAPGothic");
  EXPECT_EQ(key->Query("ＭＳ ゴシック").Text(), "IPAGothic");
  EXPECT_EQ(Values(*key).size(), 7u);
}

TEST(RegFixtureTest, EveryRegistryFixtureLoads) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(Fixture(""))) {
    if (entry.path().extension() != ".reg") continue;
    MemoryRegistry reg;
    EXPECT_TRUE(reg.LoadRegFile(entry.path().string())) << reg.load_error();
    ++files;
  }
  EXPECT_GE(files, 4);
}

// --- Syntax, one value line at a time ---------------------------------------

struct LineCase {
  const char* line;  // code page 932, as in a REGEDIT4 file
  const char* name;
  RegType type;
  std::string data;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.line;
}

class Regedit4LineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(Regedit4LineTest, StoresTheValueTheLineDescribes) {
  MemoryRegistry reg;
  const std::string file =
      std::string("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\T]\r\n") + GetParam().line + "\r\n";
  ASSERT_TRUE(reg.LoadRegText(file)) << reg.load_error();
  const RegQuery q = reg.Open(kCU, "T")->Query(GetParam().name);
  ASSERT_EQ(q.status, RegStatus::kOk);
  EXPECT_EQ(q.type, GetParam().type);
  EXPECT_EQ(q.data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Regedit4LineTest,
    ::testing::Values(LineCase{R"("s"="plain")", "s", RegType::kString, B("plain\0")},
                      LineCase{R"("s"="")", "s", RegType::kString, B("\0")},
                      LineCase{R"(@="default")", "", RegType::kString, B("default\0")},
                      LineCase{R"("s"="C:\\dir\\")", "s", RegType::kString, B("C:\\dir\\\0")},
                      LineCase{R"("s"="say \"hi\"")", "s", RegType::kString, B("say \"hi\"\0")},
                      LineCase{R"("s"="a\nb")", "s", RegType::kString, B("a\nb\0")},
                      LineCase{R"("s"="a\tb")", "s", RegType::kString, B("atb\0")},
                      LineCase{R"("s"="表ソ")", "s", RegType::kString, B("表ソ\0")},
                      LineCase{R"("表\\ソ"="x")", "表\\ソ", RegType::kString, B("x\0")},
                      LineCase{R"("s" = "spaced")", "s", RegType::kString, B("spaced\0")},
                      LineCase{R"("s"="x" ; comment)", "s", RegType::kString, B("x\0")},
                      LineCase{R"("d"=dword:0000002a)", "d", RegType::kDword, B("\x2a\0\0\0")},
                      LineCase{R"("d"=dword:2a)", "d", RegType::kDword, B("\x2a\0\0\0")},
                      LineCase{R"("d"=dword:80000001)", "d", RegType::kDword, B("\x01\0\0\x80")},
                      LineCase{R"("b"=hex:)", "b", RegType::kBinary, ""},
                      LineCase{R"("b"=hex:00,5c,ff)", "b", RegType::kBinary, B("\x00\x5c\xff")},
                      LineCase{R"("b"=hex: 0a , 0B ,c)", "b", RegType::kBinary, B("\x0a\x0b\x0c")},
                      LineCase{R"("b"=hex:01,02 ; comment)", "b", RegType::kBinary, B("\x01\x02")},
                      LineCase{"\"b\"=hex:01,\\\r\n  02,\\\r\n\t03", "b", RegType::kBinary,
                               B("\x01\x02\x03")},
                      LineCase{R"("n"=hex(0):01)", "n", RegType::kNone, B("\x01")},
                      LineCase{R"("d"=hex(4):01,02,03)", "d", RegType::kDword, B("\x01\x02\x03")},
                      LineCase{R"("e"=hex(2):95,5c,00)", "e", RegType::kExpandString, B("表\0")},
                      LineCase{R"("e"=hex(2):41,42)", "e", RegType::kExpandString, B("AB\0")},
                      LineCase{R"("m"=hex(7):41,00,42)", "m", RegType::kMultiString, B("A\0B\0")},
                      LineCase{R"("q"=hex(b):01,02,03,04,05,06,07,08)", "q", RegType::kQword,
                               B("\x01\x02\x03\x04\x05\x06\x07\x08")}));

struct Utf16LineCase {
  const char16_t* line;
  const char* name;
  RegType type;
  std::string data;
};

void PrintTo(const Utf16LineCase& c, std::ostream* os) {
  *os << "case \"" << c.name << '"';
}

class Regedit5LineTest : public ::testing::TestWithParam<Utf16LineCase> {};

TEST_P(Regedit5LineTest, StoresStringDataInCodePage932) {
  MemoryRegistry reg;
  const std::u16string file = std::u16string(
                                  u"Windows Registry Editor Version 5.00\r\n\r\n"
                                  u"[HKEY_CURRENT_USER\\T]\r\n") +
                              GetParam().line + u"\r\n";
  ASSERT_TRUE(reg.LoadRegText(Utf16File(file))) << reg.load_error();
  const RegQuery q = reg.Open(kCU, "T")->Query(GetParam().name);
  ASSERT_EQ(q.status, RegStatus::kOk);
  EXPECT_EQ(q.type, GetParam().type);
  EXPECT_EQ(q.data, GetParam().data);
}

INSTANTIATE_TEST_SUITE_P(
    Values, Regedit5LineTest,
    ::testing::Values(
        Utf16LineCase{u"\"表\"=\"ソ\\\\\"", "表", RegType::kString, B("ソ\\\0")},
        Utf16LineCase{u"\"s\"=\"ｱｲ\"", "s", RegType::kString, B("ｱｲ\0")},
        Utf16LineCase{u"\"s\"=\"a€b\"", "s", RegType::kString, B("a?b\0")},
        Utf16LineCase{u"\"e\"=hex(2):68,88,00,00", "e", RegType::kExpandString, B("表\0")},
        Utf16LineCase{u"\"e\"=hex(2):41,00,42,00", "e", RegType::kExpandString, B("AB\0")},
        Utf16LineCase{u"\"m\"=hex(7):bd,30,00,00,61,00,00,00,00,00", "m", RegType::kMultiString,
                      B("ソ\0a\0\0")},
        Utf16LineCase{u"\"s\"=hex(1):41,00", "s", RegType::kString, B("A\0")},
        Utf16LineCase{u"\"b\"=hex:68,88", "b", RegType::kBinary, B("\x68\x88")}));

TEST(RegFileTest, ValueDeletionRemovesOnlyThatValue) {
  MemoryRegistry reg;
  reg.SetString(kCU, "T", "gone", "1");
  reg.SetString(kCU, "T", "kept", "2");
  ASSERT_TRUE(reg.LoadRegText("REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"GONE\"=-\n"))
      << reg.load_error();
  EXPECT_THAT(Values(*reg.Open(kCU, "T")), ElementsAre("kept"));
}

TEST(RegFileTest, KeyDeletionRemovesTheKeyAndSkipsTheValuesBelowIt) {
  MemoryRegistry reg;
  reg.SetString(kCU, "T\\Sub\\Deeper", "v", "1");
  ASSERT_TRUE(reg.LoadRegText("REGEDIT4\n[-HKEY_CURRENT_USER\\T\\sub]\n\"v\"=\"2\"\n"))
      << reg.load_error();
  EXPECT_EQ(reg.Open(kCU, "T\\Sub"), nullptr);
  EXPECT_THAT(Subkeys(*reg.Open(kCU, "T")), ::testing::IsEmpty());
  EXPECT_THAT(Values(*reg.Open(kCU, "T")), ::testing::IsEmpty());
}

TEST(RegFileTest, KeyLineAloneCreatesAnEmptyKey) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegText("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A\\B\\]\n")) << reg.load_error();
  EXPECT_NE(reg.Open(kLM, "A\\B"), nullptr);
}

struct BadFile {
  const char* why;
  std::string bytes;
};

void PrintTo(const BadFile& c, std::ostream* os) {
  *os << c.why;
}

class MalformedRegFileTest : public ::testing::TestWithParam<BadFile> {};

TEST_P(MalformedRegFileTest, IsRejectedWithoutChangingTheRegistry) {
  MemoryRegistry reg;
  reg.SetString(kCU, "Before", "v", "1");
  EXPECT_FALSE(reg.LoadRegText(GetParam().bytes));
  EXPECT_FALSE(reg.load_error().empty());
  EXPECT_THAT(Subkeys(*reg.Open(kCU, "")), ElementsAre("Before"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedRegFileTest,
    ::testing::Values(
        BadFile{"empty file", ""}, BadFile{"no header", "[HKEY_CURRENT_USER\\T]\n\"s\"=\"x\"\n"},
        BadFile{"UTF-8 with BOM", "\xEF\xBB\xBFREGEDIT4\n[HKEY_CURRENT_USER\\T]\n"},
        BadFile{"v5 header in code page 932",
                "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\T]\n"},
        BadFile{"REGEDIT4 header in UTF-16", Utf16File(u"REGEDIT4\n[HKEY_CURRENT_USER\\T]\n")},
        BadFile{"invalid code page 932", "REGEDIT4\n[HKEY_CURRENT_USER\\T\xFF]\n"},
        BadFile{"value before any key", "REGEDIT4\n\"s\"=\"x\"\n[HKEY_CURRENT_USER\\T]\n"},
        BadFile{"unknown root", "REGEDIT4\n[HKEY_NOWHERE\\T]\n"},
        BadFile{"abbreviated root", "REGEDIT4\n[HKCU\\T]\n"},
        BadFile{"key without ]", "REGEDIT4\n[HKEY_CURRENT_USER\\T\n"},
        BadFile{"unterminated string", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"s\"=\"x\n"},
        BadFile{"text after a string", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"s\"=\"x\"y\n"},
        BadFile{"no =", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"s\" \"x\"\n"},
        BadFile{"nine dword digits", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"d\"=dword:000000001\n"},
        BadFile{"three-digit hex byte", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"b\"=hex:123\n"},
        BadFile{"unknown data kind", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"b\"=str:1\n"},
        BadFile{"file ends inside a continuation",
                "REGEDIT4\n[HKEY_CURRENT_USER\\T]\n\"b\"=hex:01,\\"},
        BadFile{"stray line", "REGEDIT4\n[HKEY_CURRENT_USER\\T]\nname=1\n"}));

TEST(RegFileTest, ErrorNamesTheLine) {
  MemoryRegistry reg;
  EXPECT_FALSE(reg.LoadRegText("REGEDIT4\n\n[HKEY_CURRENT_USER\\T]\n\"s\"=bad\n"));
  EXPECT_THAT(reg.load_error(), HasSubstr("line 4"));
}

TEST(RegFileTest, MissingFileIsReportedByName) {
  MemoryRegistry reg;
  EXPECT_FALSE(reg.LoadRegFile(Fixture("no-such-file.reg")));
  EXPECT_THAT(reg.load_error(), HasSubstr("no-such-file.reg"));
}

// --- Names, paths and enumeration -------------------------------------------

TEST(MemoryRegistryTest, KeyAndValueNamesMatchWithoutRegardToCase) {
  MemoryRegistry reg;
  reg.SetString(kLM, "Software\\Vendor Ａ", "ProductName", "x");
  auto key = reg.Open(kLM, "SOFTWARE\\vendor ａ");
  ASSERT_NE(key, nullptr);
  EXPECT_TRUE(key->Query("productname").ok());
  EXPECT_TRUE(key->Query("PRODUCTNAME").ok());
}

TEST(MemoryRegistryTest, NamesKeepTheSpellingTheyWereFirstWrittenWith) {
  MemoryRegistry reg;
  reg.SetString(kCU, "Key", "Name", "1");
  reg.SetString(kCU, "KEY", "NAME", "2");
  auto key = reg.Open(kCU, "key");
  EXPECT_THAT(Values(*key), ElementsAre("Name"));
  EXPECT_EQ(key->Query("name").Text(), "2");
  EXPECT_THAT(Subkeys(*reg.Open(kCU, "")), ElementsAre("Key"));
}

// A name code page 932 cannot hold reports '?', a path spelt with that '?'
// names no key, and the key still opens through its parent.
TEST(MemoryRegistryTest, KeysNamedOutsideTheCodePageOpenOnlyThroughTheirParent) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("uninstall_unicode.reg")));
  auto child = reg.Open(kLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")->Subkey(0);
  ASSERT_TRUE(child && child->key);
  EXPECT_EQ(child->name, "Caf? App");
  EXPECT_FALSE(reg.Open(kLM, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Caf? App"));
}

TEST(MemoryRegistryTest, TrailBytes0x5CDoNotSplitKeyNames) {
  MemoryRegistry reg;
  reg.SetString(kLM, "表\\ソ\\x", "v", "1");
  EXPECT_THAT(Subkeys(*reg.Open(kLM, "")), ElementsAre("表"));
  EXPECT_THAT(Subkeys(*reg.Open(kLM, "表")), ElementsAre("ソ"));
  EXPECT_NE(reg.Open(kLM, "表\\ソ\\x"), nullptr);
}

TEST(MemoryRegistryTest, PathsFollowWinesRulesForBackslashes) {
  MemoryRegistry reg;
  reg.AddKey(kLM, "A\\B");
  EXPECT_NE(reg.Open(kLM, "A\\B\\"), nullptr);
  EXPECT_NE(reg.Open(kLM, "A\\\\B"), nullptr);
  EXPECT_EQ(reg.Open(kLM, "\\A\\B"), nullptr);
  EXPECT_EQ(reg.Open(kLM, "A\\C"), nullptr);
}

TEST(MemoryRegistryTest, EnumeratesSubkeysAndValuesInWinesOrder) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit4_cp932.reg"))) << reg.load_error();
  auto key = reg.Open(kCU, "Software\\Zeltrand Test");
  ASSERT_NE(key, nullptr);
  // Lower-cased UTF-16 order: '_' before letters, kanji and kana before
  // half-width katakana, whatever the order in the file.
  EXPECT_THAT(Subkeys(*key), ElementsAre("_a", "A1", "b", "日本", "ｶﾅ"));
  EXPECT_THAT(Values(*key), ElementsAre("_first", "Apple", "banana", "ユーザー名", "ｶﾀｶﾅ"));
}

TEST(MemoryRegistryTest, FullWidthLettersSortWithoutRegardToCase) {
  MemoryRegistry reg;
  for (const char* name : {"Ｂ", "ａ", "ｃ"}) reg.AddKey(kCU, std::string("K\\") + name);
  EXPECT_THAT(Subkeys(*reg.Open(kCU, "K")), ElementsAre("ａ", "Ｂ", "ｃ"));
}

TEST(MemoryRegistryTest, EnumerationEndsAfterTheLastName) {
  MemoryRegistry reg;
  reg.SetDword(kCU, "K", "v", 1);
  reg.AddKey(kCU, "K\\Sub");
  auto key = reg.Open(kCU, "K");
  EXPECT_TRUE(key->SubkeyName(0));
  EXPECT_FALSE(key->SubkeyName(1));
  EXPECT_FALSE(key->SubkeyName(1000));
  EXPECT_TRUE(key->ValueName(0));
  EXPECT_FALSE(key->ValueName(1));
  EXPECT_FALSE(reg.Open(kCU, "K\\Sub")->SubkeyName(0));
}

TEST(MemoryRegistryTest, RootsAreSeparate) {
  MemoryRegistry reg;
  reg.AddKey(kCU, "OnlyHere");
  EXPECT_NE(reg.Open(kCU, "OnlyHere"), nullptr);
  EXPECT_EQ(reg.Open(kLM, "OnlyHere"), nullptr);
  EXPECT_EQ(reg.Open(RegRoot::kUsers, "OnlyHere"), nullptr);
}

// --- Sizes ------------------------------------------------------------------

struct SizeCase {
  std::size_t max_size;
  RegStatus status;
};

class QuerySizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(QuerySizeTest, AStringOf300BytesFitsOnlyA300ByteBuffer) {
  MemoryRegistry reg;
  reg.SetString(kCU, "K", "long", std::string(299, 'x'));
  const RegQuery q = reg.Open(kCU, "K")->Query("long", GetParam().max_size);
  EXPECT_EQ(q.status, GetParam().status);
  EXPECT_EQ(q.size, 300u);
  EXPECT_EQ(q.type, RegType::kString);
  EXPECT_EQ(q.data.size(), q.ok() ? 300u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, QuerySizeTest,
                         ::testing::Values(SizeCase{256, RegStatus::kTooLarge},
                                           SizeCase{299, RegStatus::kTooLarge},
                                           SizeCase{300, RegStatus::kOk},
                                           SizeCase{301, RegStatus::kOk}));

TEST(MemoryRegistryTest, QueryWithoutASizeAllows256Bytes) {
  MemoryRegistry reg;
  reg.SetValue(kCU, "K", "fits", RegType::kBinary, std::string(256, '\1'));
  reg.SetValue(kCU, "K", "over", RegType::kBinary, std::string(257, '\1'));
  auto key = reg.Open(kCU, "K");
  EXPECT_EQ(key->Query("fits").status, RegStatus::kOk);
  EXPECT_EQ(key->Query("over").status, RegStatus::kTooLarge);
}

TEST(MemoryRegistryTest, SizesCountCodePage932Bytes) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit5_utf16.reg"))) << reg.load_error();
  auto key = reg.Open(kLM, "Software\\Zeltrand Test\\ユニコード");
  // 100 x あ + 50 x a is 302 bytes in UTF-16 but 251 in code page 932.
  const RegQuery fits = key->Query("Fits", 256);
  EXPECT_EQ(fits.status, RegStatus::kOk);
  EXPECT_EQ(fits.size, 251u);
  const RegQuery too_long = key->Query("TooLong", 256);
  EXPECT_EQ(too_long.status, RegStatus::kTooLarge);
  EXPECT_EQ(too_long.size, 301u);
  EXPECT_TRUE(too_long.data.empty());
}

TEST(MemoryRegistryTest, MissingValueReportsNothing) {
  MemoryRegistry reg;
  reg.AddKey(kCU, "K");
  const RegQuery q = reg.Open(kCU, "K")->Query("absent");
  EXPECT_EQ(q.status, RegStatus::kMissing);
  EXPECT_EQ(q.size, 0u);
  EXPECT_TRUE(q.data.empty());
}

// --- Views ------------------------------------------------------------------

class RegistryViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reg_.SetString(kLM, "Software\\Vendor", "Bits", "64");
    reg_.SetString(kLM, "Software\\Only64", "Bits", "64");
    reg_.SetString(kLM, "Software\\Wow6432Node\\Vendor", "Bits", "32");
    reg_.SetString(kCU, "Software\\Vendor", "Bits", "user");
  }
  std::string Bits(RegRoot root, const char* path, RegView view) {
    auto key = reg_.Open(root, path, view);
    return key ? key->Query("Bits").Text() : "(missing)";
  }
  MemoryRegistry reg_;
};

TEST_F(RegistryViewTest, The32BitViewOfSoftwareIsWow6432Node) {
  EXPECT_EQ(Bits(kLM, "Software\\Vendor", RegView::kNative), "64");
  EXPECT_EQ(Bits(kLM, "software\\vendor", RegView::k32Bit), "32");
  EXPECT_EQ(Bits(kLM, "Software\\Only64", RegView::k32Bit), "(missing)");
}

TEST_F(RegistryViewTest, Wow6432NodeOpensLiterallyInEitherView) {
  EXPECT_EQ(Bits(kLM, "Software\\Wow6432Node\\Vendor", RegView::kNative), "32");
  EXPECT_EQ(Bits(kLM, "Software\\wow6432node\\Vendor", RegView::k32Bit), "32");
}

TEST_F(RegistryViewTest, The32BitViewOfSoftwareItselfListsWow6432Node) {
  EXPECT_THAT(Subkeys(*reg_.Open(kLM, "Software", RegView::k32Bit)), ElementsAre("Vendor"));
}

TEST_F(RegistryViewTest, CurrentUserIsTheSameInBothViews) {
  EXPECT_EQ(Bits(kCU, "Software\\Vendor", RegView::k32Bit), "user");
}

TEST(RegistryViewWithoutWow6432NodeTest, BothViewsAreTheSameAsOn32BitWindows) {
  MemoryRegistry reg;
  reg.SetString(kLM, "Software\\Vendor", "Bits", "32");
  auto key = reg.Open(kLM, "Software\\Vendor", RegView::k32Bit);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("Bits").Text(), "32");
}

TEST(Regedit4ViewTest, FixtureFillsThe32BitViewThroughWow6432Node) {
  MemoryRegistry reg;
  ASSERT_TRUE(reg.LoadRegFile(Fixture("regedit4_cp932.reg"))) << reg.load_error();
  auto key = reg.Open(kLM, "Software\\Zeltrand Test", RegView::k32Bit);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Query("Bits").Text(), "32");
  EXPECT_THAT(Subkeys(*key), ::testing::IsEmpty());
}

// --- RegQuery helpers -------------------------------------------------------

TEST(RegQueryTest, TextStopsAtTheFirstZero) {
  MemoryRegistry reg;
  reg.SetValue(kCU, "K", "multi", RegType::kMultiString, B("ソ\0b\0\0"));
  reg.SetValue(kCU, "K", "bare", RegType::kString, "no terminator");
  auto key = reg.Open(kCU, "K");
  EXPECT_EQ(key->Query("multi").Text(), "ソ");
  EXPECT_EQ(key->Query("bare").Text(), "no terminator");
}

TEST(RegQueryTest, TextIsEmptyUnlessTheValueWasRead) {
  MemoryRegistry reg;
  reg.SetString(kCU, "K", "long", std::string(400, 'x'));
  auto key = reg.Open(kCU, "K");
  EXPECT_EQ(key->Query("long").Text(), "");
  EXPECT_EQ(key->Query("absent").Text(), "");
}

struct DwordCase {
  const char* what;
  RegType type;
  std::string data;
  std::optional<std::uint32_t> expected;
};

void PrintTo(const DwordCase& c, std::ostream* os) {
  *os << c.what;
}

class RegQueryDwordTest : public ::testing::TestWithParam<DwordCase> {};

TEST_P(RegQueryDwordTest, ReadsOnlyFourByteDwords) {
  MemoryRegistry reg;
  reg.SetValue(kCU, "K", "v", GetParam().type, GetParam().data);
  EXPECT_EQ(reg.Open(kCU, "K")->Query("v").Dword(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegQueryDwordTest,
    ::testing::Values(DwordCase{"little-endian", RegType::kDword, B("\x01\x02\x03\x04"),
                                0x04030201u},
                      DwordCase{"high bytes", RegType::kDword, B("\xff\xfe\xfd\xfc"), 0xfcfdfeffu},
                      DwordCase{"short", RegType::kDword, B("\x01\x02\x03"), std::nullopt},
                      DwordCase{"binary", RegType::kBinary, B("\x01\0\0\0"), std::nullopt},
                      DwordCase{"string", RegType::kString, B("1\0\0\0"), std::nullopt}));

TEST(RegQueryTest, DwordComesFromSetDword) {
  MemoryRegistry reg;
  reg.SetDword(kCU, "K", "v", 0xDEADBEEF);
  EXPECT_EQ(reg.Open(kCU, "K")->Query("v").Dword(), 0xDEADBEEFu);
}

}  // namespace
}  // namespace zeltrand
