// Temporary-file-and-rename writing shared by every writer of user files.
#include "foundation/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "foundation/Txt.h"

namespace {
std::atomic<AtomicWriteInterruption> g_interruption{nullptr};
}

void SetAtomicWriteInterruption(AtomicWriteInterruption hook) { g_interruption = hook; }

int WriteFileAtomically(const char* path, const char* data, size_t size, CTxt& err) {
  if (!path || !*path) {
    err = "Missing filename";
    return -1;
  }
  std::string temp = std::string(path) + ".tmp~";
  FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) {
    err.Format("Cannot open '%s' (%s)", temp.c_str(), std::strerror(errno));
    return -1;
  }
  size_t written = size ? std::fwrite(data, 1, size, f) : 0;
  bool flushed = std::fflush(f) == 0;
  bool closed = std::fclose(f) == 0;
  if (written != size || !flushed || !closed) {
    err.Format("Cannot write '%s' (%s)", temp.c_str(), std::strerror(errno));
    std::remove(temp.c_str());
    return -1;
  }
  AtomicWriteInterruption hook = g_interruption;
  if (hook && !hook(temp.c_str(), path)) {
    err.Format("Write of '%s' interrupted", path);
    return -1;
  }
  if (ReplaceFileWith(temp.c_str(), path, err) < 0) {
    std::remove(temp.c_str());
    return -1;
  }
  return 0;
}
