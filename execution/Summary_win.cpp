// The summary's desktop side on Windows: the hourglass while it works, and the finished file opened with the
// program registered for CSV files.
#include "execution/Summary_platform.h"
#include "foundation/SysWin.h"

void SummaryWaitCursor(bool on) {
  static HCURSOR previous = nullptr;
  if (on) {
    previous = SetCursor(LoadCursor(nullptr, IDC_WAIT));
  } else {
    SetCursor(previous ? previous : LoadCursor(nullptr, IDC_ARROW));
    previous = nullptr;
  }
}

void OpenSummaryFile(const char* path) {
  LaunchProcess(path, 1);
}
