// Folder enumeration and file times on POSIX systems (the native build): opendir/readdir and statx/stat.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <ctime>

#include "foundation/FolderScan.h"

namespace {

LocalStamp ToLocal(int64_t seconds, long nanoseconds) {
  time_t t = static_cast<time_t>(seconds);
  struct tm parts {};
  localtime_r(&t, &parts);
  LocalStamp s;
  s.year = parts.tm_year + 1900;
  s.month = parts.tm_mon + 1;
  s.day = parts.tm_mday;
  s.hour = parts.tm_hour;
  s.minute = parts.tm_min;
  s.second = parts.tm_sec;
  s.millisecond = static_cast<int>(nanoseconds / 1000000);
  return s;
}

}  // namespace

FolderScan::~FolderScan() {
  if (m_handle) closedir(static_cast<DIR*>(m_handle));
}

bool FolderScan::Open(const char* folder) {
  if (m_handle) closedir(static_cast<DIR*>(m_handle));
  m_handle = opendir(folder && *folder ? folder : ".");
  return m_handle != nullptr;
}

bool FolderScan::Next(std::string& name) {
  if (!m_handle) return false;
  while (dirent* entry = readdir(static_cast<DIR*>(m_handle))) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
    name = entry->d_name;
    return true;
  }
  return false;
}

int ReadFileStatus(const char* path, FileStatus& status) {
  status = FileStatus();
#if defined(STATX_BTIME)
  struct statx sx {};
  if (statx(AT_FDCWD, path, 0, STATX_BASIC_STATS | STATX_BTIME, &sx) == 0) {
    status.isFolder = S_ISDIR(sx.stx_mode);
    status.modifiedSeconds = sx.stx_mtime.tv_sec;
    status.hasWritten = true;
    status.written = ToLocal(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
    status.hasCreated = true;
    // File systems that keep no creation time give the last write time in its place.
    status.created =
        (sx.stx_mask & STATX_BTIME) ? ToLocal(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec) : status.written;
    return 0;
  }
#endif
  struct stat st {};
  if (stat(path, &st) != 0) return -1;
  status.isFolder = S_ISDIR(st.st_mode);
  status.modifiedSeconds = st.st_mtim.tv_sec;
  status.hasWritten = true;
  status.written = ToLocal(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  status.hasCreated = true;
  status.created = status.written;
  return 0;
}
