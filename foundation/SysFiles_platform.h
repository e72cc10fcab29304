// The few file-system services SysFiles.cpp needs from the operating system; SysFiles_posix.cpp and
// SysFiles_win.cpp define them. Error numbers are positive system codes (errno or GetLastError).
#pragma once

#include <cstdint>

namespace sysfiles_platform {

struct FileStatus {
  bool folder = false;
  int64_t size = 0;
  int64_t modTime = 0;  // seconds since 1970
};

// False when path does not exist (or cannot be examined).
bool Stat(const char* path, FileStatus& status);
// True when both names lead to the same existing file (links, "." and ".." segments, other spellings).
bool SameFile(const char* a, const char* b);
int MakeFolder(const char* path);       // 0 or the system error
int RemoveFile(const char* path);       // 0 or the system error
int ClearAttributes(const char* path);  // 0 or the system error; leaves a normal, writable file
// Free bytes available to the caller on drive 1-26 (1 = A), or the negative code of GetDiskFree.
double FreeBytes(int driveNumber);

}  // namespace sysfiles_platform
