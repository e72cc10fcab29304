// The rename step of atomic writing on POSIX systems: rename(2) replaces the target in one step.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "foundation/AtomicFile.h"
#include "foundation/Txt.h"

int ReplaceFileWith(const char* from, const char* to, CTxt& reason) {
  if (std::rename(from, to) == 0) return 0;
  reason = std::strerror(errno);
  return -1;
}
