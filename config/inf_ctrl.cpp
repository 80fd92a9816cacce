#include "config/inf_ctrl.h"

#include <climits>
#include <cstdio>
#include <cstring>

namespace {

const size_t kMaxToken = 1023;  // longest key or value that a file can give

// Bytes that end the token being read (SPACE too, outside double quotes; it is turned into a TAB first).
bool isSeparator(unsigned char c) {
  switch (c) {
    case '\t': case '\n': case '\r': case '"': case ',': case '=': case '{': case '}': case '\0':
      return true;
    default:
      return false;
  }
}

// First byte of a cp932 two-byte character; the byte after it belongs to the token whatever its value.
bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Splits the text of an inf file into statements of a key and its values.
class InfParser {
 public:
  using Sink = std::multimap<std::string, std::string, ByteOrder>;
  explicit InfParser(Sink &target) : entries(target) {}
  virtual ~InfParser() = default;

  void feed(const unsigned char *bytes, size_t size) {
    for (size_t i = 0; i < size; ++i) take(bytes[i]);
  }
  // A token that no separator has ended is dropped at the end of the file, as if never read.

 private:
  void take(unsigned char c) {
    if (!secondPending) {
      if (c == ';') {  // ends the statement everywhere: inside quotes and inside a comment too
        token.clear();
        inComment = false;
        expectingKey = true;
        return;
      }
      if (c == '#') {  // the token goes on; the LF or semicolon that ends the comment decides its fate
        inComment = true;
        return;
      }
      if (c == '\n') inComment = false;
      if (c == '"') quoted = !quoted;  // flips inside a comment as well
      if (c == ' ' && !quoted) c = '\t';
    }
    if (inComment) return;
    if (secondPending) {
      append(c);
      secondPending = false;
      return;
    }
    if (isLeadByte(c)) {
      append(c);
      secondPending = true;
      return;
    }
    if (isSeparator(c)) {
      endToken();
      return;
    }
    append(c);
  }

  void append(unsigned char c) {
    if (token.size() < kMaxToken) token.push_back(static_cast<char>(c));
  }

  void endToken() {
    if (token.empty()) return;
    if (expectingKey) {
      key = token;
      expectingKey = false;
    } else {
      entries.emplace(key, token);  // placed after the values already held under key
    }
    token.clear();
  }

  Sink &entries;
  std::string token;
  std::string key;
  bool quoted = false;  // carried across statements and lines
  bool inComment = false;
  bool expectingKey = true;
  bool secondPending = false;
};

// Plain decimal conversion that saturates instead of overflowing.
int toInt(const std::string &text) {
  const char *p = text.c_str();
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

const std::string &sharedEmpty() {
  static const std::string empty;
  return empty;
}

}  // namespace

bool InfCtrl::open(const char *filePath, int openMode) {
  mode = openMode;
  const size_t length = filePath != nullptr ? std::strlen(filePath) : 0;
  if (length >= sizeof path) {
    // A cut path would name another file, and a later save would write there.
    path[0] = '\0';
    return false;
  }
  std::memcpy(path, filePath != nullptr ? filePath : "", length + 1);

  if (mode != MODE_READ && mode != MODE_UPDATE) {
    isOpen = true;
    return true;
  }
  // Text mode: CR LF arrives as LF, and a byte 0x1A ends the file.
  FILE *file = std::fopen(path, "r");
  if (file == nullptr) return false;
  InfParser parser(entries);
  unsigned char buffer[16384];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) parser.feed(buffer, got);
  std::fclose(file);  // a read error counts as the end of the file
  isOpen = true;
  return true;
}

bool InfCtrl::close(bool save) {
  if (!isOpen || path[0] == '\0') return false;
  if ((mode != MODE_WRITE && mode != MODE_UPDATE) || !save) {
    isOpen = false;
    return true;
  }
  // Text mode: every LF is stored as CR LF.
  FILE *file = std::fopen(path, "w");
  if (file == nullptr) return false;
  if (!comment.empty()) std::fprintf(file, "#%s\n", comment.c_str());
  const std::string *previousKey = nullptr;
  for (const auto &entry : entries) {
    // A statement without a key cannot be read back, and its values would spoil the statement after it.
    if (entry.first.empty()) continue;
    if (previousKey == nullptr || *previousKey != entry.first) {
      if (previousKey != nullptr) std::fputs(";\n", file);
      std::fprintf(file, "%s =\n\t\"%s\"", entry.first.c_str(), entry.second.c_str());
      previousKey = &entry.first;
    } else {
      std::fprintf(file, ",\n\t\"%s\"", entry.second.c_str());
    }
  }
  if (previousKey != nullptr) std::fputs(";", file);
  std::fclose(file);
  isOpen = false;
  return true;
}

int InfCtrl::count(const char *key) const {
  const auto range = entries.equal_range(key != nullptr ? key : "");
  int n = 0;
  for (auto it = range.first; it != range.second; ++it) ++n;
  return n;
}

const std::string &InfCtrl::get(const char *key, int index) const {
  const std::string wanted = key != nullptr ? key : "";
  Entries::const_iterator it;
  int at = 0;
  if (cursor.valid && index >= cursor.index && cursor.key == wanted) {
    it = cursor.at;
    at = cursor.index;
  } else {
    it = entries.lower_bound(wanted);
    if (it == entries.end() || it->first != wanted) return sharedEmpty();
  }
  for (; at < index; ++at) {
    ++it;
    if (it == entries.end() || it->first != wanted) return sharedEmpty();
  }
  cursor.valid = true;
  cursor.key = wanted;
  cursor.index = at;
  cursor.at = it;
  return it->second;
}

bool InfCtrl::getString(const char *key, int index, std::string &out) const {
  out = get(key, index);
  return !out.empty();
}

bool InfCtrl::getInt(const char *key, int index, int &out) const {
  const std::string &value = get(key, index);
  out = toInt(value);
  return !value.empty();
}

bool InfCtrl::add(const char *key, const std::string &value) {
  if (mode != MODE_WRITE && mode != MODE_UPDATE) return false;
  entries.emplace(key != nullptr ? key : "", value);
  return true;
}
