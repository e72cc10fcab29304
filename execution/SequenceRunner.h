// The sequence runner: runs a definition's steps against TradeStation on the calling (worker) thread, with a
// fresh run folder, retries, pause and abort, the summary at the end and an abort mark after an abort; a
// list script ("List=") runs its definitions one after another. The main window's thread watches a run
// through Request; the error watch closes TradeStation's error boxes once a second on a thread of its own.
//
// Threads: the requests, the current step, the step start and the list position are shared between the
// worker and the main window's thread through atomics or the runner's lock, never plain variables.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "execution/RunScript.h"
#include "execution/StepDriver.h"
#include "foundation/DateTime.h"
#include "foundation/Txt.h"

class StepPrompts;

// Run results besides BuildRunScript's codes.
constexpr int kRunCompleted = 0;
constexpr int kRunNoTradeStation = -1;
constexpr int kRunNoTsFolder = -2;
constexpr int kRunPreparationFailed = -5;
constexpr int kRunStepErrors = -11;
constexpr int kRunAborted = -102;
constexpr int kRunDataDriveFull = -106;

// Request codes of the main window.
enum RunnerRequest {
  kRequestAbortNow = 1001,
  kRequestAbortAfterStep = 1002,
  kRequestSymbolPosition = 1003,
  kRequestTimeframePosition = 1004,
  kRequestStepNumber = 1005,
  kRequestOptimizationSet = 1006,
  kRequestPermutations = 1007,
  kRequestStepElapsed = 1008,
  kRequestListPosition = 1009,
  kRequestReadMark = 1010,
  kRequestRemoveMarks = 1011,
  kRequestPause = 1012,
  kRequestContinue = 1013,
};

class SequenceRunner {
 public:
  // driver: not owned, outlives the runner. prompts (may be null): where the errors of writing an abort
  // mark are shown.
  explicit SequenceRunner(StepDriver& driver, StepPrompts* prompts = nullptr);
  ~SequenceRunner();  // stops and joins the error watch
  SequenceRunner(const SequenceRunner&) = delete;
  SequenceRunner& operator=(const SequenceRunner&) = delete;

  // Runs the definition (or list script) to its end. baseFolder may be empty: the run folders then go under
  // TradeStation's "MyWork/Tavrin/". resultText receives the final message.
  int Run(const char* definitionPath, const char* baseFolder, CTxt& resultText);

  // Starts the error watch once: 0 started, 1 already running, -1 the thread could not be created.
  int StartErrorWatch(CTxt& resultText);

  // The main window's requests (codes above); see RunnerRequest.
  int Request(int code, CTxt& text, const char* file = nullptr);

  // A run whose newest run folder says it never finished (Tavrin, TradeStation or the machine died) is
  // resumed like an aborted one: when the definition has no abort mark, one is written for the interrupted
  // step and the old run state is marked as taken over. Returns that step, 0 when there was nothing to take
  // over, negative when the run folders could not be found.
  int AdoptInterruptedRun(const char* definitionPath, const char* baseFolder, CTxt& text);

  // What the main window's progress bars measure against: the symbol entries, the commands of the symbol
  // the last timeframe request (1004) looked at, and all commands of the script.
  struct ProgressTotals {
    int symbols = 0;
    int commandsOfSymbol = 0;
    int commands = 0;
  };
  ProgressTotals Totals() const;
  // A copy of one of the script's lists (kinds of RunScript::GetList: "S", "F", "O").
  int GetList(const char* kind, CTxtArray& out) const;

  void SetChartsOnly(bool chartsOnly) { m_chartsOnly = chartsOnly ? 1 : 0; }
  std::string RunFolder() const;
  int CurrentStep() const { return m_currentStep.load(); }  // index, -1 when idle
  // The definitions of the last list script that ended with an error (0 after a single definition).
  int FailedScripts() const { return m_failedScripts.load(); }

 private:
  int RunDefinition(const char* definitionPath, const char* baseFolder, CTxt& resultText);
  int RunListScript(const char* definitionPath, const char* baseFolder, CTxt& resultText);
  int PrepareRunFolder(const char* definitionPath, const char* baseFolder, CTxt& resultText);
  std::string RunFolderBase(const char* definitionPath, const char* baseFolder) const;
  void CopyIntoRunFolder(const char* definitionPath, CTxt& resultText);
  int CopyInitialWorkspace(CTxt& resultText);
  int RunTestCommand(const CTxt& command);
  int StartIndex(const char* definitionPath);
  int CommandLoop(int start, int runOpt, CTxt& resultText, int& errors, bool& fatal);
  int ActivateInitialWorkspace(int index, CTxt& resultText);
  void PauseWhileRequested(int step, const char* command);
  bool DataDriveFull();
  int StepAttempts(int step, const char* command, int runOpt, CTxt& resultText, int& errors, bool& fatal);
  int EndOfRun(const char* definitionPath, int result, int errors, bool fatal, CTxt& resultText);
  void SaveRunState(const char* state, int step, const char* command);
  void ResetRequests();
  int SymbolPosition(CTxt& text);
  int TimeframePosition(CTxt& text);
  int StepElapsed(CTxt& text);
  bool Idle() const { return m_currentStep.load() < 0; }
  // An abort now (the driver's request) or after the current step (the runner's own) was asked for.
  bool AbortPending() const { return m_driver.AbortRequest().load() > 0 || m_abortAfterStep.load(); }

  StepDriver& m_driver;
  StepPrompts* m_prompts;
  RunScript m_script;
  // Guards the script, the step and run start, the folders and the list script against the requests.
  mutable std::mutex m_lock;
  CZELDateTime m_stepStart;
  CZELDateTime m_runStart;
  bool m_stepStarted = false;
  std::atomic<bool> m_stepFinished{false};
  std::string m_runFolder;
  std::string m_workspace;
  std::string m_listScript;
  std::string m_definition;
  std::string m_tsBaseFolder;
  int m_listCount = 0;
  std::atomic<int> m_currentStep{-1};
  std::atomic<int> m_multiScriptIndex{-1};
  std::atomic<int> m_chartsOnly{0};
  std::atomic<int> m_failedScripts{0};
  std::atomic<bool> m_abortAfterStep{false};
  std::thread m_errorWatch;
  std::atomic<bool> m_stopWatch{false};
};
