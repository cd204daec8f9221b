#include "collect/lists.h"

#include <gtest/gtest.h>

#include "support/fake_services.h"
#include "support/fake_window.h"
#include "support/utf16.h"

namespace zeltrand::testing {
namespace {

using Names = std::vector<std::string>;

constexpr std::string_view kNtProfiles =
    "Software\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr std::string_view kUninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct ListHarness : FakeServices {
  Paths paths = MakePaths("C:\\Tools\\Zeltrand.exe");
  CollectedInfo info;
  FakeDialogWindow window;
  CollectContext ctx{info, services, paths};

  void Load(const std::string& fixture) {
    ASSERT_TRUE(registry.LoadRegFile(std::string(ZELTRAND_FIXTURES) + "/registry/" + fixture))
        << registry.load_error();
  }
  const Names& Users() {
    ListLoginUsers(ctx, window);
    EXPECT_EQ(window.lists[14], info.login_users);
    return info.login_users;
  }
  const Names& Softs() {
    ListInstalledSoftware(ctx, window);
    EXPECT_EQ(window.lists[15], info.softs);
    return info.softs;
  }
};

std::string Repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// Each program is listed, its name as code page 932 shows it.
TEST(InstalledSoftware, NamesOutsideTheCodePageAreListedToo) {
  ListHarness h;
  h.Load("uninstall_unicode.reg");
  const Names expected = {utf16::ToCp932(u"Caf\u00e9 App"), utf16::ToCp932(u"Tool\u2122"),
                          utf16::ToCp932(u"波\u301cダッシュ 1.0"), "表計算ソフト"};
  EXPECT_EQ(h.Softs(), expected);
}

TEST(LoginUsers, NtProfilesGiveTheFolderNamesWithoutTheServiceAccounts) {
  ListHarness h;
  h.Load("profiles_nt.reg");
  EXPECT_EQ(h.Users(), (Names{"suzuki", "表示", "Administrator"}));
}

TEST(LoginUsers, SevenWindows9xProfilesAreAllKeptInOrder) {
  ListHarness h;
  h.Load("profiles_win9x.reg");
  EXPECT_EQ(h.Users(), (Names{"user1", "user2", "user3", "user4", "user5", "user6", "user7"}));
}

TEST(LoginUsers, TheWindows9xPlaceWinsOverTheNtPlace) {
  ListHarness h;
  h.Load("profiles_nt.reg");
  h.Load("profiles_win9x.reg");
  EXPECT_EQ(h.Users().size(), 7u);
  EXPECT_EQ(h.info.login_users.front(), "user1");
}

TEST(LoginUsers, NoProfileListLeavesTheListEmpty) {
  ListHarness h;
  EXPECT_TRUE(h.Users().empty());
  EXPECT_TRUE(h.window.LogOf("InsertListItem").empty());
}

TEST(LoginUsers, ProfilePathFormsGiveTheseNames) {
  const std::string long_name = Repeat("n", 45);
  const struct {
    std::string path;
    Names users;
  } cases[] = {
      {"C:\\WINDOWS\\Profiles\\user1", {"user1"}},
      {"%SystemRoot%\\Profiles\\Administrator", {"Administrator"}},
      {"nobackslash", {"nobackslash"}},
      {"C:\\Users\\ソフト", {"ソフト"}},  // ソ is 83 5C
      {"C:\\表", {"表"}},
      {"", {}},
      {"C:\\Users\\", {}},
      {"C:\\Users\\" + long_name, {Repeat("n", 39)}},
      {"C:\\Users\\" + Repeat("n", 38) + "表", {Repeat("n", 38)}},
      {"C:\\" + Repeat("d", 300) + "\\toolong", {}},  // does not fit 256 bytes
  };
  for (const auto& c : cases) {
    ListHarness h;
    h.registry.SetString(RegRoot::kLocalMachine, std::string(kNtProfiles) + "\\S-1-5-21-1-1001",
                         "ProfileImagePath", c.path);
    EXPECT_EQ(h.Users(), c.users) << c.path;
  }
}

TEST(LoginUsers, AProfilePathThatIsNoTextIsSkipped) {
  ListHarness h;
  h.registry.SetDword(RegRoot::kLocalMachine, std::string(kNtProfiles) + "\\S-1-5-21-1-1001",
                      "ProfileImagePath", 0x41414141);
  EXPECT_TRUE(h.Users().empty());
}

TEST(InstalledSoftware, ListsNativeThen32BitThenUserProgramsOnceEach) {
  ListHarness h;
  h.Load("uninstall_views.reg");
  EXPECT_EQ(h.Softs(), (Names{"Adobe Acrobat 5.0", "Zip Tool", "表計算ソフト 2002", "Zip Tool",
                              "ﾒｰﾙｿﾌﾄ", "ﾕｰｻﾞｰ辞書"}));
}

TEST(InstalledSoftware, WithoutTheMachineKeyTheUsersProgramsAreListed) {
  ListHarness h;
  h.Load("uninstall_user_only.reg");
  EXPECT_EQ(h.Softs(), (Names{"ﾕｰｻﾞｰ辞書", "Image Viewer"}));
}

TEST(InstalledSoftware, OneRegistryViewAsOn32BitWindowsListsEachProgramOnce) {
  ListHarness h;
  const std::string entry = std::string(kUninstall) + "\\Zip Tool";
  h.registry.SetString(RegRoot::kLocalMachine, entry, "DisplayName", "Zip Tool");
  h.registry.SetString(RegRoot::kLocalMachine, entry, "DisplayVersion", "2.1");
  EXPECT_EQ(h.Softs(), (Names{"Zip Tool"}));
}

TEST(InstalledSoftware, NamesThatDoNotFit256BytesOrAreNoTextAreSkipped) {
  ListHarness h;
  const auto set = [&](const std::string& key, const std::string& name) {
    h.registry.SetString(RegRoot::kLocalMachine, std::string(kUninstall) + "\\" + key,
                         "DisplayName", name);
  };
  set("a", Repeat("x", 255));
  set("b", Repeat("y", 256));
  h.registry.SetDword(RegRoot::kLocalMachine, std::string(kUninstall) + "\\c", "DisplayName", 7);
  EXPECT_EQ(h.Softs(), (Names{Repeat("x", 255)}));
}

TEST(InstalledSoftware, NoUninstallKeyAnywhereLeavesTheListEmpty) {
  ListHarness h;
  EXPECT_TRUE(h.Softs().empty());
}

}  // namespace
}  // namespace zeltrand::testing
