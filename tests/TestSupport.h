// Helpers shared by the test programs: a private scratch folder per test and small file utilities.
#pragma once
#include <string>

namespace testsupport {

// A fresh, empty folder for the running test ('/' separators, no trailing separator), removed at exit.
std::string ScratchFolder();

// Writes bytes exactly as given (no CR LF translation); returns the path.
std::string WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// Folder of the checked-in test data ('/' separators).
std::string DataFolder();

}  // namespace testsupport
