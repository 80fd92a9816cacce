#include "config/reg_ctrl.h"

#include "config/reg_key.h"

#include <cstring>
#include <vector>

namespace {

bool createKey(HKEY root, const char *subkey, RegKey &handle) {
  return RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                         handle.out(), nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool RegCtrl::open(const char *path, int openMode, HKEY rootKey) {
  mode = openMode;
  root = rootKey;
  const size_t length = path != nullptr ? std::strlen(path) : 0;
  if (length >= sizeof subkey) {
    // A cut path would name another key, and a later save would write there.
    subkey[0] = '\0';
    return false;
  }
  std::memcpy(subkey, path != nullptr ? path : "", length + 1);

  RegKey handle;
  const REGSAM access = mode == MODE_READ ? KEY_READ : KEY_ALL_ACCESS;
  if (RegOpenKeyExA(root, subkey, 0, access, handle.out()) != ERROR_SUCCESS) {
    *handle.out() = nullptr;  // a failed open may leave anything there
    if (mode != MODE_UPDATE || !createKey(root, subkey, handle)) return false;
  }

  DWORD valueCount = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyA(handle.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                       &longestName, &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    valueCount = 0;
  }
  // The longest name may be counted in UTF-16 units, while a cp932 name takes up to two bytes for each.
  std::vector<char> name(static_cast<size_t>(longestName) * 2 + 1);
  std::vector<BYTE> data(static_cast<size_t>(longestData) + 1);
  for (DWORD index = 0; index < valueCount; ++index) {
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = longestData;
    DWORD type = 0;
    if (RegEnumValueA(handle.get(), index, name.data(), &nameSize, nullptr, &type, data.data(), &dataSize) !=
        ERROR_SUCCESS) {
      continue;
    }
    if (dataSize > longestData) dataSize = longestData;
    const char *bytes = reinterpret_cast<const char *>(data.data());
    std::string value;
    if (type == REG_SZ) {
      const void *zero = std::memchr(bytes, 0, dataSize);
      value.assign(bytes, zero != nullptr ? static_cast<const char *>(zero) - bytes : dataSize);
    } else if (type == REG_BINARY) {
      value.assign(bytes, dataSize);
    } else {
      continue;  // numbers, expandable and multi-part texts are neither held nor written back
    }
    values.emplace(std::string(name.data(), nameSize), value);  // the first of equal names is kept
  }
  isOpen = true;
  return true;
}

bool RegCtrl::get(const char *name, std::string &out) const {
  const auto it = values.find(name != nullptr ? name : "");
  if (it == values.end()) {
    out.clear();
    return false;
  }
  out = it->second;
  return true;
}

bool RegCtrl::set(const char *name, const std::string &value) {
  if (mode != MODE_UPDATE) return false;
  values[name != nullptr ? name : ""] = value;
  return true;
}

bool RegCtrl::close(bool save) {
  if (!isOpen || subkey[0] == '\0') return false;
  if (mode != MODE_UPDATE || !save) {
    isOpen = false;
    return true;
  }
  RegKey handle;
  if (!createKey(root, subkey, handle)) return false;
  for (const auto &entry : values) {
    const std::string &value = entry.second;
    const BYTE *bytes = reinterpret_cast<const BYTE *>(value.c_str());
    if (value.find('\0') != std::string::npos) {
      RegSetValueExA(handle.get(), entry.first.c_str(), 0, REG_BINARY, bytes, static_cast<DWORD>(value.size()));
    } else {
      RegSetValueExA(handle.get(), entry.first.c_str(), 0, REG_SZ, bytes, static_cast<DWORD>(value.size() + 1));
    }
  }
  isOpen = false;
  return true;
}
