#pragma once
// The install types of inst.inf: each a name and the ordered list of files it copies.
#include <list>
#include <string>

class InstTypeInfo {
 public:
  InstTypeInfo() = default;
  explicit InstTypeInfo(const std::string &typeName) : name(typeName) {}
  virtual ~InstTypeInfo() = default;

  std::string name;                // a value of InstType; also the key that lists the entries
  std::list<std::string> entries;  // paths relative to the source folder and to the install folder
};

class InstTypeList {
 public:
  virtual ~InstTypeList() = default;

  std::list<InstTypeInfo> types;  // in the order of the InstType values
  int count = 0;
};
