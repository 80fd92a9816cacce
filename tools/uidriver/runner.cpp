#include "tools/uidriver/runner.h"

#include <commctrl.h>

#include <cwchar>

#include "tools/uidriver/facts.h"
#include "tools/uidriver/host_request.h"
#include "tools/uidriver/text.h"
#include "tools/uidriver/windows_find.h"

namespace {

const DWORD kPollMs = 50;  // as the default of waitUntil
const UINT kAnswerMs = 5000;

bool parseNumber(const std::wstring &text, long &value) {
  if (text.empty()) return false;
  wchar_t *end = nullptr;
  value = std::wcstol(text.c_str(), &end, 0);
  return end && *end == L'\0';
}

std::wstring quoted(const std::wstring &text) { return L"「" + Printable(text) + L"」"; }

bool yesNo(const std::wstring &word, bool &value, std::wstring &error) {
  if (word == L"yes" || word == L"on") {
    value = true;
  } else if (word == L"no" || word == L"off") {
    value = false;
  } else {
    error = L"expected yes or no, not " + word;
    return false;
  }
  return true;
}

// What a user can click or type into: the control and its top-level window are shown and enabled
// (a window under a modal dialog is disabled, its controls are not).
bool usable(HWND control) {
  HWND root = GetAncestor(control, GA_ROOT);
  return IsWindowVisible(control) && IsWindowEnabled(control) && root && IsWindowEnabled(root);
}

std::wstring withoutAmpersands(const std::wstring &text) {
  std::wstring out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'&' && i + 1 < text.size()) ++i;
    out += text[i];
  }
  return out;
}

// The command line for CreateProcessW: every word quoted when it holds a blank.
std::wstring commandLine(const std::vector<std::wstring> &words) {
  std::wstring line;
  for (const auto &w : words) {
    if (!line.empty()) line += L' ';
    if (w.empty() || w.find_first_of(L" \t") != std::wstring::npos) {
      line += L'"' + w + L'"';
    } else {
      line += w;
    }
  }
  return line;
}

bool comboItems(HWND combo, std::vector<std::wstring> &items) {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count)) return false;
  items.clear();
  for (DWORD_PTR i = 0; i < count && count != static_cast<DWORD_PTR>(CB_ERR); ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXTLEN, i, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    DWORD_PTR got = 0;
    SendMessageTimeoutW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, kAnswerMs, &got);
    text.resize(got < text.size() ? static_cast<size_t>(got) : 0);
    items.push_back(text);
  }
  return true;
}

}  // namespace

Runner::Runner() {
  commands_ = {
      {L"timeout", {&Runner::timeoutStep, 1, 1}},
      {L"sleep", {&Runner::sleepStep, 1, 1}},
      {L"echo", {&Runner::echoStep, 0, 100}},
      {L"start", {&Runner::startStep, 2, 100}},
      {L"exited", {&Runner::exitedStep, 1, 3}},
      {L"alive", {&Runner::aliveStep, 1, 1}},
      {L"window", {&Runner::windowStep, 1, 2}},
      {L"box", {&Runner::boxStep, 2, 3}},
      {L"boxpart", {&Runner::boxPartStep, 2, 3}},
      {L"nowindow", {&Runner::noWindowStep, 2, 2}},
      {L"gone", {&Runner::goneStep, 0, 0}},
      {L"press", {&Runner::pressStep, 1, 1}},
      {L"type", {&Runner::typeStep, 2, 2}},
      {L"select", {&Runner::selectStep, 2, 2}},
      {L"check", {&Runner::checkStep, 2, 2}},
      {L"expect", {&Runner::expectStep, 2, 2}},
      {L"expectpart", {&Runner::expectPartStep, 2, 2}},
      {L"items", {&Runner::itemsStep, 1, 100}},
      {L"selected", {&Runner::selectedStep, 2, 2}},
      {L"shown", {&Runner::shownStep, 2, 2}},
      {L"enabled", {&Runner::enabledStep, 2, 2}},
      {L"progress", {&Runner::progressStep, 2, 2}},
      {L"read", {&Runner::readStep, 1, 1}},
      {L"host", {&Runner::hostStep, 1, 100}},
      {L"shot", {&Runner::shotStep, 1, 1}},
      {L"file", {&Runner::fileStep, 1, 1}},
      {L"nofile", {&Runner::noFileStep, 1, 1}},
      {L"dir", {&Runner::dirStep, 1, 1}},
      {L"nodir", {&Runner::noDirStep, 1, 1}},
      {L"same", {&Runner::sameStep, 2, 2}},
      {L"reg", {&Runner::regStep, 4, 4}},
      {L"noreg", {&Runner::noRegStep, 2, 3}},
      {L"link", {&Runner::linkStep, 4, 4}},
      {L"setvar", {&Runner::setVarStep, 2, 6}},
      {L"showreg", {&Runner::showRegStep, 2, 2}},
      {L"showtext", {&Runner::showTextStep, 1, 1}},
      {L"list", {&Runner::listStep, 1, 1}},
      {L"showlink", {&Runner::showLinkStep, 1, 1}},
      {L"screen", {&Runner::screenStep, 0, 0}},
      {L"throttle", {&Runner::throttleStep, 2, 2}},
  };
}

