// The settings object: reading inst.inf, and the state of the copy job between the start button and the end.
#include "app/inst_settings.h"

#include <climits>
#include <cstring>

#include "config/setup_log.h"
#include "framework/prompt.h"

InstSettings::InstSettings() : messageRoutine(ShowPrompt) {}

InstSettings::~InstSettings() = default;

int InstSettings::loadInstInf(const char *infPath, InstTypeList &types) {
  // The store keeps a path buffer of its own; a longer path would open some other file.
  if (infPath == nullptr || std::strlen(infPath) >= MAX_PATH) return 3;
  if (!inf.open(infPath, MODE_READ)) return 3;
  int typeCount = inf.count("InstType");
  for (int i = 0; i < typeCount; ++i) {
    InstTypeInfo type(inf.get("InstType", i));
    int entryCount = inf.count(type.name.c_str());
    for (int j = 0; j < entryCount; ++j) type.entries.push_back(inf.get(type.name.c_str(), j));
    types.types.push_back(type);
    types.count = static_cast<int>(types.types.size());
  }
  copyJob.setDiscIDs(inf.get("GameDiscID", 0), inf.get("DataDiscID", 0));
  inf.close(false);
  return 0;
}

bool InstSettings::requestCancel() {
  if (!prepared || !copyJob.isRunning()) return false;
  return copyJob.requestCancel();
}

void InstSettings::reset() {
  prepared = false;
  messageRoutine = ShowPrompt;
  copyJob.deactivate();
}

IoResult InstSettings::poll() {
  IoResult result;
  if (!prepared) {
    result.status = COPY_NOT_PREPARED;
    return result;
  }
  IoResult stepped = copyJob.step();
  if (stepped.status == COPY_ALL_DONE) prepared = false;
  copiedKB = stepped.count;
  // A total far too small must not overflow the percentage.
  double ratio = getProgress() * 100.0;
  int percent = ratio < static_cast<double>(INT_MAX) ? static_cast<int>(ratio) : INT_MAX;
  trace.print("total", "%d", static_cast<int>(totalKB));
  trace.print("copyed", "%d", static_cast<int>(copiedKB));
  trace.print("percent", "%d [%%]", percent);
  result.status = stepped.status;
  result.count = static_cast<DWORD>(percent);
  return result;
}

double InstSettings::getProgress() const {
  if (totalKB == 0) return 0.0;
  return static_cast<double>(copiedKB) / static_cast<double>(totalKB);
}

int InstSettings::showMessage(const char *text, const char *caption, UINT flags) const {
  if (messageRoutine == nullptr) return 0;
  return messageRoutine(nullptr, text, caption, flags);
}
