// One whole step against the stand-in: the files a step leaves on disk on 9.5 and 8.8 (workspace copy,
// performance report, optimisation list, step description file), every result code the stand-in can
// provoke, the save modes, charts-only mode, and a TradeStation that crashes or hangs while optimising.
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <atomic>
#include <filesystem>
#include <sstream>
#include <thread>

#include "DriverChartSupport.h"
#include "execution/RunScript.h"
#include "execution/Summary.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"
#include "tsdriver/WindowQuery.h"

using drivertest::ChartTest;
namespace fs = std::filesystem;

namespace {

constexpr char kStep[] = "MSFT|OptSet|Intra/5|30 Days|12/31/2012|";

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& part) {
  return text.rfind(part, 0) == 0;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> out;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  return out;
}

// Percent of the running optimisation's tests done, read from the progress bar beside its Abort button.
int OptimizationProgress(HWND abortButton) {
  HWND bar = standin::FindDescendant(GetParent(abortButton), PROGRESS_CLASSA);
  return bar ? static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0)) : -1;
}

// Waits until the optimisation has run a quarter of its tests: the step is then in its optimisation wait.
bool WaitOptimizationUnderWay(TsDriver& watcher) {
  return standin::WaitFor(
      [&] { return watcher.FindAbortButton(100) == 0 && OptimizationProgress(watcher.AbortButton()) >= 25; },
      20000);
}

class DriverStep : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    Set("WaitForOpt", "0");
    Set("WaitStartOpt", "0");
    Set("WaitResultsSave", "1");
    Set("ReportFindSec", "3");
    Set("SaveDialogWaitMs", "1500");
    Set("ChartMinColors", "3");
    Set("SaveWS", "1");
    script_.DefinitionLines().Add("OptSet=");
    script_.DefinitionLines().Add("1|4|12|4|");
    script_.DefinitionLines().Add("");
  }

  // The stand-in with the sample workspace, known to the driver as the run's workspace.
  std::unique_ptr<standin::StandIn> StartStep(const char* version, const std::string& control = "") {
    auto ts = Start(version, control);
    // A step starts from a loaded chart: the one the stand-in starts with would otherwise finish loading
    // during the step, and be taken for the step's own load or change what a test compares.
    EXPECT_TRUE(ts->WaitFirstChartLoaded());
    CTxt title;
    EXPECT_TRUE(driver_->FindMainWindow(title));
    driver_->SetCurrentWorkspace(ts->WorkspacePath("Tavrin Sample").c_str());
    driver_->SetRunScript(&script_);
    driver_->SetCurrentStep(0);
    return ts;
  }

  std::string ResultBase(const char* interval = "Intra/5") {
    CTxt value, base;
    int kind = ParseChartInterval(interval, "MSFT", value);
    driver_->MakeResultFileName("MSFT", kind, value, base);
    return base.ToStd();
  }

  int Execute(const char* command, CTxt& err) { return driver_->ExecuteStep(command, err, 1); }

  RunScript script_;
};

// The description file: the step's line, the applied inputs as read back from the stand-in, then the
// statistics table of the saved report as the core's report reader computes it.
void CheckDescription(TsDriver& driver, const std::string& base) {
  std::vector<std::string> lines = SplitLines(testsupport::ReadFile(base + ".csv"));
  ASSERT_GT(lines.size(), 4u);
  EXPECT_EQ(lines[0], "Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),");
  EXPECT_TRUE(StartsWith(lines[1], "1,MSFT,Intra/55.00,3,")) << lines[1];
  const CTxtArray& applied = driver.AppliedParameters();
  ASSERT_GT(applied.GetSize(), 0);
  EXPECT_EQ(lines[2], "List of " + std::to_string(applied.GetSize()) + " Strategy Input Parameters used:");
  EXPECT_EQ(std::string(applied.GetAtTxt(0)), "FastLength|4..12:4|");
  size_t at = 3;
  for (int i = 0; i < applied.GetSize(); ++i, ++at) {
    ASSERT_LT(at, lines.size());
    EXPECT_EQ(lines[at], std::string(applied.GetAtTxt(i)));
  }
  ASSERT_LT(at, lines.size());
  EXPECT_EQ(lines[at++], "");
  TradeStatistics stats(5000);
  CTxtArray table;
  CTxt msg;
  ASSERT_GT(BuildReportStatistics((base + ".MHT").c_str(), stats, table, msg), 0) << msg.ToStd();
  ASSERT_EQ(lines.size() - at, static_cast<size_t>(table.GetSize()));
  for (int i = 0; i < table.GetSize(); ++i) EXPECT_EQ(lines[at + i], std::string(table.GetAtTxt(i)));
}

