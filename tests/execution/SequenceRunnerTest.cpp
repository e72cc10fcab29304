// The sequence runner against a scripted driver: run folders, retries and the reaction to each result code,
// resume at abort marks and after an interrupted run, pause and abort through the requests, the data drive,
// simulated steps and list scripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "execution/AbortMarks.h"
#include "execution/RunState.h"
#include "execution/RunWorker.h"
#include "execution/SequenceRunner.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "sequence/DefinitionTestSupport.h"

using namespace definitiontest;

namespace {

// Answers the runner from a script: ExecuteStep results per step number (the last one repeats), and records
// every call and wait instead of sleeping.
class ScriptedDriver : public StepDriver {
 public:
  std::map<int, std::deque<int>> results;  // step number -> results of its attempts
  std::function<void(int step, int attempt)> onStep;
  std::vector<std::string> calls;
  std::vector<int> waits;
  std::vector<int> checkMaximised;
  std::string tsFolder;
  double freeGB = 100;
  bool tradeStation = true;
  bool workspaceOpens = true;
  int abortOptimizationResult = 0;
  std::atomic<int> errorChecks{0};
  std::map<int, int> attempts;

  std::atomic<int>& AbortRequest() override { return abort_; }
  std::atomic<int>& PauseRequest() override { return pause_; }
  bool FindMainWindow(CTxt& resultText) override {
    if (!tradeStation) resultText = "TradeStation not opened - Start TradeStation now and click OK";
    return tradeStation;
  }
  int GetTsBaseFolder(CTxt& folder) override {
    folder = tsFolder.c_str();
    return 0;
  }
  void LoadSymbolRoots() override {}
  int OpenWorkspace(const char* path, CTxt& resultText, int check) override {
    calls.push_back(std::string("open ") + path);
    checkMaximised.push_back(check);
    if (!workspaceOpens) resultText = "TradeStation not opened - Start TradeStation now and click OK";
    return workspaceOpens ? 0 : -1;
  }
  int ExecuteStep(const char* command, CTxt& resultText, int) override {
    int step = currentStep_ + 1;
    int attempt = ++attempts[step];
    calls.push_back("step " + std::to_string(step) + " " + command);
    if (onStep) onStep(step, attempt);
    std::deque<int>& planned = results[step];
    int r = planned.empty() ? 0 : planned.front();
    if (planned.size() > 1) planned.pop_front();
    resultText.Format("result %d of step %d", r, step);
    return r;
  }
  void CloseTsPopups() override {}
  int AbortOptimization(CTxt&) override {
    calls.push_back("abort optimization");
    return abortOptimizationResult;
  }
  void CheckApplicationErrors() override { ++errorChecks; }
  int SaveStrategyReport(const char*, const char* name, int, CTxt& report, CTxt&) override {
    calls.push_back(std::string("save report ") + name);
    report.MakeEmpty();
    return 0;
  }
  int SaveOptimizationList(const char*, const char* name, CTxt&) override {
    calls.push_back(std::string("save list ") + name);
    return 0;
  }
  void SetRunScript(const RunScript*) override {}
  void SetRunFolder(const char* folder) override { runFolder = folder; }
  void SetCurrentWorkspace(const char* path) override { workspace = path; }
  void SetCurrentStep(int index) override { currentStep_ = index; }
  int PermutationCount() override { return 24; }
  bool Wait(int ms) override {
    waits.push_back(ms);
    if (onWait) onWait(ms);
    return abort_.load() == 0;
  }
  double FreeSpaceGB(char) override { return freeGB; }

  std::function<void(int ms)> onWait;
  std::string runFolder;
  std::string workspace;

  int Attempts(int step) { return attempts[step]; }
  int StepCalls() const {
    int n = 0;
    for (const std::string& c : calls) n += c.rfind("step ", 0) == 0;
    return n;
  }

 private:
  std::atomic<int> abort_{0};
  std::atomic<int> pause_{0};
  int currentStep_ = -1;
};

// Collects the runner's log lines.
class RunnerLog {
 public:
  RunnerLog() { SetLogStatusSink(&Collect, this); }
  ~RunnerLog() { SetLogStatusSink(nullptr, nullptr); }
  int Count(const std::string& part) const {
    std::lock_guard<std::mutex> guard(lock_);
    int n = 0;
    for (const std::string& line : lines_) n += line.find(part) != std::string::npos;
    return n;
  }
  std::string All() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string all;
    for (const std::string& line : lines_) all += line + "\n";
    return all;
  }

