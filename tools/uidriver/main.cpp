// uidriver: clicks through a program's windows from outside, following a scenario script.
//   uidriver.exe SCENARIO [NAME=VALUE ...]    runs the scenario; the pairs are set as variables
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
  if (argc < 2) {
    Say(L"usage: uidriver.exe SCENARIO [NAME=VALUE ...]");
    return 2;
  }
  for (int i = 2; i < argc; ++i) {
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
  if (!LoadScript(argv[1], steps, error)) {
    Say(L"uidriver: " + error);
    return 2;
  }
  Say(L"scenario " + std::wstring(argv[1]));
  Runner runner;
  bool passed = runner.run(steps);
  Say(passed ? L"PASSED" : L"FAILED");
  return passed ? 0 : 1;
}
