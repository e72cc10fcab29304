// The rename step of atomic writing on Windows: MoveFileEx replaces an existing target.
#include <windows.h>

#include "foundation/AtomicFile.h"
#include "foundation/Txt.h"

int ReplaceFileWith(const char* from, const char* to, CTxt& reason) {
  // A reader may hold the target open for a moment (a viewer, the virus scanner): retry briefly.
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    if (GetLastError() != ERROR_ACCESS_DENIED && GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(25);
  }
  reason.GetSysErrMsg();  // already without the system's trailing line end
  return -1;
}
