// filehold.exe FILE READY RELEASE [SECONDS]: opens FILE for reading and writing with no sharing, as an
// editor, backup program or virus scanner may, creates READY once it holds the file, and lets go when
// RELEASE exists or after SECONDS (default 60). Exit code 0 after holding, 2 when FILE could not be opened.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: filehold FILE READY RELEASE [SECONDS]\n");
    return 1;
  }
  HANDLE held = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (held == INVALID_HANDLE_VALUE) return 2;
  HANDLE ready = CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  int seconds = argc > 4 ? std::atoi(argv[4]) : 60;
  for (int waited = 0; waited < seconds * 20; ++waited) {
    if (GetFileAttributesA(argv[3]) != INVALID_FILE_ATTRIBUTES) break;
    Sleep(50);
  }
  CloseHandle(held);
  return 0;
}
