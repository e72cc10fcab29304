// What the summary needs from the desktop: the wait cursor and opening a file with its registered program.
// Summary_win.cpp does both; natively there is no desktop and both do nothing.
#pragma once

void SummaryWaitCursor(bool on);
void OpenSummaryFile(const char* path);
