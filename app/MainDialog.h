// The main window: the definitions of the program folder, the Run button with its stop list, the progress of
// the running sequence, and the buttons that open the editor, the configuration, the summary and the log.
//
// Threads. The dialog's thread owns every control. The worker thread (one run at a time) writes only the
// runner's state and RunWorkerFlags, logs, shows its final boxes itself and posts kRunEndedMessage when the
// run is over; the detection thread writes only the start-up state and posts kDetectedMessage or
// kDetectionFailedMessage; every log line of any thread is kept as the status text under a lock. The
// one-second timer 1969 reads all of that and paints it.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "app/MainWindowKit.h"
#include "execution/RunState.h"
#include "execution/RunWorker.h"
#include "execution/SequenceRunner.h"
#include "foundation/DateTime.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/RunnerBinding.h"
#include "tsdriver/TsDriver.h"

class RunnerApp;

int RunMainWindow(RunnerApp& app);

constexpr UINT kRunEndedMessage = WM_APP + 1;
constexpr UINT kDetectedMessage = WM_APP + 2;
constexpr UINT kDetectionFailedMessage = WM_APP + 3;
constexpr UINT_PTR kRefreshTimer = 1969;

// Start-up states of the main window.
constexpr int kStateCreated = 0;
constexpr int kStateInitialised = 1;
constexpr int kStateDetecting = 2;
constexpr int kStateReady = 3;

// --- The arithmetic of the window, kept apart so that it can be checked on its own ---

// A bar's position for done of total: 10000 * done / total (integer division), 0 when either is below 1,
// never beyond the bar's end.
int ProgressPosition(int done, int total);
// The step-time bar: full after 24 hours.
int StepTimeBarPosition(int seconds);

// The stored window position "left,width,top,height". True when it may be used: four numbers, left, width
// and height within 0..4096 (the top is not checked, so a window above the screen's top stays there).
struct StoredWindowPos {
  int left = 0, width = 0, top = 0, height = 0;
};
bool ParseMainWindowPos(const char* text, StoredWindowPos& pos);

// The time left of a run, from the steps done so far: the average time of the doneSteps finished steps
// (doneSeconds in all) times the steps not finished yet (stepsLeft, the current one included), less what
// the current step has already run; never below zero. -1 while no step has finished.
int EstimateSecondsLeft(int doneSteps, int doneSeconds, int stepsLeft, int currentStepSeconds);

// The login of the hidden "Set Password": protected for the current Windows user with the system's data
// protection and kept as upper-case hex; only the same user on the same machine can read it back.
bool ProtectForCurrentUser(const char* text, CTxt& hex);
bool UnprotectForCurrentUser(const char* hex, CTxt& text);

class MainDialog : public ResourceDialog, public RunHost {
 public:
  explicit MainDialog(RunnerApp& app);
  ~MainDialog() override;

  // Runs the window to its end; the process exit code (2 when TradeStation was not found).
  int Run();
  // True when no worker thread runs (any run has ended).
  bool WorkerStopped() const { return m_flags.running.load() == 0; }

  // RunHost, called on the worker's thread.
  bool ChartsOnly() override { return m_chartsOnly.load(); }
  void ShowFinalText(const char* text, bool isError) override;
  bool AskShowLog(const char* question) override;
  void ShowLog() override { ViewLog(); }
  void OpenRunFolder(const char* launchText) override;
  void RunEnded() override;
  void SetAutoExit(const char* value) override;

 protected:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // MainDialog.cpp: definitions, Run and its stop list, Exit, Edit, New, Delete.
  void SetStatus(const char* text);
  void FillDefinitions();
  std::string SelectedDefinition() const;
  std::string DefinitionPath(const std::string& name) const;
  void OnRun();
  void AskHowToStop();
  bool StartRun();
  void OnExit();
  void OnEdit();
  void OnNew();
  bool AskNewName(CTxt& name, CTxt& path);
  void OnDelete();
  void OpenEditor(bool isNew);
  void ShowRunPicture(HBITMAP picture);
  void LoadRunPictures();

  // MainActions.cpp: the other buttons.
  void OnShowSteps();
  void OnSkipSymbols();
  void OnSummary();
  void OnCurrentList(int id);
  void ViewLog();
  void OnConfiguration();
  void OnSetPassword();
  void ShowAbout();

  // MainProgress.cpp: timer 1969.
  void InitProgressBars();
  void OnRefreshTimer();
  void ShowClock();
  void RefreshProgress();
  void RefreshPositions();
  void RefreshStepLine();
  void ShowStatusText();
  void SetText(int id, const char* text);

  // MainStartup.cpp: start-up activities and the window's position.
  void CheckSampleImport();
  void BringTradeStationToFront();
  void StartDetection();
  void Detect();
  void OnDetected();
  void OnDetectionFailed();
  void RestoreWindowPosition();
  void StoreWindowPosition();
  static void OnLogLine(void* context, const char* category, const char* text, int level);

  RunnerApp& m_app;
  std::string m_programFolder;  // ends with '/'
  std::string m_sequenceName;   // of the current or last run
  std::string m_statusShown;
  std::mutex m_statusLock;
  std::string m_statusText;  // the latest log line or status, any thread
  std::string m_detectionText;
  std::atomic<int> m_state{kStateCreated};
  std::atomic<bool> m_chartsOnly{false};
  std::atomic<bool> m_closing{false};
  bool m_positionReady = false;
  int m_exitCode = 0;
  HICON m_bigIcon = nullptr, m_smallIcon = nullptr;
  HBITMAP m_pictureStart = nullptr, m_pictureStop = nullptr, m_pictureWait = nullptr;
  CProgressBar m_symbolBar, m_timeframeBar, m_stepBar, m_stepTimeBar;

  // The run-time estimate: the run's elapsed seconds when the first and the latest step were first seen.
  int m_firstStepSeen = 0, m_firstStepAt = 0, m_latestStepSeen = 0, m_latestStepAt = 0;
  CZELDateTime m_runStart;

  TsDriver m_driver;
  FullChartLoadWaits m_loadWaits;
  tsdriver::MessageBoxInteraction m_boxes;
  TsStepDriver m_steps;
  GuiStepPrompts m_prompts;
  SequenceRunner m_runner;
  RunWorkerFlags m_flags;
  std::thread m_worker;
  std::thread m_detection;
};
