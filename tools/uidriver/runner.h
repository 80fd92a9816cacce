#pragma once
// Runs a scenario step by step against the windows of the desktop, the way a user would click
// through it, and reports each step. The steps are listed in tools/uidriver/README.md.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tools/uidriver/script.h"
#include "tools/uidriver/throttle.h"

class Runner {
 public:
  Runner();
  virtual ~Runner();
  Runner(const Runner &) = delete;
  Runner &operator=(const Runner &) = delete;

  // Runs every step in order; stops at the first failure, reports it and returns false.
  bool run(const std::vector<Step> &steps);
  // Quiet: passed steps are not reported, only what the steps show and a failure.
  void setQuiet(bool quiet) { quiet_ = quiet; }

 private:
  using Args = std::vector<std::wstring>;
  using Handler = bool (Runner::*)(const Args &, std::wstring &);
  struct Command {
    Handler handler;
    size_t minArgs;
    size_t maxArgs;
  };
  struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    Throttle *throttle = nullptr;  // owned; set while the process is slowed down
  };

  template <typename Condition>
  bool waitUntil(Condition condition, DWORD timeoutMs, DWORD pollMs = 50);
  bool currentWindow(std::wstring &error);
  bool control(const std::wstring &idText, HWND &hwnd, std::wstring &error);
  HWND findWindow(const std::wstring &caption, const std::wstring &className);
  bool findProcess(const std::wstring &name, Process &process, std::wstring &error);

  bool timeoutStep(const Args &a, std::wstring &error);
  bool sleepStep(const Args &a, std::wstring &error);
  bool echoStep(const Args &a, std::wstring &error);
  bool startStep(const Args &a, std::wstring &error);
  bool exitedStep(const Args &a, std::wstring &error);
  bool aliveStep(const Args &a, std::wstring &error);
  bool windowStep(const Args &a, std::wstring &error);
  bool boxStep(const Args &a, std::wstring &error);
  bool boxPartStep(const Args &a, std::wstring &error);
  bool noWindowStep(const Args &a, std::wstring &error);
  bool goneStep(const Args &a, std::wstring &error);
  bool pressStep(const Args &a, std::wstring &error);
  bool typeStep(const Args &a, std::wstring &error);
  bool selectStep(const Args &a, std::wstring &error);
  bool checkStep(const Args &a, std::wstring &error);
  bool expectStep(const Args &a, std::wstring &error);
  bool expectPartStep(const Args &a, std::wstring &error);
  bool itemsStep(const Args &a, std::wstring &error);
  bool selectedStep(const Args &a, std::wstring &error);
  // Waits until state(control) is what the step's yes/no asks for.
  bool controlStateStep(const Args &a, BOOL(WINAPI *state)(HWND), const wchar_t *notYet, const wchar_t *notAnyMore,
                        std::wstring &error);
  bool shownStep(const Args &a, std::wstring &error);
  bool enabledStep(const Args &a, std::wstring &error);
  bool progressStep(const Args &a, std::wstring &error);
  bool readStep(const Args &a, std::wstring &error);
  bool hostStep(const Args &a, std::wstring &error);
  bool shotStep(const Args &a, std::wstring &error);
  bool fileStep(const Args &a, std::wstring &error);
  bool noFileStep(const Args &a, std::wstring &error);
  bool dirStep(const Args &a, std::wstring &error);
  bool noDirStep(const Args &a, std::wstring &error);
  bool sameStep(const Args &a, std::wstring &error);
  bool regStep(const Args &a, std::wstring &error);
  bool noRegStep(const Args &a, std::wstring &error);
  bool linkStep(const Args &a, std::wstring &error);
  bool setVarStep(const Args &a, std::wstring &error);
  bool showRegStep(const Args &a, std::wstring &error);
  bool showTextStep(const Args &a, std::wstring &error);
  bool listStep(const Args &a, std::wstring &error);
  bool showLinkStep(const Args &a, std::wstring &error);
  bool screenStep(const Args &a, std::wstring &error);
  bool throttleStep(const Args &a, std::wstring &error);

  std::map<std::wstring, Command> commands_;
  std::map<std::wstring, Process> processes_;
  DWORD timeoutMs_ = 10000;
  bool quiet_ = false;
  HWND current_ = nullptr;       // the window that control steps act on
  std::wstring currentCaption_;  // its caption when it was found, for messages
};
