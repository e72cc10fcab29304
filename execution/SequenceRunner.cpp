// The sequence runner: run folders, the command loop with its retries, pause and abort, the end of a run,
// list scripts, the main window's requests and the error watch.
#include "execution/SequenceRunner.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "execution/AbortMarks.h"
#include "execution/ReportLoader.h"
#include "execution/RunState.h"
#include "execution/Summary.h"
#include "execution/TradeStats.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"

namespace {

constexpr char kLogCategory[] = "RemoteTS";
constexpr char kPauseCategory[] = "ZELTRD";
constexpr int kRetryWaitMs = 5000;
constexpr int kWorkspaceRetryWaitMs = 1000;
constexpr int kPausePollMs = 1000;
constexpr int kWatchPeriodMs = 1000;

std::string FolderOf(const char* path) {
  CTxt folder;
  CTxt(path ? path : "").GetFileTxt(4, folder);
  folder.MakeFn();
  return folder.ToStd();
}

std::string PartOf(const char* path, int part) {
  CTxt out;
  CTxt(path ? path : "").GetFileTxt(part, out);
  return out.ToStd();
}

bool IsExistingFile(const char* path) {
  return path && *path && IsFolder(path) == 0;
}

std::string DurationSince(const CZELDateTime& start) {
  CTxt text;
  start.GetDurTxtHMS(text);
  return text.ToStd();
}

// The definition line starting with key (any case), or empty.
CTxt LineStartingWith(const CTxtArray& lines, const char* key) {
  int at = lines.FindStringStart(key);
  return at < 0 ? CTxt() : CTxt(lines.GetAtTxt(at));
}

}  // namespace

SequenceRunner::SequenceRunner(StepDriver& driver, StepPrompts* prompts)
    : m_driver(driver), m_prompts(prompts) {
  Settings::GetInt("Tavrin", "SeqSimulateDur", 0);
}

SequenceRunner::~SequenceRunner() {
  m_stopWatch = true;
  if (m_errorWatch.joinable()) m_errorWatch.join();
}

std::string SequenceRunner::RunFolder() const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_runFolder;
}

SequenceRunner::ProgressTotals SequenceRunner::Totals() const {
  std::lock_guard<std::mutex> guard(m_lock);
  ProgressTotals totals;
  totals.symbols = m_script.SymbolEntries().GetSize();
  totals.commandsOfSymbol = m_script.TimeframeLines().GetSize();
  totals.commands = m_script.GetCommandCount();
  return totals;
}

int SequenceRunner::GetList(const char* kind, CTxtArray& out) const {
  std::lock_guard<std::mutex> guard(m_lock);
  return m_script.GetList(kind, out);
}

void SequenceRunner::ResetRequests() {
  m_driver.AbortRequest() = 0;
  m_abortAfterStep = false;
  m_driver.PauseRequest() = 0;
}

// --- Run ---------------------------------------------------------------------------------------------------

int SequenceRunner::Run(const char* definitionPath, const char* baseFolder, CTxt& resultText) {
  ResetRequests();
  m_failedScripts = 0;
  if (!m_driver.FindMainWindow(resultText)) return kRunNoTradeStation;
  CTxt tsFolder;
  if (m_driver.GetTsBaseFolder(tsFolder) < 0) {
    resultText = tsFolder;
    return kRunNoTsFolder;
  }
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_tsBaseFolder = tsFolder.ToStd();
  }
  Settings::WriteBool("Tavrin", "RunOpt", m_chartsOnly.load() == 0);
  int runOpt = Settings::GetBool("Tavrin", "RunOpt", true) ? 1 : 0;
  int built;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    built = m_script.BuildRunScript(definitionPath, resultText, runOpt, 1);
    m_definition = definitionPath ? definitionPath : "";
  }
  if (built < 0) return built;
  CTxt watchText;
  StartErrorWatch(watchText);
  if (!LineStartingWith(m_script.DefinitionLines(), "List=").IsEmpty())
    return RunListScript(definitionPath, baseFolder, resultText);
  return RunDefinition(definitionPath, baseFolder, resultText);
}

