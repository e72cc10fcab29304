// The main window's requests while a whole run goes against the stand-in: pause and continue, abort now
// during an optimisation and abort after the step asked during one, each with the abort mark it leaves and
// the step the next run of the definition starts at.
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "RunSupport.h"
#include "tsdriver/TsDriver.h"

using namespace runtest;
namespace fs = std::filesystem;

namespace {

// Run on a thread of its own, as the main window starts it; the test thread makes the requests. A run that
// is still going when the test ends is asked to stop at once and waited for.
class BackgroundRun {
 public:
  BackgroundRun(SequenceRunner& runner, const std::string& definition) : runner_(runner) {
    thread_ = std::thread([this, definition] {
      result_ = runner_.Run(definition.c_str(), "", text_);
      finished_ = true;
    });
  }
  ~BackgroundRun() {
    if (!finished_) {
      CTxt ignored;
      runner_.Request(kRequestAbortNow, ignored);
    }
    thread_.join();
  }
  bool Wait(int ms) {
    return standin::WaitFor([&] { return finished_.load(); }, ms);
  }
  bool Finished() const { return finished_.load(); }
  int Result() const { return result_; }
  std::string Text() const { return text_.ToStd(); }

 private:
  SequenceRunner& runner_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  int result_ = 0;
  CTxt text_;
};

// True when a step's performance report of the symbol lies in the run folder.
bool HasReport(const std::string& folder, const std::string& symbol) {
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    std::string name = entry.path().filename().string();
    if (name.rfind(symbol + "_", 0) == 0 && entry.path().extension() == ".MHT") return true;
  }
  return false;
}

