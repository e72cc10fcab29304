// The operating-system side of the folder listings: enumerating a folder's names and reading a file's kind
// and times. FolderScan_win.cpp and FolderScan_posix.cpp implement it; the listing logic is portable.
#pragma once

#include <cstdint>
#include <string>

// A moment in local time, to the millisecond.
struct LocalStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct FileStatus {
  bool isFolder = false;
  int64_t modifiedSeconds = 0;  // last modification, seconds since 1970 (UTC)
  bool hasCreated =
      false;  // natively the last write time stands in where the file system keeps no creation time
  LocalStamp created;
  bool hasWritten = false;
  LocalStamp written;  // last write
};

// Enumerates the names in one folder (without "." and ".."), in the order the system returns them.
class FolderScan {
 public:
  FolderScan() = default;
  FolderScan(const FolderScan&) = delete;
  FolderScan& operator=(const FolderScan&) = delete;
  ~FolderScan();

  bool Open(const char* folder);                   // false when the folder cannot be read
  bool Next(std::string& name);                    // false at the end
  const void* Handle() const { return m_handle; }  // the system's search handle, for log lines

 private:
  void* m_handle = nullptr;
  std::string m_pending;  // Windows: the first name, returned by FindFirstFile itself
  bool m_hasPending = false;
};

// 0, or -1 when the entry's status cannot be read.
int ReadFileStatus(const char* path, FileStatus& status);
