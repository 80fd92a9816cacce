// The modal dialog: results, data exchange, message maps, cancel handling, owners, the pump.
#include <windows.h>

#include "framework/message_pump.h"
#include "tests/framework/test_dialogs.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

#include "gtest/gtest.h"

#include <atomic>

namespace {

const char kCaption[] = "テストダイアログ";

// Runs dlg modally while script drives it; the script gets the dialog window.
INT_PTR runDriven(Dialog &dlg, const std::function<void(HWND)> &script) {
  return driver::RunModal([&] { return dlg.DoModal(); }, [&] {
    HWND d = driver::WaitForDialog(kCaption);
    // The first painting done before the script starts, so that it cannot interleave with what the
    // script sends and records.
    if (d != nullptr) RedrawWindow(d, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (d != nullptr) script(d);
  });
}

struct EndCase {
  const char *name;
  std::function<void(TestDlg &)> setUp;
  std::function<void(HWND)> script;
  INT_PTR result;
  int okCalls;
  int cancelCalls;
};

}  // namespace

TEST(DialogModal, DoModalReturnsTheResultOfEndDialog) {
  const EndCase cases[] = {
      {"OK button: the framework's OnOK", nullptr, [](HWND d) { driver::Click(d, IDOK); }, IDOK, 1, 0},
      {"Enter: the default button", nullptr, [](HWND d) { driver::PressEnter(d); }, IDOK, 1, 0},
      {"cancel button", nullptr, [](HWND d) { driver::Click(d, IDCANCEL); }, IDCANCEL, 0, 1},
      {"Esc", nullptr, [](HWND d) { driver::PressEscape(d); }, IDCANCEL, 0, 1},
      {"close box", nullptr, [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL, 0, 1},
      {"a handler's own result", [](TestDlg &dlg) { dlg.onStart = [](TestDlg &self) { self.EndDialog(7); }; },
       [](HWND d) { driver::Click(d, IDC_START); }, 7, 0, 0},
  };
  for (const EndCase &c : cases) {
    SCOPED_TRACE(c.name);
    TestDlg dlg;
    if (c.setUp) c.setUp(dlg);
    EXPECT_EQ(runDriven(dlg, c.script), c.result);
    EXPECT_EQ(dlg.okCalls, c.okCalls);
    EXPECT_EQ(dlg.cancelCalls, c.cancelCalls);
    EXPECT_EQ(dlg.hwnd(), nullptr);
  }
}

namespace {
HWND g_watched = nullptr;
int g_shows = 0;
LRESULT CALLBACK countShows(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT *sent = reinterpret_cast<const CWPSTRUCT *>(lParam);
  if (code == HC_ACTION && sent->hwnd == g_watched && sent->message == WM_SHOWWINDOW && sent->wParam) ++g_shows;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
}  // namespace

TEST(DialogModal, EndDialogInOnInitDialogEndsBeforeTheDialogShows) {
  TestDlg dlg;  // its template is WS_VISIBLE
  bool visibleAtInit = true;
  dlg.onInit = [&](TestDlg &self) {
    visibleAtInit = IsWindowVisible(self.hwnd()) != FALSE;
    g_watched = self.hwnd();
    self.EndDialog(42);
    return false;
  };
  g_shows = 0;
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, countShows, nullptr, GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  EXPECT_EQ(dlg.DoModal(), 42);
  UnhookWindowsHookEx(hook);
  EXPECT_FALSE(visibleAtInit);
  EXPECT_EQ(g_shows, 0) << "the ended dialog was shown";
  EXPECT_EQ(dlg.cancelCalls, 0);
}

TEST(DialogModal, AMissingTemplateGivesMinusOne) {
  Dialog dlg(999);
  EXPECT_EQ(dlg.DoModal(), -1);
  EXPECT_EQ(dlg.hwnd(), nullptr);
}

TEST(DialogDataExchange, BindsEveryControlToItsIdAndUnbindsThemWhenTheDialogEnds) {
  TestDlg dlg;
  dlg.onInit = [](TestDlg &self) {
    const struct {
      int id;
      const Control &control;
    } bound[] = {{IDC_LABEL, self.label},     {IDC_EDIT, self.edit},       {IDC_COMBO, self.combo},
                 {IDC_BROWSE, self.browse},   {IDC_START, self.start},     {IDC_PROGRESS, self.progress},
                 {IDC_PICTURE, self.picture}, {IDC_NOTE, self.note},       {IDC_DESKTOP, self.desktop}};
    for (const auto &b : bound) {
      EXPECT_NE(b.control.hwnd(), nullptr) << b.id;
      EXPECT_EQ(b.control.hwnd(), self.GetDlgItem(b.id)) << b.id;
      EXPECT_EQ(b.control.GetDlgCtrlID(), b.id);
    }
    EXPECT_TRUE(self.bindResultAtInit);
    self.EndDialog(IDOK);
    return true;
  };
  ASSERT_EQ(dlg.DoModal(), IDOK);
  // The windows are gone: the objects are unbound and answer harmlessly.
  EXPECT_EQ(dlg.edit.hwnd(), nullptr);
  EXPECT_EQ(dlg.edit.GetWindowText(), "");
  EXPECT_EQ(dlg.combo.AddString("C"), CB_ERR);
  EXPECT_EQ(dlg.combo.GetCurSel(), CB_ERR);
  EXPECT_FALSE(dlg.browse.IsWindowVisible());
}

TEST(DialogDataExchange, AMissingControlFailsTheExchangeButBindsTheOthers) {
  TestDlg dlg;
  dlg.bindMissing = true;
  bool editBound = false;
  dlg.onInit = [&](TestDlg &self) {
    editBound = self.edit.hwnd() == self.GetDlgItem(IDC_EDIT);
    self.EndDialog(IDOK);
    return true;
  };
  dlg.DoModal();
  EXPECT_FALSE(dlg.bindResultAtInit);
  EXPECT_TRUE(editBound);
}

TEST(DialogDataExchange, TextGoesToTheControlAtStartAndBackOnlyOnOK) {
  const struct {
    int button;
    const char *expectedName;
  } cases[] = {{IDOK, "D:\\ゲーム"}, {IDCANCEL, "C:\\Game"}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.button);
    TestDlg dlg;
    dlg.name = "C:\\Game";
    std::string shown;
    runDriven(dlg, [&](HWND d) {
      shown = driver::ItemText(d, IDC_EDIT);
      driver::SetItemText(d, IDC_EDIT, "D:\\ゲーム");
      driver::Click(d, c.button);
    });
    EXPECT_EQ(shown, "C:\\Game");
    EXPECT_EQ(dlg.name, c.expectedName);
  }
}

TEST(MessageMap, SendsEachNotificationToTheHandlerOfItsControlAndCode) {
  TestDlg dlg;
  dlg.onInit = [](TestDlg &self) {
    for (const char *drive : {"H", "C", "E"}) self.combo.AddString(drive);
    return true;
  };
  runDriven(dlg, [&](HWND d) {
    const int changesAtStart = dlg.editChanges;
    driver::SetItemText(d, IDC_EDIT, "C:\\インストール先");
    EXPECT_EQ(dlg.editChanges, changesAtStart + 1);
    EXPECT_EQ(dlg.editTextAtChange, "C:\\インストール先");

    EXPECT_TRUE(driver::SelectComboText(d, IDC_COMBO, "E"));
    EXPECT_EQ(dlg.comboChanges, 1);
    EXPECT_EQ(dlg.comboTextAtChange, "E");

    driver::Click(d, IDC_BROWSE);
    driver::Click(d, IDC_DESKTOP);  // no entry: nothing but the check box's own toggle
    EXPECT_EQ(dlg.browseClicks, 1);
    EXPECT_EQ(dlg.comboChanges, 1);
    EXPECT_EQ(dlg.editChanges, changesAtStart + 1);
    EXPECT_EQ(driver::CheckState(d, IDC_DESKTOP), BST_CHECKED);
    EXPECT_TRUE(IsWindow(d));
    driver::Click(d, IDOK);
  });
}

TEST(MessageMap, ADerivedMapOverridesItsBaseAndKeepsTheBaseEntries) {
  DerivedDlg dlg;
  const INT_PTR result = runDriven(dlg, [&](HWND d) {
    driver::Click(d, IDC_BROWSE);
    const int changes = dlg.editChanges;
    driver::SetItemText(d, IDC_EDIT, "x");
    EXPECT_EQ(dlg.editChanges, changes + 1);
    driver::Click(d, IDOK);
  });
  EXPECT_EQ(dlg.derivedBrowseClicks, 1);
  EXPECT_EQ(dlg.browseClicks, 0);
  EXPECT_EQ(result, 77);          // the derived map's IDOK entry, not the framework's OnOK
  EXPECT_EQ(dlg.okCalls, 0);
}

TEST(MessageMap, CtlColorMessagesReturnTheHandlersBrushToTheSystem) {
  TestDlg dlg;
  dlg.labelBrush = CreateSolidBrush(RGB(1, 2, 3));
  runDriven(dlg, [&](HWND d) {
    HDC dc = CreateCompatibleDC(nullptr);
    const struct {
      UINT message;
      int id;
      UINT type;
      HBRUSH brush;
      COLORREF text;
    } cases[] = {
        {WM_CTLCOLORSTATIC, IDC_LABEL, CTLCOLOR_STATIC, dlg.labelBrush, RGB(255, 0, 0)},
        {WM_CTLCOLOREDIT, IDC_EDIT, CTLCOLOR_EDIT, GetSysColorBrush(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT)},
        {WM_CTLCOLORBTN, IDC_BROWSE, CTLCOLOR_BTN, GetSysColorBrush(COLOR_3DFACE), GetSysColor(COLOR_WINDOWTEXT)},
        {WM_CTLCOLORDLG, 0, CTLCOLOR_DLG, GetSysColorBrush(COLOR_3DFACE), GetSysColor(COLOR_WINDOWTEXT)},
    };
    for (const auto &c : cases) {
      SCOPED_TRACE(c.type);
      HWND control = c.id != 0 ? driver::Item(d, c.id) : d;
      SetTextColor(dc, RGB(9, 9, 9));
      LRESULT answer = SendMessageA(d, c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
      EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), c.brush);
      EXPECT_EQ(dlg.lastCtlColorType, c.type);
      EXPECT_EQ(dlg.lastCtlColorControl, control);
      EXPECT_EQ(GetTextColor(dc), c.text);
    }
    DeleteDC(dc);
    driver::Click(d, IDOK);
  });
  DeleteObject(dlg.labelBrush);
}

TEST(MessageMap, QueryDragIconAnswersTheHandlersIconAndPaintingValidatesTheWindow) {
  TestDlg dlg;
  dlg.dragIcon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION
  ASSERT_NE(dlg.dragIcon, nullptr);
  runDriven(dlg, [&](HWND d) {
    EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(d, WM_QUERYDRAGICON, 0, 0)), dlg.dragIcon);
    const int paintsBefore = dlg.paints;
    InvalidateRect(d, nullptr, TRUE);
    EXPECT_TRUE(driver::WaitUntil([&] { return dlg.paints > paintsBefore; }, 5000));
    // The framework's painting validated the window, so no further WM_PAINT keeps coming.
    EXPECT_TRUE(driver::WaitUntil([&] { return !GetUpdateRect(d, nullptr, FALSE); }, 5000));
    driver::Click(d, IDOK);
  });
}

