// Whole runs against the stand-in: the sequence runner with the real driver, settings that keep a step near
// its floor, definitions written into the stand-in's MyWork folder, the run's log as the test reads it, and
// actions taken at the moment the run logs a line (a fault switched on when a step starts, off again when
// it failed), so that a fault hits exactly the step it is meant for.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "DriverChartSupport.h"
#include "execution/AbortMarks.h"
#include "execution/SequenceRunner.h"
#include "foundation/Log.h"
#include "tsdriver/RunnerBinding.h"
#include "tsdriver/Waits.h"

namespace runtest {

// Every line the process logs while it exists, and actions bound to lines: an action runs once, on the
// thread that logs, before the line is written, the first time a line holds its text. The worker thus
// waits for the action (a control file written, TradeStation started again) before it goes on.
class RunLog {
 public:
  RunLog() { SetLogStatusSink(&Collect, this); }
  ~RunLog() { SetLogStatusSink(nullptr, nullptr); }
  RunLog(const RunLog&) = delete;
  RunLog& operator=(const RunLog&) = delete;

  void When(const std::string& part, std::function<void()> action) {
    std::lock_guard<std::mutex> guard(lock_);
    actions_.push_back({part, std::move(action)});
  }
  // Forgets the lines so far (before the next run).
  void Clear() {
    std::lock_guard<std::mutex> guard(lock_);
    lines_.clear();
  }
  int Count(const std::string& part) const {
    std::lock_guard<std::mutex> guard(lock_);
    int n = 0;
    for (const std::string& line : lines_) n += line.find(part) != std::string::npos;
    return n;
  }
  bool Has(const std::string& part) const { return Count(part) > 0; }
  // The first line holding part, or "".
  std::string First(const std::string& part) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const std::string& line : lines_)
      if (line.find(part) != std::string::npos) return line;
    return "";
  }
  std::string All() const {
    std::lock_guard<std::mutex> guard(lock_);
    std::string all;
    for (const std::string& line : lines_) all += line + "\n";
    return all;
  }
  // Bounded poll for a line holding part.
  bool WaitFor(const std::string& part, int ms) const {
    return standin::WaitFor([&] { return Has(part); }, ms);
  }

 private:
  struct Action {
    std::string part;
    std::function<void()> run;
  };
  static void Collect(void* self, const char*, const char* text, int) {
    auto* log = static_cast<RunLog*>(self);
    std::string line = text ? text : "";
    std::vector<std::function<void()>> due;
    {
      std::lock_guard<std::mutex> guard(log->lock_);
      log->lines_.push_back(line);
      for (auto it = log->actions_.begin(); it != log->actions_.end();) {
        if (line.find(it->part) == std::string::npos) {
          ++it;
          continue;
        }
        due.push_back(std::move(it->run));
        it = log->actions_.erase(it);
      }
    }
    for (auto& run : due) run();
  }
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
  std::vector<Action> actions_;
};

// The runner's per-step log lines: "Executing:   2 of   4:", "ERROR   :   2 of   4:", "Done     : ...".
inline std::string StepLine(const char* kind, int step, int count) {
  char line[64];
  std::snprintf(line, sizeof line, "%s %3d of %3d:", kind, step, count);
  return line;
}
inline std::string Executing(int step, int count) {
  return StepLine("Executing:", step, count);
}
inline std::string Failed(int step, int count) {
  return StepLine("ERROR   :", step, count);
}
inline std::string Done(int step, int count) {
  return StepLine("Done     :", step, count);
}

// The runner's command text of a step of the definitions below.
inline std::string Command(const std::string& symbol) {
  return symbol + "|OptSet|Intra/5|30 Days|12/31/2012|";
}

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// The data lines of a run folder's _Summary.csv (after "Start", the empty line and the header), each split
// at ','.
inline std::vector<std::vector<std::string>> SummaryRows(const std::string& runFolder) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(testsupport::ReadFile(runFolder + "/_Summary.csv"));
  std::string line;
  for (int n = 0; std::getline(in, line); ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (n < 3 || line.empty()) continue;
    std::vector<std::string> fields;
    std::istringstream cells(line);
    for (std::string cell; std::getline(cells, cell, ',');) fields.push_back(cell);
    rows.push_back(fields);
  }
  return rows;
}