TEST_F(DriverStep, WholeStepLeavesItsFilesOn95And88) {
  for (const char* version : {"9.5", "8.8"}) {
    auto ts = StartStep(version);
    CTxt err;
    ASSERT_EQ(Execute(kStep, err), 0) << version << " " << err.ToStd() << "\n" << ts->ActivityLog();
    std::string base = ResultBase();
    EXPECT_TRUE(fs::exists(base + ".tsw")) << version;
    ASSERT_TRUE(fs::exists(base + ".MHT")) << version;
    EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".MHT"), "From: <Saved by TradeStation>"));
    ASSERT_TRUE(fs::exists(base + "-OptList.CSV")) << version;
    EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + "-OptList.CSV"), "Test,FastLength,"));
    CheckDescription(*driver_, base);
    EXPECT_TRUE(Contains(ts->ActivityLog(), "format symbol read: MSFT")) << ts->ActivityLog();
    EXPECT_TRUE(Contains(ts->ActivityLog(), "optimization done")) << ts->ActivityLog();
    EXPECT_EQ(driver_->ErrorCheckBlock().load(), 0);
  }
}

TEST_F(DriverStep, InvalidIntervalLeavesTradeStationUntouched) {
  auto ts = StartStep("9.5");
  ASSERT_TRUE(ts->WaitSettled());
  std::string before = ts->ActivityLog();
  CTxt err;
  EXPECT_EQ(Execute("MSFT|OptSet|Bogus/5|30 Days|12/31/2012|", err), -1);
  EXPECT_EQ(err.ToStd(), "Invalid Interval specification Bogus/5 in MSFT|OptSet|Bogus/5|30 Days|12/31/2012|");
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_EQ(ts->ActivityLog(), before);
}

TEST_F(DriverStep, ChartChangeFailuresGiveTheirCodes) {
  {
    auto ts = StartStep("9.5", "InvalidSymbols=XXBAD");
    CTxt err;
    EXPECT_EQ(Execute("XXBAD|OptSet|Intra/5|30 Days|12/31/2012|", err), -102);
    EXPECT_TRUE(Contains(err.ToStd(), "not a valid symbol")) << err.ToStd();
  }
  {
    auto ts = StartStep("9.5", "TimeZoneError=1");
    CTxt err;
    EXPECT_EQ(Execute(kStep, err), -2) << "time zones: worth a retry";
  }
}

TEST_F(DriverStep, StrategyThatStaysOffEndsTheStep) {
  auto ts = StartStep("9.5", "StrategyOff=1\nStrategyStaysOff=1");
  CTxt err;
  EXPECT_EQ(Execute(kStep, err), -3) << err.ToStd();
  EXPECT_FALSE(fs::exists(ResultBase() + ".MHT"));
}

TEST_F(DriverStep, ErrorEventWhileOptimizing) {
  auto ts = StartStep("9.5", "EventsLogError=2");
  CTxt err;
  EXPECT_EQ(Execute(kStep, err), -101);
  EXPECT_TRUE(Contains(err.ToStd(), "An Error Event occured")) << err.ToStd();
}

// An abort requested at a moment of the stand-in (it holds there until the request is set) ends the step
// with the code of the next checkpoint and its log line, and nothing after that checkpoint happens.
class DriverStepAbort : public DriverStep {
 protected:
  int ExecuteWithAbortAt(standin::StandIn& ts, const char* moment, int request, CTxt& err) {
    EXPECT_TRUE(ts.WaitSettled());
    standin::Moment at(ts, moment);
    ts.SetControl(std::string("SignalAt=") + moment + "\nSignalHoldMs=20000\n");
    std::atomic<bool> done{false};
    std::thread user([&] {
      while (!done) {
        if (!at.WaitReached(100)) continue;
        driver_->AbortRequest() = request;
        at.Release();
        break;
      }
    });
    int r = Execute(kStep, err);
    done = true;
    user.join();
    return r;
  }
  drivertest::LogLines log_;
};

