// Showing the step listing on Windows: the CSV viewer chosen by the user's settings.
#include "execution/AbortMarks.h"
#include "foundation/SysWin.h"

void OpenStepListViewer(const char* file, char mode) {
  ViewCSV(file, 0, mode);
}