 private:
  static void Collect(void* self, const char*, const char* text, int) {
    auto* log = static_cast<RunnerLog*>(self);
    std::lock_guard<std::mutex> guard(log->lock_);
    log->lines_.push_back(text ? text : "");
  }
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

class Runner : public DefinitionFolders {
 protected:
  void SetUp() override {
    DefinitionFolders::SetUp();
    driver.tsFolder = root + "/TradeStation";
    std::filesystem::create_directories(driver.tsFolder + "/MyWork");
    Settings::WriteInt("Tavrin", "FmtNextSymWait", 2000);
  }
  // Four steps: ES and NQ, each on Daily and Intra/5, with an optimisation range.
  std::string FourSteps(const std::string& name = "DJ30") {
    return Definition(name, "ES,NQ",
                      {"Template=", "Daily", "Intra/5|10 Days", "", "OptSet=", "1/Len|10|20|5"});
  }
  std::string Base(const std::string& name = "DJ30") const {
    return driver.tsFolder + "/MyWork/Tavrin/" + name + "/";
  }
  int RunIt(const std::string& path, CTxt& text) { return runner.Run(path.c_str(), "", text); }

  ScriptedDriver driver;
  ScriptedPrompts prompts;
  SequenceRunner runner{driver, &prompts};
};

int CountOf(const std::vector<int>& values, int value) {
  int n = 0;
  for (int v : values) n += v == value;
  return n;
}

}  // namespace

TEST_F(Runner, CompletedRunFillsItsFolderAndSecondRunGetsTheNextOne) {
  std::string path = FourSteps();
  CTxt text;
  ASSERT_EQ(kRunCompleted, RunIt(path, text)) << text.ToStd();
  EXPECT_EQ(0u, text.ToStd().rfind("Completed Sequence:\r\n" + path + "\r\nDuration:", 0)) << text.ToStd();
  std::string first = Base() + "SEQ_0001";
  EXPECT_EQ(driver.runFolder, first);
  EXPECT_TRUE(testsupport::FileExists(first + "/DJ30.tvd"));
  EXPECT_TRUE(testsupport::FileExists(first + "/Chart.tsw"));
  EXPECT_TRUE(testsupport::FileExists(first + "/_Summary.csv"));
  EXPECT_EQ(4, driver.StepCalls());
  EXPECT_EQ(4, CountOf(driver.waits, 2000)) << "FmtNextSymWait after every optimised step";
  EXPECT_EQ((std::vector<int>{1, 0, 0, 0}), driver.checkMaximised);
  EXPECT_EQ("open " + first + "/Chart.tsw", driver.calls[0]);
  EXPECT_EQ(first + "/Chart.tsw", driver.workspace) << "the steps' files go beside the workspace copy";
  RunState state;
  CTxt err;
  ASSERT_EQ(1, ReadRunState(first.c_str(), state, err));
  EXPECT_EQ("Finished", state.state);
  EXPECT_EQ(-1, runner.CurrentStep());

  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ(driver.runFolder, Base() + "SEQ_0002");
}

TEST_F(Runner, RetryableStepIsTriedSeqRetryTimesAndCountsEachError) {
  std::string path = FourSteps();
  driver.results[2] = {-5};
  RunnerLog log;
  CTxt text;
  EXPECT_EQ(kRunStepErrors, RunIt(path, text));
  EXPECT_EQ(3, driver.Attempts(2));
  EXPECT_EQ(3, log.Count("ERROR   :   2 of   4"));
  EXPECT_EQ(1, log.Count("TRYING AGAIN (Try#2)"));
  EXPECT_EQ(1, log.Count("TRYING AGAIN (Try#4)"));
  EXPECT_EQ(3, CountOf(driver.waits, 5000));
  EXPECT_EQ(0u, text.ToStd().rfind("Completed Sequence with 3 Errors (See LOG for details):\r\n" + path, 0))
      << text.ToStd();
  EXPECT_EQ(4, driver.Attempts(1) + driver.Attempts(3) + driver.Attempts(4) + 1);
}

