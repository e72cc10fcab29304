// TsDriver: operates TradeStation from the outside. Holds what the driver knows about the running
// TradeStation (main window, base folder, version, current workspace and step, abort and pause requests) and
// declares every driver operation once. Operations return 0 or more on success and negative codes on failure,
// with the reason in a CTxt. Windows only.
//
// Every wait goes through the abortable wait (tsdriver/Waits.h); the runner sets AbortRequest() from its own
// thread. Messages that wait for TradeStation are bounded (tsdriver/WindowQuery.h): a TradeStation that stops
// answering fails the operation with kTsNotResponding and a text saying so.
#pragma once

#include <windows.h>

#include <atomic>

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"
#include "tsdriver/Interaction.h"
#include "tsdriver/TitleParse.h"
#include "tsdriver/Waits.h"

class RunScript;
class TsDriver;

// Failure code of any operation whose messages TradeStation stopped answering, or whose main window went
// away while it worked (a retryable failure).
constexpr int kTsNotResponding = -98;
constexpr char kTsNotRespondingText[] = "TradeStation is not responding";
constexpr char kTsGoneText[] = "TradeStation's main window has closed";
constexpr char kTsNotOpenedText[] = "TradeStation not opened - Start TradeStation now and click OK";
constexpr char kAbortedText[] = "Abort requested";
constexpr char kTavrinCaption[] = "Tavrinex (Tavrin)";

// The chart picture and load waits that the chart setup and opening a workspace rely on. The driver starts
// with FullChartLoadWaits; tests may put in others.
class ChartLoadWaits {
 public:
  virtual ~ChartLoadWaits() = default;
  // Distinct colours of the chart's picture (at most limit); pattern names the picture file to keep.
  virtual int CountChartColours(TsDriver& driver, HWND chart, CTxt& err, const char* pattern, int limit) = 0;
  // 2 finished, 1 another symbol's download is newest, 0 not applicable, negative failure.
  virtual int WaitForDownloadToComplete(TsDriver& driver, const char* symbol, CTxt& err, int flag) = 0;
  // Seconds waited (or the data file's age); negative failure.
  virtual int WaitForSymbolToLoad(TsDriver& driver, const char* symbol, int kind, CTxt& err, int seconds) = 0;
};

// The full load signals: the driver's own CountChartColours (a picture of the chart with its margins),
// WaitForDownloadToComplete (TradeStation's download log) and WaitForSymbolToLoad (the symbol's cache file
// before 9.1). The driver's default.
class FullChartLoadWaits : public ChartLoadWaits {
 public:
  int CountChartColours(TsDriver& driver, HWND chart, CTxt& err, const char* pattern, int limit) override;
  int WaitForDownloadToComplete(TsDriver& driver, const char* symbol, CTxt& err, int flag) override;
  int WaitForSymbolToLoad(TsDriver& driver, const char* symbol, int kind, CTxt& err, int seconds) override;
};

// ---- Free operations: discovery
// ------------------------------------------------------------------------------
int FindChartWindows(SPtrArray& out);
HWND FindChartWindow(CTxt& title, int requireMaximised);
unsigned FindProcessId(const char* namePart);

// ---- Free operations: window and control primitives
// ---------------------------------------------------------
HWND FindOwnedDialog(const char* title, HWND ancestor, const char* cls);
HWND FindWindowByClassTitle(const char* cls, const char* title, int matchMode, int n);
int ListWindows(HWND parent, SPtrArray& out, const char* cls, const char* title, int deep);
int ClickOk(HWND dialog, CTxt& err);
int ClickButton(HWND dialog, int id, const char* expectedText, CTxt& err, int repeats);
int ControlInput(HWND control, int action, int a, int b);
int SelectListBoxItem(HWND list, const char* text, CTxt& err, int byClick);
int CloseWindows(const SPtrArray& windows);
int FindFileDialogs(SPtrArray& out);
int WaitForClose(HWND window, int maxSeconds);
int MinimizeWindowByTitle(const char* title, const char* cls);
int RestoreWindowByTitle(const char* title, const char* cls);

