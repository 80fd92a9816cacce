#pragma once
// Files and folders for test fixtures: whole-file bytes, folder trees, and the Wine prefix seen through Z:.
#include <string>

// The Wine prefix as a DOS path through Z:, without a trailing backslash.
std::string PrefixDosPath();
// A folder of the prefix's drive tree: DriveFolder('d') is what D: shows.
std::string DriveFolder(char letter);

// Writes the file anew with exactly these bytes; fails the test when it cannot.
void WriteBytes(const std::string &path, const std::string &bytes);
// The whole file; "<missing>" when it cannot be opened.
std::string ReadBytes(const std::string &path);
bool Exists(const std::string &path);
bool IsFolder(const std::string &path);
// Creates the folder and the missing ones above it.
void MakeFolders(const std::string &folder);
// Removes the folder with everything in it (attributes cleared first); a trailing backslash is allowed.
void RemoveTree(const std::string &folder);
