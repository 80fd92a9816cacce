// The real main dialog in phase 0: its template, the install-type list and sizes, the red free space, the
// drive combo box's memory, the folder chooser and the Esc key.
#include <windows.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "copy/drive_space.h"
#include "gtest/gtest.h"
#include "sysinfo/sysinf.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

namespace {

const char kVender[] = "DialogMaker";
const char kApp[] = "DialogGame";
const char kAppW[] = "画面テスト";

std::string Inf(const std::string &types) {
  return std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp + "\";\nAppNameW = \"" + kAppW +
         "\";\n" + types;
}

class MainDialogTest : public testing::Test {
 protected:
  void SetUp() override { fixture::FreshFolder(source_); }
  void TearDown() override { fixture::RemoveTree(source_); }

  // Runs the dialog on inst.inf text; look runs on the driver thread with the dialog, then the dialog is
  // cancelled through the cancel button.
  INT_PTR run(const std::string &inf, const std::function<void(HWND)> &look) {
    fixture::WriteInstInf(source_, inf);
    return fixture::RunInstaller(dialog_, {"x", source_}, [&] {
      HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
      if (!d) return;
      look(d);
      if (!IsWindow(d)) return;
      user_.expect("インストールを中止します。よろしいですか？", IDYES);
      driver::Click(d, IDC_INST_CANCEL);
    });
  }

