// uidriver: clicks through a program's windows from outside, following a scenario script.
//   uidriver.exe [--quiet] SCENARIO [NAME=VALUE ...]
//                                            runs the scenario; the pairs are set as variables;
//                                            quiet: only what the steps show, and a failure
//   uidriver.exe --version
// Exit code 0 when every step passed, 1 at the first failing step, 2 for a bad call or script.
#include <windows.h>

#include <string>
#include <vector>

#include "tools/uidriver/runner.h"
#include "tools/uidriver/script.h"
#include "tools/uidriver/text.h"

int wmain(int argc, wchar_t **argv) {
  if (argc >= 2 && std::wstring(argv[1]) == L"--version") {
    Say(L"uidriver 1");
    return 0;
  }
  int first = 1;
  bool quiet = argc >= 2 && std::wstring(argv[1]) == L"--quiet";
  if (quiet) ++first;
  if (argc <= first) {
    Say(L"usage: uidriver.exe [--quiet] SCENARIO [NAME=VALUE ...]");
    return 2;
  }
  for (int i = first + 1; i < argc; ++i) {
    std::wstring pair = argv[i];
    size_t equals = pair.find(L'=');
    if (equals == std::wstring::npos || equals == 0) {
      Say(L"uidriver: expected NAME=VALUE, not " + pair);
      return 2;
    }
    SetEnvironmentVariableW(pair.substr(0, equals).c_str(), pair.substr(equals + 1).c_str());
  }
  std::vector<Step> steps;
  std::wstring error;
  if (!LoadScript(argv[first], steps, error)) {
    Say(L"uidriver: " + error);
    return 2;
  }
  if (!quiet) Say(L"scenario " + std::wstring(argv[first]));
  Runner runner;
  runner.setQuiet(quiet);
  bool passed = runner.run(steps);
  if (!quiet || !passed) Say(passed ? L"PASSED" : L"FAILED");
  return passed ? 0 : 1;
}