Runner::~Runner() {
  for (auto &p : processes_) {
    delete p.second.throttle;  // lets the process run freely before the driver ends
    CloseHandle(p.second.handle);
  }
}

bool Runner::run(const std::vector<Step> &steps) {
  for (const auto &step : steps) {
    DWORD began = GetTickCount();
    std::wstring error;
    auto command = commands_.find(step.words[0]);
    Args args;
    bool ok = true;
    if (command == commands_.end()) {
      error = L"unknown step \"" + step.words[0] + L"\"";
      ok = false;
    }
    for (size_t i = 1; ok && i < step.words.size(); ++i) {
      std::wstring word;
      ok = ExpandWord(step.words[i], word, error);
      args.push_back(word);
    }
    if (ok && (args.size() < command->second.minArgs || args.size() > command->second.maxArgs)) {
      error = L"wrong number of words for \"" + step.words[0] + L"\"";
      ok = false;
    }
    if (ok) ok = (this->*(command->second.handler))(args, error);
    wchar_t took[32];
    DWORD ms = GetTickCount() - began;
    wsprintfW(took, L"%u.%01u s", ms / 1000, (ms % 1000) / 100);
    if (ok) {
      if (quiet_) continue;
      Say(L"ok    line " + std::to_wstring(step.line) + L"  " + step.source + L"  (" + took + L")");
      continue;
    }
    Say(L"FAIL  line " + std::to_wstring(step.line) + L"  " + step.source + L"  (" + took + L")");
    Say(L"      " + error);
    Say(L"      the screen:\n" + DescribeScreen());
    std::wstring answer;
    if (HostAvailable()) HostRequest(L"shot failed-line-" + std::to_wstring(step.line), 20000, answer);
    return false;
  }
  return true;
}

template <typename Condition>
bool Runner::waitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(pollMs);
  }
}

bool Runner::currentWindow(std::wstring &error) {
  if (!current_) {
    error = L"no window has been found yet (use window or box first)";
    return false;
  }
  if (!IsWindow(current_)) {
    error = L"the window " + quoted(currentCaption_) + L" is gone";
    return false;
  }
  return true;
}

bool Runner::control(const std::wstring &idText, HWND &hwnd, std::wstring &error) {
  if (!currentWindow(error)) return false;
  long id = 0;
  if (!parseNumber(idText, id)) {
    error = L"expected a control id, not " + idText;
    return false;
  }
  hwnd = GetDlgItem(current_, static_cast<int>(id));
  if (!hwnd) {
    error = quoted(currentCaption_) + L" has no control " + idText;
    return false;
  }
  return true;
}

HWND Runner::findWindow(const std::wstring &caption, const std::wstring &className) {
  for (const auto &w : VisibleTopLevelWindows()) {
    if (w.caption == caption && (className.empty() || w.className == className)) return w.hwnd;
  }
  return nullptr;
}

