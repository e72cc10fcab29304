// One whole step of a run: the chart's symbol, interval and range, the workspace copy, the strategy
// parameters, the optimisation wait, the chart redraw, the reports and the step description file, and the
// workspace closed again; with the result code that tells the runner to go on, retry, skip or stop.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "execution/RunScript.h"
#include "execution/RunState.h"
#include "execution/Summary.h"
#include "foundation/AtomicFile.h"
#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "foundation/SysWin.h"
#include "sequence/Timeframe.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";
constexpr char kAbortSeen[] = "External Abort detectecd";

double FreeGB() {
  CTxt drive;
  Settings::GetString("Tavrin", "DataDrive", "C", drive);
  Settings::WriteString("Tavrin", "DataDrive", drive);
  return drive.IsFilled() ? GetDiskFree(static_cast<unsigned char>(drive.GetData()[0]), 'G') : -1;
}

}  // namespace

// The state of one ExecuteStep call.
class StepRun {
 public:
  StepRun(TsDriver& driver, CTxt& err) : d_(driver), err_(err) { start_.SetNow(); }
  int Run(const char* command);

 private:
  int ChangeChart();
  void SaveWorkspace(const char* failureFormat);
  int WaitForOptimization();
  int StoppedWhileOptimizing();
  int WaitForChartRedraw();
  void SaveResults();
  void WriteDescription(const CTxtArray& summary);
  int AbortSeen(int code) {
    LogTrace(kLog, 0, "%s", kAbortSeen);
    err_ = kAbortedText;
    return code;
  }
  bool AbortNow() const { return d_.m_abortRequest.load() == 1; }
  // A pause that only an immediate abort cuts short; while one is requested polls still pause briefly.
  void Pause(int ms) {
    if (AbortNow())
      WaitUntil([] { return false; }, std::min(ms, 500), 50, nullptr);
    else
      WaitUntil([this] { return AbortNow(); }, ms, kAbortPollMs, nullptr);
  }
  void Snapshot(const char* what) {
    if (Setting("TrackPS", 0) == 1)
      d_.SaveWindowSnapshot("%s: Sym=%s, Int=%s, Data=%s", what, symbol_.GetData(), interval_.GetData(),
                            range_.GetData());
  }
  void ShowProgramWindow() { RestoreProgramWindow(); }

  TsDriver& d_;
  CTxt& err_;
  CZELDateTime start_;
  CTxt command_, symbol_, optSet_, interval_, range_, value_;
  int kind_ = kBarInvalid;
  const char* source_ = nullptr;
  long long hungSince_ = 0;  // when TradeStation last stopped answering, 0 while it answers
};

int StepRun::Run(const char* command) {
  command_ = command ? command : "";
  strfld(command_, '|', 1, 1, symbol_);
  strfld(command_, '|', 2, 2, optSet_);
  strfld(command_, '|', 3, 3, interval_);
  strfld(command_, '|', 4, 99, range_);
  kind_ = ParseChartInterval(interval_, symbol_, value_);
  if (kind_ == kBarInvalid) {
    err_.Format("Invalid Interval specification %s in %s", interval_.GetData(), command_.GetData());
    LogTrace(kLog, 0, "%s", err_.GetData());
    return -1;
  }
  d_.CloseTsPopups(0);
  int r = ChangeChart();
  if (r != 0) return r;
  if (d_.ChartsOnly() == 1) {
    LogTrace(kLog, 0, "Chart loading completed (Loading Charts Only Mode!)");
    return 0;
  }
  source_ = Setting("UseSaveAs", 0) == 1 || d_.CurrentWorkspace().IsEmpty() ? nullptr
                                                                            : d_.CurrentWorkspace().GetData();
  SaveWorkspace("Workspace Save Error(%d): Sym=%s, Int=%s, %s");
  LogTrace(kLog, 0, "Applying Strategy Parameter: Opt=%s", optSet_.GetData());
  const char* genetic =
      d_.m_runScript && d_.m_runScript->Genetic().IsFilled() ? d_.m_runScript->Genetic().GetData() : nullptr;
  r = d_.ApplyStrategyParameters(optSet_, err_, 0, genetic);
  if (r < 0) {
    LogTrace(kLog, 0, "Strategy Error(%d): %s", r, err_.GetData());
    // Parameters cut short by an abort request end the step as that abort, not as a failure to retry.
    return d_.Aborted() ? AbortSeen(-103) : -3;
  }
  Snapshot("AFTER  OPT");
  if (d_.Aborted()) return AbortSeen(-103);
  if ((r = WaitForOptimization()) != 0) return r;
  if ((r = WaitForChartRedraw()) != 0) return r;
  if (AbortNow()) return AbortSeen(-105);
  SaveWorkspace("Workspace Save Error(%d): Sym=%s, Int=%s, %s");
  LogTrace(kLog, 0, "Saved modified WorkSpace after Optimization Completion (%s)",
           d_.CurrentWorkspace().GetData());
  SaveResults();
  int waited = d_.WaitForResultBoxes(0);
  LogTrace("AutoSave", 0, "Waited for result boxes to close1 (%d)", waited);
  waited = d_.WaitForResultBoxes(1);
  LogTrace("AutoSave", 0, "Waited for result boxes to close2 (%d)", waited);
  if (d_.Aborted()) return AbortSeen(-105);
  return 0;
}