int SequenceRunner::RunDefinition(const char* definitionPath, const char* baseFolder, CTxt& resultText) {
  CTxt adopted;
  AdoptInterruptedRun(definitionPath, baseFolder, adopted);
  int prepared = PrepareRunFolder(definitionPath, baseFolder, resultText);
  if (prepared < 0) return prepared;
  m_driver.LoadSymbolRoots();
  CTxt test = LineStartingWith(m_script.DefinitionLines(), "Cmd=");
  if (!test.IsEmpty()) {
    std::string seed = RunFolder() + "/Seed.tsw";
    {
      std::lock_guard<std::mutex> guard(m_lock);
      m_workspace = seed;
    }
    m_driver.SetCurrentWorkspace(seed.c_str());
    CTxt name;
    strfld(static_cast<const char*>(test) + 4, '|', 1, 1, name);
    name.Trim(' ');
    if (EqualNoCase(name, "TestSave")) return RunTestCommand(test);
  } else if (CopyInitialWorkspace(resultText) < 0) {
    return kRunPreparationFailed;
  }
  int start = StartIndex(definitionPath);
  int runOpt = Settings::GetBool("Tavrin", "RunOpt", true) ? 1 : 0;
  LogTrace(kLogCategory, 0, "Executing %d Commands:", m_script.GetCommandCount());
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_runStart.SetNow();
  }
  Settings::GetInt("Tavrin", "RefreshWS", 1);
  int errors = 0;
  bool fatal = false;
  int result = CommandLoop(start, runOpt, resultText, errors, fatal);
  if (result == kRunPreparationFailed) {
    // TradeStation could not be reached for a step (it may have died in the one before): the steps done so
    // far still get their summary, and the run state stays unfinished, so the next run goes on from there.
    if (m_currentStep.load() >= 0) {
      CTxt summary;
      WriteSummary(RunFolder().c_str(), summary, 1);
      LogTrace(kLogCategory, 0, "%s", static_cast<const char*>(summary));
    }
    m_currentStep = -1;
    ResetRequests();
    return result;
  }
  return EndOfRun(definitionPath, result, errors, fatal, resultText);
}

// --- The run folder
// ------------------------------------------------------------------------------------------

std::string SequenceRunner::RunFolderBase(const char* definitionPath, const char* baseFolder) const {
  std::string base;
  if (baseFolder && *baseFolder && !IsExistingFile(baseFolder)) {
    CTxt b(baseFolder);
    b.MakeFn();
    base = b.ToStd() + "/";
  } else {
    std::lock_guard<std::mutex> guard(m_lock);
    return DefinitionRunsFolder(m_tsBaseFolder, definitionPath);
  }
  return base + PartOf(definitionPath, 2) + "/";
}

int SequenceRunner::PrepareRunFolder(const char* definitionPath, const char* baseFolder, CTxt& resultText) {
  m_driver.CloseTsPopups();
  std::string base = RunFolderBase(definitionPath, baseFolder);
  CreateFolderPath(base.c_str(), 0);
  std::string folder;
  for (int n = 1; n < 10000; ++n) {
    CTxt candidate;
    candidate.Format("%sSEQ_%04d", base.c_str(), n);
    if (IsFolder(candidate) == -2) {
      folder = candidate.ToStd();
      break;
    }
  }
  if (folder.empty() || CreateFolderPath(folder.c_str(), 0) < 0) {
    resultText.Format("Cannot create a run folder under %s", base.c_str());
    LogTrace(kLogCategory, 0, "%s", static_cast<const char*>(resultText));
    return kRunPreparationFailed;
  }
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_runFolder = folder;
    m_workspace = m_script.Workspace().ToStd();
  }
  m_driver.SetRunFolder(folder.c_str());
  m_driver.SetRunScript(&m_script);
  CopyIntoRunFolder(definitionPath, resultText);
  return 0;
}

