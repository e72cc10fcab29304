// Reading a whole file: the one reader behind every loader of outside files. A missing file is told apart
// from one that exists but cannot be read (held open without sharing, a folder, a read error), so that no
// caller ever mistakes an unreadable file for an empty one and writes over it.
#pragma once

#include <string>

class CTxt;

enum class FileReadResult { kRead, kMissing, kFailed };

// The file's bytes, untranslated. kMissing (content empty) when there is no such file or the path is empty;
// kFailed with the system's text for the failure in reason (no path: callers word their own message).
FileReadResult ReadWholeFile(const char* path, std::string& content, CTxt& reason);

// In-memory files for tests and fuzzers: while a path is registered here, ReadWholeFile gives its content
// instead of reading the disk (paths compared exactly). Registering an existing path replaces its content.
void SetMemoryFile(const std::string& path, const std::string& content);
// Makes ReadWholeFile fail for path with the system error given (as when another program holds the file
// open without sharing), while the file on disk stays writable: tests of the callers' refusal to write.
void SetFileReadFailure(const std::string& path, int error);
void RemoveMemoryFiles();  // both kinds
// For readers that stream a file instead of reading it whole: 0 when path is in neither table (the disk is
// not touched), 1 with the in-memory content, or the planted error.
int ReadMemoryFile(const char* path, std::string& content);
