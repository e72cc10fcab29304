// File-system services of the file utilities on POSIX systems; the progress window, which needs the
// Windows progress-window program, is switched off here.
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>

#include "foundation/SysFiles_platform.h"
#include "foundation/SysUtil.h"

namespace sysfiles_platform {

bool Stat(const char* path, FileStatus& status) {
  struct stat info;
  if (stat(path, &info) != 0) return false;
  status.folder = S_ISDIR(info.st_mode);
  status.size = static_cast<int64_t>(info.st_size);
  status.modTime = static_cast<int64_t>(info.st_mtime);
  return true;
}

bool SameFile(const char* a, const char* b) {
  struct stat sa, sb;
  if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int MakeFolder(const char* path) {
  return mkdir(path, 0777) == 0 ? 0 : errno;
}

int RemoveFile(const char* path) {
  return unlink(path) == 0 ? 0 : errno;
}

int ClearAttributes(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) return errno;
  return chmod(path, (info.st_mode & 07777) | S_IRUSR | S_IWUSR) == 0 ? 0 : errno;
}

// One file tree: every drive letter stands for the root file system.
double FreeBytes(int /*driveNumber*/) {
  struct statvfs info;
  if (statvfs("/", &info) != 0) return -4;
  return static_cast<double>(info.f_bavail) * static_cast<double>(info.f_frsize);
}

}  // namespace sysfiles_platform

int GaugetteUpdate(const char* /*text*/, int /*index*/, int /*count*/) {
  return 99;
}
void GaugetteMessage(const char* /*first*/, const char* /*second*/) {}
void GaugetteClose() {}
