// CTxt's operating-system services for the Windows build.
#include <windows.h>
#include <io.h>

#include <cstdio>

#include "foundation/Txt_platform.h"

namespace txt_platform {

std::string LastErrorText() {
  DWORD error = GetLastError();
  char buffer[1001];
  DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                             buffer, sizeof(buffer) - 1, nullptr);
  if (n == 0) {
    snprintf(buffer, sizeof(buffer), "Error %lu", static_cast<unsigned long>(error));
    return buffer;
  }
  // System messages end in CR LF (and sometimes a blank); callers embed the text in their own lines.
  while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n' || buffer[n - 1] == ' ')) --n;
  return std::string(buffer, n);
}

bool ExecutablePath(std::string& out) {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      out = buffer;
      return true;
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool LoadResourceString(unsigned id, std::string& out) {
  char buffer[4100];  // a string resource holds at most 4,097 characters
  int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof(buffer));
  out.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  return n > 0;
}

int CommitToDisk(FILE* f) {
  if (fflush(f) != 0) return -1;
  return _commit(_fileno(f));
}

}  // namespace txt_platform
