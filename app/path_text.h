#pragma once
// Small operations on path texts held as strings (cp932 bytes).
#include <string>

// True when the text ends in a backslash that is not the second byte of a double-byte character.
bool EndsWithBackslash(const std::string &text);
// Adds a backslash unless the text is empty or already ends in one.
void AddBackslash(std::string &text);
// The text without leading and trailing spaces.
std::string TrimBlanks(const std::string &text);