TEST_F(Runner, WrongSymbolIsNotRetriedAndFatalStopsWithItsTextFirst) {
  std::string path = FourSteps();
  driver.results[1] = {-102};
  driver.results[3] = {-103};
  RunnerLog log;
  CTxt text;
  EXPECT_EQ(kRunStepErrors, RunIt(path, text));
  EXPECT_EQ(1, driver.Attempts(1));
  EXPECT_EQ(1, log.Count("Wrong Symbol in ES|"));
  EXPECT_EQ(1, driver.Attempts(3));
  EXPECT_EQ(0, driver.Attempts(4)) << "a fatal result stops the sequence";
  EXPECT_EQ(0u, text.ToStd().rfind("result -103 of step 3\r\n\r\nCompleted Sequence with 2 Errors", 0))
      << text.ToStd();
}

TEST_F(Runner, OtherCodesBelowMinusHundredEndTheStepWithoutRetry) {
  std::string path = FourSteps();
  driver.results[2] = {-101};
  RunnerLog log;
  CTxt text;
  EXPECT_EQ(kRunStepErrors, RunIt(path, text));
  EXPECT_EQ(1, driver.Attempts(2));
  EXPECT_EQ(1, log.Count("Fatal Error - aborting (Try#2)"));
  EXPECT_EQ(1, driver.Attempts(4));
}

TEST_F(Runner, AbortDuringTheLastStepWritesItsMarkAndTheNextRunResumesThere) {
  std::string path = FourSteps();
  driver.onStep = [&](int step, int) {
    if (step == 4) {
      CTxt t;
      runner.Request(kRequestAbortNow, t);
    }
  };
  driver.results[4] = {-102};
  CTxt text;
  EXPECT_EQ(kRunAborted, RunIt(path, text));
  EXPECT_EQ(0u, text.ToStd().rfind("Aborted Sequence at Step#4 (NQ|", 0)) << text.ToStd();
  EXPECT_EQ(1, std::count(driver.calls.begin(), driver.calls.end(), "abort optimization"));
  CTxt mark;
  EXPECT_EQ(4, ReadAbortMark(path.c_str(), mark));

  driver.onStep = nullptr;
  driver.results[4] = {0};
  driver.calls.clear();
  driver.checkMaximised.clear();
  RunnerLog log;
  ASSERT_EQ(kRunCompleted, RunIt(path, text)) << text.ToStd();
  EXPECT_EQ(1, driver.StepCalls());
  EXPECT_EQ(1, log.Count("Continue at aborted Step#4"));
  EXPECT_EQ((std::vector<int>{0}), driver.checkMaximised) << "no maximised check when resuming";
  EXPECT_EQ(-2, ReadAbortMark(path.c_str(), mark)) << "a completed run removes the marks";
}

TEST_F(Runner, AbortAfterTheStepResumesAtTheNextStep) {
  std::string path = FourSteps();
  int driverAbortDuringStep = -1;
  driver.onStep = [&](int step, int) {
    if (step == 2) {
      CTxt t;
      runner.Request(kRequestAbortAfterStep, t);
      driverAbortDuringStep = driver.AbortRequest().load();
    }
  };
  CTxt text;
  EXPECT_EQ(kRunAborted, RunIt(path, text));
  EXPECT_EQ(0, driverAbortDuringStep) << "the driver's waits and checks must not cut the step short";
  EXPECT_EQ(2, driver.StepCalls()) << "the current step finishes, no other starts";
  EXPECT_EQ(0u, text.ToStd().rfind("Aborted Sequence at Step#2", 0)) << text.ToStd();
  CTxt mark;
  EXPECT_EQ(3, ReadAbortMark(path.c_str(), mark));
}

// TradeStation gone after a step: the next step's workspace cannot be opened and the run ends as a failed
// preparation; the steps done so far still get their summary, and the unfinished run state makes the next
// run go on with the step that could not start.
TEST_F(Runner, WorkspaceLostMidRunStillWritesTheSummaryAndLeavesAResumePoint) {
  std::string path = FourSteps();
  driver.onStep = [&](int step, int) {
    if (step == 2) driver.workspaceOpens = false;
  };
  CTxt text;
  EXPECT_EQ(kRunPreparationFailed, RunIt(path, text));
  EXPECT_EQ("TradeStation not opened - Start TradeStation now and click OK", text.ToStd());
  EXPECT_EQ(2, driver.StepCalls());
  EXPECT_TRUE(testsupport::FileExists(Base() + "SEQ_0001/_Summary.csv"));
  EXPECT_EQ(-1, runner.CurrentStep());
  CTxt adopted;
  EXPECT_EQ(3, runner.AdoptInterruptedRun(path.c_str(), "", adopted)) << adopted.ToStd();
}

