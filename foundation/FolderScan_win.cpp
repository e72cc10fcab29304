// Folder enumeration and file times on Windows: FindFirstFile/FindNextFile and GetFileAttributesEx.
#include <windows.h>

#include "foundation/FolderScan.h"

namespace {

// 100-ns ticks between 1 January 1601 (file times) and 1 January 1970.
constexpr int64_t kUnixEpochTicks = 116444736000000000LL;

bool ToLocal(const FILETIME& utc, LocalStamp& out) {
  SYSTEMTIME universal, local;
  if (!FileTimeToSystemTime(&utc, &universal)) return false;
  // The zone rules of the file's own date, not today's daylight-saving bias.
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return false;
  out.year = local.wYear;
  out.month = local.wMonth;
  out.day = local.wDay;
  out.hour = local.wHour;
  out.minute = local.wMinute;
  out.second = local.wSecond;
  out.millisecond = local.wMilliseconds;
  return true;
}

int64_t ToUnixSeconds(const FILETIME& ft) {
  int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return (ticks - kUnixEpochTicks) / 10000000;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

}  // namespace

FolderScan::~FolderScan() {
  if (m_handle) FindClose(m_handle);
}

bool FolderScan::Open(const char* folder) {
  if (m_handle) FindClose(m_handle);
  m_handle = nullptr;
  m_hasPending = false;
  std::string search = folder && *folder ? folder : ".";
  search += "/*";
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA(search.c_str(), &data);
  if (h == INVALID_HANDLE_VALUE) return false;
  m_handle = h;
  m_pending = data.cFileName;
  m_hasPending = true;
  return true;
}

bool FolderScan::Next(std::string& name) {
  if (!m_handle) return false;
  WIN32_FIND_DATAA data;
  for (;;) {
    if (m_hasPending) {
      m_hasPending = false;
      name = m_pending;
    } else if (FindNextFileA(m_handle, &data)) {
      name = data.cFileName;
    } else {
      return false;
    }
    if (!IsDotEntry(name.c_str())) return true;
  }
}

int ReadFileStatus(const char* path, FileStatus& status) {
  status = FileStatus();
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return -1;
  status.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  status.modifiedSeconds = ToUnixSeconds(data.ftLastWriteTime);
  status.hasCreated = ToLocal(data.ftCreationTime, status.created);
  status.hasWritten = ToLocal(data.ftLastWriteTime, status.written);
  return 0;
}