void SequenceRunner::CopyIntoRunFolder(const char* definitionPath, CTxt& resultText) {
  std::string folder = RunFolder();
  std::string settings = FolderOf(definitionPath) + "/Tavrin.ini";
  std::string settingsCopy = folder + "/Tavrin.ini";
  int copied = CopyFileTo(settings.c_str(), settingsCopy.c_str());
  LogTrace(kLogCategory, 0, "Copied Config Settings (%d) %s -> %s", copied, settings.c_str(),
           settingsCopy.c_str());
  std::string definitionCopy = folder + "/" + PartOf(definitionPath, 5);
  copied = CopyFileTo(definitionPath, definitionCopy.c_str());
  LogTrace(kLogCategory, 0, "Copied backtesting script (%d) %s -> %s", copied, definitionPath,
           definitionCopy.c_str());
  if (copied < 0)
    resultText.Format("Internal Error2: Script Copy Failed (%d) %s -> %s", copied, definitionPath,
                      definitionCopy.c_str());
}

int SequenceRunner::CopyInitialWorkspace(CTxt& resultText) {
  CTxt workspace = m_script.Workspace();
  workspace.MakeFn();
  std::string copy = RunFolder() + "/" + PartOf(workspace, 2) + ".tsw";
  int copied = CopyFileTo(workspace, copy.c_str());
  LogTrace(kLogCategory, 0, "Copied initial workspace (%d) %s -> %s", copied,
           static_cast<const char*>(workspace), copy.c_str());
  if (copied < 0) {
    resultText.Format("Internal Error1: WorkSpace Copy Failed (%d) %s -> %s", copied,
                      static_cast<const char*>(workspace), copy.c_str());
    return -1;
  }
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_workspace = copy;
  }
  m_driver.SetCurrentWorkspace(copy.c_str());
  return 0;
}

// --- Resuming ----------------------------------------------------------------------------------------------

int SequenceRunner::AdoptInterruptedRun(const char* definitionPath, const char* baseFolder, CTxt& text) {
  text.MakeEmpty();
  CTxt mark;
  if (ReadAbortMark(definitionPath, mark) > 0) return 0;  // an abort mark already says where to go on
  std::string newest = NewestRunFolder(RunFolderBase(definitionPath, baseFolder));
  if (newest.empty()) return 0;
  RunState state;
  CTxt err;
  if (ReadRunState(newest.c_str(), state, err) < 1 || !state.Unfinished()) return 0;
  int step = state.ResumeStep();
  if (step < 1 || step > m_script.GetCommandCount()) return 0;
  if (WriteRunAbortMark(m_script, definitionPath, step, text, m_prompts) < 0) return -1;
  LogTrace(kLogCategory, 0, "The earlier run %s was interrupted at Step#%d (%s, %s): continuing there",
           newest.c_str(), state.step, state.state.c_str(), state.time.c_str());
  state.state = "Resumed";
  WriteRunState(newest.c_str(), state, err);
  text.Format("Run %s was interrupted at Step#%d", newest.c_str(), state.step);
  return step;
}

int SequenceRunner::StartIndex(const char* definitionPath) {
  CTxt mark;
  int k = Request(kRequestReadMark, mark, definitionPath);
  if (k <= 0) return 0;
  const char* command = m_script.GetCommand(k - 1);
  LogTrace(kLogCategory, 0, "Continue at aborted Step#%d (%s)", k, static_cast<const char*>(mark));
  if (!command || std::strcmp(mark, command) != 0)
    LogTrace(kLogCategory, 0, "WARNING: the definition changed since the run stopped: Step#%d was %s, now %s",
             k, static_cast<const char*>(mark), command ? command : "(no such step)");
  return k - 1;
}

// --- The command loop --------------------------------------------------------------------------------------