TEST(DialogCancel, EscapeAsksOnCancelWhichMayRefuseAndTheQuestionIsOwnedByTheDialog) {
  Responder user;
  user.expect("中止", IDNO);
  user.expect("中止", IDYES);
  TestDlg dlg;
  dlg.onCancel = [](TestDlg &self) {
    if (self.MessageBox("インストールを中止します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION) == IDYES)
      self.EndDialog(IDCANCEL);
  };
  HWND window = nullptr;
  bool openAfterNo = false;
  const INT_PTR result = runDriven(dlg, [&](HWND d) {
    window = d;
    driver::PressEscape(d);
    EXPECT_TRUE(driver::WaitUntil([&] { return user.prompts().size() == 1 && dlg.cancelCalls == 1; }));
    Sleep(100);
    openAfterNo = IsWindowVisible(d) != FALSE;
    driver::PressEscape(d);
    driver::WaitForClose(d);
  });
  EXPECT_TRUE(openAfterNo);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.cancelCalls, 2);
  const std::vector<Prompt> prompts = user.prompts();
  ASSERT_EQ(prompts.size(), 2u);
  for (const Prompt &p : prompts) {
    EXPECT_EQ(p.owner, window);
    EXPECT_EQ(p.thread, GetCurrentThreadId());
    EXPECT_EQ(p.caption, "確認");
    EXPECT_EQ(p.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  }
  user.verifyAllAnswered();
}

TEST(DialogCancel, AMessageBoxOfADialogWithoutWindowHasNoOwner) {
  Responder user;
  user.expect("ファイル名", IDOK);
  Dialog dlg(IDD_TEST);
  EXPECT_EQ(dlg.MessageBox("ファイル名：\"a.txt\"", "エラー", MB_OK), IDOK);
  ASSERT_EQ(user.prompts().size(), 1u);
  EXPECT_EQ(user.prompts()[0].owner, nullptr);
}

TEST(DialogOwner, ADialogRunFromAHandlerIsOwnedByItsParentDialog) {
  TestDlg dlg;
  INT_PTR childResult = 0;
  dlg.onStart = [&](TestDlg &self) {
    ChildDlg child(&self);
    childResult = child.DoModal();
  };
  HWND owner = nullptr;
  HWND parent = nullptr;
  bool parentEnabledDuringChild = true;
  RECT parentRect = {}, childRect = {}, area = {};
  runDriven(dlg, [&](HWND d) {
    parent = d;
    GetWindowRect(d, &parentRect);
    driver::PostClick(d, IDC_START);
    HWND c = driver::WaitForDialog("子ダイアログ");  // its template is not WS_VISIBLE
    owner = GetWindow(c, GW_OWNER);
    GetWindowRect(c, &childRect);
    parentEnabledDuringChild = IsWindowEnabled(d) != FALSE;
    driver::Click(c, IDOK);
    driver::WaitForClose(c);
    driver::Click(d, IDCANCEL);
  });
  EXPECT_EQ(owner, parent);
  EXPECT_FALSE(parentEnabledDuringChild);
  EXPECT_EQ(childResult, IDOK);
  // Both centred: the dialog without owner on the work area, the child over its parent.
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
  EXPECT_NEAR((parentRect.left + parentRect.right) / 2, (area.left + area.right) / 2, 1);
  EXPECT_NEAR((parentRect.top + parentRect.bottom) / 2, (area.top + area.bottom) / 2, 1);
  EXPECT_NEAR((childRect.left + childRect.right) / 2, (parentRect.left + parentRect.right) / 2, 1);
  EXPECT_NEAR((childRect.top + childRect.bottom) / 2, (parentRect.top + parentRect.bottom) / 2, 1);
}

TEST(MessagePump, KeepsTheDialogWorkingWhileAHandlerRunsALongLoop) {
  TestDlg dlg;
  std::atomic<bool> looping{false};
  std::atomic<bool> stop{false};
  bool stoppedByCancel = false;
  dlg.onCancel = [&](TestDlg &) { stop = true; };  // like the copy: cancel asks the loop to stop
  dlg.onStart = [&](TestDlg &self) {
    looping = true;
    const DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < 20000) {
      PumpOneMessage(self.hwnd());
      Sleep(1);
    }
    stoppedByCancel = stop;
    looping = false;
    self.EndDialog(5);
  };
  const INT_PTR result = runDriven(dlg, [&](HWND d) {
    driver::PostClick(d, IDC_START);
    ASSERT_TRUE(driver::WaitUntil([&] { return looping.load(); }));
    driver::PostClick(d, IDC_BROWSE);  // a posted click needs the loop's dispatch
    EXPECT_TRUE(driver::WaitUntil([&] { return dlg.browseClicks == 1; }, 5000));
    driver::PressEscape(d);            // a key needs the dialog manager inside the loop
  });
  EXPECT_EQ(result, 5);
  EXPECT_TRUE(stoppedByCancel);
  EXPECT_EQ(dlg.cancelCalls, 1);
}

TEST(MessagePump, ReturnsAtOnceWhenNothingWaitsAndDropsAQuitMessage) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  EXPECT_FALSE(PumpOneMessage());
  PostQuitMessage(3);
  EXPECT_TRUE(PumpOneMessage());
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
  EXPECT_FALSE(PumpOneMessage());
}