int StepRun::ChangeChart() {
  Snapshot("BEFORE FMT");
  LogTrace(kLog, 0, "Modify Symbol+Timeframe: Sym=%s, Int=%s, Data=%s", symbol_.GetData(),
           interval_.GetData(), range_.GetData());
  int r = d_.SetupChart(nullptr, "", err_, symbol_, interval_, range_);
  d_.CloseDialogsByTitle(nullptr, tsfacts::kFormatSymbolTitlePrefix, tsfacts::kIdCancel, nullptr, 5);
  if (r < 0) {
    LogTrace(kLog, 0, "Change Symbol Error(%d): Sym=%s, Int=%.2f, Data=%s, %s", r, symbol_.GetData(),
             std::fabs(std::atof(value_)), range_.GetData(), err_.GetData());
    // The chart load ends early on an abort request: that is the abort, not a chart failure to retry.
    if (d_.Aborted()) return AbortSeen(-102);
    return r >= -101 ? -2 : r;
  }
  Snapshot("AFTER  FMT");
  if (d_.Aborted()) return AbortSeen(-102);
  return 0;
}

void StepRun::SaveWorkspace(const char* failureFormat) {
  if (Setting("SaveWS", 1) != 1) return;
  LogTrace(kLog, 0, "Saving modified workspace: %s", d_.CurrentWorkspace().GetData());
  CTxt out;
  int r = d_.SaveWorkspaceAs(symbol_, kind_, value_, source_, out);
  if (r < 0) LogTrace(kLog, 0, failureFormat, r, symbol_.GetData(), interval_.GetData(), out.GetData());
}

