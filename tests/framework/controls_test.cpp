// The control wrappers, and the Japanese texts of a template compiled with code page 65001.
#include <windows.h>

#include "tests/framework/test_dialogs.h"
#include "tests/support/dialog_driver.h"

#include "gtest/gtest.h"

namespace {

// Runs body on the dialog's thread from a handler, while the dialog is shown.
void inShownDialog(const std::function<void(TestDlg &)> &body) {
  TestDlg dlg;
  dlg.onStart = [&](TestDlg &self) {
    body(self);
    self.EndDialog(IDOK);
  };
  driver::RunModal([&] { return dlg.DoModal(); }, [] {
    HWND d = driver::WaitForDialog("テストダイアログ");
    driver::Click(d, IDC_START);
  });
}

std::wstring wide(const char *utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &w[0], n);
  w.resize(static_cast<size_t>(n - 1));
  return w;
}

}  // namespace

TEST(ComboBoxCtl, AddsSelectsFindsReadsAndResetsItems) {
  inShownDialog([](TestDlg &dlg) {
    ComboBoxCtl &combo = dlg.combo;
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    for (const char *drive : {"H", "C", "E"}) EXPECT_GE(combo.AddString(drive), 0);
    ASSERT_EQ(combo.GetCount(), 3);
    EXPECT_EQ(combo.GetLBText(0), "C");  // the template sorts
    EXPECT_EQ(combo.FindStringExact(-1, "H"), 2);
    EXPECT_EQ(combo.FindStringExact(-1, "D"), CB_ERR);
    EXPECT_EQ(combo.SetCurSel(1), 1);
    EXPECT_EQ(combo.GetCurSel(), 1);
    EXPECT_EQ(combo.GetLBText(combo.GetCurSel()), "E");
    EXPECT_EQ(combo.SelectString(-1, "H"), 2);
    EXPECT_EQ(combo.GetCurSel(), 2);
    EXPECT_EQ(combo.GetLBTextLen(0), 1);

    char buffer[8] = "junk";
    EXPECT_EQ(combo.GetLBText(5, buffer, sizeof(buffer)), CB_ERR);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(combo.GetLBText(5), "");

    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
  });
}

TEST(ComboBoxCtl, ItemTextIsCutToTheBufferOnACharacterBoundary) {
  inShownDialog([](TestDlg &dlg) {
    dlg.combo.AddString("ドライブ");  // 8 bytes in cp932
    const struct {
      int size;
      const char *expected;
    } cases[] = {{1, ""}, {2, ""}, {3, "ド"}, {4, "ド"}, {5, "ドラ"}, {8, "ドライ"}, {9, "ドライブ"}, {260, "ドライブ"}};
    for (const auto &c : cases) {
      SCOPED_TRACE(c.size);
      char buffer[300];
      memset(buffer, 'x', sizeof(buffer));
      int copied = dlg.combo.GetLBText(0, buffer, c.size);
      EXPECT_STREQ(buffer, c.expected);
      EXPECT_EQ(copied, static_cast<int>(strlen(c.expected)));
      EXPECT_EQ(buffer[c.size], 'x');  // nothing written past the buffer
    }
  });
}

TEST(Controls, TextVisibilityAndEnablingOfAnyControl) {
  inShownDialog([](TestDlg &dlg) {
    dlg.edit.SetWindowText("C:\\Program Files\\ゲーム");
    EXPECT_EQ(dlg.edit.GetWindowText(), "C:\\Program Files\\ゲーム");
    EXPECT_EQ(dlg.edit.GetWindowTextLength(), 23);  // bytes: 17 + 3 double-byte characters
    char small[6];
    EXPECT_EQ(dlg.edit.GetWindowText(small, sizeof(small)), 5);
    EXPECT_STREQ(small, "C:\\Pr");

    EXPECT_TRUE(dlg.browse.IsWindowVisible());
    dlg.browse.ShowWindow(SW_HIDE);
    EXPECT_FALSE(dlg.browse.IsWindowVisible());
    EXPECT_TRUE(dlg.start.IsWindowEnabled());
    dlg.start.EnableWindow(false);
    EXPECT_FALSE(dlg.start.IsWindowEnabled());
    dlg.start.EnableWindow(true);
    EXPECT_TRUE(dlg.start.IsWindowEnabled());
  });
}