TEST_F(Runner, PauseHoldsTheNextStepUntilContinued) {
  std::string path = FourSteps();
  driver.onStep = [&](int step, int) {
    if (step == 1) {
      CTxt t;
      runner.Request(kRequestPause, t);
    }
  };
  int pausedWaits = 0;
  driver.onWait = [&](int ms) {
    if (ms == 1000 && ++pausedWaits == 3) {
      CTxt t;
      runner.Request(kRequestContinue, t);
    }
  };
  RunnerLog log;
  CTxt text;
  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ(3, pausedWaits);
  EXPECT_EQ(1, log.Count("Paused before Step#2"));
  EXPECT_EQ(4, driver.StepCalls());
}

TEST_F(Runner, AbortDuringAPauseEndsThePauseAndTheRun) {
  std::string path = FourSteps();
  CTxt t;
  driver.onStep = [&](int step, int) {
    if (step == 1) runner.Request(kRequestPause, t);
  };
  driver.onWait = [&](int ms) {
    if (ms == 1000) runner.Request(kRequestAbortAfterStep, t);
  };
  CTxt text;
  EXPECT_EQ(kRunAborted, RunIt(path, text));
  EXPECT_EQ(1, driver.StepCalls());
}

TEST_F(Runner, FullDataDriveStopsWithItsCodeAndStillWritesTheSummary) {
  std::string path = FourSteps();
  driver.freeGB = 0.005;
  RunnerLog log;
  CTxt text;
  EXPECT_EQ(kRunDataDriveFull, RunIt(path, text));
  EXPECT_EQ(0, driver.StepCalls());
  EXPECT_EQ(1, log.Count("DataDrive 'C' full - only 0.01GB free (Min 0.01GB)"));
  EXPECT_TRUE(testsupport::FileExists(Base() + "SEQ_0001/_Summary.csv"));
}

TEST_F(Runner, SimulatedDurationSleepsInsteadOfExecuting) {
  std::string path = FourSteps();
  Settings::WriteInt("Tavrin", "SeqSimulateDur", 1);
  CTxt text;
  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ(0, driver.StepCalls());
  EXPECT_EQ(4, CountOf(driver.waits, 1000));
  EXPECT_EQ(4, static_cast<int>(driver.checkMaximised.size())) << "the workspace is still activated per step";
}

TEST_F(Runner, NoTradeStationAndNoRetriesEndEarly) {
  std::string path = FourSteps();
  driver.tradeStation = false;
  CTxt text;
  EXPECT_EQ(kRunNoTradeStation, RunIt(path, text));
  EXPECT_EQ("TradeStation not opened - Start TradeStation now and click OK", text.ToStd());
  driver.tradeStation = true;
  Settings::WriteInt("Tavrin", "SeqRetry", 0);
  EXPECT_EQ(kRunPreparationFailed, RunIt(path, text));
  EXPECT_EQ(0, driver.StepCalls());
}

TEST_F(Runner, ListScriptStopsAtAFailingDefinitionOnlyWhenAsked) {
  FourSteps("A");
  Definition("B", "ES", {"Template=", "Daily", "", "OptSet=", "1/Len|10|20|5"});
  std::string list = testsupport::WriteFile(program + "/AB.tvd", CrLf({"List=A|B"}));
  driver.results[1] = {-103};  // A fails at its first step; B's only step too, if it runs
  CTxt text;
  Settings::WriteBool("Tavrin", "MultiScriptStopError", true);
  EXPECT_EQ(kRunStepErrors, RunIt(list, text));
  EXPECT_EQ(0u, text.ToStd().rfind("1 Scripts processed (1 Errors) (A|B):\r\n1. Script A:\r\n", 0))
      << text.ToStd();
  CTxt position;
  EXPECT_EQ(1, runner.Request(kRequestListPosition, position));
  EXPECT_EQ("MultiScripts: 1 of 2 (A|B)", position.ToStd());

  Settings::WriteBool("Tavrin", "MultiScriptStopError", false);
  driver.results[1] = {0};
  EXPECT_EQ(0, RunIt(list, text));
  EXPECT_EQ(0u, text.ToStd().rfind("2 Scripts processed (A|B):\r\n1. Script A:\r\n", 0)) << text.ToStd();
  EXPECT_NE(std::string::npos, text.ToStd().find("2. Script B:\r\nCompleted Sequence:"));
}

