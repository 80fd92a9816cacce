#pragma once
// Text helpers of the UI driver: it works in UTF-16 inside, reads its scripts and writes its
// report in UTF-8, and reads the installer's files in cp932.
#include <string>

std::wstring WideFromUtf8(const std::string &utf8);
std::string Utf8FromWide(const std::wstring &wide);
std::wstring WideFromCp932(const std::string &cp932);

// A text as one readable line for the report: line breaks and tabs shown as \n and \t.
std::wstring Printable(const std::wstring &text);

// Writes a line of the report (UTF-8) to standard output, flushed at once.
void Say(const std::wstring &line);