TEST(Controls, EditButtonProgressAndPictureSpecifics) {
  inShownDialog([](TestDlg &dlg) {
    EXPECT_TRUE(dlg.note.IsReadOnly());
    EXPECT_FALSE(dlg.edit.IsReadOnly());
    dlg.edit.SetReadOnly(true);
    EXPECT_TRUE(dlg.edit.IsReadOnly());
    dlg.note.SetWindowText("一行目\r\n二行目");
    EXPECT_EQ(dlg.note.GetLineCount(), 2);

    EXPECT_EQ(dlg.desktop.GetCheck(), BST_UNCHECKED);
    dlg.desktop.SetCheck(BST_CHECKED);
    EXPECT_EQ(dlg.desktop.GetCheck(), BST_CHECKED);
    dlg.CheckRadioButton(IDC_ALLUSERS, IDC_CURRENTUSER, IDC_CURRENTUSER);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_ALLUSERS, IDC_CURRENTUSER), IDC_CURRENTUSER);
    dlg.CheckRadioButton(IDC_ALLUSERS, IDC_CURRENTUSER, IDC_ALLUSERS);
    EXPECT_EQ(dlg.GetCheckedRadioButton(IDC_ALLUSERS, IDC_CURRENTUSER), IDC_ALLUSERS);

    dlg.progress.SetRange(0, 100);
    EXPECT_EQ(dlg.progress.SetPos(40), 0);
    EXPECT_EQ(dlg.progress.SetPos(60), 40);
    EXPECT_EQ(dlg.progress.GetPos(), 60);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(dlg.picture.SetBitmap(bitmap), nullptr);
    EXPECT_EQ(dlg.picture.GetBitmap(), bitmap);
    EXPECT_EQ(dlg.picture.SetBitmap(nullptr), bitmap);
    DeleteObject(bitmap);
  });
}

TEST(Controls, AnUnboundControlAnswersHarmlessly) {
  ComboBoxCtl combo;
  EditCtl edit;
  ProgressCtl progress;
  StaticCtl picture;
  EXPECT_FALSE(combo.IsAttached());
  EXPECT_EQ(combo.AddString("C"), CB_ERR);
  EXPECT_EQ(combo.GetCurSel(), CB_ERR);
  EXPECT_EQ(combo.GetLBText(0), "");
  char buffer[4] = "abc";
  EXPECT_EQ(edit.GetWindowText(buffer, sizeof(buffer)), 0);
  EXPECT_STREQ(buffer, "");
  edit.SetWindowText("x");
  EXPECT_EQ(edit.GetWindowText(), "");
  EXPECT_EQ(progress.SetPos(5), 0);
  EXPECT_EQ(picture.SetBitmap(nullptr), nullptr);
  EXPECT_FALSE(edit.IsWindowEnabled());
}

TEST(ResourceTexts, JapaneseTextsOfTheTemplateArriveIntact) {
  // Expected texts are given in UTF-8 and compared as UTF-16, so the check does not depend on the
  // compiler's own conversion to cp932.
  const struct {
    int id;
    const char *utf8;
  } texts[] = {{0, u8"テストダイアログ"},
               {IDC_LABEL, u8"ドライブの空き容量"},
               {IDC_BROWSE, u8"参照..."},
               {IDC_START, u8"インストール開始"},
               {IDC_DESKTOP, u8"デスクトップにショートカットを作成する"},
               {IDC_CURRENTUSER, u8"現在のユーザのみ"},
               {IDCANCEL, u8"キャンセル"}};
  TestDlg dlg;
  std::wstring face;
  driver::RunModal([&] { return dlg.DoModal(); }, [&] {
    HWND d = driver::WaitForDialog("テストダイアログ");
    if (d == nullptr) return;
    for (const auto &t : texts) {
      SCOPED_TRACE(t.id);
      std::wstring shown;
      if (t.id == 0) {
        wchar_t caption[64] = {};
        GetWindowTextW(d, caption, 64);
        shown = caption;
      } else {
        shown = driver::ItemTextW(d, t.id);
      }
      EXPECT_TRUE(shown == wide(t.utf8));
    }
    // The cp932 view the program works with.
    EXPECT_EQ(driver::ItemText(d, IDC_LABEL), "ドライブの空き容量");
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0)), sizeof(font), &font);
    face = font.lfFaceName;
    driver::Click(d, IDOK);
  });
  EXPECT_TRUE(face == wide(u8"ＭＳ Ｐゴシック"));
}

TEST(ResourceTexts, HalfWidthKatakanaOfTheChildTemplate) {
  ChildDlg child;
  driver::RunModal([&] { return child.DoModal(); }, [] {
    HWND c = driver::WaitForDialog("子ダイアログ");
    EXPECT_TRUE(driver::ItemTextW(c, IDCANCEL) == wide(u8"ｷｬﾝｾﾙ"));
    EXPECT_EQ(driver::ItemText(c, IDCANCEL), "\xb7\xac\xdd\xbe\xd9");  // one byte each in cp932
    driver::Click(c, IDCANCEL);
  });
}
