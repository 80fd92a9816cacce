#pragma once
// Scenario scripts: one step per line, words separated by blanks, a word with blanks in double
// quotes, lines starting with # are comments. Words are expanded when their step runs:
// %NAME% is the environment variable NAME (the Unix environment shows through, and `setvar`
// adds to it), %NAME?TEXT% the same or TEXT (maybe empty) when it is not set, %n% a line feed,
// %t% a tab, %q% a double quote and %% a percent sign.
#include <string>
#include <vector>

struct Step {
  int line = 0;
  std::wstring source;              // the line as written, for the report
  std::vector<std::wstring> words;  // unexpanded
};

// Reads a UTF-8 scenario. On a syntax error returns false and describes it in error.
bool LoadScript(const std::wstring &path, std::vector<Step> &steps, std::wstring &error);

// Expands one word as described above; false (and error) for an unknown variable.
bool ExpandWord(const std::wstring &word, std::wstring &out, std::wstring &error);