TEST_F(Runner, RequestsAnswerFromTheCurrentStep) {
  std::string path = FourSteps();
  CTxt t;
  EXPECT_EQ(-1, runner.Request(kRequestStepNumber, t));
  std::map<int, std::string> seen;
  driver.onStep = [&](int step, int) {
    if (step != 4) return;
    CTxt text;
    seen[kRequestStepNumber] = std::to_string(runner.Request(kRequestStepNumber, text));
    int symbol = runner.Request(kRequestSymbolPosition, text);
    seen[kRequestSymbolPosition] = std::to_string(symbol) + " " + text.ToStd();
    int timeframe = runner.Request(kRequestTimeframePosition, text);
    seen[kRequestTimeframePosition] = std::to_string(timeframe) + " " + text.ToStd();
    runner.Request(kRequestOptimizationSet, text);
    seen[kRequestOptimizationSet] = text.ToStd();
    runner.Request(kRequestPermutations, text);
    seen[kRequestPermutations] = text.ToStd();
    seen[kRequestStepElapsed] = std::to_string(runner.Request(kRequestStepElapsed, text));
  };
  CTxt text;
  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ("4", seen[kRequestStepNumber]);
  EXPECT_EQ("2 NQ", seen[kRequestSymbolPosition]);
  EXPECT_EQ("2 Intra/5", seen[kRequestTimeframePosition]);
  EXPECT_EQ("OptSet", seen[kRequestOptimizationSet]);
  EXPECT_EQ("24", seen[kRequestPermutations]);
  EXPECT_EQ("0", seen[kRequestStepElapsed]);
}

// A run that died mid-step (no abort mark, its run state still "Running") is taken over by the next run of
// the definition at the interrupted step; a definition changed since is warned about.
TEST_F(Runner, InterruptedRunIsResumedAtItsStep) {
  std::string path = FourSteps();
  driver.onStep = [&](int step, int) {
    if (step == 3) throw std::runtime_error("the machine died");
  };
  CTxt text;
  EXPECT_THROW(RunIt(path, text), std::runtime_error);
  RunState state;
  CTxt err;
  ASSERT_EQ(1, ReadRunState((Base() + "SEQ_0001").c_str(), state, err));
  EXPECT_EQ("Running", state.state);
  EXPECT_EQ(3, state.step);
  CTxt mark;
  EXPECT_EQ(-2, ReadAbortMark(path.c_str(), mark)) << "no mark: the run never ended";

  driver.onStep = nullptr;
  driver.calls.clear();
  RunnerLog log;
  ASSERT_EQ(kRunCompleted, RunIt(path, text)) << text.ToStd();
  EXPECT_EQ(2, driver.StepCalls()) << driver.calls.size();
  EXPECT_EQ(1, log.Count("was interrupted at Step#3")) << log.All();
  EXPECT_EQ(1, log.Count("Continue at aborted Step#3"));
  EXPECT_EQ(0, log.Count("WARNING: the definition changed")) << log.All();
  ASSERT_EQ(1, ReadRunState((Base() + "SEQ_0001").c_str(), state, err));
  EXPECT_EQ("Resumed", state.state);

  // Once taken over, it is not taken over again.
  driver.calls.clear();
  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ(4, driver.StepCalls());
}

TEST_F(Runner, ResumeWarnsWhenTheDefinitionChangedAtTheResumeStep) {
  std::string path = FourSteps();
  CTxt text;
  ASSERT_EQ(0, SetAbortMark(path.c_str(), 2, "GC|OptSet|Daily|x|y|", text));
  RunnerLog log;
  ASSERT_EQ(kRunCompleted, RunIt(path, text));
  EXPECT_EQ(1, log.Count("WARNING: the definition changed since the run stopped: Step#2 was GC|OptSet"));
  EXPECT_EQ(3, driver.StepCalls());
}

