// The worker thread's procedure: runs the definition the main window has selected (setting CurrDef) with the
// sequence runner, then shows the final text and tells the window the run has ended. Everything that touches
// the window goes through RunHost, so the procedure runs the same under the main window, unattended and in
// tests.
#pragma once

#include <atomic>

#include "foundation/Txt.h"

class SequenceRunner;

// What the worker needs from the window that started it. Called on the worker's thread.
class RunHost {
 public:
  virtual ~RunHost() = default;
  virtual bool ChartsOnly() = 0;  // the "Preload Charts only" box
  // The run's final text; isError chooses the error icon. Returns when it has been acknowledged.
  virtual void ShowFinalText(const char* text, bool isError) = 0;
  // "Errors occured - do you want to see the Log for details?"; Yes shows the log (View Log).
  virtual bool AskShowLog(const char* question) = 0;
  virtual void ShowLog() = 0;
  // Opens the run folder in the file explorer ("@!explorer" launch text).
  virtual void OpenRunFolder(const char* launchText) = 0;
  // The run has ended: the Run button shows its start picture, Edit and New are enabled again.
  virtual void RunEnded() = 0;
  // The sibling product's AUTOEXIT registry value.
  virtual void SetAutoExit(const char* value) = 0;
};

// The flags the main window reads on its timer while the worker runs.
struct RunWorkerFlags {
  std::atomic<int> running{0};
  std::atomic<int> done{0};
};

// The definition of the program folder's CurrDef (default "DJ30"), run to its end. Returns the run's result;
// finalText receives the text shown.
int RunWorkerProcedure(SequenceRunner& runner, RunHost& host, const char* programFolder,
                       RunWorkerFlags& flags, CTxt& finalText);

// The explorer launch text of a folder: "@!explorer" followed by the folder in backslash form, quoted.
CTxt ExplorerLaunchText(const char* folder);

// The process exit code of an unattended run: 0 completed, 1 completed with step errors (or a list script
// whose definitions did not all complete), 2 could not start, 3 aborted or stopped early (a full data drive).
constexpr int kExitCompleted = 0;
constexpr int kExitStepErrors = 1;
constexpr int kExitNotStarted = 2;
constexpr int kExitAborted = 3;
int UnattendedExitCode(int runResult, int failedScripts);
