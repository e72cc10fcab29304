// The process's day log: one line per call with category, date, time, level letter and text.
// Every thread may call LogTrace; each line reaches the file in a single write under a lock.
#pragma once

#include <cstddef>

// Levels: 0 for ordinary lines, higher numbers for more detailed ones (level n shows as the letter 'a' + n -
// 1).
constexpr int kLogNormal = 0;
constexpr int kLogDetail = 1;
constexpr int kLogDebug = 2;

// Size of the formatting buffer of LogTrace and LogBox; longer texts are reported in a box and logged cut.
constexpr int kLogTextMax = 10000;
// Longest log path kept for the main window.
constexpr int kLogPathMax = 1000;

// Formats one line (printf style) and hands it to WriteLogLine. category may be null (no category and no
// date column). Returns WriteLogLine's result, or the formatting result when it is below 1 (nothing written).
int LogTrace(const char* category, int level, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

// The log sink: at the first call of the process decides from the setting "WriteLog" whether to open the
// day's file "<program folder>/logs/YYYYMMDD/<program name>.log" (or the folder set by SetLogFolder);
// every call passes the text to the status sink, then to LogOutput.
int WriteLogLine(const char* category, const char* text, int level);

// Writes one line, or carries out a command when category is "*OPENLOG" (text = path, option 1 = start
// empty; 1, -1 already open, -2 cannot open), "*FLUSH", "*CLOSE" or "*COPY" (copy to "LogCpy.tmp" in the
// current folder). Any other category is an ordinary one. Returns 0 when no log is open.
int LogOutput(const char* category, const char* text, int levelOrOption);

// Logs "caption: text" in category "MessageBox", then shows a message box with an OK button (Windows);
// natively it only logs. Returns the button that closed the box (1, OK, natively).
int LogBox(const char* caption, const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// --- Hooks for the application ----------------------------------------------------------------------

// Path of the open log file ('/' separators, at most kLogPathMax characters), "" before the log is opened.
// The main window reads it to open the log. The returned pointer stays valid for the whole process.
const char* GetLogPath();

// Receives every line given to WriteLogLine (before it is written), on the thread that logs it. The main
// window plugs in here to show the latest line as its status text. Null removes the sink.
using LogStatusSink = void (*)(void* context, const char* category, const char* text, int level);
void SetLogStatusSink(LogStatusSink sink, void* context);

// Puts the day's log under FOLDER/logs/YYYYMMDD/ instead of the program folder, for this process. Must be
// called before the first log line (tests, tools that run from a read-only folder). Null or "" undoes it.
void SetLogFolder(const char* folder);

// The message boxes of LogBox and of the overrun report go through this function (text, caption, the
// Windows MessageBox style flags; returns the button). Null restores the default: the system's message box
// on Windows, none natively (returns kLogBoxOk). Tests and unattended tools plug in here.
constexpr unsigned kLogBoxPlain = 0x00;      // MB_OK
constexpr unsigned kLogBoxErrorIcon = 0x10;  // MB_ICONERROR
constexpr int kLogBoxOk = 1;                 // IDOK
using LogMessageBoxFunction = int (*)(const char* text, const char* caption, unsigned style);
void SetLogMessageBox(LogMessageBoxFunction show);

// Tests only: closes the log and forgets every once-per-process decision (opening, show date/time), so the
// next WriteLogLine decides again from the current settings.
void ResetLogForTests();
