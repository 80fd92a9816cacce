#pragma once
// Expected contents of an InfCtrl and the file form the writer gives for them.
#include <string>
#include <utility>
#include <vector>

#include "config/inf_ctrl.h"
#include "gtest/gtest.h"

// Keys in their expected (unsigned byte) order, each with its values in order.
using Entries = std::vector<std::pair<std::string, std::vector<std::string>>>;

// The bytes close(true) writes for these entries: CR LF line ends, no line end after the final semicolon.
inline std::string writerForm(const Entries &entries, const std::string &comment = "") {
  std::string text;
  if (!comment.empty()) text += "#" + comment + "\n";
  for (size_t k = 0; k < entries.size(); ++k) {
    if (k > 0) text += ";\n";
    text += entries[k].first + " =\n";
    for (size_t v = 0; v < entries[k].second.size(); ++v) {
      if (v > 0) text += ",\n";
      text += "\t\"" + entries[k].second[v] + "\"";
    }
  }
  if (!entries.empty()) text += ";";
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

// Every expected key answers count and get with exactly its values.
inline void expectLookups(const InfCtrl &inf, const Entries &expected) {
  for (const auto &entry : expected) {
    const char *key = entry.first.c_str();
    ASSERT_EQ(inf.count(key), static_cast<int>(entry.second.size())) << "key " << testing::PrintToString(entry.first);
    for (size_t i = 0; i < entry.second.size(); ++i) {
      EXPECT_EQ(inf.get(key, static_cast<int>(i)), entry.second[i]) << "key " << testing::PrintToString(entry.first);
    }
    EXPECT_EQ(inf.get(key, static_cast<int>(entry.second.size())), "");
  }
}