bool Runner::findProcess(const std::wstring &name, Process &process, std::wstring &error) {
  auto p = processes_.find(name);
  if (p == processes_.end()) {
    error = L"no process was started as " + name;
    return false;
  }
  process = p->second;
  return true;
}

bool Runner::timeoutStep(const Args &a, std::wstring &error) {
  long seconds = 0;
  if (!parseNumber(a[0], seconds) || seconds <= 0) {
    error = L"expected seconds, not " + a[0];
    return false;
  }
  timeoutMs_ = static_cast<DWORD>(seconds) * 1000;
  return true;
}

bool Runner::sleepStep(const Args &a, std::wstring &error) {
  long ms = 0;
  if (!parseNumber(a[0], ms) || ms < 0) {
    error = L"expected milliseconds, not " + a[0];
    return false;
  }
  Sleep(static_cast<DWORD>(ms));
  return true;
}

bool Runner::echoStep(const Args &a, std::wstring &) {
  std::wstring line;
  for (const auto &w : a) line += (line.empty() ? L"" : L" ") + w;
  Say(line);
  return true;
}

bool Runner::startStep(const Args &a, std::wstring &error) {
  if (processes_.count(a[0])) {
    error = L"a process was started as " + a[0] + L" already";
    return false;
  }
  // Words that expand to nothing are left out, so that a scenario can pass optional arguments.
  std::vector<std::wstring> words;
  for (size_t i = 1; i < a.size(); ++i) {
    if (!a[i].empty()) words.push_back(a[i]);
  }
  std::wstring line = commandLine(words);
  std::wstring folder = a[1].substr(0, a[1].find_last_of(L'\\') + 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(a[1].c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    error = L"cannot start " + a[1] + L" (error " + std::to_wstring(GetLastError()) + L")";
    return false;
  }
  CloseHandle(info.hThread);
  processes_[a[0]] = Process{info.hProcess, info.dwProcessId};
  return true;
}

// exited NAME [CODE] [quiet]: the process ends in time (with that exit code); quiet: it showed no
// message box meanwhile. A box waits for an answer, so a box shown blocks the end and is seen; any
// other window of the process that appears for a moment is only reported.
bool Runner::exitedStep(const Args &a, std::wstring &error) {
  Process process;
  if (!findProcess(a[0], process, error)) return false;
  bool quiet = false;
  long code = -1;
  bool checkCode = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == L"quiet") {
      quiet = true;
    } else if (parseNumber(a[i], code)) {
      checkCode = true;
    } else {
      error = L"expected an exit code or quiet, not " + a[i];
      return false;
    }
  }
  std::wstring box, window;
  bool ended = waitUntil(
      [&] {
        if (quiet) {
          for (const auto &w : VisibleTopLevelWindows()) {
            if (w.process != process.id) continue;
            if (IsMessageBox(w.hwnd)) {
              box = w.caption + L": " + MessageBoxText(w.hwnd);
            } else {
              window = w.caption;
            }
          }
        }
        return WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0;
      },
      timeoutMs_, quiet ? 2 : kPollMs);  // a window shown for a moment is seen only by looking often
  if (!window.empty()) Say(L"      note: " + a[0] + L" showed its window " + quoted(window) + L" for a moment");
  if (!box.empty()) {
    error = a[0] + L" showed the message box " + quoted(box);
    return false;
  }
  if (!ended) {
    error = a[0] + L" still runs after " + std::to_wstring(timeoutMs_ / 1000) + L" s";
    return false;
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.handle, &exitCode);
  // wine64 passes exit codes through whole here, but a host may cut them to 8 bits.
  if (checkCode && exitCode != static_cast<DWORD>(code) && (exitCode & 0xFF) != (static_cast<DWORD>(code) & 0xFF)) {
    error = a[0] + L" ended with exit code " + std::to_wstring(exitCode) + L", expected " + a[1];
    return false;
  }
  return true;
}

bool Runner::aliveStep(const Args &a, std::wstring &error) {
  Process process;
  if (!findProcess(a[0], process, error)) return false;
  if (WaitForSingleObject(process.handle, 0) == WAIT_OBJECT_0) {
    error = a[0] + L" has ended";
    return false;
  }
  return true;
}

