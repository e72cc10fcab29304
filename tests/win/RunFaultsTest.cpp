// Whole runs against the stand-in with a TradeStation fault on chosen steps: an invalid symbol, a time zone
// clash, a strategy found off or staying off, an error event while optimising, a report without trades, a
// TradeStation that hangs, and one that crashes (started again, or gone for good). Each run reacts to the
// step's result code (retried or not, errors counted), goes on with the other steps and writes its summary.
#include <windows.h>

#include <algorithm>

#include "RunSupport.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/WindowQuery.h"

using namespace runtest;

namespace {

class RunFaults : public RunTest {};

std::vector<std::string> Sorted(std::vector<std::string> v) {
  std::sort(v.begin(), v.end());
  return v;
}

// Invalid symbol (not retried), time zones (retried, the second attempt succeeds), a strategy found off
// (switched on, the step succeeds) and one that stays off (retried until SeqRetry is spent).
TEST_F(RunFaults, ChartAndStrategyFaultsHitTheirStepsAndTheRunGoesOn) {
  const std::string invalid = "InvalidSymbols=CSCO\n";
  auto ts = StartRun(invalid + "StrategyOff=1");
  ASSERT_TRUE(ts->Main());
  standin::StandIn* t = ts.get();
  std::string definition = WriteDefinition(*ts, "Faults1", "MSFT,CSCO,IBM,INTC");
  RunLog log;
  log.When(Done(1, 4), [=] { t->SetControl(invalid); });
  log.When(Executing(3, 4), [=] { t->SetControl(invalid + "TimeZoneError=1"); });
  log.When(Failed(3, 4), [=] { t->SetControl(invalid); });
  log.When(Executing(4, 4), [=] { t->SetControl(invalid + "StrategyOff=1\nStrategyStaysOff=1"); });

  CTxt text;
  int result = runner_->Run(definition.c_str(), "", text);
  std::string all = log.All();
  ASSERT_EQ(result, kRunStepErrors) << text.ToStd() << "\n" << all;
  EXPECT_EQ(text.ToStd().rfind("Completed Sequence with 4 Errors (See LOG for details):\r\n" + definition, 0),
            0u)
      << text.ToStd();
  for (int step = 1; step <= 4; ++step) EXPECT_EQ(log.Count(Executing(step, 4)), 1) << step << "\n" << all;

  // 1: the strategy found off is switched on by the driver and the step completes.
  EXPECT_TRUE(Contains(ts->ActivityLog(), "strategy found off (StrategyOff)")) << ts->ActivityLog();
  EXPECT_TRUE(log.Has(Done(1, 4)));
  EXPECT_EQ(log.Count(Failed(1, 4)), 0);
  // 2: an invalid symbol is a wrong symbol: one error, no retry, on with the next step.
  EXPECT_EQ(log.Count(Failed(2, 4)), 1) << all;
  EXPECT_TRUE(Contains(log.First(Failed(2, 4)), "(-102)")) << log.First(Failed(2, 4));
  EXPECT_TRUE(log.Has("Wrong Symbol in " + Command("CSCO") + " - skipping to next command")) << all;
  EXPECT_FALSE(log.Has(Done(2, 4)));
  // 3: a time zone clash is worth a retry; the retry meets no clash and completes the step.
  EXPECT_EQ(log.Count(Failed(3, 4)), 1) << all;
  EXPECT_TRUE(Contains(log.First(Failed(3, 4)), "(-2)")) << log.First(Failed(3, 4));
  EXPECT_TRUE(log.Has(Done(3, 4))) << all;
  // 4: a strategy that stays off fails every attempt: SeqRetry (2) errors, each followed by a retry line.
  EXPECT_EQ(log.Count(Failed(4, 4)), 2) << all;
  EXPECT_TRUE(Contains(log.First(Failed(4, 4)), "(-3)")) << log.First(Failed(4, 4));
  EXPECT_FALSE(log.Has(Done(4, 4)));
  EXPECT_TRUE(Contains(ts->ActivityLog(), "strategy status stays off (StrategyStaysOff)"));
  EXPECT_EQ(log.Count("TRYING AGAIN (Try#2)"), 2) << "steps 3 and 4\n" << all;
  EXPECT_EQ(log.Count("TRYING AGAIN (Try#3)"), 1) << "step 4\n" << all;

  std::string folder = RunFolderOf(*ts, "Faults1", 1);
  EXPECT_EQ(Sorted(SummarySymbols(folder)), (std::vector<std::string>{"IBM", "MSFT"}))
      << testsupport::ReadFile(folder + "/_Summary.csv");
  EXPECT_EQ(MarkOf(definition), "") << "a run that ends without an abort leaves no mark";
}

// An error event while optimising (not retried), a TradeStation that stops answering for longer than the
// driver waits (retried once it answers again), and one that crashes while optimising and is started
// again before the retry.
TEST_F(RunFaults, OptimizationErrorHangAndCrashAreRetriedOrSkippedAndTheRunGoesOn) {
  Set("OptHungMaxSec", "2");
  tsdriver::SetSendBoundMs(1000);
  auto ts = StartRun("EventsLogError=2");
  ASSERT_TRUE(ts->Main());
  standin::StandIn* t = ts.get();
  std::string definition = WriteDefinition(*ts, "Faults2", "MSFT,CSCO,IBM");
  std::string workspaceCopy = RunFolderOf(*ts, "Faults2", 1) + "/Tavrin Sample.tsw";
  std::unique_ptr<standin::StandIn> restarted;
  std::string crashedLog;
  RunLog log;
  log.When(Failed(1, 3), [=] { t->SetControl(""); });
  // Nine seconds: past the driver's bound (two seconds without an answer, each question waiting one), and
  // over before the retry after the runner's five-second pause.
  log.When(Executing(2, 3), [=] { t->SetControl("HangAt=Optimization\nHangMs=9000"); });
  // Written while the stand-in hangs: it reads the file again when it answers.
  log.When(Failed(2, 3), [=] { t->SetControl(""); });
  log.When(Executing(3, 3), [=] { t->SetControl("CrashAt=Optimization"); });
  log.When(Failed(3, 3), [&, t] {
    crashedLog = t->ActivityLog();
    if (t->WaitExit(10000) >= 0) restarted = Restart(*t, workspaceCopy);
  });

  CTxt text;
  int result = runner_->Run(definition.c_str(), "", text);
  std::string all = log.All();
  ASSERT_EQ(result, kRunStepErrors) << text.ToStd() << "\n" << all;
  EXPECT_EQ(text.ToStd().rfind("Completed Sequence with 3 Errors (See LOG for details):", 0), 0u)
      << text.ToStd();
  for (int step = 1; step <= 3; ++step) EXPECT_EQ(log.Count(Executing(step, 3)), 1) << step << "\n" << all;

  // 1: the events log's error ends the step without a retry.
  EXPECT_EQ(log.Count(Failed(1, 3)), 1) << all;
  EXPECT_TRUE(Contains(log.First(Failed(1, 3)), "(-101)")) << log.First(Failed(1, 3));
  EXPECT_TRUE(Contains(log.First(Failed(1, 3)), "An Error Event occured")) << log.First(Failed(1, 3));
  EXPECT_TRUE(log.Has("Fatal Error - aborting (Try#2)")) << all;
  EXPECT_FALSE(log.Has(Done(1, 3)));
  // 2: the hang fails the attempt within the driver's bound; the retry completes the step.
  EXPECT_EQ(log.Count(Failed(2, 3)), 1) << all;
  EXPECT_TRUE(Contains(log.First(Failed(2, 3)), "(" + std::to_string(kTsNotResponding) + ")"));
  EXPECT_TRUE(Contains(log.First(Failed(2, 3)), kTsNotRespondingText)) << log.First(Failed(2, 3));
  EXPECT_TRUE(log.Has(Done(2, 3))) << all;
  EXPECT_TRUE(Contains(crashedLog, "hang: Optimization")) << crashedLog;
  // 3: the crash fails the attempt; TradeStation, started again during the retry wait, completes the step.
  EXPECT_TRUE(Contains(crashedLog, "crash: Optimization")) << crashedLog;
  ASSERT_TRUE(restarted && restarted->Main()) << "the stand-in did not end, or did not start again";
  EXPECT_EQ(ts->WaitExit(0), 3);
  EXPECT_EQ(log.Count(Failed(3, 3)), 1) << all;
  EXPECT_TRUE(Contains(log.First(Failed(3, 3)), kTsGoneText)) << log.First(Failed(3, 3));
  EXPECT_TRUE(log.Has(Done(3, 3))) << all;
  EXPECT_EQ(log.Count("TRYING AGAIN (Try#2)"), 2) << "steps 2 and 3\n" << all;

  std::string folder = RunFolderOf(*ts, "Faults2", 1);
  EXPECT_EQ(Sorted(SummarySymbols(folder)), (std::vector<std::string>{"CSCO", "IBM"}))
      << testsupport::ReadFile(folder + "/_Summary.csv");
}

// A report without trades completes its step; then TradeStation crashes and stays gone: the crashed step
// fails its attempts, the next step cannot open the workspace and the run ends as a preparation failure
// with TradeStation's absence in its text, the finished step still summarised, and the next run of the
// definition resumes after the crashed step.
TEST_F(RunFaults, TradeStationGoneForGoodEndsTheRunWithTheSummaryAndAResumePoint) {
  auto ts = StartRun("NoTrades=1");
  ASSERT_TRUE(ts->Main());
  standin::StandIn* t = ts.get();
  std::string definition = WriteDefinition(*ts, "Faults3", "MSFT,CSCO,IBM");
  RunLog log;
  log.When(Executing(2, 3), [=] { t->SetControl("CrashAt=Optimization"); });

  CTxt text;
  long long start = tsdriver::SteadyMs();
  int result = runner_->Run(definition.c_str(), "", text);
  long long took = tsdriver::SteadyMs() - start;
  std::string all = log.All();
  ASSERT_EQ(result, kRunPreparationFailed) << text.ToStd() << "\n" << all;
  EXPECT_TRUE(Contains(text.ToStd(), "TradeStation not opened") || Contains(text.ToStd(), kTsGoneText))
      << text.ToStd();
  EXPECT_LT(took, 180000) << "no endless wait for a TradeStation that is gone";
  EXPECT_EQ(ts->WaitExit(0), 3);

  // 1: a report without trades is a completed step.
  EXPECT_TRUE(log.Has(Done(1, 3))) << all;
  EXPECT_TRUE(Contains(ts->ActivityLog(), "save report: no trades, no save dialog")) << ts->ActivityLog();
  // 2: the crash and the attempt after it both fail; the run does not start step 3.
  EXPECT_EQ(log.Count(Failed(2, 3)), 2) << all;
  EXPECT_TRUE(Contains(log.First(Failed(2, 3)), kTsGoneText)) << log.First(Failed(2, 3));
  EXPECT_FALSE(log.Has(Executing(3, 3)));
  EXPECT_EQ(log.Count("Activating initial workspace:"), 2 + 2) << "steps 1 and 2 once, step 3 twice\n" << all;

  std::string folder = RunFolderOf(*ts, "Faults3", 1);
  std::vector<std::vector<std::string>> rows = SummaryRows(folder);
  ASSERT_EQ(rows.size(), 1u) << testsupport::ReadFile(folder + "/_Summary.csv");
  ASSERT_GT(rows[0].size(), 5u);
  EXPECT_EQ(rows[0][1], "MSFT");
  EXPECT_EQ(rows[0][5], "0") << "no trades";

  // The run never ended normally: the next run of the definition takes over after the crashed step.
  CTxt adopted;
  EXPECT_EQ(runner_->AdoptInterruptedRun(definition.c_str(), "", adopted), 3) << adopted.ToStd();
  EXPECT_EQ(MarkOf(definition), "3=" + Command("IBM"));
}

}  // namespace