int SequenceRunner::CommandLoop(int start, int runOpt, CTxt& resultText, int& errors, bool& fatal) {
  int count = m_script.GetCommandCount();
  int result = kRunCompleted;
  for (int i = start; i < count; ++i) {
    int step = i + 1;
    const char* command = m_script.GetCommand(i);
    if (Settings::GetInt("Tavrin", "SeqRetry", 3) < 1) return kRunPreparationFailed;
    if (ActivateInitialWorkspace(i, resultText) < 0) return kRunPreparationFailed;
    PauseWhileRequested(step, command);
    if (AbortPending()) {
      LogTrace(kLogCategory, 0, "External Abort at Cmd#%d %s", step, command);
      return kRunAborted;
    }
    m_currentStep = i;
    m_stepFinished = false;
    {
      std::lock_guard<std::mutex> guard(m_lock);
      m_script.SetCurrentStep(i);
      m_stepStart.SetNow();
      m_stepStarted = true;
    }
    m_driver.SetCurrentStep(i);
    LogTrace(kLogCategory, 0, "Executing: %3d of %3d: %s", step, count, command);
    SaveRunState("Running", step, command);
    int simulate = Settings::GetInt("Tavrin", "SeqSimulateDur", 0);
    if (simulate > 0) {
      m_driver.Wait(simulate * 1000);
    } else {
      if (DataDriveFull()) return kRunDataDriveFull;
      StepAttempts(step, command, runOpt, resultText, errors, fatal);
      if (fatal) return result;
      if (runOpt == 1) m_driver.Wait(Settings::GetInt("Tavrin", "FmtNextSymWait", 2000));
    }
    m_stepFinished = true;
    SaveRunState("StepDone", step, command);
    if (AbortPending()) return kRunAborted;
  }
  return result;
}

int SequenceRunner::ActivateInitialWorkspace(int index, CTxt& resultText) {
  int retries = Settings::GetInt("Tavrin", "SeqRetry", 3);
  int check = index == 0 && Settings::GetBool("Tavrin", "CheckChartMaximized", true) ? 1 : 0;
  std::string workspace;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    workspace = m_workspace;
  }
  std::string path = (m_chartsOnly.load() ? "!" : "") + workspace;
  for (int attempt = 1; attempt <= retries; ++attempt) {
    LogTrace(kLogCategory, 0, "Activating initial workspace: attempt %d of %d: %s", attempt, retries,
             workspace.c_str());
    if (m_driver.OpenWorkspace(path.c_str(), resultText, check) >= 0) return 0;
    if (attempt < retries) m_driver.Wait(kWorkspaceRetryWaitMs);
  }
  return -1;
}

// A pause ends when continued, and also when an abort is requested during it.
void SequenceRunner::PauseWhileRequested(int step, const char* command) {
  if (m_driver.PauseRequest().load() == 0) return;
  LogTrace(kPauseCategory, 0, "Paused before Step#%d %s", step, command);
  while (m_driver.PauseRequest().load() != 0 && !AbortPending()) m_driver.Wait(kPausePollMs);
  LogTrace(kPauseCategory, 0, "Pause ended before Step#%d %s", step, command);
}

bool SequenceRunner::DataDriveFull() {
  CTxt drive;
  Settings::GetString("Tavrin", "DataDrive", "C", drive);
  Settings::WriteString("Tavrin", "DataDrive", drive);
  double free = m_driver.FreeSpaceGB(drive.IsEmpty() ? 'C' : drive.GetAt(0));
  double minimum = Settings::GetFloat("Tavrin", "DataDriveMinFree", 0.01f);
  if (minimum < free) return false;
  LogTrace(kLogCategory, 0, "DataDrive '%s' full - only %.2fGB free (Min %.2fGB)",
           static_cast<const char*>(drive), free, minimum);
  return true;
}