bool Runner::windowStep(const Args &a, std::wstring &error) {
  std::wstring className = a.size() > 1 ? a[1] : L"";
  HWND found = nullptr;
  if (!waitUntil([&] { return (found = findWindow(a[0], className)) != nullptr; }, timeoutMs_)) {
    error = L"no window " + quoted(a[0]) + L" appeared within " + std::to_wstring(timeoutMs_ / 1000) + L" s";
    return false;
  }
  current_ = found;
  currentCaption_ = a[0];
  return true;
}

namespace {

// Finds a message box by caption whose text passes the test; remembers the texts of boxes with
// that caption that did not.
template <typename TextTest>
HWND findBox(const std::wstring &caption, TextTest test, std::wstring &others) {
  for (const auto &w : VisibleTopLevelWindows()) {
    if (w.caption != caption || !IsMessageBox(w.hwnd)) continue;
    std::wstring text = MessageBoxText(w.hwnd);
    if (test(text)) return w.hwnd;
    others = text;
  }
  return nullptr;
}

// The optional owner condition of box steps: "ownerless" or "owner=CAPTION".
bool ownerMatches(HWND box, const std::wstring &condition, std::wstring &error) {
  HWND owner = GetWindow(box, GW_OWNER);
  wchar_t caption[1024] = {};
  if (owner) GetWindowTextW(owner, caption, 1024);
  if (condition == L"ownerless") {
    if (!owner || !IsWindowVisible(owner)) return true;
    error = L"the box is owned by " + quoted(caption);
    return false;
  }
  if (condition.compare(0, 6, L"owner=") == 0) {
    if (owner && condition.substr(6) == caption) return true;
    error = owner ? L"the box is owned by " + quoted(caption) : L"the box has no owner";
    return false;
  }
  error = L"expected ownerless or owner=CAPTION, not " + condition;
  return false;
}

}  // namespace

bool Runner::boxStep(const Args &a, std::wstring &error) {
  HWND found = nullptr;
  std::wstring other;
  if (!waitUntil([&] { return (found = findBox(a[0], [&](const std::wstring &t) { return t == a[1]; }, other)) != nullptr; },
                 timeoutMs_)) {
    error = L"no message box " + quoted(a[0]) + L" with the text " + quoted(a[1]) + L" appeared";
    if (!other.empty()) error += L"; a box of that caption says " + quoted(other);
    return false;
  }
  if (a.size() > 2 && !ownerMatches(found, a[2], error)) return false;
  current_ = found;
  currentCaption_ = a[0];
  return true;
}

bool Runner::boxPartStep(const Args &a, std::wstring &error) {
  HWND found = nullptr;
  std::wstring other;
  auto test = [&](const std::wstring &t) { return t.find(a[1]) != std::wstring::npos; };
  if (!waitUntil([&] { return (found = findBox(a[0], test, other)) != nullptr; }, timeoutMs_)) {
    error = L"no message box " + quoted(a[0]) + L" containing " + quoted(a[1]) + L" appeared";
    if (!other.empty()) error += L"; a box of that caption says " + quoted(other);
    return false;
  }
  if (a.size() > 2 && !ownerMatches(found, a[2], error)) return false;
  current_ = found;
  currentCaption_ = a[0];
  return true;
}

bool Runner::noWindowStep(const Args &a, std::wstring &error) {
  long ms = 0;
  if (!parseNumber(a[1], ms) || ms < 0) {
    error = L"expected milliseconds, not " + a[1];
    return false;
  }
  if (waitUntil([&] { return findWindow(a[0], L"") != nullptr; }, static_cast<DWORD>(ms))) {
    error = L"the window " + quoted(a[0]) + L" appeared";
    return false;
  }
  return true;
}

bool Runner::goneStep(const Args &, std::wstring &error) {
  if (!current_) {
    error = L"no window has been found yet";
    return false;
  }
  HWND w = current_;
  if (!waitUntil([&] { return !IsWindow(w) || !IsWindowVisible(w); }, timeoutMs_)) {
    error = quoted(currentCaption_) + L" is still shown";
    return false;
  }
  return true;
}

