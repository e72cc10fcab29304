// Temporary-file-and-rename writing shared by every writer of user files.
#include "foundation/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/Txt.h"
#include "foundation/Txt_platform.h"

namespace {
std::atomic<AtomicWriteInterruption> g_interruption{nullptr};
}

void SetAtomicWriteInterruption(AtomicWriteInterruption hook) {
  g_interruption = hook;
}

int WriteFileAtomically(const char* path, const char* data, size_t size, CTxt& reason, bool commit) {
  if (!path || !*path) {
    reason = std::strerror(ENOENT);
    return -1;
  }
  std::string temp = std::string(path) + ".tmp~";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    reason = std::strerror(errno);
    return -1;
  }
  size_t written = size ? std::fwrite(data, 1, size, f) : 0;
  int error = written != size ? errno : 0;
  if (std::fflush(f) != 0 && !error) error = errno;
  if (commit && !error && txt_platform::CommitToDisk(f) != 0) error = errno;
  if (std::fclose(f) != 0 && !error) error = errno;
  if (written != size || error) {
    reason = std::strerror(error ? error : EIO);
    std::remove(temp.c_str());
    return -1;
  }
  AtomicWriteInterruption hook = g_interruption;
  if (hook && !hook(temp.c_str(), path)) {
    reason = "interrupted";
    return -1;
  }
  if (ReplaceFileWith(temp.c_str(), path, reason) < 0) {
    std::remove(temp.c_str());
    return -1;
  }
  return 0;
}
