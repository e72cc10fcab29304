// CTxt's operating-system services for the native (POSIX) build.
#include <errno.h>
#include <string.h>
#include <unistd.h>

#include "foundation/Txt_platform.h"

namespace txt_platform {

std::string LastErrorText() {
  int error = errno;
  return strerror(error);
}

bool ExecutablePath(std::string& out) {
  std::string buffer(4096, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", &buffer[0], buffer.size());
    if (n < 0) return false;
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      out = buffer;
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool LoadResourceString(unsigned, std::string& out) {
  out.clear();
  return false;
}

int CommitToDisk(FILE* f) {
  if (fflush(f) != 0) return -1;
  return fsync(fileno(f));
}

}  // namespace txt_platform