// Tavrin's own main window: a top-level dialog whose title ends in the application title (the main window
// shows "(VERSION DATE TIME) Tavrinex (Tavrin)"). Tavrin's message boxes carry the bare application title and
// hold no combo box: such a window counts only when it has one (the sequence list). Windows of this process
// come first; null when none is shown.
HWND FindProgramWindow();
// Before a chart picture: minimises Tavrin's main window (when TavrinMinimize is 1) and the progress window,
// so that neither covers the chart. Never waits for the windows' threads.
void MinimizeProgramWindows();
// Restores Tavrin's main window to its stored position when ShowMgr is 1 (RestoreWindowByTitle's way).
void RestoreProgramWindow();

// Writes the default daily tick volumes of the futures roots into the settings (section "TickDailyVolume").
int LoadSymbolRoots();

// The waits of the free primitives end early on this request (the runner's abort request); null: none.
void SetPrimitivesAbortRequest(const tsdriver::AbortRequest* abort);

class TsDriver {
 public:
  TsDriver();
  TsDriver(const TsDriver&) = delete;
  TsDriver& operator=(const TsDriver&) = delete;

  // ---- Discovery ----
  HWND FindMainWindow(CTxt& titleOrError);
  int CheckMainWindow();
  int GetTsBaseFolder(CTxt& folderOrError, int rescan, int needMainWindow);
  int GetTsVersion();

  // ---- Primitives ----
  int SendTsMenuCommand(int id, int waitMs, HWND target = nullptr);
  HWND FindTsDialog(const char* title, HWND parent, const char* cls, int exactTitle);
  HWND FindNthWindowOfClass(const char* cls, int n);
  int ReadDialogText(HWND dialog, CTxt& out);
  int CloseDialogsByTitle(HWND parent, const char* title, int clickId, const char* cls, int repeats);
  int SendTSCmd(const char* command, CTxt& err);
  HWND FindCommandLineEdit(CTxt& err);
  int SaveWindowSnapshot(const char* fmt, ...) TAVRIN_PRINTF_FORMAT(2, 3);
  int CloseTsPopups(int onlyFileDialogs);
  int CheckEventsLog(CTxt& err, int keepOpen);

  // ---- Workspaces ----
  // Every one of them may also fail with kTsNotResponding when TradeStation stops answering or goes away.
  // 0 active; -1 no main window, -2 no list dialog, -3 no list, -4 not open, -6 OK not clickable, or
  // WaitForWorkspaceTitle's result.
  int ActivateWorkspace(const char* name, CTxt& err);
  int ListOpenWorkspaces(CTxtArray& out, CTxt& err);  // the number of names; -1, -2, -3
  // 0; -1 after 100 checks, an abort or no TradeStation.
  int WaitForWorkspaceTitle(const char* name, CTxt& err);
  // A leading '!' in path skips the chart picture and load waits. 0; -1 file missing, -2 no "Open Workspace"
  // dialog, -3 no file name field, -4 OK not posted, -5 and -6 load error boxes, -11 not active afterwards,
  // -12 the user declined a chart that is not maximised, -13 the chart did not load within
  // WSOpenChartWaitSec, -14 abort requested while confirming the load.
  int OpenWorkspace(const char* path, CTxt& err, int activateFirst, int requireMaximised);
  // The click's result (>= 0), 0 also when the workspace closed without a prompt; 100 no workspace open;
  // -1 no prompt appeared, or the list of open workspaces could not be read (with the list's text).
  int CloseWorkspace(int save);
  int CloseWorkspace(int save, CTxt& err);  // the same with the reason of a failure
  int CloseCurrentWorkspace();
  // 0 saved (out: the file, or the copy's text); -1 copy failed, -5 TradeStation's box in the dialog, -6 no
  // dialog, -7 no file name field, -8 Save not clickable, -9 the file did not appear.
  int SaveWorkspaceAs(const char* symbol, int kind, const char* value, const char* source, CTxt& out);
  int MakeResultFileName(const char* symbol, int kind, const char* value, CTxt& out);

  // ---- Chart setup and load waits ----
  // Puts the new symbol, interval and date range ("DURATION|ENDDATE|", may be null) on the single chart and
  // waits until it has loaded; with an expected symbol (and interval) first checks the chart shows them.
  int SetupChart(const char* expectedSymbol, const char* expectedInterval, CTxt& err, const char* newSymbol,
                 const char* newInterval, const char* dateRange);
  int ListChartWindows(CTxtArray& out, CTxt& err);
  int CheckChartLoadErrors(CTxt& err, HWND formatDialog);
  int WaitForDownloadToComplete(const char* symbol, CTxt& err, int flag);
  int WaitForSymbolToLoad(const char* symbol, int kind, CTxt& err, int seconds);
  int CountChartColours(HWND chart, CTxt& err, const char* pattern, int limit);
  int ImportSymbolList(CTxtArray& symbols, CTxt& err, int removeFirst, const char* fileName);