bool Runner::pressStep(const Args &a, std::wstring &error) {
  if (!currentWindow(error)) return false;
  static const std::map<std::wstring, int> named = {{L"ok", IDOK},       {L"cancel", IDCANCEL}, {L"abort", IDABORT},
                                                    {L"retry", IDRETRY}, {L"ignore", IDIGNORE}, {L"yes", IDYES},
                                                    {L"no", IDNO}};
  HWND button = nullptr;
  long id = 0;
  auto name = named.find(a[0]);
  if (name != named.end()) {
    button = GetDlgItem(current_, name->second);
  } else if (parseNumber(a[0], id)) {
    button = GetDlgItem(current_, static_cast<int>(id));
  } else {
    for (HWND child = FindWindowExW(current_, nullptr, L"Button", nullptr); child;
         child = FindWindowExW(current_, child, L"Button", nullptr)) {
      std::wstring text;
      if (ReadWindowText(child, text) && withoutAmpersands(text) == a[0]) button = child;
    }
  }
  if (!button) {
    error = quoted(currentCaption_) + L" has no button " + a[0];
    return false;
  }
  if (!waitUntil([&] { return usable(button); }, timeoutMs_)) {
    error = L"the button " + a[0] + L" of " + quoted(currentCaption_) + L" cannot be clicked: " +
            (!IsWindowVisible(button) ? L"hidden" : !IsWindowEnabled(button) ? L"disabled" : L"its window is disabled");
    return false;
  }
  bool box = IsMessageBox(current_);
  HWND window = current_;
  PostMessageW(button, BM_CLICK, 0, 0);
  if (box && !waitUntil([&] { return !IsWindow(window); }, timeoutMs_)) {
    error = L"the message box " + quoted(currentCaption_) + L" did not close";
    return false;
  }
  return true;
}

bool Runner::typeStep(const Args &a, std::wstring &error) {
  HWND edit = nullptr;
  if (!control(a[0], edit, error)) return false;
  if (!waitUntil([&] { return usable(edit); }, timeoutMs_)) {
    error = L"the control " + a[0] + L" cannot be typed into";
    return false;
  }
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(a[1].c_str()), SMTO_ABORTIFHUNG, kAnswerMs,
                           &result)) {
    error = L"the control " + a[0] + L" does not answer";
    return false;
  }
  std::wstring now;
  if (!ReadWindowText(edit, now) || now != a[1]) {
    error = L"the control " + a[0] + L" shows " + quoted(now) + L" after typing";
    return false;
  }
  return true;
}

bool Runner::selectStep(const Args &a, std::wstring &error) {
  HWND combo = nullptr;
  if (!control(a[0], combo, error)) return false;
  std::vector<std::wstring> items;
  comboItems(combo, items);
  int index = -1;
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == a[1]) index = static_cast<int>(i);
  }
  if (index < 0) {
    error = L"the combo box " + a[0] + L" has no item " + quoted(a[1]);
    return false;
  }
  if (!waitUntil([&] { return usable(combo); }, timeoutMs_)) {
    error = L"the combo box " + a[0] + L" cannot be used";
    return false;
  }
  DWORD_PTR result = 0;
  SendMessageTimeoutW(combo, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result);
  int id = GetDlgCtrlID(combo);
  SendMessageTimeoutW(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo),
                      SMTO_ABORTIFHUNG, kAnswerMs, &result);
  return true;
}

bool Runner::checkStep(const Args &a, std::wstring &error) {
  HWND button = nullptr;
  bool want = false;
  if (!control(a[0], button, error) || !yesNo(a[1], want, error)) return false;
  auto state = [&] {
    DWORD_PTR checked = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &checked);
    return checked == BST_CHECKED;
  };
  if (state() == want) return true;
  if (!waitUntil([&] { return usable(button); }, timeoutMs_)) {
    error = L"the button " + a[0] + L" cannot be clicked";
    return false;
  }
  PostMessageW(button, BM_CLICK, 0, 0);
  if (!waitUntil([&] { return state() == want; }, timeoutMs_)) {
    error = L"the button " + a[0] + L" does not change its state";
    return false;
  }
  return true;
}

