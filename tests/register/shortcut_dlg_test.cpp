// The shortcut dialog on the NT family, driven as a user would drive it.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <string>

#include "gtest/gtest.h"
#include "tests/register/register_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"
#include "ui/shortcut_dlg.h"
#include "ui/shortcut_ids.h"

namespace {
const char kCaption[] = "ショートカットの作成";
const char kTooLong[] =
    "入力されたプログラムグループが長すぎるため、ショートカットを作成できません。プログラムグループを変更してください。";

INT_PTR runDriven(CShortcutDlg &dlg, const std::function<void(HWND)> &script) {
  return driver::RunModal([&] { return dlg.DoModal(); }, [&] {
    HWND d = driver::WaitForDialog(kCaption);
    if (d != nullptr) script(d);
  });
}

std::string repeat(const std::string &piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

int programsLength(int csidl) { return static_cast<int>(ShellFolder(csidl).size()); }

TEST(ShortcutDialog, OpensWithTheGroupTheDesktopBoxCheckedAndAllUsersSelected) {
  Responder user;
  CShortcutDlg dlg;
  dlg.programGroup = "Velk\\ヴェルクの冒険";
  dlg.nameReserve = 14;
  INT_PTR result = runDriven(dlg, [](HWND d) {
    EXPECT_EQ(driver::ItemText(d, IDC_PROGRAM_GROUP), "Velk\\ヴェルクの冒険");
    EXPECT_EQ(driver::CheckState(d, IDC_DESKTOP_CHECK), BST_CHECKED);
    EXPECT_EQ(driver::CheckState(d, IDC_ALL_USERS), BST_CHECKED);
    EXPECT_EQ(driver::CheckState(d, IDC_CURRENT_USER), BST_UNCHECKED);
    for (int id : {IDC_SCOPE_FRAME, IDC_ALL_USERS, IDC_CURRENT_USER}) EXPECT_TRUE(driver::IsItemVisible(d, id)) << id;
    EXPECT_EQ(driver::ItemText(d, IDC_SCOPE_FRAME), "上記の内容を");
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.GetProgramGroup(), "Velk\\ヴェルクの冒険");
  EXPECT_TRUE(dlg.GetDesktopShortcut());
  EXPECT_TRUE(dlg.GetAllUsers());
  EXPECT_TRUE(user.prompts().empty());
}

TEST(ShortcutDialog, ReturnsWhatTheUserChose) {
  Responder user;
  CShortcutDlg dlg;
  dlg.programGroup = "Velk\\ヴェルクの冒険";
  INT_PTR result = runDriven(dlg, [](HWND d) {
    driver::SetItemText(d, IDC_PROGRAM_GROUP, "ゲーム\\冒険");
    driver::Click(d, IDC_DESKTOP_CHECK);
    driver::Click(d, IDC_CURRENT_USER);
    EXPECT_EQ(driver::CheckState(d, IDC_ALL_USERS), BST_UNCHECKED);
    driver::PressEnter(d);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.GetProgramGroup(), "ゲーム\\冒険");
  EXPECT_FALSE(dlg.GetDesktopShortcut());
  EXPECT_FALSE(dlg.GetAllUsers());
}

TEST(ShortcutDialog, EmptyGroupIsAccepted) {
  Responder user;
  CShortcutDlg dlg;
  dlg.programGroup = "Velk";
  EXPECT_EQ(runDriven(dlg, [](HWND d) {
              driver::SetItemText(d, IDC_PROGRAM_GROUP, "");
              driver::Click(d, IDOK);
            }),
            IDOK);
  EXPECT_EQ(dlg.GetProgramGroup(), "");
}

TEST(ShortcutDialog, CancelButtonEscAndCloseBoxStartNothing) {
  struct Case {
    const char *name;
    std::function<void(HWND)> press;
  } cases[] = {
      {"cancel button", [](HWND d) { driver::Click(d, IDCANCEL); }},
      {"Esc", [](HWND d) { driver::PressEscape(d); }},
      {"close box", [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    Responder user;
    CShortcutDlg dlg;
    dlg.programGroup = "Velk";
    EXPECT_EQ(runDriven(dlg, [&](HWND d) {
                driver::SetItemText(d, IDC_PROGRAM_GROUP, "Other");
                c.press(d);
              }),
              IDCANCEL);
    EXPECT_TRUE(user.prompts().empty());
  }
}

// Programs folder + group + reserve may reach 260 bytes and no more; a double-byte character counts 2.
TEST(ShortcutDialog, GroupLengthRuleCountsBytes) {
  const int programs = programsLength(CSIDL_COMMON_PROGRAMS);
  ASSERT_GT(programs, 0);
  const int reserve = 260 - programs - 176;
  ASSERT_GT(reserve, 4);
  struct Case {
    std::string group;
    bool accepted;
  } cases[] = {
      {repeat("あ", 88), true},
      {repeat("あ", 88) + "x", false},
      {repeat("g", 176), true},
      {repeat("g", 177), false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << c.group.size() << " bytes");
    Responder user;
    if (!c.accepted) user.expect(kTooLong, IDOK);
    CShortcutDlg dlg;
    dlg.programGroup = c.group;
    dlg.nameReserve = reserve;
    HWND shown = nullptr;
    INT_PTR result = runDriven(dlg, [&](HWND d) {
      shown = d;
      driver::Click(d, IDOK);
      if (c.accepted) return;
      // Refused: the dialog stays with the text as it was; a second press is refused again.
      EXPECT_TRUE(IsWindow(d));
      EXPECT_EQ(driver::ItemText(d, IDC_PROGRAM_GROUP), c.group);
      driver::Click(d, IDCANCEL);
    });
    EXPECT_EQ(result, c.accepted ? IDOK : IDCANCEL);
    auto prompts = user.prompts();
    if (c.accepted) {
      EXPECT_TRUE(prompts.empty());
      EXPECT_EQ(dlg.GetProgramGroup(), c.group);
    } else {
      ASSERT_EQ(prompts.size(), 1u);
      EXPECT_EQ(prompts[0].text, kTooLong);
      EXPECT_EQ(prompts[0].caption, "文字数オーバー");
      EXPECT_EQ(prompts[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
      EXPECT_EQ(prompts[0].owner, shown);
    }
  }
}

TEST(ShortcutDialog, RadioButtonsChooseWhichProgramsFolderIsCounted) {
  const int common = programsLength(CSIDL_COMMON_PROGRAMS);
  const int own = programsLength(CSIDL_PROGRAMS);
  ASSERT_GT(common, 0);
  ASSERT_GT(own, 0);
  ASSERT_NE(common, own);
  const bool commonLonger = common > own;
  // A group that fits beside the shorter folder only.
  const int reserve = 24;
  const std::string group(static_cast<size_t>(260 - reserve - (commonLonger ? own : common)), 'g');
  Responder user;
  user.expect(kTooLong, IDOK);
  CShortcutDlg dlg;
  dlg.programGroup = group;
  dlg.nameReserve = reserve;
  INT_PTR result = runDriven(dlg, [&](HWND d) {
    driver::Click(d, commonLonger ? IDC_ALL_USERS : IDC_CURRENT_USER);
    driver::Click(d, IDOK);
    EXPECT_EQ(user.prompts().size(), 1u);
    driver::Click(d, commonLonger ? IDC_CURRENT_USER : IDC_ALL_USERS);
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.GetAllUsers(), !commonLonger);
  EXPECT_EQ(user.prompts().size(), 1u);
}

TEST(ShortcutDialog, ProgramsFolderNotFoundCountsNothingForIt) {
  const std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
  ASSERT_TRUE(MoveFileA(programs.c_str(), (programs + ".away").c_str()));
  ASSERT_EQ(ShellFolder(CSIDL_COMMON_PROGRAMS), "");
  Responder user;
  CShortcutDlg dlg;
  dlg.programGroup = std::string(236, 'g');
  dlg.nameReserve = 24;
  EXPECT_EQ(runDriven(dlg, [](HWND d) { driver::Click(d, IDOK); }), IDOK);
  MoveFileA((programs + ".away").c_str(), programs.c_str());
  EXPECT_TRUE(user.prompts().empty());
}
}  // namespace
