// What the sequence runner needs from TradeStation and from the machine: the driver's step operations, the
// abortable wait and the data drive's free space. On Windows the real driver stands behind it; tests give
// it a script. The abort and pause requests live here, where the driver reads them while it works.
#pragma once

#include <atomic>

#include "foundation/Txt.h"

class RunScript;

class StepDriver {
 public:
  virtual ~StepDriver() = default;

  // The runner's requests: written by the main window's thread, read by the worker and the driver. Abort: 0
  // none, 1 now, 2 after the current step. Pause: 0 or 1.
  virtual std::atomic<int>& AbortRequest() = 0;
  virtual std::atomic<int>& PauseRequest() = 0;

  // TradeStation's main window; false with "TradeStation not opened - ..." in resultText when none.
  virtual bool FindMainWindow(CTxt& resultText) = 0;
  // TradeStation's base folder ('/' form); negative with the reason in folderOrError.
  virtual int GetTsBaseFolder(CTxt& folderOrError) = 0;
  // Writes the default daily tick volumes of the futures roots into the settings.
  virtual void LoadSymbolRoots() = 0;
  // Opens (or activates) a workspace and finds its chart; a leading '!' marks charts-only mode. 0 or more
  // when done.
  virtual int OpenWorkspace(const char* path, CTxt& resultText, int checkMaximised) = 0;
  // One step: 0 or more success, -100..-1 worth a retry, -102 wrong symbol or abort seen, -103 fatal, other
  // codes below -100 end the step without retry.
  virtual int ExecuteStep(const char* command, CTxt& resultText, int runOpt) = 0;
  virtual void CloseTsPopups() = 0;
  // Stops TradeStation's running optimisation through its Abort button: 0 done or nothing running,
  // -1 the confirmation did not appear, -8 its OK could not be clicked (text says why).
  virtual int AbortOptimization(CTxt& text) = 0;
  // Closes TradeStation's application error boxes (the error watch calls it once a second).
  virtual void CheckApplicationErrors() = 0;
  // The report-saving test: the Strategy Performance Report (report = the file written, empty when none) and
  // the optimisation list, for symbol and name. 0 or more on success.
  virtual int SaveStrategyReport(const char* symbol, const char* name, int mode, CTxt& report, CTxt& err) = 0;
  virtual int SaveOptimizationList(const char* symbol, const char* name, CTxt& err) = 0;

  // What the steps need to know of the run.
  virtual void SetRunScript(const RunScript* script) = 0;
  virtual void SetRunFolder(const char* folder) = 0;
  // The run's workspace (its copy in the run folder): the steps name their result files after its folder.
  virtual void SetCurrentWorkspace(const char* path) = 0;
  virtual void SetCurrentStep(int index) = 0;
  virtual int PermutationCount() = 0;

  // Sleeps ms milliseconds; false when an abort request cut the wait short.
  virtual bool Wait(int ms) = 0;
  // Free space in GB of the drive with that letter.
  virtual double FreeSpaceGB(char drive) = 0;
};
