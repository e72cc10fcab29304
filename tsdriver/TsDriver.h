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

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"
#include "tsdriver/Interaction.h"
#include "tsdriver/TitleParse.h"
#include "tsdriver/Waits.h"

class TsDriver;

// Failure code of any operation whose messages TradeStation stopped answering, or whose main window went
// away while it worked (a retryable failure).
constexpr int kTsNotResponding = -98;
constexpr char kTsNotRespondingText[] = "TradeStation is not responding";
constexpr char kTsGoneText[] = "TradeStation's main window has closed";
constexpr char kTsNotOpenedText[] = "TradeStation not opened - Start TradeStation now and click OK";
constexpr char kAbortedText[] = "Abort requested";
constexpr char kTavrinCaption[] = "Tavrinex (Tavrin)";

// The chart picture and load waits that opening a workspace relies on. The chart setup supplies the full
// ones (download log, cache file); the driver starts with OnScreenChartLoadWaits.
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

// Counts the colours of the chart window as it shows on screen (no picture file) and has no download or data
// file signals: both waits report "not applicable" (0).
class OnScreenChartLoadWaits : public ChartLoadWaits {
 public:
  int CountChartColours(TsDriver& driver, HWND chart, CTxt& err, const char* pattern, int limit) override;
  int WaitForDownloadToComplete(TsDriver&, const char*, CTxt&, int) override { return 0; }
  int WaitForSymbolToLoad(TsDriver&, const char*, int, CTxt&, int) override { return 0; }
};

// Distinct colours of a window's on-screen picture, up to limit (0 when it cannot be taken).
int CountWindowColours(HWND window, int limit);

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
  int ActivateWorkspace(const char* name, CTxt& err);
  int ListOpenWorkspaces(CTxtArray& out, CTxt& err);
  int WaitForWorkspaceTitle(const char* name, CTxt& err);
  int OpenWorkspace(const char* path, CTxt& err, int activateFirst, int requireMaximised);
  int CloseWorkspace(int save);
  int CloseWorkspace(int save, CTxt& err);  // the same with the reason of a failure
  int CloseCurrentWorkspace();
  int SaveWorkspaceAs(const char* symbol, int kind, const char* value, const char* source, CTxt& out);
  int MakeResultFileName(const char* symbol, int kind, const char* value, CTxt& out);

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
  // The chart picture and load waits of opening a workspace (default: OnScreenChartLoadWaits). Not owned.
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
  OnScreenChartLoadWaits m_onScreenWaits;
  ChartLoadWaits* m_chartLoadWaits = &m_onScreenWaits;
};