  const std::string source_ = "C:\\dialog_src";
  Responder user_;
  CInstDlg dialog_;
};

// The text colour that the dialog chooses for control id.
COLORREF TextColourOf(HWND d, int id) {
  HDC dc = CreateCompatibleDC(nullptr);
  SetTextColor(dc, RGB(1, 2, 3));
  SendMessageA(d, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(driver::Item(d, id)));
  COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

// One control of a dialog template as the resource holds it.
struct TemplateItem {
  DWORD style = 0, exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  std::wstring className;  // ordinals as their class names
  std::wstring text;
};
struct DialogTemplate {
  DWORD style = 0, exStyle = 0;
  short cx = 0, cy = 0;
  std::wstring caption, faceName;
  WORD pointSize = 0;
  BYTE charSet = 0;
  std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX resource of this program.
bool ReadDialogTemplate(int id, DialogTemplate &out) {
  HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
  if (resource == nullptr) return false;
  const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(nullptr, resource)));
  const BYTE *p = base;
  auto word = [&p] { WORD w; memcpy(&w, p, 2); p += 2; return w; };
  auto dword = [&p] { DWORD d; memcpy(&d, p, 4); p += 4; return d; };
  auto text = [&] {
    std::wstring s;
    for (WORD c; (c = word()) != 0;) s += static_cast<wchar_t>(c);
    return s;
  };
  auto nameOrOrdinal = [&] {
    WORD first;
    memcpy(&first, p, 2);
    if (first == 0xFFFF) {
      p += 2;
      static const wchar_t *classes[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
      WORD ordinal = word();
      return ordinal >= 0x80 && ordinal <= 0x85 ? std::wstring(classes[ordinal - 0x80]) : L"#" + std::to_wstring(ordinal);
    }
    return text();
  };
  if (word() != 1 || word() != 0xFFFF) return false;
  dword();  // help id
  out.exStyle = dword();
  out.style = dword();
  WORD count = word();
  word();
  word();
  out.cx = static_cast<short>(word());
  out.cy = static_cast<short>(word());
  nameOrOrdinal();  // menu
  nameOrOrdinal();  // class
  out.caption = text();
  if (out.style & DS_SETFONT) {
    out.pointSize = word();
    word();  // weight
    p += 1;  // italic
    out.charSet = *p++;
    out.faceName = text();
  }
  for (WORD i = 0; i < count; ++i) {
    p = base + ((p - base + 3) & ~3);
    TemplateItem item;
    dword();  // help id
    item.exStyle = dword();
    item.style = dword();
    item.x = static_cast<short>(word());
    item.y = static_cast<short>(word());
    item.cx = static_cast<short>(word());
    item.cy = static_cast<short>(word());
    item.id = dword();
    item.className = nameOrOrdinal();
    item.text = nameOrOrdinal();
    WORD extra = word();
    p += extra;
    out.items.push_back(item);
  }
  return true;
}

std::wstring Wide(const char *cp932) {
  wchar_t buffer[256] = {};
  MultiByteToWideChar(932, 0, cp932, -1, buffer, 256);
  return buffer;
}

TEST(MainDialogTemplate, EveryControlWithItsStylesTextAndPlace) {
  const DWORD child = WS_CHILD | WS_VISIBLE;
  const DWORD label = child | WS_GROUP | SS_LEFT;
  const DWORD list = child | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_SORT;
  const DWORD multi = WS_BORDER | WS_TABSTOP | ES_MULTILINE | ES_READONLY;
  struct Expected {
    int id;
    const wchar_t *className;
    const char *text;
    short x, y, cx, cy;
    DWORD style, exStyle;
  } expected[] = {
      {IDC_DEST_GROUP, L"Button", "インストール先", 150, 7, 203, 60, child | BS_GROUPBOX, 0},
      {IDC_DRIVE_LABEL, L"Static", "ドライブ", 154, 27, 23, 8, label, 0},
      {IDC_FOLDER_LABEL, L"Static", "インストール先フォルダ", 184, 27, 68, 8, label, 0},
      {IDC_DRIVECOMBO, L"ComboBox", "", 153, 39, 25, 72, list, 0},
      {IDC_INSTDIR, L"Edit", "", 181, 39, 139, 14, child | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0},
      {IDC_BROWSE, L"Button", "参照...", 325, 39, 22, 14, child | WS_TABSTOP | BS_PUSHBUTTON, 0},
      {IDC_TYPE_GROUP, L"Button", "インストールタイプ選択", 150, 68, 204, 85, child | BS_GROUPBOX, 0},
      {IDC_TYPECOMBO, L"ComboBox", "", 156, 77, 191, 82, list, 0},
      {IDC_TYPEDESC, L"Edit", "", 156, 95, 191, 49, child | multi, 0},
      {IDC_NEEDCAP_LABEL, L"Static", "必要な容量", 246, 160, 35, 8, label, 0},
      {IDC_NEEDCAP, L"Static", "Static", 290, 160, 64, 8, label, WS_EX_RIGHT},
      {IDC_FREECAP_LABEL, L"Static", "ドライブの空き容量", 225, 174, 56, 8, label, 0},
      {IDC_FREECAP, L"Static", "Static", 290, 174, 64, 8, label, WS_EX_RIGHT},
      {IDC_INST_START, L"Button", "インストール開始", 155, 204, 60, 16, child | WS_TABSTOP | BS_DEFPUSHBUTTON, 0},
      {IDC_INST_CANCEL, L"Button", "キャンセル", 223, 204, 47, 16, child | WS_TABSTOP | BS_PUSHBUTTON, 0},
      {IDC_PROGRESS, L"msctls_progress32", "Progress1", 151, 188, 203, 10, WS_CHILD | WS_BORDER, 0},
      {IDC_FINISH_TEXT, L"Edit", "", 150, 7, 204, 176, WS_CHILD | multi, 0},
      {IDC_PICTURE, L"Static", "", 7, 7, 20, 20, child | SS_BITMAP, 0},
      {IDC_PROGRESS_TEXT, L"Static", "", 275, 203, 79, 18, label, 0},
  };
  DialogTemplate dialog;
  ASSERT_TRUE(ReadDialogTemplate(IDD_INST_DIALOG, dialog));
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_MODALFRAME));
  EXPECT_EQ(dialog.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
  EXPECT_EQ(dialog.cx, 361);
  EXPECT_EQ(dialog.cy, 227);
  EXPECT_EQ(dialog.caption, L"inst");
  EXPECT_EQ(dialog.faceName, Wide("ＭＳ Ｐゴシック"));
  EXPECT_EQ(dialog.pointSize, 9);
  EXPECT_EQ(dialog.charSet, DEFAULT_CHARSET);
  ASSERT_EQ(dialog.items.size(), sizeof(expected) / sizeof(expected[0]));
  for (size_t i = 0; i < dialog.items.size(); ++i) {
    const TemplateItem &item = dialog.items[i];
    const Expected &e = expected[i];
    EXPECT_EQ(item.id, static_cast<DWORD>(e.id)) << "tab position " << i;
    EXPECT_EQ(lstrcmpiW(item.className.c_str(), e.className), 0) << e.id;
    EXPECT_EQ(item.text, Wide(e.text)) << e.id;
    EXPECT_EQ(item.x, e.x) << e.id;
    EXPECT_EQ(item.y, e.y) << e.id;
    EXPECT_EQ(item.cx, e.cx) << e.id;
    EXPECT_EQ(item.cy, e.cy) << e.id;
    EXPECT_EQ(item.style, e.style) << e.id << std::hex << " style " << item.style;
    EXPECT_EQ(item.exStyle, e.exStyle) << e.id;
  }
}

TEST_F(MainDialogTest, PhaseZeroShowsAndEnablesTheSetupControls) {
  struct State {
    int id;
    bool visible, enabled;
  } states[] = {
      {IDC_DEST_GROUP, true, true},     {IDC_DRIVE_LABEL, true, true},  {IDC_FOLDER_LABEL, true, true},
      {IDC_DRIVECOMBO, true, true},     {IDC_INSTDIR, true, true},      {IDC_BROWSE, true, true},
      {IDC_TYPE_GROUP, true, true},     {IDC_TYPECOMBO, true, true},    {IDC_TYPEDESC, true, true},
      {IDC_NEEDCAP_LABEL, true, true},  {IDC_NEEDCAP, true, true},      {IDC_FREECAP_LABEL, true, true},
      {IDC_FREECAP, true, true},        {IDC_INST_START, true, true},   {IDC_INST_CANCEL, true, true},
      {IDC_PROGRESS, false, true},      {IDC_FINISH_TEXT, false, true}, {IDC_PICTURE, true, true},
      {IDC_PROGRESS_TEXT, false, true},
  };
  DWORD style = 0;
  RECT client = {}, expectedClient = {0, 0, 361, 227};
  std::string faceName, startText;
  HICON bigIcon = nullptr, smallIcon = nullptr, dragIcon = nullptr;
  run(Inf("InstType = {\"A\", \"B\"};\n"), [&](HWND d) {
    style = static_cast<DWORD>(GetWindowLongA(d, GWL_STYLE));
    GetClientRect(d, &client);
    MapDialogRect(d, &expectedClient);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(d, WM_GETFONT, 0, 0)), sizeof(font), &font);
    faceName = font.lfFaceName;
    bigIcon = reinterpret_cast<HICON>(SendMessageA(d, WM_GETICON, ICON_BIG, 0));
    smallIcon = reinterpret_cast<HICON>(SendMessageA(d, WM_GETICON, ICON_SMALL, 0));
    dragIcon = reinterpret_cast<HICON>(SendMessageA(d, WM_QUERYDRAGICON, 0, 0));
    startText = driver::ItemText(d, IDC_INST_START);
    for (const State &s : states) {
      EXPECT_EQ(driver::IsItemVisible(d, s.id), s.visible) << s.id;
      EXPECT_EQ(driver::IsItemEnabled(d, s.id), s.enabled) << s.id;
    }
  });
  user_.verifyAllAnswered();
  EXPECT_EQ(style & WS_SYSMENU, 0u) << "no system menu, so no close box";
  EXPECT_EQ(client.right, expectedClient.right);
  EXPECT_EQ(client.bottom, expectedClient.bottom);
  EXPECT_EQ(faceName, "ＭＳ Ｐゴシック");
  EXPECT_EQ(startText, "インストール開始");
  EXPECT_NE(dialog_.icon, nullptr);
  EXPECT_EQ(bigIcon, dialog_.icon);
  EXPECT_EQ(smallIcon, dialog_.icon);
  EXPECT_EQ(dragIcon, dialog_.icon);
}

