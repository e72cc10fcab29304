// The few operating-system services that CTxt needs; Txt_posix.cpp and Txt_win.cpp define them.
#pragma once

#include <cstdio>
#include <string>

namespace txt_platform {

// The system's text for the calling thread's last error (errno natively, GetLastError on Windows), without
// a trailing line end. Must be called before anything else can change that error.
std::string LastErrorText();

// Full path of the running executable; false when the system does not tell it.
bool ExecutablePath(std::string& out);

// The program's string resource id (LoadString on Windows); false, out empty, when there is none (always
// natively: the native build has no resources).
bool LoadResourceString(unsigned id, std::string& out);

// Forces the written data of f down to the device (fsync, or _commit on Windows); 0 on success.
int CommitToDisk(FILE* f);

}  // namespace txt_platform