TEST_F(Runner, ErrorWatchChecksUntilTheRunnerGoes) {
  CTxt text;
  {
    ScriptedDriver watched;
    SequenceRunner own(watched);
    EXPECT_EQ(0, own.StartErrorWatch(text));
    EXPECT_EQ(1, own.StartErrorWatch(text));
    for (int i = 0; i < 200 && watched.errorChecks.load() == 0; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(watched.errorChecks.load(), 0);
  }  // the runner joins its watch before the driver goes
}

namespace {

// The window side of the worker, recorded.
class RecordingHost : public RunHost {
 public:
  bool chartsOnly = false;
  bool showLog = true;
  std::vector<std::string> events;
  std::string finalText;
  bool finalIsError = false;

  bool ChartsOnly() override { return chartsOnly; }
  void ShowFinalText(const char* text, bool isError) override {
    finalText = text;
    finalIsError = isError;
    events.push_back("final");
  }
  bool AskShowLog(const char* question) override {
    events.push_back(std::string("ask ") + question);
    return showLog;
  }
  void ShowLog() override { events.push_back("log"); }
  void OpenRunFolder(const char* launchText) override { events.push_back(std::string("open ") + launchText); }
  void RunEnded() override { events.push_back("ended"); }
  void SetAutoExit(const char* value) override { events.push_back(std::string("autoexit ") + value); }
};

}  // namespace

TEST_F(Runner, WorkerRunsTheCurrentDefinitionAndReportsItsFolder) {
  FourSteps("DJ30");  // CurrDef's default
  RecordingHost host;
  RunWorkerFlags flags;
  CTxt text;
  std::string folder = program + "/";
  ASSERT_EQ(kRunCompleted, RunWorkerProcedure(runner, host, folder.c_str(), flags, text));
  std::string runFolder = Base() + "SEQ_0001";
  EXPECT_NE(std::string::npos,
            text.ToStd().find("\r\n\r\nBacktest Sequence Folder for this run:\r\n" + runFolder + "\r\n"))
      << text.ToStd();
  EXPECT_EQ(text.ToStd(), host.finalText);
  EXPECT_FALSE(host.finalIsError);
  CTxt backslashed(runFolder.c_str());
  backslashed.MakeFnDOS();
  EXPECT_EQ((std::vector<std::string>{"autoexit 1", "open @!explorer \"" + backslashed.ToStd() + "\"",
                                      "final", "ended", "autoexit 0"}),
            host.events);
  EXPECT_EQ(0, flags.running.load());
  EXPECT_EQ(1, flags.done.load());
  std::string current;
  Settings::GetString("Tavrin", "CurrDef", "", current);
  EXPECT_EQ("DJ30", current) << "the default is written back";
}

TEST_F(Runner, WorkerOffersTheLogAfterAFailedRunAndHonoursChartsOnly) {
  Settings::WriteString("Tavrin", "CurrDef", "Missing");
  RecordingHost host;
  host.chartsOnly = true;
  RunWorkerFlags flags;
  CTxt text;
  std::string folder = program + "/";
  EXPECT_LT(RunWorkerProcedure(runner, host, folder.c_str(), flags, text), 0);
  EXPECT_TRUE(host.finalIsError);
  ASSERT_GE(host.events.size(), 2u);
  EXPECT_EQ("ask Errors occured - do you want to see the Log for details?",
            host.events[host.events.size() - 2]);
  EXPECT_EQ("log", host.events.back());
  EXPECT_FALSE(Settings::GetBool("Tavrin", "RunOpt", true)) << "charts only: no optimisation";
  EXPECT_EQ(1, flags.done.load());
}

TEST(UnattendedExitCode, TellsCompletedStepErrorsNotStartedAndAbortedApart) {
  EXPECT_EQ(kExitCompleted, UnattendedExitCode(kRunCompleted, 0));
  EXPECT_EQ(kExitStepErrors, UnattendedExitCode(kRunStepErrors, 0));
  EXPECT_EQ(kExitStepErrors, UnattendedExitCode(kRunCompleted, 1))
      << "a list script with a failed definition";
  EXPECT_EQ(kExitAborted, UnattendedExitCode(kRunAborted, 0));
  EXPECT_EQ(kExitAborted, UnattendedExitCode(kRunDataDriveFull, 0));
  EXPECT_EQ(kExitNotStarted, UnattendedExitCode(kRunNoTradeStation, 0));
  EXPECT_EQ(kExitNotStarted, UnattendedExitCode(kRunPreparationFailed, 0));
  EXPECT_EQ(kExitNotStarted, UnattendedExitCode(-3, 0)) << "a definition the script builder refuses";
}

TEST_F(Runner, ListScriptCountsItsFailedDefinitionsForTheExitCode) {
  FourSteps("A");
  Definition("B", "ES", {"Template=", "Daily", "", "OptSet=", "1/Len|10|20|5"});
  std::string list = testsupport::WriteFile(program + "/AB.tvd", CrLf({"List=A|B"}));
  Settings::WriteBool("Tavrin", "MultiScriptStopError", false);
  driver.results[1] = {-103};
  CTxt text;
  EXPECT_EQ(0, RunIt(list, text));
  EXPECT_EQ(2, runner.FailedScripts());
  EXPECT_EQ(kExitStepErrors, UnattendedExitCode(0, runner.FailedScripts()));
  driver.results[1] = {0};
  EXPECT_EQ(0, RunIt(list, text));
  EXPECT_EQ(0, runner.FailedScripts());
}

TEST(RunTimings, StepFilesOfEveryRunFolderAreReadAndOtherFilesPassedOver) {
  std::string runs = testsupport::ScratchFolder() + "/MyWork/Tavrin/DJ30/";
  const char* header = "Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),\r\n";
  std::filesystem::create_directories(runs + "SEQ_0001");
  std::filesystem::create_directories(runs + "SEQ_0002");
  std::filesystem::create_directories(runs + "Other");
  testsupport::WriteFile(runs + "SEQ_0001/ES_Daily.csv",
                         std::string(header) + "1,ES,Daily1.00,12,00:01:40,100,\r\n");
  testsupport::WriteFile(runs + "SEQ_0001/NQ_Daily.csv",
                         std::string(header) + "2,NQ,Daily1.00,0,00:00:30,30,\r\n");
  testsupport::WriteFile(runs + "SEQ_0001/_Summary.csv", "Start,x\r\n\r\nSeq,Symbol,\r\n");
  testsupport::WriteFile(runs + "SEQ_0001/Bad.csv",
                         std::string(header) + "3,ES,Daily1.00,many,00:00:30,30,\r\n");
  testsupport::WriteFile(runs + "SEQ_0002/ES_Intra.CSV",
                         std::string(header) + "1,ES,Intra5.00,3,00:00:07,7,");
  testsupport::WriteFile(runs + "Other/ES_Daily.csv",
                         std::string(header) + "1,ES,Daily1.00,12,00:01:40,100,\r\n");
  RunTimings timings = ReadRunTimings(runs);
  std::vector<std::pair<long long, long long>> read;
  for (const TimedStep& t : timings) read.push_back({t.tests, t.seconds});
  std::sort(read.begin(), read.end());
  EXPECT_EQ(read, (std::vector<std::pair<long long, long long>>{{1, 30}, {3, 7}, {12, 100}}))
      << "a step that optimised nothing ran one test; the summary, a malformed line and other folders count "
         "not";
  EXPECT_TRUE(ReadRunTimings(runs + "none/").empty());
  EXPECT_EQ("/ts/MyWork/Tavrin/DJ30/", DefinitionRunsFolder("/ts", "x/DJ30.tvd"));
}

TEST(RunTimings, EstimateFitsATimePerStepAndATimePerTest) {
  EXPECT_EQ(-1, EstimateRunSeconds({}, 10, 100)) << "nothing timed yet";
  // 10 s a step and 1 s a test.
  RunTimings fitted{{10, 20}, {30, 40}, {20, 30}};
  EXPECT_EQ(3 * 10 + 60, EstimateRunSeconds(fitted, 3, 60));
  // Steps alike in tests: all of it per test.
  RunTimings alike{{1000, 100}, {1000, 140}};
  EXPECT_EQ(480, EstimateRunSeconds(alike, 4, 4000));
  // More tests that took less time: chance, so a time per step only.
  RunTimings falling{{10, 50}, {30, 20}};
  EXPECT_EQ(70, EstimateRunSeconds(falling, 2, 1000));
  // A fit below zero per step: all of it per test.
  RunTimings steep{{10, 1}, {20, 100}};
  EXPECT_EQ(101, EstimateRunSeconds(steep, 1, 30));
  EXPECT_EQ("00:00:00", FormatDuration(-3));
  EXPECT_EQ("100:04:05", FormatDuration(100 * 3600 + 4 * 60 + 5));
}
