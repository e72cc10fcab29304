// The clocks, local time, file times and Eastern offset of CZELDateTime on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include "foundation/DateTime_platform.h"

namespace datetime_platform {
namespace {

CZELDateTime::Clock FromTm(const struct tm& t, int millisecond) {
  return CZELDateTime::Clock{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,  t.tm_hour,
                             t.tm_min,         t.tm_sec,     millisecond};
}

struct timespec RealNow() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts;
}

}  // namespace

CZELDateTime::Clock LocalNow() {
  struct timespec ts = RealNow();
  struct tm t {};
  localtime_r(&ts.tv_sec, &t);
  return FromTm(t, static_cast<int>(ts.tv_nsec / 1000000));
}

CZELDateTime::Clock UtcNow() {
  struct timespec ts = RealNow();
  struct tm t {};
  gmtime_r(&ts.tv_sec, &t);
  return FromTm(t, static_cast<int>(ts.tv_nsec / 1000000));
}

CZELDateTime::Clock LocalFromUnix(int64_t secondsSince1970) {
  time_t s = static_cast<time_t>(secondsSince1970);
  struct tm t {};
  localtime_r(&s, &t);
  return FromTm(t, 0);
}

int64_t LocalMinusUtcSeconds() {
  time_t now = time(nullptr);
  struct tm t {};
  localtime_r(&now, &t);
  return t.tm_gmtoff;
}

// Windows derives this from the zone biases (standard minus active); here the C library's daylight-saving
// flag of the local zone gives the same rule.
int64_t EasternMinusUtcSeconds() {
  time_t now = time(nullptr);
  struct tm t {};
  localtime_r(&now, &t);
  return -5 * 3600 + (t.tm_isdst > 0 ? 3600 : 0);
}

bool FileTimeLocal(const char* path, char which, CZELDateTime::Clock& out) {
  time_t seconds = 0;
#if defined(STATX_BTIME)
  if (which == 'C') {
    struct statx sx {};
    if (statx(AT_FDCWD, path, 0, STATX_BTIME | STATX_CTIME, &sx) != 0) return false;
    // File systems without a birth time: the last status change is the nearest we have.
    seconds = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : sx.stx_ctime.tv_sec;
    out = LocalFromUnix(seconds);
    return true;
  }
#endif
  struct stat st {};
  if (stat(path, &st) != 0) return false;
  switch (which) {
    case 'A':
      seconds = st.st_atime;
      break;
    case 'C':
      seconds = st.st_ctime;
      break;
    default:
      seconds = st.st_mtime;
      break;  // 'M' and 'S'
  }
  out = LocalFromUnix(seconds);
  return true;
}

}  // namespace datetime_platform
