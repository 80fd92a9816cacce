// The shortcut dialog on the 95 family, which has one start menu for everybody.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "gtest/gtest.h"
#include "sysinfo/sysinf.h"
#include "tests/register/register_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"
#include "ui/shortcut_dlg.h"
#include "ui/shortcut_ids.h"

namespace {
TEST(ShortcutDialog9x, HidesTheScopeChoiceAndAnswersCurrentUser) {
  ASSERT_FALSE(SysInf::IsWinNT()) << "this program must run with a 95-family version";
  Responder user;
  CShortcutDlg dlg;
  dlg.programGroup = "Velk\\ヴェルクの冒険";
  dlg.nameReserve = 14;
  INT_PTR result = driver::RunModal([&] { return dlg.DoModal(); }, [] {
    HWND d = driver::WaitForDialog("ショートカットの作成");
    if (d == nullptr) return;
    for (int id : {IDC_SCOPE_FRAME, IDC_ALL_USERS, IDC_CURRENT_USER}) EXPECT_FALSE(driver::IsItemVisible(d, id)) << id;
    EXPECT_TRUE(driver::IsItemVisible(d, IDC_DESKTOP_CHECK));
    EXPECT_EQ(driver::CheckState(d, IDC_DESKTOP_CHECK), BST_CHECKED);
    EXPECT_EQ(driver::ItemText(d, IDC_PROGRAM_GROUP), "Velk\\ヴェルクの冒険");
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_FALSE(dlg.GetAllUsers());
  EXPECT_TRUE(dlg.GetDesktopShortcut());
  EXPECT_EQ(dlg.GetProgramGroup(), "Velk\\ヴェルクの冒険");
}

TEST(ShortcutDialog9x, LengthRuleCountsTheOneProgramsFolder) {
  const int programs = static_cast<int>(ShellFolder(CSIDL_PROGRAMS).size());
  ASSERT_GT(programs, 0);
  Responder user;
  user.expect("長すぎる", IDOK);
  CShortcutDlg dlg;
  dlg.programGroup = std::string(static_cast<size_t>(260 - 24 - programs + 1), 'g');
  dlg.nameReserve = 24;
  INT_PTR result = driver::RunModal([&] { return dlg.DoModal(); }, [] {
    HWND d = driver::WaitForDialog("ショートカットの作成");
    driver::Click(d, IDOK);
    // One byte less fits.
    std::string text = driver::ItemText(d, IDC_PROGRAM_GROUP);
    driver::SetItemText(d, IDC_PROGRAM_GROUP, text.substr(1));
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(user.prompts().size(), 1u);
}
}  // namespace
