// The operating-system services behind CZELDateTime: clocks, local-time conversion, file times and the
// Eastern offset. DateTime_posix.cpp and DateTime_win.cpp define them.
#pragma once

#include <cstdint>

#include "foundation/DateTime.h"

namespace datetime_platform {

CZELDateTime::Clock LocalNow();
CZELDateTime::Clock UtcNow();
CZELDateTime::Clock LocalFromUnix(int64_t secondsSince1970);

// Seconds to add to UTC for the local time now (negative west of Greenwich).
int64_t LocalMinusUtcSeconds();
// Seconds to add to UTC for US Eastern time now: -5 hours, plus one hour while the local computer is on
// daylight-saving time.
int64_t EasternMinusUtcSeconds();

// A file's time in local time: 'A' access, 'C' creation, 'M' last write, 'S' the modification time of the
// file status. False when the file's times cannot be read.
bool FileTimeLocal(const char* path, char which, CZELDateTime::Clock& out);

}  // namespace datetime_platform
