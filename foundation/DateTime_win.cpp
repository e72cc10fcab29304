// The clocks, local time, file times and Eastern offset of CZELDateTime on Windows, and the conversions
// from and to the system's time records.
#include <windows.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "foundation/DateTime_platform.h"

namespace datetime_platform {
namespace {

constexpr int64_t kUnixEpochAsFileTime = 116444736000000000LL;  // 100 ns ticks from 1601 to 1970

CZELDateTime::Clock FromSystemTime(const SYSTEMTIME& st) {
  return CZELDateTime::Clock{st.wYear,   st.wMonth,  st.wDay,         st.wHour,
                             st.wMinute, st.wSecond, st.wMilliseconds};
}

// A UTC file time in local time, with the daylight-saving rule of that date (not of today).
CZELDateTime::Clock LocalFromFileTime(const FILETIME& utc) {
  SYSTEMTIME st{}, local{};
  FileTimeToSystemTime(&utc, &st);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &st, &local)) local = st;
  return FromSystemTime(local);
}

int64_t SecondsOf(const SYSTEMTIME& st) {
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER u;
  u.LowPart = ft.dwLowDateTime;
  u.HighPart = ft.dwHighDateTime;
  return static_cast<int64_t>(u.QuadPart / 10000000ULL);
}

bool ReadRegistryLong(HKEY key, const char* name, LONG& out) {
  DWORD type = 0, size = sizeof(out);
  return RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&out), &size) == ERROR_SUCCESS &&
         type == REG_DWORD;
}

}  // namespace

CZELDateTime::Clock LocalNow() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return FromSystemTime(st);
}

CZELDateTime::Clock UtcNow() {
  SYSTEMTIME st{};
  GetSystemTime(&st);
  return FromSystemTime(st);
}

CZELDateTime::Clock LocalFromUnix(int64_t secondsSince1970) {
  ULARGE_INTEGER u;
  u.QuadPart = static_cast<ULONGLONG>(secondsSince1970 * 10000000LL + kUnixEpochAsFileTime);
  FILETIME ft{u.LowPart, u.HighPart};
  return LocalFromFileTime(ft);
}

int64_t LocalMinusUtcSeconds() {
  SYSTEMTIME utc{}, local{};
  GetSystemTime(&utc);
  if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return 0;
  return SecondsOf(local) - SecondsOf(utc);
}

// The zone's standard bias minus its active bias is 60 minutes exactly while daylight-saving time is on.
// The biases are the registry values the system keeps; where the key lacks them (Wine writes only the zone's
// name), the same biases come from the time-zone API.
int64_t EasternMinusUtcSeconds() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation", 0,
                    KEY_READ, &key) != ERROR_SUCCESS)
    return -18000;
  LONG bias = 0, activeBias = 0;
  bool ok = ReadRegistryLong(key, "Bias", bias) && ReadRegistryLong(key, "ActiveTimeBias", activeBias);
  RegCloseKey(key);
  if (!ok) {
    TIME_ZONE_INFORMATION zone{};
    DWORD id = GetTimeZoneInformation(&zone);
    if (id == TIME_ZONE_ID_INVALID) return -18000;
    bias = zone.Bias;
    activeBias = zone.Bias + (id == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : zone.StandardBias);
  }
  return (static_cast<int64_t>(bias) - activeBias - 300) * 60;
}

bool FileTimeLocal(const char* path, char which, CZELDateTime::Clock& out) {
  if (which == 'S') {
    struct _stat64 st {};
    if (_stat64(path, &st) != 0) return false;
    out = LocalFromUnix(st.st_mtime);
    return true;
  }
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return false;
  const FILETIME& ft = which == 'A'   ? data.ftLastAccessTime
                       : which == 'C' ? data.ftCreationTime
                                      : data.ftLastWriteTime;
  out = LocalFromFileTime(ft);
  return true;
}

}  // namespace datetime_platform

int CZELDateTime::SetDT(const _SYSTEMTIME* st) {
  if (!st) return -1;
  SetFromClock(datetime_platform::FromSystemTime(*st));
  return 0;
}

// File times are UTC; the value is the local time of that moment.
int CZELDateTime::SetDT(const _FILETIME* ft) {
  if (!ft) return -1;
  SetFromClock(datetime_platform::LocalFromFileTime(*ft));
  return 0;
}

void CZELDateTime::GetSYSTEMTIME(_SYSTEMTIME* st) const {
  *st = SYSTEMTIME{};
  st->wYear = static_cast<WORD>(GetYear());
  st->wMonth = m_month;
  st->wDay = m_day;
  st->wDayOfWeek = static_cast<WORD>(GetWeekDay());
  st->wHour = m_hour;
  st->wMinute = m_minute;
  st->wSecond = m_second;
}