// Waits while TradeStation shows its "Abort" button. A responsive TradeStation may optimise for hours; the
// wait ends early only when TradeStation has stopped answering for OptHungMaxSec, or its main window or its
// charting has gone, and then with a retryable code.
int StepRun::WaitForOptimization() {
  int waitForOpt = std::max(0, Setting("WaitForOpt", 2));
  int waitStart = std::max(0, Setting("WaitStartOpt", 4));
  int pollMs = std::max(500, 1000 * waitForOpt);
  int confirms = std::max(1, Setting("OptConfirms", 1));
  LogTrace(kLog, 0, "Waiting for Optimization to complete (%d,%d Seconds wait, %.2fGB free, Ram=%.2fMB)",
           waitStart, waitForOpt, FreeGB(), GetMemoryStatusMB(99));
  ShowProgramWindow();
  Pause(std::max(500, 1000 * waitStart));
  for (int counter = 1;; ++counter) {
    d_.CloseDialogsByTitle(d_.MainWindow(), tsfacts::kProductLabel, tsfacts::kIdOk, nullptr, 5);
    Pause(pollMs);
    if (int stopped = StoppedWhileOptimizing()) return stopped;
    if (d_.FindAbortButton(100) != 0 && counter >= confirms && d_.FindAbortButton(1) != 0) break;
    CTxt elapsed;
    start_.GetDurTxtHMS(elapsed);
    if (d_.Aborted())
      LogTrace(
          kLog, 0,
          "Waiting for Optimization to complete - will abort Sequence (%s) (%d) (%.2fGB free, Ram=%.2fMB)",
          elapsed.GetData(), counter, FreeGB(), GetMemoryStatusMB(99));
    else
      LogTrace(kLog, 0, "Waiting for Optimization to complete (%s) (%d) (%.2fGB free, Ram=%.2fMB)",
               elapsed.GetData(), counter, FreeGB(), GetMemoryStatusMB(99));
    ShowProgramWindow();
  }
  Pause(pollMs);
  ShowProgramWindow();
  if (int stopped = StoppedWhileOptimizing()) return stopped;
  if (d_.CheckEventsLog(err_, 1) > 0) {
    LogTrace(kLog, 0, "%s", err_.GetData());
    return -101;
  }
  if (d_.Aborted()) return AbortSeen(-104);
  return 0;
}

// kTsNotResponding with a text when TradeStation hung too long, or its main window or charting went away.
int StepRun::StoppedWhileOptimizing() {
  HWND main = d_.MainWindow();
  if (!main || !IsWindow(main)) {
    err_.Format("%s while optimising (Sym=%s, Int=%s)", kTsGoneText, symbol_.GetData(), interval_.GetData());
    LogTrace(kLog, 0, "%s", err_.GetData());
    return kTsNotResponding;
  }
  if (!SendBounded(main, WM_NULL, 0, 0)) {
    long long now = SteadyMs();
    if (!hungSince_) hungSince_ = now;
    int hungSec = static_cast<int>((now - hungSince_) / 1000);
    LogTrace(kLog, 0, "TradeStation does not answer while optimising (%d Seconds)", hungSec);
    if (now - hungSince_ >= 1000LL * std::max(1, Setting("OptHungMaxSec", 120))) {
      hungSince_ = 0;
      err_.Format("%s: no answer for %d seconds while optimising (Sym=%s, Int=%s)", kTsNotRespondingText,
                  hungSec, symbol_.GetData(), interval_.GetData());
      LogTrace(kLog, 0, "%s", err_.GetData());
      return kTsNotResponding;
    }
    return 0;
  }
  hungSince_ = 0;
  SPtrArray charts;
  if (FindChartWindows(charts) == 0 || !FindProcessId(tsfacts::kChartingProcessModule)) {
    err_.Format("TradeStation's charting has ended while optimising: no chart window left (Sym=%s, Int=%s)",
                symbol_.GetData(), interval_.GetData());
    LogTrace(kLog, 0, "%s", err_.GetData());
    return kTsNotResponding;
  }
  return 0;
}

// Waits until the optimised chart shows enough colours for ChartLoadConfirm passes. Bounded by
// ChartRedrawMaxTries passes (the step then goes on to save what TradeStation shows) and by an immediate
// abort.
int StepRun::WaitForChartRedraw() {
  LogTrace(kLog, 0, "Waiting for Chart to refresh after Optimization Completion");
  CTxt title;
  HWND chart = FindChartWindow(title, 1);
  if (!chart) {
    err_ = "Active Chart not found1";
    LogTrace(kLog, 0, "%s", err_.GetData());
    return -3;
  }
  int pauseMs = std::max(500, 1000 * Setting("ChartWaitForLoad", 6));
  int confirm = Setting("ChartLoadConfirm", 3);
  int minColours = Setting("ChartMinColors", 3);
  int maxTries = std::max(1, Setting("ChartRedrawMaxTries", 100));
  CTxt pattern;
  pattern.Format("%s/ChartSave/OP_%s_%s_%%%%%%%%%%.bmp", d_.BaseFolder().GetData(), symbol_.GetData(),
                 interval_.GetData());
  for (int pass = 1; !AbortNow(); ++pass) {
    Pause(pauseMs);
    MinimizeProgramWindows();
    d_.CloseDialogsByTitle(nullptr, tsfacts::kChartingBoxTitlePrefix, tsfacts::kChartingBoxButtonId, nullptr,
                           0);
    CTxt colourErr;
    int colours = d_.CountChartColours(chart, colourErr, pattern, 30);
    LogTrace(kLog, 0, "Optimize: Wait for Chart to reload - Try#%d of %d (%d/%d)", pass, confirm, colours,
             minColours);
    if (colours >= minColours && pass >= confirm) {
      ShowProgramWindow();
      break;
    }
    if (pass >= maxTries) {
      LogTrace(kLog, 0, "Chart did not redraw after %d tries - saving what TradeStation shows", pass);
      break;
    }
  }
  return 0;
}