bool Runner::expectStep(const Args &a, std::wstring &error) {
  HWND c = nullptr;
  if (!control(a[0], c, error)) return false;
  std::wstring text;
  if (!waitUntil([&] { return ReadWindowText(c, text) && text == a[1]; }, timeoutMs_)) {
    error = L"the control " + a[0] + L" shows " + quoted(text) + L", expected " + quoted(a[1]);
    return false;
  }
  return true;
}

bool Runner::expectPartStep(const Args &a, std::wstring &error) {
  HWND c = nullptr;
  if (!control(a[0], c, error)) return false;
  std::wstring text;
  if (!waitUntil([&] { return ReadWindowText(c, text) && text.find(a[1]) != std::wstring::npos; }, timeoutMs_)) {
    error = L"the control " + a[0] + L" shows " + quoted(text) + L", which lacks " + quoted(a[1]);
    return false;
  }
  return true;
}

bool Runner::itemsStep(const Args &a, std::wstring &error) {
  HWND combo = nullptr;
  if (!control(a[0], combo, error)) return false;
  std::vector<std::wstring> items;
  comboItems(combo, items);
  Args want(a.begin() + 1, a.end());
  if (items == want) return true;
  error = L"the combo box " + a[0] + L" holds";
  for (const auto &i : items) error += L" " + quoted(i);
  return false;
}

bool Runner::selectedStep(const Args &a, std::wstring &error) {
  HWND combo = nullptr;
  if (!control(a[0], combo, error)) return false;
  std::wstring now;
  auto selection = [&] {
    DWORD_PTR index = 0;
    std::vector<std::wstring> items;
    SendMessageTimeoutW(combo, CB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &index);
    comboItems(combo, items);
    now = index < items.size() ? items[index] : L"(nothing)";
    return now == a[1];
  };
  if (!waitUntil(selection, timeoutMs_)) {
    error = L"the combo box " + a[0] + L" has " + quoted(now) + L" selected";
    return false;
  }
  return true;
}

bool Runner::controlStateStep(const Args &a, BOOL(WINAPI *state)(HWND), const wchar_t *notYet,
                              const wchar_t *notAnyMore, std::wstring &error) {
  HWND c = nullptr;
  bool want = false;
  if (!control(a[0], c, error) || !yesNo(a[1], want, error)) return false;
  if (!waitUntil([&] { return (state(c) != FALSE) == want; }, timeoutMs_)) {
    error = L"the control " + a[0] + (want ? notYet : notAnyMore);
    return false;
  }
  return true;
}

bool Runner::shownStep(const Args &a, std::wstring &error) {
  return controlStateStep(a, IsWindowVisible, L" stays hidden", L" stays visible", error);
}

bool Runner::enabledStep(const Args &a, std::wstring &error) {
  return controlStateStep(a, IsWindowEnabled, L" stays disabled", L" stays enabled", error);
}

bool Runner::progressStep(const Args &a, std::wstring &error) {
  HWND bar = nullptr;
  long least = 0;
  if (!control(a[0], bar, error)) return false;
  if (!parseNumber(a[1], least)) {
    error = L"expected a position, not " + a[1];
    return false;
  }
  DWORD_PTR position = 0;
  auto reached = [&] {
    SendMessageTimeoutW(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &position);
    return static_cast<long>(position) >= least;
  };
  if (!waitUntil(reached, timeoutMs_)) {
    error = L"the progress bar stays at " + std::to_wstring(position);
    return false;
  }
  return true;
}

bool Runner::readStep(const Args &a, std::wstring &error) {
  HWND c = nullptr;
  if (!control(a[0], c, error)) return false;
  std::wstring text;
  ReadWindowText(c, text);
  Say(L"      " + a[0] + L": " + quoted(text));
  return true;
}

