// A running optimisation: test plan, timer, progress panel, abort question, result.
#include "OptimizationRun.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <memory>

#include "Chart.h"
#include "ChartStrategy.h"
#include "DialogKit.h"
#include "EventsLog.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kWhatId = 100, kCountId = 101, kBarId = 102, kBestId = 103;
constexpr char kPanelTitle[] = "Strategy Optimization";
constexpr RECT kAbortArea = {192, 26, 244, 40};  // the Abort button on the panel, dialog units

class OptimizationRun;
std::unique_ptr<OptimizationRun>& Current() {
  static std::unique_ptr<OptimizationRun> run;
  return run;
}

// The panel with the progress and the "Abort" button: a child of the main window, or an owned pop-up
// with ProgressPopup=1.
class ProgressPanel : public Dialog {
 public:
  explicit ProgressPanel(std::function<void()> onAbort) : onAbort_(std::move(onAbort)) {}
  void Show(const std::string& count, int percent, const std::string& best) {
    SetDlgItemTextA(Hwnd(), kCountId, count.c_str());
    SendMessageA(Item(kBarId), PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    SetDlgItemTextA(Hwnd(), kBestId, best.c_str());
  }

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    (void)code, (void)control;
    if (id != tsfacts::kAbortButtonId) return false;
    onAbort_();
    return true;
  }

 private:
  std::function<void()> onAbort_;
};

// "Abort Optimization": OK stops (keeping the completed tests when 8341 is checked), Cancel goes on.
class AbortBox : public Dialog {
 public:
  explicit AbortBox(std::function<void(bool stop, bool keep)> onClose) : onClose_(std::move(onClose)) {}

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    (void)control;
    if (id == tsfacts::kAbortKeepResultsId && code == BN_CLICKED) {
      CheckDlgButton(Hwnd(), id, IsDlgButtonChecked(Hwnd(), id) == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      return true;
    }
    if (id != IDOK && id != IDCANCEL) return true;
    bool keep = IsDlgButtonChecked(Hwnd(), tsfacts::kAbortKeepResultsId) == BST_CHECKED;
    auto onClose = onClose_;
    End();
    onClose(id == IDOK, keep);
    return true;
  }

 private:
  std::function<void(bool, bool)> onClose_;
};

class OptimizationRun {
 public:
  OptimizationRun(Chart& chart, bool bestTestOnly)
      : chart_(&chart),
        setup_(SetupOf(chart)),
        bestTestOnly_(bestTestOnly),
        bars_(StrategyBars(chart)),
        plan_(MakeTestPlan(setup_)) {
    for (size_t i : setup_.RangedInputs()) table_.inputNames.push_back(setup_.inputs[i].name);
  }

  void Start() {
    App& app = App::Get();
    app.Log("optimization started: %s, %zu tests planned (%s)", setup_.name.c_str(), plan_->Planned(),
            setup_.method == OptimizationMethod::Genetic ? "genetic" : "exhaustive");
    CreatePanel();
    Schedule();
  }

 private:
  void CreatePanel() {
    App& app = App::Get();
    bool popup = app.options.Flag("ProgressPopup");
    DWORD style =
        popup ? WS_POPUP | WS_CAPTION | DS_MODALFRAME : WS_CHILD | WS_CAPTION | WS_BORDER | WS_CLIPSIBLINGS;
    DialogTemplate t(kPanelTitle, style | WS_VISIBLE, 250, 74);
    const DataTrack& d = chart_->Settings().tracks.front();
    std::string what = "Optimizing " + setup_.name + " on " + d.symbol + " " + d.interval.Text();
    t.Add("Static", what, kWhatId, WS_VISIBLE | SS_LEFTNOWORDWRAP, 6, 4, 238, 10);
    t.Add("Static", "", kCountId, WS_VISIBLE | SS_LEFTNOWORDWRAP, 6, 16, 238, 10);
    t.Add(PROGRESS_CLASSA, "", kBarId, WS_VISIBLE | WS_BORDER, 6, 28, 180, 10);
    t.Add("Static", "", kBestId, WS_VISIBLE | SS_LEFTNOWORDWRAP, 6, 42, 238, 20);
    // AbortStartMs: the button comes only that long after the optimisation started.
    int abortLate = app.options.Int("AbortStartMs");
    if (abortLate <= 0)
      t.Add("Button", tsfacts::kAbortButtonText, tsfacts::kAbortButtonId, WS_VISIBLE | WS_TABSTOP,
            static_cast<short>(kAbortArea.left), static_cast<short>(kAbortArea.top),
            static_cast<short>(kAbortArea.right - kAbortArea.left),
            static_cast<short>(kAbortArea.bottom - kAbortArea.top));
    auto panel = std::make_unique<ProgressPanel>([] {
      if (Current()) Current()->AbortClicked();
    });
    if (popup) {
      panel_ = DialogRegistry::Show(std::move(panel), t, app.main, false);
    } else {
      // Drawn over the chart windows: the MDI client leaves its siblings' area alone.
      SetWindowLongA(app.mdiClient, GWL_STYLE, GetWindowLongA(app.mdiClient, GWL_STYLE) | WS_CLIPSIBLINGS);
      childPanel_ = std::move(panel);
      childPanel_->Create(t, app.main, false);
      panel_ = childPanel_.get();
      RECT client, box;
      GetClientRect(app.main, &client);
      GetWindowRect(panel_->Hwnd(), &box);
      int w = box.right - box.left, h = box.bottom - box.top;
      SetWindowPos(panel_->Hwnd(), HWND_TOP, client.right - w - 8, client.bottom - h - 8, 0, 0, SWP_NOSIZE);
    }
    if (panel_) {
      SendMessageA(panel_->Item(kBarId), PBM_SETRANGE32, 0, 100);
      panel_->Show("Preparing the tests", 0, "");
    }
    if (abortLate > 0) {
      app.Log("optimization: Abort button in %d ms", abortLate);
      RestoreAbortButtonLater(abortLate);
    }
  }