void StepRun::SaveResults() {
  if (Setting("SaveOPT", 1) != 1) return;
  int mode = Setting("SaveOptMode", 0);
  LogTrace(kLog, 0, "Saving TradeStation Performance Report (Mode=%d)", mode);
  CTxt saveErr;
  CTxtArray summary;
  if (d_.SaveStrategyReport(symbol_, kind_, value_, saveErr, mode) < 0) {
    LogTrace(kLog, 0, "Save Result failed: %s", saveErr.GetData());
  } else if (d_.LastReportPath().IsFilled()) {
    // After a spreadsheet-only save the archive's name is remembered; the spreadsheet holds the same page.
    CTxt report = d_.LastReportPath();
    if (FileSizeOf(report) < 0) {
      CTxt sheet = report;
      sheet.MakeFileExt("XLS");
      if (FileSizeOf(sheet) > 0) report = sheet;
    }
    TradeStatistics stats(Settings::GetFloat("Yieldra", "StartEquity", 5000.0f));
    CTxt msg;
    if (BuildReportStatistics(report, stats, summary, msg) < 0) LogTrace(kLog, 0, "%s", msg.GetData());
  }
  if (mode != 0 && mode != 3) return;
  CTxt listErr;
  if (d_.SaveOptimizationList(symbol_, kind_, value_, listErr) < 0)
    LogTrace(kLog, 0, "Save Result failed: %s", listErr.GetData());
  WriteDescription(summary);
}

void StepRun::WriteDescription(const CTxtArray& summary) {
  CTxt path;
  d_.MakeResultFileName(symbol_, kind_, value_, path);
  path += ".csv";
  CTxt duration, line, text;
  start_.GetDurTxtHMS(duration);
  const CTxtArray& applied = d_.AppliedParameters();
  text = kStepFileHeader;
  text += "\r\n";
  line.Format("%d,%s,%s%.2f,%d,%s,%d,\r\n", d_.CurrentStep() + 1, symbol_.GetData(), interval_.GetData(),
              std::fabs(std::atof(value_)), d_.PermutationCount(), duration.GetData(), start_.GetDiffSec());
  text += line;
  line.Format("List of %d Strategy Input Parameters used:\r\n", applied.GetSize());
  text += line;
  for (int i = 0; i < applied.GetSize(); ++i) {
    text += applied.GetAtTxt(i);
    text += "\r\n";
  }
  text += "\r\n";
  for (int i = 0; i < summary.GetSize(); ++i) {
    text += summary.GetAtTxt(i);
    text += "\r\n";
  }
  CTxt reason;
  if (WriteFileAtomically(path, text.GetData(), static_cast<size_t>(text.GetLength()), reason) < 0) {
    LogTrace(kLog, 0, "Step description %s not written: %s", path.GetData(), reason.GetData());
    return;
  }
  LogTrace(kLog, 0, "%s - Optimization completed - Details in %s", command_.GetData(), path.GetData());
}

int TsDriver::ExecuteStep(const char* command, CTxt& err, int runOpt) {
  (void)runOpt;  // the charts-only flag of the run decides, not the caller's option
  StepRun step(*this, err);
  return step.Run(command);
}