bool Runner::hostStep(const Args &a, std::wstring &error) {
  std::wstring request;
  for (const auto &w : a) request += (request.empty() ? L"" : L" ") + w;
  std::wstring answer;
  if (!HostRequest(request, 60000, answer)) {
    error = L"host: " + answer;
    return false;
  }
  return true;
}

bool Runner::shotStep(const Args &a, std::wstring &error) {
  if (!HostAvailable()) {
    Say(L"      (no host: screenshot " + a[0] + L" skipped)");
    return true;
  }
  // Let every window finish what it was asked to do and paint before the picture is taken.
  for (const auto &w : VisibleTopLevelWindows()) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(w.hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
  }
  Sleep(300);
  return hostStep(Args{L"shot", a[0]}, error);
}

bool Runner::fileStep(const Args &a, std::wstring &error) {
  if (!waitUntil([&] { return PathIsFile(a[0]); }, timeoutMs_)) {
    error = L"there is no file " + a[0];
    return false;
  }
  return true;
}

bool Runner::noFileStep(const Args &a, std::wstring &error) {
  if (!waitUntil([&] { return !PathIsFile(a[0]); }, timeoutMs_)) {
    error = L"the file " + a[0] + L" exists";
    return false;
  }
  return true;
}

bool Runner::dirStep(const Args &a, std::wstring &error) {
  if (!waitUntil([&] { return PathIsFolder(a[0]); }, timeoutMs_)) {
    error = L"there is no folder " + a[0];
    return false;
  }
  return true;
}

bool Runner::noDirStep(const Args &a, std::wstring &error) {
  if (!waitUntil([&] { return !PathIsFolder(a[0]); }, timeoutMs_)) {
    error = L"the folder " + a[0] + L" exists";
    return false;
  }
  return true;
}

bool Runner::sameStep(const Args &a, std::wstring &error) {
  std::wstring difference;
  if (SameContents(a[0], a[1], difference)) return true;
  error = a[0] + L" and " + a[1] + L" differ: " + difference;
  return false;
}

bool Runner::regStep(const Args &a, std::wstring &error) {
  HKEY root = RootKey(a[0]);
  if (!root) {
    error = L"unknown registry root " + a[0];
    return false;
  }
  std::wstring value;
  if (!ReadRegistryString(root, a[1], a[2], value, error)) return false;
  if (value != a[3]) {
    error = a[2] + L" is " + quoted(value) + L", expected " + quoted(a[3]);
    return false;
  }
  return true;
}

// noreg ROOT KEY [NAME]: the key (or that value of it) does not exist.
bool Runner::noRegStep(const Args &a, std::wstring &error) {
  HKEY root = RootKey(a[0]);
  if (!root) {
    error = L"unknown registry root " + a[0];
    return false;
  }
  if (a.size() == 2) {
    if (!RegistryKeyExists(root, a[1])) return true;
    error = L"the key " + a[1] + L" exists";
    return false;
  }
  std::wstring value, ignored;
  if (!ReadRegistryString(root, a[1], a[2], value, ignored)) return true;
  error = L"the value " + a[2] + L" exists: " + quoted(value);
  return false;
}

bool Runner::linkStep(const Args &a, std::wstring &error) {
  ShortcutFacts facts;
  if (!ReadShortcut(a[0], facts, error)) return false;
  std::wstring wrong;
  if (facts.target != a[1]) wrong += L" target " + quoted(facts.target);
  if (facts.folder != a[2]) wrong += L" folder " + quoted(facts.folder);
  if (facts.description != a[3]) wrong += L" description " + quoted(facts.description);
  if (!facts.arguments.empty()) wrong += L" arguments " + quoted(facts.arguments);
  if (facts.showCommand != SW_SHOWNORMAL) wrong += L" show command " + std::to_wstring(facts.showCommand);
  if (wrong.empty()) return true;
  error = a[0] + L" has" + wrong;
  return false;
}

