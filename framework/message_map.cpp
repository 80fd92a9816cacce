#include "framework/message_map.h"

namespace {
bool matches(const MessageEntry &entry, const MessageArgs &args) {
  if (args.message < entry.messageFirst || args.message > entry.messageLast) return false;
  if (args.message != WM_COMMAND) return true;
  return entry.code == HIWORD(args.wParam) && entry.id == LOWORD(args.wParam);
}
}  // namespace

const MessageEntry *MessageMap::find(const MessageArgs &args) const {
  for (const MessageMap *map = this; map != nullptr; map = map->base != nullptr ? map->base() : nullptr) {
    for (const MessageEntry *entry = map->entries; entry != nullptr && entry->thunk != nullptr; ++entry) {
      if (matches(*entry, args)) return entry;
    }
  }
  return nullptr;
}
