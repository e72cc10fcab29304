// Windows-only system services: starting programs with the launch prefix language, the text editor,
// browser and spreadsheet viewers, file-type registration, the program's registry store, the folder
// picker, system queries and small window helpers. Included only by Windows code.
#pragma once

#include <windows.h>

#include <cstdint>

class CTxt;

// --- Starting programs ---------------------------------------------------------------------------------
// A launch command is a target preceded by optional prefix characters, in this order:
//   '^' open the target (a file) in the text editor (setting SYS/EDITOR, default NOTEPAD);
//   '<' wait for the program to end and return its exit code;
//   '#' show-window and full-screen start flags;   '~' start minimised;   '@' show-window start flag;
//   '!' the rest is the command line as it is. Without '!' the target must be an existing file, which is
//       opened with its associated program ("cmd /C").
// Returns 1 started, the exit code when waited for, -1 (file missing, message box shown), or -(system error)
// when the program could not start (message box only with showError = 1). A wait ends after waitLimitMs
// at the latest (the program keeps running) with -(WAIT_TIMEOUT).
constexpr DWORD kLaunchWaitLimitMs = 60 * 60 * 1000;
int LaunchProcess(const char* command, int showError, DWORD waitLimitMs = kLaunchWaitLimitMs);

// LaunchProcess of '^' + file when the file exists; 0 (nothing done) otherwise.
int OpenInEditor(const char* file);

// Opens an address or a file in the web browser; wait = 1 waits (bounded as LaunchProcess) for it to end.
// 0 started, -1 failure ("Cannot start '%s' (%d)" box captioned "View Error").
int OpenBrowser(const char* target, int wait);
// The browser program from the registry's http open command: the blank-separated words without argument
// placeholders ("%1", "\"%1\"") and addresses ("http:..."), '\' turned into '/'. Returns the length of out.
int BrowserFromOpenCommand(const char* registryText, CTxt& out);

// Shows a CSV file. mode (any case): 'D' the associated program, 'N' the text editor, 'S' Tabulon.exe of
// the current folder, 'I' the viewer of setting SYS/Tabuloner, 'X' the spreadsheet of setting SYS/CSVEXE
// (searched for as EXCEL.EXE when it does not exist). wait = 1 waits for the viewer. LaunchProcess's result.
int ViewCSV(const char* file, int wait, char mode);

// Full path of an existing program: name itself when it is a file, else found along the search path
// (".exe" assumed). Returns the length of out, -1 not found.
int FindProgramInPath(const char* name, CTxt& out);

// Searches the tree under root (all subfolders, links to other places not followed) for a file named name
// ignoring case, visiting at most maxFolders folders. Each folder entered is logged under category.
// Returns the length of out ('/' form), -1 not found, -2 root missing, -3 stopped at the folder limit.
constexpr int kTreeSearchFolderLimit = 50000;
int FindFileInTree(const char* root, const char* name, CTxt& out, int maxFolders = kTreeSearchFolderLimit,
                   const char* category = "ViewCSV");

// --- Registry -----------------------------------------------------------------------------------------
// Registration and the program's store live under HKEY_LOCAL_MACHINE; when a write there is refused (a user
// without administrator rights) the same key paths are used under HKEY_CURRENT_USER instead.

// Associates ".ext" with program. 0 written, 2 already registered (and refresh = 0), -1 program missing
// ("Cannot find EXE %s" in msg), -2 a key could not be created, -3 a value could not be written.
int RegisterFileType(const char* ext, const char* program, const char* description, CTxt& msg,
                     const char* programName, int refresh);

// String values under Software\ZEL\<application> (null application: the executable's base name).
// RegistryRead: 0 read; a missing value gives def and is written with it (-2 when that write fails);
// -1 key not opened (create = 0) or not created (create = 1), out = def.
int RegistryRead(const char* name, CTxt& out, const char* def, const char* application = nullptr,
                 int create = 1);
// 0 written, -1 key not created, -2 value not written.
int RegistryWrite(const char* name, const char* text, const char* application = nullptr);

// --- Dialogs, system queries, windows ---------------------------------------------------------------------

// Folder picker. folder: in the start folder (empty: the current folder), out the choice or a message.
// Returns the length of the chosen path, 0 user aborted ("User aborted"), -1 "Out of Memory",
// -2 "Cannot get Directory(1)", -3 "Cannot get Directory (2)".
constexpr UINT kBrowseFileSystemFolders = 0x0001;  // BIF_RETURNONLYFSDIRS of <shlobj.h>
int BrowseForFolder(CTxt& folder, const char* title, HWND owner, UINT flags = kBrowseFileSystemFolders);

int GetComputerNameText(CTxt& out);  // length; -1 registry key not opened, -2 value not read
int GetOsVersionCode();              // major * 100 + minor (601 = Windows 7); 9x family 9500 + minor, 9800
// 2 available virtual, 3 total virtual, 4 total physical, other available physical memory; 99 is 2 before
// version 600 and available physical memory from then on.
uint64_t GetMemoryStatus(int selector);
double GetMemoryStatusMB(int selector);
// Special folder (CSIDL id) through SHGetFolderPathA of SHFolder.dll. Length, -1 interface missing,
// -3 no such folder; the message is then in out.
int GetSystemPath(int id, CTxt& out);

// 'D' disable (value 1) or enable, 'L' limit text length, 'R' read-only, 'S' ShowWindow(value), 'T' to the
// top of the z-order, 'V' set (value 1) or clear the visible style. The call's result; -1 bad letter.
int SetWindowState(HWND window, char letter, int value);
// 1 when ancestor is the window's parent at any depth, else 0.
int IsChildWindowOf(HWND window, HWND ancestor);