  // ---- Strategy parameters ----
  // The parameter lines come from the optimisation set of the run script given to SetRunScript.
  int ApplyStrategyParameters(const char* setName, CTxt& err, int dialogOpen, const char* genetic);
  int ApplyStrategyParameters(const CTxtArray& lines, CTxt& err, int dialogOpen, const char* genetic);
  int ReadStrategyInputs(CTxtArray& rows, CTxt& err, int dialogOpen, int detailed, HWND chartView);
  void SetRunScript(const RunScript* script) { m_runScript = script; }
  int MultiData() const { return m_multiData; }
  void SetMultiData(int multiData) { m_multiData = multiData; }
  int PermutationCount() const { return m_permutationCount; }
  const CTxtArray& AppliedParameters() const { return m_appliedParameters; }
  const CTxt& StrategyName() const { return m_strategyName; }
  tsdriver::Interaction& Interactions() { return *m_interaction; }

  // ---- Reports and error watch ----
  // TradeStation's optimisation progress: mode 0 among the main window's children (-5 when not there),
  // 1 every window that descends from it (-4), 100 both; -4 without a main window. 0: found, AbortButton().
  int FindAbortButton(int mode);
  HWND AbortButton() const { return m_abortButton; }
  // Closes TradeStation's application error boxes and "CtrlNotifySink" windows; 1 (nothing done) while a
  // report save holds the block flag, else the number of "CtrlNotifySink" windows. Called by the error watch.
  int CheckApplicationErrors(const char* text);
  // The first report window ("Afx:" class, text containing part, default the performance report) that is
  // not the one saved last while it is still open; title takes its text. 0 when there is none.
  HWND FindReportWindow(CTxt& title, CTxt& err, const char* part);
  // Saves the found report window: type 'M' web archive, 'X' spreadsheet, 'C' optimisation list export.
  // 0 saved (outName), 1 no save dialog (no trades), -1 no report window, -3 numbered names used up,
  // -10 no file name box, -11 the file did not appear, -12 an immediate abort, kTsNotResponding.
  int SaveReport(CTxt& outName, CTxt& err, const char* name, char type);
  int SaveReportWithRetry(CTxt& outName, CTxt& err, const char* name, char type);
  // The step's Strategy Performance Report by SaveOptMode (mode), and its optimisation list: 0 done, -1 the
  // report window did not appear after 4 attempts.
  int SaveStrategyReport(const char* symbol, int kind, const char* value, CTxt& err, int mode);
  int SaveOptimizationList(const char* symbol, int kind, const char* value, CTxt& err);
  // Waits for "Saving Performance" boxes and closes result windows (and, with 1, the workspace first).
  int WaitForResultBoxes(int closeWorkspace);
  // Stops a running optimisation through its Abort button and the "Abort Optimization" box: 0 done or
  // nothing running, -1 the box did not appear, -8 its OK could not be clicked.
  int AbortOptimization(CTxt& text);
  // 1 while a report save works (written by the worker, read by the error watch).
  std::atomic<int>& ErrorCheckBlock() { return m_errorCheckBlock; }
  const CTxt& LastReportPath() const { return m_lastReportPath; }
  const CTxt& LastOptimizationList() const { return m_lastOptimizationList; }

  // ---- Step ----
  // One step of the run script ("SYMBOL|OPTSET|INTERVAL|DURATION|ENDDATE|"); the runner's result codes.
  int ExecuteStep(const char* command, CTxt& err, int runOpt);
  int ChartsOnly() const { return m_chartsOnly; }
  void SetChartsOnly(int chartsOnly) { m_chartsOnly = chartsOnly; }

  // ---- State ----
  HWND MainWindow() const { return m_mainWindow; }
  const CTxt& MainTitle() const { return m_mainTitle; }
  const CTxt& ProductLabel() const { return m_productLabel; }
  const CTxt& BaseFolder() const { return m_baseFolder; }
  void SetBaseFolder(const char* folder);
  const CTxt& CurrentWorkspace() const { return m_currentWorkspace; }
  void SetCurrentWorkspace(const char* path) { m_currentWorkspace = path; }
  int CurrentStep() const { return m_currentStep; }
  void SetCurrentStep(int index) { m_currentStep = index; }
  const CTxt& RunFolder() const { return m_runFolder; }
  void SetRunFolder(const char* folder) { m_runFolder = folder; }
  HWND ChartWindow() const { return m_chartWindow; }
  void SetChartWindow(HWND chart) { m_chartWindow = chart; }

