// Natively there is no CSV viewer to start: the listing stays in its file and the log says where.
#include "execution/AbortMarks.h"
#include "foundation/Log.h"

void OpenStepListViewer(const char* file, char mode) {
  LogTrace("RemoteTS", kLogDetail, "Step list written to %s (viewer %c not available here)", file, mode);
}