TEST_F(MainDialogTest, TypesAreSortedWhileDescriptionAndDiscSizeFollowTheIndex) {
  // Sizes in KB: a.dat 512, b.dat 1024; the disc sizes are 10 MB and 20 MB.
  fixture::WriteBytes(source_ + "\\a.dat", std::string(512 * 1024, 'a'));
  fixture::WriteBytes(source_ + "\\b.dat", std::string(1024 * 1024, 'b'));
  std::vector<std::string> items;
  std::string descFirst, neededFirst, descSecond, neededSecond;
  int selection = CB_ERR;
  run(Inf("InstType = {\"B\", \"A\"};\nB = {\"b.dat\"};\nA = {\"a.dat\", \"missing.dat\"};\n"
          "InstTypeDesc = {\"Bの説明\", \"Aの説明\"};\nDataDiscSize = {\"10240\", \"20480\"};\n"),
      [&](HWND d) {
        items = driver::ComboItems(d, IDC_TYPECOMBO);
        selection = driver::ComboSelection(d, IDC_TYPECOMBO);
        descFirst = driver::ItemText(d, IDC_TYPEDESC);
        neededFirst = driver::ItemText(d, IDC_NEEDCAP);
        driver::SelectComboIndex(d, IDC_TYPECOMBO, 1);
        descSecond = driver::ItemText(d, IDC_TYPEDESC);
        neededSecond = driver::ItemText(d, IDC_NEEDCAP);
      });
  user_.verifyAllAnswered();
  EXPECT_EQ(items, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(selection, 0);
  // Item 0 is A: A's entries (512 KB) with the first description and disc size (10240 KB).
  EXPECT_EQ(descFirst, "Bの説明");
  EXPECT_EQ(neededFirst, "10.50 [MB]");
  // Item 1 is B: 1024 KB + 20480 KB.
  EXPECT_EQ(descSecond, "Aの説明");
  EXPECT_EQ(neededSecond, "21.00 [MB]");
  EXPECT_EQ(dialog_.settings.selectedTypeIndex, 1);
}

TEST_F(MainDialogTest, OneInstallTypeHidesTheTypeControls) {
  bool group = true, combo = true, desc = true, needed = false;
  std::string neededText;
  run(Inf("InstType = {\"Only\"};\nDataDiscSize = {\"1536\"};\n"), [&](HWND d) {
    group = driver::IsItemVisible(d, IDC_TYPE_GROUP);
    combo = driver::IsItemVisible(d, IDC_TYPECOMBO);
    desc = driver::IsItemVisible(d, IDC_TYPEDESC);
    needed = driver::IsItemVisible(d, IDC_NEEDCAP);
    neededText = driver::ItemText(d, IDC_NEEDCAP);
  });
  EXPECT_FALSE(group);
  EXPECT_FALSE(combo);
  EXPECT_FALSE(desc);
  EXPECT_TRUE(needed);
  EXPECT_EQ(neededText, "1.50 [MB]");
  EXPECT_EQ(dialog_.settings.selectedTypeIndex, 0);
}

TEST_F(MainDialogTest, NeededSizeAtTheGigabyteBoundary) {
  std::string below, at;
  run(Inf("InstType = {\"X1\", \"X2\"};\nDataDiscSize = {\"1048575\", \"1048576\"};\n"), [&](HWND d) {
    below = driver::ItemText(d, IDC_NEEDCAP);
    driver::SelectComboText(d, IDC_TYPECOMBO, "X2");
    at = driver::ItemText(d, IDC_NEEDCAP);
  });
  EXPECT_EQ(below, "1024.00 [MB]");
  EXPECT_EQ(at, "1.00 [GB]");
}

TEST_F(MainDialogTest, FreeSpaceIsRedUnlessItExceedsTheNeed) {
  DWORD freeKB = 0;
  ASSERT_TRUE(getDiskFreeKB("T:\\", &freeKB));
  ASSERT_GT(freeKB, 1u);
  const std::string sizes = std::to_string(freeKB - 1) + "\", \"" + std::to_string(freeKB) + "\", \"" +
                            std::to_string(freeKB + 1);
  const COLORREF red = RGB(255, 0, 0);
  struct Seen {
    std::string freeText;
    COLORREF freeColour, neededColour;
  };
  std::vector<Seen> seen;
  std::string invalidText, unchangedText, lowerCaseText;
  COLORREF invalidColour = 0;
  run(Inf("InstType = {\"N1\", \"N2\", \"N3\"};\nDataDiscSize = {\"" + sizes + "\"};\n"), [&](HWND d) {
    driver::SetItemText(d, IDC_INSTDIR, "T:\\Game\\");
    for (int i = 0; i < 3; ++i) {
      driver::SelectComboIndex(d, IDC_TYPECOMBO, i);
      seen.push_back({driver::ItemText(d, IDC_FREECAP), TextColourOf(d, IDC_FREECAP), TextColourOf(d, IDC_NEEDCAP)});
    }
    driver::SelectComboIndex(d, IDC_TYPECOMBO, 0);
    driver::SetItemText(d, IDC_INSTDIR, "N:\\Game\\");
    invalidText = driver::ItemText(d, IDC_FREECAP);
    invalidColour = TextColourOf(d, IDC_FREECAP);
    // Texts that do not begin with a drive leave the free-space text as it was.
    driver::SetItemText(d, IDC_INSTDIR, "1:\\Game\\");
    driver::SetItemText(d, IDC_INSTDIR, "T:Game");
    unchangedText = driver::ItemText(d, IDC_FREECAP);
    driver::SetItemText(d, IDC_INSTDIR, "t:\\game\\");
    lowerCaseText = driver::ItemText(d, IDC_FREECAP);
  });
  ASSERT_EQ(seen.size(), 3u);
  for (const Seen &s : seen) EXPECT_EQ(s.freeText, CInstDlg::formatSizeKB(freeKB));
  EXPECT_NE(seen[0].freeColour, red) << "needed one KB below free";
  EXPECT_EQ(seen[1].freeColour, red) << "needed equal to free";
  EXPECT_EQ(seen[2].freeColour, red) << "needed one KB above free";
  for (const Seen &s : seen) EXPECT_NE(s.neededColour, red);
  EXPECT_EQ(invalidText, "不正なドライブです");
  EXPECT_EQ(invalidColour, red);
  EXPECT_EQ(unchangedText, "不正なドライブです");
  EXPECT_EQ(lowerCaseText, CInstDlg::formatSizeKB(freeKB));
}

TEST_F(MainDialogTest, DriveComboBoxRemembersAFolderPerDrive) {
  const std::string programFiles = std::string(SysInf::GetProgramFilesPath()) + "\\" + kVender + "\\" + kApp + "\\";
  std::vector<std::string> texts;
  run(Inf("InstType = {\"A\"};\n"), [&](HWND d) {
    driver::SetItemText(d, IDC_INSTDIR, "H:\\Mine\\");
    driver::SelectComboText(d, IDC_DRIVECOMBO, "T");
    texts.push_back(driver::ItemText(d, IDC_INSTDIR));
    driver::SelectComboText(d, IDC_DRIVECOMBO, "H");
    texts.push_back(driver::ItemText(d, IDC_INSTDIR));
    // The text already names the drive chosen: it stays.
    driver::SetItemText(d, IDC_INSTDIR, "T:\\Other\\");
    driver::SelectComboText(d, IDC_DRIVECOMBO, "T");
    texts.push_back(driver::ItemText(d, IDC_INSTDIR));
    driver::SelectComboText(d, IDC_DRIVECOMBO, "C");
    texts.push_back(driver::ItemText(d, IDC_INSTDIR));
    // A text without a drive is remembered for no drive.
    driver::SetItemText(d, IDC_INSTDIR, "relative\\folder");
    driver::SelectComboText(d, IDC_DRIVECOMBO, "T");
    texts.push_back(driver::ItemText(d, IDC_INSTDIR));
  });
  EXPECT_EQ(texts, (std::vector<std::string>{std::string("T:\\") + kVender + "\\" + kApp + "\\", "H:\\Mine\\",
                                             "T:\\Other\\", programFiles, "T:\\Other\\"}));
  EXPECT_EQ(dialog_.driveFolders['H' - 'A'], "H:\\Mine\\");
  EXPECT_EQ(dialog_.driveFolders['C' - 'A'], programFiles);
}

TEST_F(MainDialogTest, BrowseSetsTheChosenFolderAndCancelKeepsTheText) {
  fixture::MakeFolders("H:\\Chosen");
  std::string chosen, afterCancel, freeText;
  int driveBefore = CB_ERR, driveAfter = CB_ERR;
  run(Inf("InstType = {\"A\"};\n"), [&](HWND d) {
    driveBefore = driver::ComboSelection(d, IDC_DRIVECOMBO);
    driver::SetItemText(d, IDC_INSTDIR, "N:\\x\\");
    for (int answer : {IDOK, IDCANCEL}) {
      driver::PostClick(d, IDC_BROWSE);
      HWND browse = driver::WaitForDialog("", driver::kDefaultWaitMs, d);
      if (!browse) return;
      SendMessageA(browse, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>("H:\\Chosen"));
      driver::Click(browse, answer);
      driver::WaitForClose(browse);
      if (answer == IDOK) {
        driver::WaitUntil([&] { return driver::ItemText(d, IDC_INSTDIR) == "H:\\Chosen"; });
        chosen = driver::ItemText(d, IDC_INSTDIR);
        freeText = driver::ItemText(d, IDC_FREECAP);
      } else {
        afterCancel = driver::ItemText(d, IDC_INSTDIR);
      }
    }
    driveAfter = driver::ComboSelection(d, IDC_DRIVECOMBO);
  });
  EXPECT_EQ(chosen, "H:\\Chosen");
  EXPECT_EQ(afterCancel, "H:\\Chosen");
  EXPECT_NE(freeText, "不正なドライブです") << "the sizes were refreshed for the chosen folder";
  EXPECT_EQ(driveAfter, driveBefore) << "the drive combo box follows only its own selection";
}

TEST_F(MainDialogTest, EscapeAsksAndNoKeepsTheDialog) {
  fixture::WriteInstInf(source_, Inf("InstType = {\"A\"};\n"));
  INT_PTR result = fixture::RunInstaller(dialog_, {"x", source_}, [&] {
    HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
    if (!d) return;
    user_.expect("インストールを中止します。よろしいですか？", IDNO);
    driver::PressEscape(d);
    ASSERT_TRUE(driver::WaitUntil([&] { return user_.prompts().size() == 1; }));
    EXPECT_TRUE(driver::WaitUntil([&] { return user_.pendingCount() == 0; }));
    Sleep(200);
    EXPECT_TRUE(IsWindow(d)) << "No leaves the dialog open";
    user_.expect("インストールを中止します。よろしいですか？", IDYES);
    driver::PressEscape(d);
  });
  EXPECT_EQ(result, IDCANCEL);
  user_.verifyAllAnswered();
  std::vector<Prompt> prompts = user_.prompts();
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[0].caption, "確認");
  EXPECT_EQ(prompts[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_NE(prompts[0].owner, nullptr);
}

}  // namespace