  // The runner's requests: written by the runner's thread, read by the driver (above 0: requested).
  tsdriver::AbortRequest& AbortRequest() { return m_abortRequest; }
  tsdriver::AbortRequest& PauseRequest() { return m_pauseRequest; }
  bool Aborted() const { return m_abortRequest.load() > 0; }
  // The driver's abortable sleep: false when an abort cut it short.
  bool Wait(int ms) const { return tsdriver::WaitMs(ms, &m_abortRequest); }

  // Who answers the driver's questions (default: the message box). Not owned.
  void SetInteraction(tsdriver::Interaction* interaction);
  // The chart picture and load waits of the chart setup and of opening a workspace (default, and with null:
  // FullChartLoadWaits). Not owned.
  void SetChartLoadWaits(ChartLoadWaits* waits);
  ChartLoadWaits& LoadWaits() { return *m_chartLoadWaits; }

 private:
  int StepsOfOpen(const CTxt& path, const CTxt& name, bool skipConfirm, CTxt& err, int requireMaximised);
  int ConfirmWorkspaceLoad(const CTxt& path, bool skipConfirm, CTxt& err, int requireMaximised);
  int LoadPass(const CTxt& path, bool skipConfirm, int pass, int passes, HWND& chart, bool& asked,
               int requireMaximised, CTxt& err);
  int FinishOpen(const CTxt& name, CTxt& err);
  HWND OpenWorkspaceDialog(CTxt& err);
  int SubmitWorkspaceFile(HWND dialog, const CTxt& path, CTxt& err);
  void CloseWorkspaceDialogs(HWND main);
  HWND FindMoreWorkspaces(int version);
  int ReadWorkspaceList(HWND dialog, CTxtArray& out, CTxt& err);
  int CloseErrorBoxAndDialog(HWND box, HWND dialog);
  int SaveWorkspaceCopy(const char* source, const CTxt& name, CTxt& out);
  int SaveWorkspaceByDialog(const CTxt& name, CTxt& out);
  int ScanForBaseFolder(CTxt& folderOrError);
  // A dialog that did not appear: the failure's own code and text while TradeStation answers, an abort's
  // text when one was requested, else kTsNotResponding with that text.
  int DialogMissing(const char* text, int code, CTxt& err);
  // True when TradeStation's main window answers a message within TsAnswerWaitMs.
  bool TsAnswers();
  // True (with the not-responding or gone text in err) when a send failed since `before`.
  bool TsStoppedAnswering(unsigned before, CTxt& err) const;

  HWND m_mainWindow = nullptr;
  CTxt m_mainTitle;
  CTxt m_productLabel;
  CTxt m_baseFolder;
  int m_cachedVersion = -1;
  CTxt m_currentWorkspace;
  int m_currentStep = -1;
  CTxt m_runFolder;
  HWND m_chartWindow = nullptr;
  tsdriver::AbortRequest m_abortRequest{0};
  tsdriver::AbortRequest m_pauseRequest{0};
  tsdriver::MessageBoxInteraction m_messageBoxes;
  tsdriver::Interaction* m_interaction = &m_messageBoxes;
  FullChartLoadWaits m_fullWaits;
  ChartLoadWaits* m_chartLoadWaits = &m_fullWaits;
  const RunScript* m_runScript = nullptr;
  int m_multiData = 0;
  int m_permutationCount = 0;
  CTxtArray m_appliedParameters;
  CTxt m_strategyName;

  friend class ReportSaving;
  friend class StepRun;
  HWND m_abortButton = nullptr;
  HWND m_reportWindow = nullptr;       // the report window found last
  HWND m_savedReportWindow = nullptr;  // the report window saved last, and its title then
  CTxt m_savedReportTitle;
  CTxt m_lastReportPath;
  CTxt m_lastOptimizationList;
  std::atomic<int> m_errorCheckBlock{-1};  // -1 until BlockACD has been read
  int m_chartsOnly = 0;
};
