#pragma once
// Start-up costs of a large inst.inf: reading it, the first size display of the main dialog, and
// reading every value of one key.
#include <string>

namespace bench {

// folder holds inst.inf with one install type "Full" whose entries all exist below folder.
int RunStartup(const std::string &folder);

}  // namespace bench
