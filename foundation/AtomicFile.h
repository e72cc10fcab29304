// Whole-file replacement that never leaves a user's file half-written: the new content goes to a
// temporary file beside the target, which is then renamed over it in one step.
#pragma once

#include <cstddef>

class CTxt;

// Writes size bytes (untranslated) to path via "path.tmp~" and a rename; with commit the data is forced
// down to the device before the rename. Returns 0, or -1 with the system's text for the failure in reason
// (what strerror or the Windows message gives, no path: callers word their own message around it); on
// failure the original file is untouched.
int WriteFileAtomically(const char* path, const char* data, size_t size, CTxt& reason, bool commit = false);

// Renames from over to, replacing to when it exists. Returns 0 or -1 with the system's text in reason.
int ReplaceFileWith(const char* from, const char* to, CTxt& reason);

// Test hook: called after the temporary file is complete and before the rename. When it returns false
// the write stops there (as if the process died), leaving the temporary file and the original as they
// are, and WriteFileAtomically fails. Null (the default) lets every write finish.
using AtomicWriteInterruption = bool (*)(const char* tempPath, const char* targetPath);
void SetAtomicWriteInterruption(AtomicWriteInterruption hook);
