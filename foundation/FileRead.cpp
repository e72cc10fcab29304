// The whole-file reader and its in-memory file table.
#include "foundation/FileRead.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "foundation/Txt.h"

namespace {

struct MemoryFiles {
  std::mutex lock;
  std::map<std::string, std::string> files;
  std::map<std::string, int> failures;
};

MemoryFiles& Memory() {
  static MemoryFiles memory;
  return memory;
}

// 0 when path is not in the table, 1 when its content was copied, else the planted error.
int ReadFromMemory(const char* path, std::string& content) {
  MemoryFiles& m = Memory();
  std::lock_guard<std::mutex> guard(m.lock);
  if (m.files.empty() && m.failures.empty()) return 0;
  auto failure = m.failures.find(path);
  if (failure != m.failures.end()) return failure->second;
  auto found = m.files.find(path);
  if (found == m.files.end()) return 0;
  content = found->second;
  return 1;
}

FileReadResult Failure(int error, CTxt& reason, std::string& content) {
  content.clear();
  reason = std::strerror(error);
  return FileReadResult::kFailed;
}

}  // namespace

int ReadMemoryFile(const char* path, std::string& content) {
  content.clear();
  return path && *path ? ReadFromMemory(path, content) : 0;
}

FileReadResult ReadWholeFile(const char* path, std::string& content, CTxt& reason) {
  content.clear();
  if (!path || !*path) return FileReadResult::kMissing;
  int fromMemory = ReadFromMemory(path, content);
  if (fromMemory == 1) return FileReadResult::kRead;
  if (fromMemory) return Failure(fromMemory, reason, content);
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    int error = errno;
    if (error == ENOENT) return FileReadResult::kMissing;
    return Failure(error, reason, content);
  }
  struct stat info;
  if (fstat(fileno(f), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR) {
    std::fclose(f);
    return Failure(EISDIR, reason, content);  // a folder opens on some systems but has no content
  }
  char chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) content.append(chunk, got);
  int error = std::ferror(f) ? (errno ? errno : EIO) : 0;
  std::fclose(f);
  if (error) return Failure(error, reason, content);
  return FileReadResult::kRead;
}

void SetMemoryFile(const std::string& path, const std::string& content) {
  MemoryFiles& m = Memory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.files[path] = content;
}

void SetFileReadFailure(const std::string& path, int error) {
  MemoryFiles& m = Memory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.failures[path] = error;
}

void RemoveMemoryFiles() {
  MemoryFiles& m = Memory();
  std::lock_guard<std::mutex> guard(m.lock);
  m.files.clear();
  m.failures.clear();
}