int SequenceRunner::StepAttempts(int step, const char* command, int runOpt, CTxt& resultText, int& errors,
                                 bool& fatal) {
  int count = m_script.GetCommandCount();
  int retries = Settings::GetInt("Tavrin", "SeqRetry", 3);
  int r = 0;
  for (int t = 0; t < retries; ++t) {
    r = m_driver.ExecuteStep(command, resultText, runOpt);
    m_driver.CloseTsPopups();
    if (r >= 0) {
      LogTrace(kLogCategory, 0, "Done     : %3d of %3d: %s (%d)", step, count, command, r);
      return r;
    }
    ++errors;
    LogTrace(kLogCategory, 0, "ERROR   : %3d of %3d: %s (%d) (%s)", step, count, command, r,
             static_cast<const char*>(resultText));
    m_driver.CloseTsPopups();
    if (r >= -100) {
      LogTrace(kLogCategory, 0, "TRYING AGAIN (Try#%d)", t + 2);
      m_driver.CloseTsPopups();
      m_driver.Wait(kRetryWaitMs);
      if (AbortPending()) return r;
      continue;
    }
    if (r == -103) {
      fatal = true;
    } else if (r == -102) {
      LogTrace(kLogCategory, 0, "Wrong Symbol in %s - skipping to next command", command);
    } else if (AbortPending()) {
      LogTrace(kLogCategory, 0, "Sequence Abort requested");
    } else {
      LogTrace(kLogCategory, 0, "Fatal Error - aborting (Try#%d)", t + 2);
    }
    return r;
  }
  return r;
}

void SequenceRunner::SaveRunState(const char* state, int step, const char* command) {
  RunState s;
  s.definition = m_definition;
  s.state = state;
  s.step = step;
  s.command = command ? command : "";
  CTxt err;
  if (WriteRunState(RunFolder().c_str(), s, err) < 0)
    LogTrace(kLogCategory, 0, "Run state not saved in %s: %s", RunFolder().c_str(),
             static_cast<const char*>(err));
}

// --- The end of a run ------------------------------------------------------------------------------------

int SequenceRunner::EndOfRun(const char* definitionPath, int result, int errors, bool fatal,
                             CTxt& resultText) {
  std::string duration;
  {
    std::lock_guard<std::mutex> guard(m_lock);
    duration = DurationSince(m_runStart);
  }
  std::string folder = RunFolder();
  CTxt summary;
  WriteSummary(folder.c_str(), summary, 1);
  LogTrace(kLogCategory, 0, "%s", static_cast<const char*>(summary));
  bool afterStep = m_abortAfterStep.load() && m_driver.AbortRequest().load() == 0;
  bool aborted = AbortPending() || result == kRunAborted;
  int current = m_currentStep.load();
  if (!aborted) {
    CTxt marks;
    SetAbortMark(definitionPath, -1, nullptr, marks);
    LogTrace(kLogCategory, 0, "%s", static_cast<const char*>(marks));
    if (errors > 0) {
      CTxt text;
      if (fatal)
        text.Format("%s\r\n\r\nCompleted Sequence with %d Errors (See LOG for details):\r\n%s\r\nDuration:%s",
                    static_cast<const char*>(resultText), errors, definitionPath, duration.c_str());
      else
        text.Format("Completed Sequence with %d Errors (See LOG for details):\r\n%s\r\nDuration:%s", errors,
                    definitionPath, duration.c_str());
      resultText = text;
      result = kRunStepErrors;
    } else {
      resultText.Format("Completed Sequence:\r\n%s\r\nDuration:%s", definitionPath, duration.c_str());
    }
  } else {
    int step = current < 0 ? 1 : current + 1;
    const char* command = m_script.GetCommand(step - 1);
    resultText.Format("Aborted Sequence at Step#%d (%s):\r\n%s\r\nDuration:%s", step, command ? command : "",
                      definitionPath, duration.c_str());
    result = kRunAborted;
    // "Abort after this step" lets the step finish: the next run goes on with the step after it (the last
    // step is marked itself, so that the run still ends with a mark).
    int resume = afterStep && m_stepFinished.load() && step < m_script.GetCommandCount() ? step + 1 : step;
    CTxt markText;
    WriteRunAbortMark(m_script, definitionPath, resume, markText, m_prompts);
  }
  SaveRunState("Finished", current + 1, m_script.GetCommand(current));
  ResetRequests();
  m_currentStep = -1;
  return result;
}

// --- List scripts
// ---------------------------------------------------------------------------------------------

