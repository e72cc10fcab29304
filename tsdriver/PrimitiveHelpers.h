// Small helpers that every driver operation file uses: the driver's integer settings, window handles in log
// lines, class checks and the focus-and-capture habit. Windows only.
#pragma once

#include <windows.h>

namespace tsdriver {

// An integer setting of section "Tavrin" (a missing key is written back with its default).
int Setting(const char* key, int def);

// Seconds each chart load wait (the load passes, the download log, the data cache) may take at most:
// FmtWaitLoadWaitSec, or its default where the setting is 0 or less, so that no load wait is endless.
int LoadWaitLimitSec();

// A window handle for "%p" in log lines.
void* AsPtr(HWND window);

// True when the window exists and its class equals cls (without regard to case).
bool HasClass(HWND window, const char* cls);

// Focus and capture follow the driver's habit of acting like a user; on another thread's window the system
// may refuse both, which changes nothing for the messages that follow.
void FocusAndCapture(HWND window);

}  // namespace tsdriver
