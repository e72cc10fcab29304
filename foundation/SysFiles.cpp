// Portable file utilities: copy, move, delete, folder paths and file status over stdio and a thin
// platform layer (SysFiles_platform.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "foundation/SysFiles_platform.h"
#include "foundation/SysUtil.h"
#include "foundation/Txt.h"

namespace sp = sysfiles_platform;

namespace {

constexpr int kCopyBufferBytes = 60010;
constexpr int kCopyBufferStep = 1000;
constexpr int kCopyBufferMinimum = 1000;

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

bool Exists(const char* path) {
  sp::FileStatus status;
  return sp::Stat(path, status);
}

// Equal names ignoring case and the kind of separator, or two spellings of one existing file: a copy
// onto itself must never delete its own source.
bool SameTarget(const char* a, const char* b) {
  std::string na(a), nb(b);
  MakeFnChars(&na[0]);
  MakeFnChars(&nb[0]);
  if (CompareNoCase(na.c_str(), nb.c_str(), 1) == 0) return true;
  return sp::SameFile(a, b);
}

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

std::unique_ptr<char[]> TakeCopyBuffer(int& size) {
  for (size = kCopyBufferBytes; size >= kCopyBufferMinimum; size -= kCopyBufferStep) {
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (buffer) return buffer;
  }
  return nullptr;
}

// Copies all bytes; 0, or -4 read error, -6 short write (also a failed close, which loses buffered data).
int CopyContent(FILE* in, FilePtr out, char* buffer, int size) {
  for (;;) {
    size_t got = fread(buffer, 1, static_cast<size_t>(size), in);
    if (got > 0 && fwrite(buffer, 1, got, out.get()) != got) return -6;
    if (got < static_cast<size_t>(size)) break;
  }
  if (ferror(in)) return -4;
  return fclose(out.release()) == 0 ? 0 : -6;
}

}  // namespace

int CopyFileTo(const char* source, const char* target) {
  if (!source || !target || !*source || !*target) return -1;
  if (SameTarget(source, target)) return 0;
  if (!Exists(source)) return -1;
  if (Exists(target) && sp::RemoveFile(target) != 0) return -2;
  int size = 0;
  std::unique_ptr<char[]> buffer = TakeCopyBuffer(size);
  if (!buffer) return -3;
  FilePtr in(fopen(source, "rb"));
  if (!in) return -4;
  FilePtr out(fopen(target, "wb"));
  if (!out) return -5;
  int result = CopyContent(in.get(), std::move(out), buffer.get(), size);
  if (result != 0) return result;
  return Exists(target) ? 0 : -7;
}

int MoveFileTo(const char* oldPath, const char* newPath) {
  if (!oldPath || !newPath || !*oldPath || !*newPath) return -1;
  if (SameTarget(oldPath, newPath)) return 0;
  // Checked first: deleting newPath for a move that cannot happen would lose it for nothing.
  if (!Exists(oldPath)) return -1;
  if (Exists(newPath)) sp::RemoveFile(newPath);
  if (std::rename(oldPath, newPath) == 0) return 0;
  return CopyFileTo(oldPath, newPath);
}

int DeleteFileForced(const char* path, int clearReadOnly) {
  if (!path || !*path || !Exists(path)) return 1;
  if (clearReadOnly == 1 && sp::ClearAttributes(path) != 0) return -1;
  int error = sp::RemoveFile(path);
  return error == 0 ? 0 : -error;
}

int CreateFolderPath(const char* path, int lastIsFile) {
  if (!path || !*path) return -1;
  std::string whole(path);
  while (whole.size() > 1 && IsSeparator(whole.back())) whole.pop_back();
  // A leading "\\" pair belongs to a network name: the first folder starts after it.
  size_t start = (whole.size() > 1 && whole[0] == '\\' && whole[1] == '\\') ? 2 : 1;
  size_t lastSeparator = std::string::npos;
  int lastError = 0;
  auto makeOne = [&lastError](const std::string& folder) {
    if (folder.empty() || folder.back() == ':') return;  // a drive name is no folder to create
    int error = sp::MakeFolder(folder.c_str());
    if (error != 0 && IsFolder(folder.c_str()) != 1) lastError = error;
  };
  for (size_t i = start; i < whole.size(); ++i) {
    if (!IsSeparator(whole[i])) continue;
    lastSeparator = i;
    makeOne(whole.substr(0, i));
  }
  std::string wanted = whole;
  if (lastIsFile == 1) {
    if (lastSeparator == std::string::npos) return 0;  // a bare file name: no folder to create
    wanted = whole.substr(0, lastSeparator);
  } else {
    makeOne(whole);
  }
  if (IsFolder(wanted.c_str()) == 1) return 0;
  return lastError != 0 ? -lastError : -1;
}

int IsFolder(const char* path) {
  if (!path || !*path) return -1;
  sp::FileStatus status;
  if (!sp::Stat(path, status)) return -2;
  return status.folder ? 1 : 0;
}

int64_t FileSizeOf(const char* path) {
  if (!path || !*path) return -2;
  sp::FileStatus status;
  if (!sp::Stat(path, status)) return -1;
  return status.size;
}

int64_t FileModTime(const char* path) {
  if (!path || !*path) return -1;
  if (CompareNoCase(path, "NUL", 1) == 0) return 0;
  sp::FileStatus status;
  if (!sp::Stat(path, status)) return -1;
  return status.modTime;
}

double GetDiskFree(int drive, char unit) {
  int number = 0;
  if (drive >= 1 && drive <= 26)
    number = drive;
  else if (drive >= 'A' && drive <= 'Z')
    number = drive - 'A' + 1;
  else if (drive >= 'a' && drive <= 'z')
    number = drive - 'a' + 1;
  else
    return -1;
  double bytes = sp::FreeBytes(number);
  if (bytes < 0) return bytes;
  if (unit == 'B') return bytes;
  if (unit == 'G') return bytes / (1024.0 * 1024.0 * 1024.0);
  return bytes / (1024.0 * 1024.0);
}

int MakeFnChars(char* path) {
  if (!path || !*path) return 0;
  int n = static_cast<int>(strlen(path));
  for (int i = 0; i < n; ++i) {
    if (path[i] != '\\') continue;
    if (i + 1 < n && path[i + 1] == '\\') {
      ++i;  // a pair of backslashes (network prefix) stays as it is
      continue;
    }
    path[i] = '/';
  }
  while (n > 0 && path[n - 1] == '/') path[--n] = '\0';
  return n;
}

int MakeFnDOSChars(char* path) {
  if (!path || !*path) return 0;
  int n = static_cast<int>(strlen(path));
  for (int i = 0; i < n; ++i) {
    if (path[i] == '\\' && i + 1 < n && path[i + 1] == '\\') {
      ++i;
      continue;
    }
    if (path[i] == '/') path[i] = '\\';
  }
  while (n > 0 && path[n - 1] == '/') path[--n] = '\0';
  while (n > 0 && path[n - 1] == '\\') path[--n] = '\0';
  return n;
}

int TextToBool(const char* text) {
  if (!text || !*text) return 0;
  static const char* const kTrue[] = {"Y", "YES", "TRUE", "ON"};
  for (const char* word : kTrue)
    if (CompareNoCase(text, word, 1) == 0) return 1;
  return atof(text) > 0 ? 1 : 0;
}
