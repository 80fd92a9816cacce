// The dialog driver reports what a user could not have done, and never leaves a test hanging.
#include <windows.h>

#include "tests/framework/test_dialogs.h"
#include "tests/support/dialog_driver.h"

#include "gtest/gtest-spi.h"
#include "gtest/gtest.h"

TEST(DialogDriver, AWaitForADialogThatNeverAppearsFailsNamingIt) {
  EXPECT_NONFATAL_FAILURE(driver::WaitForDialog("存在しないダイアログ", 100), u8"存在しないダイアログ");
}

TEST(DialogDriver, ActingOnMissingHiddenOrDisabledControlsFailsAndDoesNothing) {
  TestDlg dlg;
  dlg.onInit = [](TestDlg &self) {
    self.browse.EnableWindow(false);
    self.start.ShowWindow(SW_HIDE);
    self.combo.AddString("C");
    return true;
  };
  driver::RunModal([&] { return dlg.DoModal(); }, [&] {
    HWND d = driver::WaitForDialog("テストダイアログ");
    EXPECT_NONFATAL_FAILURE(driver::Click(d, IDC_BROWSE), "disabled");
    EXPECT_NONFATAL_FAILURE(driver::PostClick(d, IDC_START), "hidden");
    EXPECT_NONFATAL_FAILURE(driver::Item(d, IDC_MISSING), "no control 3099");
    EXPECT_NONFATAL_FAILURE(driver::SelectComboText(d, IDC_COMBO, "Z"), "no item \"Z\"");
    EXPECT_NONFATAL_FAILURE(driver::SelectComboIndex(d, IDC_COMBO, 4), "no item 4");
    EXPECT_EQ(driver::ComboItems(d, IDC_COMBO), std::vector<std::string>{"C"});
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(dlg.browseClicks, 0);
  EXPECT_EQ(dlg.comboChanges, 0);
}

TEST(DialogDriver, ADialogLeftOpenByItsScriptFailsTheTestAndIsBrokenOff) {
  TestDlg dlg;
  dlg.onCancel = [](TestDlg &) {};  // refuses every cancel: only the driver can end it
  EXPECT_NONFATAL_FAILURE_ON_ALL_THREADS(
      driver::RunModal([&] { return dlg.DoModal(); }, [] { driver::WaitForDialog("テストダイアログ"); }, 300),
      "still running");
  EXPECT_EQ(dlg.hwnd(), nullptr);
  // The next dialog runs normally: no quit message is left behind.
  TestDlg next;
  EXPECT_EQ(driver::RunModal([&] { return next.DoModal(); }, [] {
              driver::Click(driver::WaitForDialog("テストダイアログ"), IDOK);
            }),
            IDOK);
}
