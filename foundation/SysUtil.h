// System utilities every platform has: file copy, move and delete, folder paths, file status, free disk
// space, and the progress window (which does nothing where there is no progress-window program).
// The Windows-only services (starting programs, shell, registry, dialogs) are declared in SysWin.h.
#pragma once

#include <cstdint>

// --- Files -----------------------------------------------------------------------------------------------

// Copies source to target through a 60,010-byte buffer. 0 on success, also at once when both names are equal
// ignoring case; -1 source missing, -2 existing target not deleted, -3 no memory for a buffer, -4 source not
// opened or not read, -5 target not opened, -6 short write, -7 target missing afterwards.
int CopyFileTo(const char* source, const char* target);

// Renames oldPath to newPath, replacing newPath; falls back to CopyFileTo (oldPath then stays) when the
// rename fails. 0 on success or when the names are equal ignoring case; otherwise CopyFileTo's code. A
// missing oldPath gives -1 and leaves newPath alone.
int MoveFileTo(const char* oldPath, const char* newPath);

// 0 deleted, 1 not there, -1 the read-only attribute could not be cleared, -(system error) delete failed.
int DeleteFileForced(const char* path, int clearReadOnly);

// Creates every folder along path ('/' or '\' separators; a leading "\\" pair is kept). With lastIsFile = 1
// the last component is a file name and is not created. 0 when the folder is there afterwards, otherwise
// the last folder-creation error as a negative number.
int CreateFolderPath(const char* path, int lastIsFile);

int IsFolder(const char* path);         // 1 folder, 0 file, -1 empty name, -2 missing
int64_t FileSizeOf(const char* path);   // bytes, -1 missing, -2 empty name
int64_t FileModTime(const char* path);  // seconds since 1970, 0 for the device name NUL, -1 missing

// Free space available to the caller on a drive given as a letter ('C', 'c') or a number 1-26 (1 = A).
// unit 'B' bytes, 'G' gigabytes (1024^3), anything else megabytes (1024^2). -1 bad drive, -2 kernel32
// not found, -3 the extended query not found, -4 query failed. Natively the system has one file tree:
// every valid drive reports the root file system.
double GetDiskFree(int drive, char unit);

// The separator rules of CTxt::MakeFn and MakeFnDOS on a plain NUL-terminated buffer, in place.
// Both return the new length.
int MakeFnChars(char* path);
int MakeFnDOSChars(char* path);

// "Y", "YES", "TRUE", "ON" (any case) or a number above 0 give 1; anything else (and null) 0.
int TextToBool(const char* text);

// --- Progress window ---------------------------------------------------------------------------------------
// On Windows these drive the separate progress-window program (Gaugette.exe, started from the current
// folder when its window is not there; protocol in GaugetteProtocol.h). Natively there is no progress
// window: GaugetteUpdate returns 99 (feature off) and the other two do nothing.

// Shows "index + 1 of count - text" and a bar of (index + 1) * 100 / (count + 1) percent (50 when count is
// 1 or less). 0 shown, 1 the window was closed (percentage from -100 to below 0), 99 the feature is off (a
// percentage below -100 switches it off for the rest of the process), -1 the window did not appear.
int GaugetteUpdate(const char* text, int index, int count);
void GaugetteMessage(const char* first, const char* second);
void GaugetteClose();