  // The Abort button is a window that exists only while it shows: a search finds nothing in between.
  void RemoveAbortButton() {
    if (panel_ && panel_->Alive())
      if (HWND button = panel_->Item(tsfacts::kAbortButtonId)) DestroyWindow(button);
  }

  void RestoreAbortButtonLater(int ms) {
    int runId = runId_;
    App::Get().After(ms, [runId] {
      OptimizationRun* run = Current().get();
      if (!run || run->runId_ != runId || !run->panel_ || !run->panel_->Alive()) return;
      if (run->panel_->Item(tsfacts::kAbortButtonId)) return;
      RECT area = kAbortArea;
      MapDialogRect(run->panel_->Hwnd(), &area);
      CreateWindowExA(0, "Button", tsfacts::kAbortButtonText, WS_CHILD | WS_VISIBLE | WS_TABSTOP, area.left,
                      area.top, area.right - area.left, area.bottom - area.top, run->panel_->Hwnd(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(tsfacts::kAbortButtonId)),
                      App::Get().instance, nullptr);
    });
  }

  void Schedule() {
    App& app = App::Get();
    int generation = ++generation_;
    app.After(app.options.Ms("OptTestMs", 250, 20), [generation] {
      if (Current() && Current()->generation_ == generation) Current()->Tick();
    });
  }

  void Tick() {
    App& app = App::Get();
    if (!app.IsOpenChart(chart_)) {
      app.Log("optimization stopped: the chart closed");
      End(false);
      return;
    }
    if (paused_) {
      Schedule();
      return;
    }
    std::vector<double> values;
    if (!plan_->Next(values)) {
      End(true);
      return;
    }
    int number = static_cast<int>(table_.tests.size()) + 1;
    if (number == static_cast<int>(std::min<size_t>(2, plan_->Planned()))) app.FaultPoint("Optimization");
    int errorAt = app.options.Int("EventsLogError");
    if (errorAt > 0 && number >= errorAt) {
      Fail(number, values);
      return;
    }
    OptimizationTest test;
    test.number = number;
    test.values = values;
    test.figures = RunBacktest(setup_.WithValues(values), bars_).Figures();
    plan_->Result(test.figures.netProfit);
    table_.tests.push_back(test);
    ShowProgress();
    // AbortGapMs: between two tests the Abort button is gone for that long.
    int gap = App::Get().options.Int("AbortGapMs");
    if (gap > 0 && table_.tests.size() < plan_->Planned() && panel_ &&
        panel_->Item(tsfacts::kAbortButtonId)) {
      RemoveAbortButton();
      RestoreAbortButtonLater(gap);
    }
    Schedule();
  }

  std::string Describe(const std::vector<double>& values) const {
    std::string text;
    for (size_t k = 0; k < values.size() && k < table_.inputNames.size(); ++k)
      text += (k ? ", " : "") + table_.inputNames[k] + "=" + FormatNumber(values[k]);
    return text;
  }