int SequenceRunner::RunListScript(const char* definitionPath, const char* baseFolder, CTxt& resultText) {
  CTxt listLine = LineStartingWith(m_script.DefinitionLines(), "List=");
  CTxt value(static_cast<const char*>(listLine) + 5);
  CTxtArray names;
  names.LoadFromFields(value, '|', 1);
  std::vector<std::string> kept;
  for (int i = 0; i < names.GetSize(); ++i)
    if (!TrimBlanks(names.GetAtTxt(i)).empty()) kept.push_back(TrimBlanks(names.GetAtTxt(i)));
  std::string base = FolderOf(definitionPath) + "/";
  {
    std::lock_guard<std::mutex> guard(m_lock);
    m_listScript = value.ToStd();
    m_listCount = static_cast<int>(kept.size());
  }
  LogTrace(kLogCategory, 0, "Multi Script: %d Scripts, Base=%s, %s", static_cast<int>(kept.size()),
           base.c_str(), static_cast<const char*>(listLine));
  bool stopOnError = Settings::GetBool("Tavrin", "MultiScriptStopError", true);
  int listResult = 0, errors = 0, processed = 0;
  std::vector<std::string> texts;
  for (size_t j = 0; j < kept.size(); ++j) {
    m_multiScriptIndex = static_cast<int>(j);
    std::string path = base + kept[j] + ".tvd";
    LogTrace(kLogCategory, 0, "%2d of %2d - Executing Script: %s", static_cast<int>(j + 1),
             static_cast<int>(kept.size()), path.c_str());
    ++processed;
    CTxt text;
    int r = Run(path.c_str(), baseFolder, text);
    texts.push_back(text.ToStd());
    if (r >= 0) {
      LogTrace(kLogCategory, 0, "Script completed: %s", static_cast<const char*>(text));
      continue;
    }
    ++errors;
    LogTrace(kLogCategory, 0, "Script completed with error: %s", static_cast<const char*>(text));
    // An abort ends the whole list, whatever MultiScriptStopError says: the user asked to stop.
    if (stopOnError || r == kRunAborted) {
      listResult = r;
      break;
    }
  }
  m_failedScripts = errors;
  if (errors)
    resultText.Format("%d Scripts processed (%d Errors) (%s):\r\n", processed, errors,
                      static_cast<const char*>(value));
  else
    resultText.Format("%d Scripts processed (%s):\r\n", processed, static_cast<const char*>(value));
  for (size_t j = 0; j < texts.size(); ++j) {
    CTxt part;
    part.Format("%d. Script %s:\r\n%s\r\n\r\n", static_cast<int>(j + 1), kept[j].c_str(), texts[j].c_str());
    resultText += part;
  }
  return listResult;
}

// --- The report-saving test ------------------------------------------------------------------------------

int SequenceRunner::RunTestCommand(const CTxt& command) {
  int count = GetFieldInt(static_cast<const char*>(command) + 4, '|', 2);
  int mode = Settings::GetInt("Tavrin", "SaveOptMode", 0);
  for (int i = 1; i <= count; ++i) {
    LogTrace(kLogCategory, 0, "Saving TradeStation Performance Report (Mode=%d)", mode);
    GaugetteUpdate("Testing saving MHT Results", i - 1, count);
    CTxt name, report, err;
    name.Format("%d", i);
    if (m_driver.SaveStrategyReport("TEST", name, mode, report, err) < 0) {
      LogTrace(kLogCategory, 0, "Save Result failed: %s", static_cast<const char*>(err));
    } else if (!report.IsEmpty()) {
      TradeStatistics stats(Settings::GetFloat("Yieldra", "StartEquity", 5000.0f));
      CTxt msg;
      if (LoadTradeReport(report, stats, msg) >= 0) {
        CTxtArray table;
        AppendStatisticsTable(stats, table);
      }
    }
    if (mode == 0 || (mode >= 3 && mode <= 5)) {
      CTxt listErr;
      if (m_driver.SaveOptimizationList("TEST", name, listErr) < 0)
        LogTrace(kLogCategory, 0, "Save Result failed: %s", static_cast<const char*>(listErr));
    }
  }
  GaugetteClose();
  return 0;
}

// --- The error watch -------------------------------------------------------------------------------------