// setvar NAME TEXT | setvar NAME reg ROOT KEY VALUE | setvar NAME inf PATH KEY [INDEX]
// A registry value or inf value that does not exist sets the variable empty (and says so): checks
// are the business of reg and the file steps.
bool Runner::setVarStep(const Args &a, std::wstring &error) {
  std::wstring value;
  if (a.size() == 2) {
    value = a[1];
  } else if (a[1] == L"reg" && a.size() == 5) {
    HKEY root = RootKey(a[2]);
    if (!root) {
      error = L"unknown registry root " + a[2];
      return false;
    }
    std::wstring missing;
    if (!ReadRegistryString(root, a[3], a[4], value, missing)) Say(L"      " + missing);
  } else if (a[1] == L"inf" && (a.size() == 4 || a.size() == 5)) {
    std::vector<std::wstring> values;
    long index = 0;
    if (a.size() == 5 && !parseNumber(a[4], index)) {
      error = L"expected an index, not " + a[4];
      return false;
    }
    if (!ReadInfValues(a[2], a[3], values)) {
      Say(L"      cannot read " + a[2]);
    } else if (index < 0 || static_cast<size_t>(index) >= values.size()) {
      Say(L"      " + a[2] + L" has no value " + std::to_wstring(index) + L" of " + a[3]);
    } else {
      value = values[static_cast<size_t>(index)];
    }
  } else {
    error = L"expected setvar NAME TEXT, setvar NAME reg ROOT KEY VALUE or setvar NAME inf PATH KEY [INDEX]";
    return false;
  }
  SetEnvironmentVariableW(a[0].c_str(), value.c_str());
  Say(L"      " + a[0] + L" = " + quoted(value));
  return true;
}

bool Runner::showRegStep(const Args &a, std::wstring &error) {
  HKEY root = RootKey(a[0]);
  if (!root) {
    error = L"unknown registry root " + a[0];
    return false;
  }
  std::vector<std::wstring> lines;
  if (!ListRegistryValues(root, a[1], lines, error)) {
    Say(L"      " + error);
    return true;
  }
  Say(L"      " + a[0] + L"\\" + a[1]);
  for (const auto &l : lines) Say(L"        " + l);
  return true;
}

bool Runner::showTextStep(const Args &a, std::wstring &) {
  std::string bytes;
  if (!ReadWholeFile(a[0], bytes)) {
    Say(L"      no file " + a[0]);
    return true;
  }
  Say(L"      " + a[0] + L" (cp932):");
  std::wstring text = WideFromCp932(bytes);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    Say(L"        " + line);
    start = end + 1;
  }
  return true;
}

bool Runner::listStep(const Args &a, std::wstring &) {
  if (!PathIsFolder(a[0])) {
    Say(L"      no folder " + a[0]);
    return true;
  }
  Say(L"      " + a[0]);
  for (const auto &l : ListTree(a[0])) Say(L"        " + l);
  return true;
}

bool Runner::showLinkStep(const Args &a, std::wstring &) {
  ShortcutFacts facts;
  std::wstring error;
  if (!ReadShortcut(a[0], facts, error)) {
    Say(L"      " + error);
    return true;
  }
  Say(L"      " + a[0]);
  Say(L"        target " + quoted(facts.target) + L", folder " + quoted(facts.folder) + L", description " +
      quoted(facts.description));
  return true;
}

bool Runner::screenStep(const Args &, std::wstring &) {
  Say(DescribeScreen());
  return true;
}

// throttle NAME PERCENT: the process runs for PERCENT of the time (100: freely again).
bool Runner::throttleStep(const Args &a, std::wstring &error) {
  auto p = processes_.find(a[0]);
  if (p == processes_.end()) {
    error = L"no process was started as " + a[0];
    return false;
  }
  long percent = 0;
  if (!parseNumber(a[1], percent) || percent <= 0 || percent > 100) {
    error = L"expected a share of 1 to 100 percent, not " + a[1];
    return false;
  }
  Process &process = p->second;
  if (percent == 100) {
    delete process.throttle;
    process.throttle = nullptr;
    return true;
  }
  if (!process.throttle) process.throttle = new Throttle;
  if (!process.throttle->start(process.handle, static_cast<int>(percent))) {
    error = L"cannot slow " + a[0] + L" down";
    return false;
  }
  return true;
}