int Occurrences(const std::string& text, const std::string& part) {
  int n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

class RunRequests : public RunTest {
 protected:
  // Waits until TradeStation shows the Abort button of a running optimisation.
  bool WaitOptimizationRunning(int ms) {
    TsDriver watcher;
    CTxt title;
    return standin::WaitFor(
        [&] { return watcher.FindMainWindow(title) && watcher.FindAbortButton(100) == 0; }, ms);
  }
  int Ask(int code) {
    CTxt text;
    int r = runner_->Request(code, text);
    answer_ = text.ToStd();
    return r;
  }
  std::string answer_;
};

TEST_F(RunRequests, PauseAbortNowAndAbortAfterTheStepEachResumeWhereTheyShould) {
  auto ts = StartRun();
  ASSERT_TRUE(ts->Main());
  const std::string name = "Requests";
  // 40 tests a step: at 300 ms a test the optimisation runs long enough to be asked to stop.
  std::string definition = WriteDefinition(*ts, name, "MSFT,CSCO,IBM", "1|40|1");
  const std::string slow = "OptTestMs=300";
  RunLog log;

  // Run 1: a pause asked for during step 1 holds the run before step 2 until continued; abort now during
  // step 2's optimisation stops it through TradeStation's Abort button and marks step 2.
  {
    BackgroundRun run(*runner_, definition);
    ASSERT_TRUE(log.WaitFor(Executing(1, 3), 120000)) << log.All();
    EXPECT_EQ(Ask(kRequestPause), 0);
    ASSERT_TRUE(log.WaitFor("Paused before Step#2", 180000)) << log.All();
    ASSERT_TRUE(ts->WaitSettled(10000));
    std::string stillLog = ts->ActivityLog();
    EXPECT_FALSE(log.WaitFor(Executing(2, 3), 3000)) << "a paused run starts no step";
    EXPECT_EQ(runner_->CurrentStep(), 0);
    EXPECT_EQ(ts->ActivityLog(), stillLog) << "nothing was asked of TradeStation during the pause";
    ts->SetControl(slow);
    EXPECT_EQ(Ask(kRequestContinue), 0);
    ASSERT_TRUE(log.WaitFor(Executing(2, 3), 10000)) << log.All();
    EXPECT_TRUE(log.Has("Pause ended before Step#2"));
    ASSERT_TRUE(WaitOptimizationRunning(120000)) << log.All();
    EXPECT_EQ(Ask(kRequestAbortNow), 0) << answer_;
    ASSERT_TRUE(run.Wait(120000)) << log.All();
    EXPECT_EQ(run.Result(), kRunAborted) << run.Text();
    EXPECT_EQ(run.Text().rfind("Aborted Sequence at Step#2 (" + Command("CSCO") + "):\r\n" + definition, 0),
              0u)
        << run.Text();
    EXPECT_TRUE(log.Has("Abort: Found Abort Box:")) << log.All();
    EXPECT_TRUE(Contains(ts->ActivityLog(), "optimization aborted after")) << ts->ActivityLog();
    EXPECT_FALSE(log.Has(Executing(3, 3)));
    EXPECT_EQ(MarkOf(definition), "2=" + Command("CSCO"));
    std::string folder = RunFolderOf(*ts, name, 1);
    EXPECT_TRUE(HasReport(folder, "MSFT"));
    EXPECT_FALSE(HasReport(folder, "CSCO")) << "nothing is saved after an immediate abort";
    EXPECT_EQ(SummarySymbols(folder), (std::vector<std::string>{"MSFT"}));
  }
  EXPECT_EQ(runner_->CurrentStep(), -1);

  // Run 2 resumes at step 2; abort after the step, asked while it optimises, lets the step finish whole
  // (optimisation, reports) and marks step 3.
  log.Clear();
  int optimizationsDone = Occurrences(ts->ActivityLog(), "optimization done");
  {
    BackgroundRun run(*runner_, definition);
    ASSERT_TRUE(log.WaitFor("Executing:", 120000));
    EXPECT_TRUE(Contains(log.First("Executing:"), Executing(2, 3))) << log.All();
    EXPECT_TRUE(log.Has("Continue at aborted Step#2 (" + Command("CSCO") + ")")) << log.All();
    EXPECT_FALSE(log.Has("WARNING: the definition changed")) << "the marked step is the definition's step 2";
    ASSERT_TRUE(log.WaitFor("Waiting for Optimization to complete (", 120000)) << log.All();
    ASSERT_TRUE(WaitOptimizationRunning(60000)) << log.All();
    EXPECT_EQ(Ask(kRequestAbortAfterStep), 0);
    ASSERT_TRUE(run.Wait(180000)) << log.All();
    EXPECT_EQ(run.Result(), kRunAborted) << run.Text();
    EXPECT_EQ(run.Text().rfind("Aborted Sequence at Step#2 (" + Command("CSCO") + "):", 0), 0u) << run.Text();
    EXPECT_EQ(Occurrences(ts->ActivityLog(), "optimization done"), optimizationsDone + 1)
        << "the optimisation ran to its end\n"
        << ts->ActivityLog();
    EXPECT_TRUE(log.Has(Done(2, 3))) << log.All();
    EXPECT_FALSE(log.Has(Executing(3, 3)));
    std::string folder = RunFolderOf(*ts, name, 2);
    EXPECT_TRUE(HasReport(folder, "CSCO")) << "the step saved its results before the run stopped";
    EXPECT_EQ(SummarySymbols(folder), (std::vector<std::string>{"CSCO"}));
    EXPECT_EQ(MarkOf(definition), "3=" + Command("IBM"));
  }

  // Run 3 starts at step 3, ends normally and removes the mark.
  ts->SetControl("");
  log.Clear();
  CTxt text;
  ASSERT_EQ(runner_->Run(definition.c_str(), "", text), kRunCompleted) << text.ToStd() << "\n" << log.All();
  EXPECT_TRUE(Contains(log.First("Executing:"), Executing(3, 3))) << log.All();
  EXPECT_EQ(log.Count("Executing:"), 1);
  EXPECT_EQ(MarkOf(definition), "");
  EXPECT_EQ(SummarySymbols(RunFolderOf(*ts, name, 3)), (std::vector<std::string>{"IBM"}));
}

}  // namespace