int SequenceRunner::StartErrorWatch(CTxt& resultText) {
  if (m_errorWatch.joinable()) return 1;
  m_stopWatch = false;
  try {
    m_errorWatch = std::thread([this] {
      while (!m_stopWatch.load()) {
        m_driver.CheckApplicationErrors();
        for (int waited = 0; waited < kWatchPeriodMs && !m_stopWatch.load(); waited += 50)
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      LogTrace(kLogCategory, 0, "Aborting stop thread");
    });
  } catch (const std::system_error&) {
    resultText = "Cannot create thread";
    LogTrace(kLogCategory, 0, "Cannot create thread");
    return -1;
  }
  return 0;
}

// --- Requests ----------------------------------------------------------------------------------------------

int SequenceRunner::Request(int code, CTxt& text, const char* file) {
  switch (code) {
    case kRequestAbortNow:
      LogTrace(kLogCategory, 0, "Aborting Backtesting Optimization Run");
      m_driver.AbortRequest() = 1;
      return m_driver.AbortOptimization(text);
    case kRequestAbortAfterStep:
      // Kept by the runner alone: the driver's waits and checks end on its abort request, and the step is to
      // finish whole.
      LogTrace(kLogCategory, 0, "Waiting for Optimization Step to end");
      m_abortAfterStep = true;
      return 0;
    case kRequestSymbolPosition:
      return SymbolPosition(text);
    case kRequestTimeframePosition:
      return TimeframePosition(text);
    case kRequestStepNumber:
      return Idle() ? -1 : m_currentStep.load() + 1;
    case kRequestOptimizationSet: {
      if (Idle()) return -1;
      std::lock_guard<std::mutex> guard(m_lock);
      text = m_script.GetRunCommand(m_currentStep.load()).OptSet();
      return text.GetLength();
    }
    case kRequestPermutations:
      if (Idle()) return -1;
      text.Format("%d", m_driver.PermutationCount());
      return text.GetLength();
    case kRequestStepElapsed:
      return StepElapsed(text);
    case kRequestListPosition: {
      int index = m_multiScriptIndex.load();
      if (index < 0) return -1;
      std::lock_guard<std::mutex> guard(m_lock);
      text.Format("MultiScripts: %d of %d (%s)", index + 1, m_listCount, m_listScript.c_str());
      return 1;
    }
    case kRequestReadMark:
      return ReadAbortMark(file, text);
    case kRequestRemoveMarks:
      return RemoveAbortMarks(file, text);
    case kRequestPause:
      LogTrace(kPauseCategory, 0, "Pausing Optimization");
      m_driver.PauseRequest() = 1;
      return 0;
    case kRequestContinue:
      LogTrace(kPauseCategory, 0, "Continue after Pause Optimization");
      m_driver.PauseRequest() = 0;
      return 0;
    default:
      return 0;
  }
}

int SequenceRunner::SymbolPosition(CTxt& text) {
  if (Idle()) return -1;
  std::lock_guard<std::mutex> guard(m_lock);
  CTxt symbol = m_script.GetRunCommand(m_currentStep.load()).Symbol();
  text = symbol;
  const CTxtArray& entries = m_script.SymbolEntries();
  for (int i = 0; i < entries.GetSize(); ++i) {
    CTxt entry;
    strfld(entries.GetAtTxt(i), '/', 1, 1, entry);
    if (EqualNoCase(entry, symbol)) return i + 1;
  }
  return 0;
}

int SequenceRunner::TimeframePosition(CTxt& text) {
  int index = m_currentStep.load();
  if (index < 0) return -1;
  std::lock_guard<std::mutex> guard(m_lock);
  m_script.FillTimeframeLines(index);
  RunCommand current = m_script.GetRunCommand(index);
  text = current.Interval();
  int position = 0;
  for (int i = 0; i <= index; ++i)
    if (EqualNoCase(m_script.GetRunCommand(i).Symbol(), current.Symbol())) ++position;
  return position;
}

int SequenceRunner::StepElapsed(CTxt& text) {
  std::lock_guard<std::mutex> guard(m_lock);
  if (!m_stepStarted) return -1;
  m_stepStart.GetDurTxtHMS(text);
  return m_stepStart.GetDiffSec();
}