// The symbols of the summary's data lines, in order.
inline std::vector<std::string> SummarySymbols(const std::string& runFolder) {
  std::vector<std::string> symbols;
  for (const auto& row : SummaryRows(runFolder))
    if (row.size() > 1) symbols.push_back(row[1]);
  return symbols;
}

// The abort mark of a definition: "step=command", or "" when there is none.
inline std::string MarkOf(const std::string& definition) {
  CTxt text;
  int step = ReadAbortMark(definition.c_str(), text);
  return step > 0 ? std::to_string(step) + "=" + text.ToStd() : "";
}

// A whole-run test: the stand-in with the sample workspace, and the driver's and the runner's settings at
// their fast-stand-in floor. Each step still costs tens of seconds under Wine.
class RunTest : public drivertest::ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    Set("WaitForOpt", "0");
    Set("WaitStartOpt", "0");
    Set("WaitResultsSave", "1");
    Set("ReportFindSec", "3");
    Set("SaveDialogWaitMs", "1500");
    Set("ChartMinColors", "3");
    Set("FmtNextSymWait", "100");
    Set("CheckChartMaximized", "NO");
    Set("SeqRetry", "2");
  }
  void TearDown() override {
    runner_.reset();
    steps_.reset();
    tsdriver::SetSendBoundMs(5000);
    ChartTest::TearDown();
  }

  // Starts the stand-in and the runner with the real driver behind it.
  std::unique_ptr<standin::StandIn> StartRun(const std::string& control = "") {
    auto ts = Start("9.5", control);
    steps_ = std::make_unique<TsStepDriver>(*driver_);
    runner_ = std::make_unique<SequenceRunner>(*steps_);
    return ts;
  }

  // A definition in the stand-in's MyWork folder: one step per symbol on 5-minute bars over 30 days, each
  // optimising FastLength over `range` ("4|12|4": three tests).
  static std::string WriteDefinition(const standin::StandIn& ts, const std::string& name,
                                     const std::string& symbols, const std::string& range = "4|12|4") {
    std::string path = ts.Folder() + "/MyWork/" + name + ".tvd";
    testsupport::WriteFile(path, "Workspace=" + ts.WorkspacePath("Tavrin Sample") + "\r\nSymbols=" + symbols +
                                     "\r\nEndDate=12/31/2012\r\n\r\nTemplate=\r\nIntra/5|30 Days\r\n\r\n"
                                     "OptSet=\r\n1/FastLength|" +
                                     range + "\r\n");
    return path;
  }

  // The n-th run folder of a definition (1: SEQ_0001).
  static std::string RunFolderOf(const standin::StandIn& ts, const std::string& name, int n) {
    char folder[32];
    std::snprintf(folder, sizeof folder, "/SEQ_%04d", n);
    return ts.Folder() + "/MyWork/Tavrin/" + name + folder;
  }

  // TradeStation started again in the same installation after it ended, with `workspace` open.
  static std::unique_ptr<standin::StandIn> Restart(const standin::StandIn& ended,
                                                   const std::string& workspace,
                                                   const std::string& control = "") {
    standin::StartOptions options;
    options.folder = ended.Folder();
    options.bits = ended.Bits();
    options.workspace = workspace;
    options.control = control;
    auto ts = std::make_unique<standin::StandIn>(options);
    if (ts->Main()) standin::WaitFor([&] { return !standin::ChartWindows(ts->Pid(), ts->Main()).empty(); });
    return ts;
  }

  std::unique_ptr<TsStepDriver> steps_;
  std::unique_ptr<SequenceRunner> runner_;
};

}  // namespace runtest