TEST_F(DriverStepAbort, RequestedWhileTheChartLoadsIsSeenAfterTheChartChange) {
  auto ts = StartStep("9.5");
  CTxt err;
  EXPECT_EQ(ExecuteWithAbortAt(*ts, "ChartLoaded", 2, err), -102) << err.ToStd();
  EXPECT_STREQ(err, kAbortedText);
  EXPECT_TRUE(log_.Has("External Abort detectecd"));
  EXPECT_FALSE(log_.Has("Applying Strategy Parameter")) << "nothing after the chart change";
  EXPECT_FALSE(fs::exists(ResultBase() + ".tsw")) << "no workspace copy";
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_FALSE(Contains(ts->ActivityLog(), "strategy applied")) << ts->ActivityLog();
}

TEST_F(DriverStepAbort, RequestedAtTheStrategyOkIsSeenAfterTheParameters) {
  auto ts = StartStep("9.5");
  CTxt err;
  EXPECT_EQ(ExecuteWithAbortAt(*ts, "StrategyOk", 1, err), -103) << err.ToStd();
  EXPECT_STREQ(err, kAbortedText);
  EXPECT_TRUE(log_.Has("External Abort detectecd"));
  EXPECT_FALSE(log_.Has("Waiting for Optimization to complete")) << "no optimisation wait";
  EXPECT_TRUE(fs::exists(ResultBase() + ".tsw")) << "the workspace copy comes before the parameters";
  EXPECT_FALSE(fs::exists(ResultBase() + ".MHT"));
  EXPECT_TRUE(standin::WaitFor([&] { return Contains(ts->ActivityLog(), "strategy applied"); }))
      << ts->ActivityLog();
}

TEST_F(DriverStep, ImmediateAbortStopsTheOptimizationThroughItsAbortButton) {
  auto ts = StartStep("9.5", "OptTestMs=300");
  script_.DefinitionLines().SetAt(1, "1|1|40|1|");
  CTxt abortText;
  int aborted = -99;
  std::atomic<long long> abortedAt{0};
  // The main window's part: once the optimisation runs, ask for an immediate abort and click Abort.
  std::thread user([&] {
    TsDriver watcher;
    CTxt title;
    watcher.FindMainWindow(title);
    if (!WaitOptimizationUnderWay(watcher)) return;
    abortedAt = tsdriver::SteadyMs();
    driver_->AbortRequest() = 1;
    aborted = watcher.AbortOptimization(abortText);
  });
  CTxt err;
  int r = Execute(kStep, err);
  long long returnedAt = tsdriver::SteadyMs();
  user.join();
  EXPECT_EQ(r, -104) << err.ToStd();
  EXPECT_EQ(aborted, 0) << abortText.ToStd();
  // 40 tests of 300 ms with a quarter done leave 9 s of optimisation: the step ends well before that.
  ASSERT_GT(abortedAt.load(), 0);
  EXPECT_LT(returnedAt - abortedAt, 8000);
  EXPECT_TRUE(Contains(ts->ActivityLog(), "optimization aborted after")) << ts->ActivityLog();
  EXPECT_FALSE(fs::exists(ResultBase() + ".MHT")) << "nothing saved after an immediate abort";
}

TEST_F(DriverStep, AbortAfterTheStepLetsTheOptimizationFinish) {
  auto ts = StartStep("9.5", "OptTestMs=150");
  script_.DefinitionLines().SetAt(1, "1|1|40|1|");
  std::thread user([&] {
    TsDriver watcher;
    CTxt title;
    watcher.FindMainWindow(title);
    if (WaitOptimizationUnderWay(watcher)) driver_->AbortRequest() = 2;
  });
  CTxt err;
  int r = Execute(kStep, err);
  user.join();
  EXPECT_EQ(r, -104) << "seen after the optimisation wait: " << err.ToStd();
  EXPECT_TRUE(Contains(ts->ActivityLog(), "optimization done")) << ts->ActivityLog();
  EXPECT_FALSE(Contains(ts->ActivityLog(), "optimization abort requested"));
}

