// File-system services of the file utilities on Windows (ANSI file names, as everywhere in the system).
#include <windows.h>

#include "foundation/SysFiles_platform.h"
#include "foundation/WinHandles.h"

namespace sysfiles_platform {
namespace {

constexpr int64_t kUnixEpochIn100ns = 116444736000000000LL;

int64_t ToUnixSeconds(const FILETIME& ft) {
  ULARGE_INTEGER value;
  value.LowPart = ft.dwLowDateTime;
  value.HighPart = ft.dwHighDateTime;
  return (static_cast<int64_t>(value.QuadPart) - kUnixEpochIn100ns) / 10000000LL;
}

// Keeps Windows from asking the user to insert a disk while a missing drive is examined.
class QuietDriveErrors {
 public:
  QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &m_previous); }
  ~QuietDriveErrors() { SetThreadErrorMode(m_previous, nullptr); }
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  DWORD m_previous = 0;
};

using DiskFreeExFunction = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

}  // namespace

bool Stat(const char* path, FileStatus& status) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  status.folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  status.modTime = ToUnixSeconds(data.ftLastWriteTime);
  return true;
}

bool SameFile(const char* a, const char* b) {
  auto identify = [](const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    KernelHandle file(CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.Get(), &info);
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  if (!identify(a, ia) || !identify(b, ib)) return false;
  return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
         ia.nFileIndexLow == ib.nFileIndexLow;
}

int MakeFolder(const char* path) {
  return CreateDirectoryA(path, nullptr) ? 0 : static_cast<int>(GetLastError());
}

int RemoveFile(const char* path) {
  return DeleteFileA(path) ? 0 : static_cast<int>(GetLastError());
}

int ClearAttributes(const char* path) {
  return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) ? 0 : static_cast<int>(GetLastError());
}

double FreeBytes(int driveNumber) {
  char root[] = "A:\\";
  root[0] = static_cast<char>('A' + driveNumber - 1);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (!kernel) return -2;
  auto query = reinterpret_cast<DiskFreeExFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
  if (!query) return -3;
  QuietDriveErrors quiet;
  ULARGE_INTEGER available, total, free;
  if (query(root, &available, &total, &free)) return static_cast<double>(available.QuadPart);
  DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectors, &bytes, &freeClusters, &clusters)) return -4;
  return static_cast<double>(sectors) * bytes * freeClusters;
}

}  // namespace sysfiles_platform
