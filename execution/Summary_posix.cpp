// Natively the summary runs without a desktop: no wait cursor, and the finished file is not opened.
#include "execution/Summary_platform.h"

void SummaryWaitCursor(bool) {}
void OpenSummaryFile(const char*) {}