TEST_F(DriverStep, AbortRequestedWhileSavingEndsTheStepAfterItsFiles) {
  auto ts = StartStep("9.5");
  std::atomic<bool> stop{false};
  std::thread user([&] {
    if (standin::WaitFor([&] { return stop || Contains(ts->ActivityLog(), "report saved:"); }, 60000) &&
        !stop)
      driver_->AbortRequest() = 2;
  });
  CTxt err;
  int r = Execute(kStep, err);
  stop = true;
  user.join();
  EXPECT_EQ(r, -105) << err.ToStd();
  std::string base = ResultBase();
  EXPECT_TRUE(fs::exists(base + ".MHT"));
  EXPECT_TRUE(fs::exists(base + ".csv")) << "the step's files are complete before the abort is seen";
}

TEST_F(DriverStep, ReportWithoutTradesStillCompletesTheStep) {
  auto ts = StartStep("9.5", "NoTrades=1");
  CTxt err;
  ASSERT_EQ(Execute(kStep, err), 0) << err.ToStd();
  std::string base = ResultBase();
  EXPECT_FALSE(fs::exists(base + ".MHT"));
  std::vector<std::string> lines = SplitLines(testsupport::ReadFile(base + ".csv"));
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines.back(), "") << "no statistics without a report";
}

TEST_F(DriverStep, SaveModesDecideWhichFilesAStepWrites) {
  struct Case {
    int mode;
    bool mht, xls, list;
  };
  for (const Case& c :
       {Case{1, true, false, false}, Case{2, false, true, false}, Case{3, false, false, true}}) {
    auto ts = StartStep("9.5");
    Set("SaveOptMode", std::to_string(c.mode).c_str());
    CTxt err;
    ASSERT_EQ(Execute(kStep, err), 0) << c.mode << " " << err.ToStd();
    std::string base = ResultBase();
    EXPECT_EQ(fs::exists(base + ".MHT"), c.mht) << c.mode;
    EXPECT_EQ(fs::exists(base + ".XLS"), c.xls) << c.mode;
    EXPECT_EQ(fs::exists(base + "-OptList.CSV"), c.list) << c.mode;
    EXPECT_EQ(fs::exists(base + ".csv"), c.list) << "the description only with the list: " << c.mode;
    for (const char* ext : {".MHT", ".XLS", "-OptList.CSV", ".csv", ".tsw"}) fs::remove(base + ext);
  }
}

TEST_F(DriverStep, ChartsOnlyModeEndsAfterTheChartChange) {
  auto ts = StartStep("9.5");
  driver_->SetChartsOnly(1);
  CTxt err;
  ASSERT_EQ(Execute(kStep, err), 0) << err.ToStd();
  EXPECT_TRUE(Contains(ts->ActivityLog(), "format symbol read: MSFT")) << ts->ActivityLog();
  EXPECT_FALSE(fs::exists(ResultBase() + ".tsw"));
  EXPECT_FALSE(Contains(ts->ActivityLog(), "optimization started"));
}

TEST_F(DriverStep, CrashWhileOptimizingIsRetryable) {
  auto ts = StartStep("9.5", "OptTestMs=200\nCrashAt=Optimization");
  CTxt err;
  long long start = tsdriver::SteadyMs();
  EXPECT_EQ(Execute(kStep, err), kTsNotResponding);
  EXPECT_TRUE(Contains(err.ToStd(), kTsGoneText)) << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 30000);
}

TEST_F(DriverStep, HangWhileOptimizingEndsWithinTheBound) {
  Set("OptHungMaxSec", "2");
  tsdriver::SetSendBoundMs(1000);
  auto ts = StartStep("9.5", "OptTestMs=200\nHangAt=Optimization\nHangMs=40000");
  CTxt err;
  long long start = tsdriver::SteadyMs();
  int r = Execute(kStep, err);
  long long took = tsdriver::SteadyMs() - start;
  tsdriver::SetSendBoundMs(5000);
  EXPECT_EQ(r, kTsNotResponding);
  EXPECT_TRUE(Contains(err.ToStd(), kTsNotRespondingText)) << err.ToStd();
  EXPECT_LT(took, 30000);
}

TEST_F(DriverStep, ChartingThatEndsWhileOptimizingIsRetryable) {
  auto ts = StartStep("9.5", "OptTestMs=200\nChartingEndsAt=Optimization");
  CTxt err;
  EXPECT_EQ(Execute(kStep, err), kTsNotResponding);
  EXPECT_TRUE(Contains(err.ToStd(), "charting has ended")) << err.ToStd();
}

}  // namespace