  void ShowProgress() {
    if (!panel_ || !panel_->Alive()) return;
    size_t planned = std::max<size_t>(1, plan_->Planned());
    std::string count = "Test " + std::to_string(table_.tests.size()) + " of " + std::to_string(planned);
    int best = table_.Best();
    std::string bestText;
    if (best >= 0) {
      const OptimizationTest& b = table_.tests[static_cast<size_t>(best)];
      bestText =
          "Best net profit so far: " + FormatMoney(b.figures.netProfit) + " (" + Describe(b.values) + ")";
    }
    panel_->Show(count, static_cast<int>(100 * table_.tests.size() / planned), bestText);
  }

  void AbortClicked() {
    App& app = App::Get();
    if (paused_) return;
    paused_ = true;
    app.Log("optimization abort requested");
    DialogTemplate t(tsfacts::kAbortOptimizationTitle,
                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 220, 74);
    t.Add("Static", "Do you want to stop the optimization?", -1, WS_VISIBLE, 10, 8, 200, 10);
    t.Add("Button", "Keep the results of the completed tests", tsfacts::kAbortKeepResultsId,
          WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, 10, 26, 200, 10);
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 104, 52, 50, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 160, 52, 50, 14);
    OptimizationRun* self = this;
    DialogRegistry::Show(std::make_unique<AbortBox>([self](bool stop, bool keep) {
                           if (Current().get() != self) return;
                           Current()->paused_ = false;
                           if (stop) {
                             App::Get().Log("optimization aborted after %zu tests (%s)",
                                            Current()->table_.tests.size(), keep ? "kept" : "discarded");
                             Current()->End(keep);
                           }
                         }),
                         t, app.main, true);
  }

  // An error event while testing: the strategy turns off, the events log shows the error.
  void Fail(int number, const std::vector<double>& values) {
    App& app = App::Get();
    std::string event = "Strategy error in " + setup_.name;
    std::string description = "Floating-point invalid operation in test " + std::to_string(number) + " (" +
                              Describe(values) + "). The strategy has been turned off.";
    app.Log("optimization error: %s", description.c_str());
    StrategySetup off = setup_.WithValues({});
    off.on = false;
    Chart* chart = chart_;
    std::string source = setup_.name;
    ClosePanel();
    StoreSetup(*chart, off);
    ForgetOptimization(*chart);
    Current().reset();
    ShowEventsLog(source, event, description);
  }

  void ClosePanel() {
    if (panel_ && panel_->Alive()) panel_->End();
    if (childPanel_ && childPanel_->Alive()) DestroyWindow(childPanel_->Hwnd());
    panel_ = nullptr;
  }

  // Ends the run: with `keep`, the best test's inputs go to the chart and the tests to its optimisation
  // report; otherwise the ranges fall back to their start values.
  void End(bool keep) {
    App& app = App::Get();
    ++generation_;
    ClosePanel();
    if (app.IsOpenChart(chart_)) {
      int best = keep ? table_.Best() : -1;
      if (best >= 0) {
        const OptimizationTest& b = table_.tests[static_cast<size_t>(best)];
        StoreSetup(*chart_, setup_.WithValues(b.values));
        OptimizationTable stored = table_;
        if (bestTestOnly_) stored.tests = {b};
        StoreOptimization(*chart_, stored);
        app.Log("optimization done: %zu tests, best test %d (%s) net profit %s", table_.tests.size(),
                b.number, Describe(b.values).c_str(), FormatMoney(b.figures.netProfit).c_str());
        // RecalcMs: the chart recalculates with the best inputs, showing one colour meanwhile.
        if (int recalc = app.options.Int("RecalcMs"); recalc > 0) chart_->ShowRecalculating(recalc);
      } else {
        StoreSetup(*chart_, setup_.WithValues({}));
        ForgetOptimization(*chart_);
        app.Log("optimization ended without results");
      }
    }
    Current().reset();
  }

  Chart* chart_;
  StrategySetup setup_;
  bool bestTestOnly_;
  std::vector<Bar> bars_;
  std::unique_ptr<TestPlan> plan_;
  OptimizationTable table_;
  ProgressPanel* panel_ = nullptr;
  std::unique_ptr<ProgressPanel> childPanel_;
  bool paused_ = false;
  int generation_ = 0;
  int runId_ = NextRunId();
  static int NextRunId() {
    static int last = 0;
    return ++last;
  }
};

}  // namespace

bool StartOptimization(Chart& chart, bool bestTestOnly) {
  if (Current()) return false;
  Current() = std::make_unique<OptimizationRun>(chart, bestTestOnly);
  Current()->Start();
  return true;
}

bool OptimizationRunning() {
  return Current() != nullptr;
}

}  // namespace orchart
