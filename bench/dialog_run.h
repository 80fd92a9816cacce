#pragma once
// Responsiveness of the real main dialog while its copy driver copies a folder.
#include <string>

namespace bench {

// Installs every file below source (no trailing backslash) into dest through the main dialog (start
// button, questions answered, shortcut dialog confirmed), while a message is posted to the dialog
// every 10 ms; prints how long those messages waited until the dialog handled them.
int RunDialogCopy(const std::string &source, const std::string &dest);

}  // namespace bench
