// The strategy dialogs: "Format Analysis Techniques & Strategies" and "Advanced Settings".
#include "FormatStrategy.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <cstdio>
#include <memory>

#include "ChartStrategy.h"
#include "DialogKit.h"
#include "ListViewKit.h"
#include "OptimizationRun.h"
#include "StandIn.h"
#include "StrategyInputs.h"
#include "TabPages.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kTabId = 1200;
constexpr int kRemoveStrategyId = 6580;
constexpr DWORD kPageStyle = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;

class FormatStrategiesDialog;
void OpenAdvancedSettings(FormatStrategiesDialog* owner);

// ---- "Format Analysis Techniques & Strategies" ----------------------------------------------------

class FormatStrategiesDialog : public Dialog {
 public:
  explicit FormatStrategiesDialog(Chart* chart) : chart_(chart) {}

  StrategySetup& Setup() { return setup_; }
  Chart* ChartShown() const { return chart_; }
  // The inputs and MaxBarsBack confirmed in "Format Strategy:".
  void TakeInputs(const StrategySetup& edited) {
    setup_.inputs = edited.inputs;
    setup_.maxBarsBack = edited.maxBarsBack;
  }

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

 private:
  bool StrategyCommand(int id, int code);
  void ShowPage(int index);
  void ShowStatus();
  HWND StrategyList() const;
  void ToggleStatus();
  void ReadMethod();
  void Apply();

  Chart* chart_;
  StrategySetup setup_;
  // The method the combo last announced (CBN_SELCHANGE); with ComboChangesNotified it is the one applied.
  OptimizationMethod notifiedMethod_ = OptimizationMethod::Exhaustive;
  std::unique_ptr<CommandPage> indicators_, strategies_, method_;
  bool fieldsOnPage_ = true;
};

// ComboChangesNotified: a combo's choice counts only when the combo announced it (CBN_SELCHANGE), as it does
// for a choice made with the mouse or the keyboard; a selection set from outside (CB_SETCURSEL) is not seen.
bool ComboChangesNotified() {
  return App::Get().options.Flag("ComboChangesNotified");
}

// MethodCheckOnPage: "Report best test only" (7539) sits on the strategies page itself instead of on
// its method sub-page.
bool MethodCheckOnPage() {
  return App::Get().options.Flag("MethodCheckOnPage");
}

DialogTemplate StrategiesPageTemplate(bool withList) {
  DialogTemplate t(tsfacts::kStrategiesPageTitle, kPageStyle, 304, 196,
                   DialogClasses95() ? tsfacts::kFormatStrategiesPageClass95 : nullptr);
  t.Add("Static", "Strategies applied to the chart:", -1, WS_VISIBLE, 6, 4, 130, 10);
  if (MethodCheckOnPage())
    t.Add("Button", "Report best test only", tsfacts::kOptimizationCheckId,
          WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 140, 3, 90, 10);
  if (withList)
    t.Add(WC_LISTVIEWA, "", tsfacts::kStrategyListId,
          WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 6, 16, 220,
          62);
  t.Add("Button", "&Status", tsfacts::kStrategyStatusButtonId, WS_VISIBLE | WS_TABSTOP, 234, 16, 62, 14);
  t.Add("Button", tsfacts::kStrategyFormatButtonText, tsfacts::kStrategyFormatButtonId,
        WS_VISIBLE | WS_TABSTOP, 234, 34, 62, 14);
  t.Add("Button", "&Remove", kRemoveStrategyId, WS_VISIBLE | WS_TABSTOP | WS_DISABLED, 234, 52, 62, 14);
  return t;
}

DialogTemplate MethodPageTemplate(bool fieldsOnPage) {
  DialogTemplate t("", kPageStyle | WS_VISIBLE, 292, 104);
  t.Add("Button", "Optimization", -1, WS_VISIBLE | BS_GROUPBOX, 0, 0, 292, 100);
  if (!MethodCheckOnPage())
    t.Add("Button", "Report best test only", tsfacts::kOptimizationCheckId,
          WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 8, 14, 150, 10);
  t.Add("Static", "Method:", -1, WS_VISIBLE, 8, 32, 40, 10);
  t.Add("ComboBox", "", tsfacts::kOptimizationMethodComboId,
        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 52, 30, 80, 60);
  if (!fieldsOnPage) {
    t.Add("Button", "&Advanced...", tsfacts::kGeneticAdvancedButtonId, WS_VISIBLE | WS_TABSTOP, 140, 29, 60,
          14);
    return t;
  }
  struct Field {
    const char* label;
    int id;
    short x, y;
  };
  for (Field f : {Field{"Generations:", tsfacts::kGeneticGenerationsId, 8, 52},
                  Field{"Population:", tsfacts::kGeneticPopulationId, 150, 52},
                  Field{"Mutation rate:", tsfacts::kGeneticMutationRateId, 8, 72},
                  Field{"Crossover rate:", tsfacts::kGeneticCrossoverRateId, 150, 72}}) {
    t.Add("Static", f.label, -1, WS_VISIBLE, f.x, static_cast<short>(f.y + 2), 56, 10);
    t.Add("Edit", "", f.id, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
          static_cast<short>(f.x + 60), f.y, 50, 12);
  }
  return t;
}

void FillGeneticFields(HWND page, const GeneticSettings& g) {
  char buf[32];
  SetDlgItemInt(page, tsfacts::kGeneticGenerationsId, static_cast<UINT>(g.generations), FALSE);
  SetDlgItemInt(page, tsfacts::kGeneticPopulationId, static_cast<UINT>(g.population), FALSE);
  std::snprintf(buf, sizeof buf, "%.2f", g.mutation);
  SetDlgItemTextA(page, tsfacts::kGeneticMutationRateId, buf);
  std::snprintf(buf, sizeof buf, "%.2f", g.crossover);
  SetDlgItemTextA(page, tsfacts::kGeneticCrossoverRateId, buf);
}

// Reads the four genetic fields; a field that is not a valid value keeps the old one.
GeneticSettings ReadGeneticFields(HWND page, GeneticSettings g) {
  auto text = [&](int id) {
    char buf[64] = "";
    GetDlgItemTextA(page, id, buf, sizeof buf);
    return std::string(buf);
  };
  double v = 0;
  if (ParseNumber(text(tsfacts::kGeneticGenerationsId), v) && v >= 1) g.generations = static_cast<int>(v);
  if (ParseNumber(text(tsfacts::kGeneticPopulationId), v) && v >= 1) g.population = static_cast<int>(v);
  if (ParseNumber(text(tsfacts::kGeneticMutationRateId), v) && v >= 0 && v <= 1) g.mutation = v;
  if (ParseNumber(text(tsfacts::kGeneticCrossoverRateId), v) && v >= 0 && v <= 1) g.crossover = v;
  return g;
}

void FormatStrategiesDialog::OnInit() {
  App& app = App::Get();
  setup_ = SetupOf(*chart_);
  if (app.options.Flag("StrategyOff") && setup_.on) {
    setup_.on = false;
    StoreSetup(*chart_, setup_);
    app.Log("strategy found off (StrategyOff)");
  }
  fieldsOnPage_ = app.options.Int("GeneticFieldsOnPage", app.version >= 95 ? 0 : 1) != 0;
  HWND tab = Item(kTabId);
  AddTabs(tab, {tsfacts::kIndicatorsPageTitle, tsfacts::kStrategiesPageTitle});

  auto forward = [this](int id, int code) { return StrategyCommand(id, code); };
  DialogTemplate indicators(tsfacts::kIndicatorsPageTitle, kPageStyle, 304, 196,
                            DialogClasses95() ? tsfacts::kFormatStrategiesPageClass95 : nullptr);
  indicators.Add("Static", "No analysis techniques are applied to this chart.", -1, WS_VISIBLE, 6, 6, 240,
                 10);
  indicators_ = std::make_unique<CommandPage>();
  PlaceInTab(Hwnd(), tab, indicators_->Create(indicators, Hwnd(), false));
  strategies_ = std::make_unique<CommandPage>(forward);
  HWND page = strategies_->Create(StrategiesPageTemplate(!DialogClasses95()), Hwnd(), false);
  PlaceInTab(Hwnd(), tab, page);
  method_ = std::make_unique<CommandPage>(forward);
  HWND method = method_->Create(MethodPageTemplate(fieldsOnPage_), page, false);
  RECT area{6, 84, 298, 188};
  MapDialogRect(page, &area);
  SetWindowPos(method, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);

  if (DialogClasses95()) {
    // On 9.5 the strategy list belongs to the dialog itself, over the strategies page.
    RECT lr{6, 16, 226, 78};
    MapDialogRect(page, &lr);
    MapWindowPoints(page, Hwnd(), reinterpret_cast<POINT*>(&lr), 2);
    CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                    lr.left, lr.top, lr.right - lr.left, lr.bottom - lr.top, Hwnd(),
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(tsfacts::kStrategyListId95)), app.instance,
                    nullptr);
    SetWindowPos(Item(tsfacts::kStrategyListId95), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
  SetListColumns(StrategyList(), {{"Name", 160}, {"Status", 60}});
  HWND combo = method_->Item(tsfacts::kOptimizationMethodComboId);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kOptimizationExhaustive));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kOptimizationGenetic));
  SendMessageA(combo, CB_SETCURSEL, setup_.method == OptimizationMethod::Genetic ? 1 : 0, 0);
  notifiedMethod_ = setup_.method;
  if (fieldsOnPage_) FillGeneticFields(method, setup_.genetic);
  ShowStatus();
  SelectListRow(StrategyList(), 0);
  TabCtrl_SetCurSel(tab, 1);
  ShowPage(1);
}

HWND FormatStrategiesDialog::StrategyList() const {
  return DialogClasses95() ? Item(tsfacts::kStrategyListId95) : strategies_->Item(tsfacts::kStrategyListId);
}

void FormatStrategiesDialog::ShowPage(int index) {
  ShowWindow(indicators_->Hwnd(), index == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(strategies_->Hwnd(), index == 1 ? SW_SHOW : SW_HIDE);
  if (DialogClasses95()) ShowWindow(Item(tsfacts::kStrategyListId95), index == 1 ? SW_SHOW : SW_HIDE);
}

void FormatStrategiesDialog::ShowStatus() {
  SetListRow(StrategyList(), 0,
             {setup_.name, setup_.on ? tsfacts::kStrategyStatusOn : tsfacts::kStrategyStatusOff});
  EnableWindow(strategies_->Item(tsfacts::kStrategyFormatButtonId), setup_.on ? TRUE : FALSE);
}

LRESULT FormatStrategiesDialog::OnNotify(NMHDR* header) {
  if (header->idFrom == kTabId && header->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(Item(kTabId)));
  return 0;
}

void FormatStrategiesDialog::ToggleStatus() {
  App& app = App::Get();
  if (!app.IsOpenChart(chart_)) return;
  if (!setup_.on && app.options.Flag("StrategyStaysOff")) {
    app.Log("strategy status stays off (StrategyStaysOff)");
    return;
  }
  setup_.on = !setup_.on;
  StrategySetup stored = SetupOf(*chart_);  // the status applies at once; inputs wait for OK
  stored.on = setup_.on;
  StoreSetup(*chart_, stored);
  app.Log("strategy status: %s", setup_.on ? "on" : "off");
  ShowStatus();
}

// Commands of the strategies page and its method sub-page (also accepted on the dialog itself).
bool FormatStrategiesDialog::StrategyCommand(int id, int code) {
  App& app = App::Get();
  if (id == tsfacts::kOptimizationMethodComboId && code == CBN_SELCHANGE) {
    HWND combo = method_->Item(tsfacts::kOptimizationMethodComboId);
    notifiedMethod_ = SendMessageA(combo, CB_GETCURSEL, 0, 0) == 1 ? OptimizationMethod::Genetic
                                                                   : OptimizationMethod::Exhaustive;
    app.Log("optimization method chosen: %s",
            notifiedMethod_ == OptimizationMethod::Genetic ? "genetic" : "exhaustive");
    return true;
  }
  if (code != BN_CLICKED) return false;
  if (id == tsfacts::kStrategyStatusButtonId) {
    ToggleStatus();
    return true;
  }
  if (id == tsfacts::kStrategyFormatButtonId) {
    if (!setup_.on) {
      app.Log("format strategy refused: the strategy is off");
      return true;
    }
    FormatStrategiesDialog* self = this;
    OpenStrategyInputs(Hwnd(), setup_, [self](const StrategySetup& edited) {
      if (DialogRegistry::Find<FormatStrategiesDialog>() == self) self->TakeInputs(edited);
    });
    return true;
  }
  if (id == tsfacts::kGeneticAdvancedButtonId && !fieldsOnPage_) {
    OpenAdvancedSettings(this);
    return true;
  }
  return false;
}

void FormatStrategiesDialog::ReadMethod() {
  HWND combo = method_->Item(tsfacts::kOptimizationMethodComboId);
  if (ComboChangesNotified())
    setup_.method = notifiedMethod_;
  else
    setup_.method = SendMessageA(combo, CB_GETCURSEL, 0, 0) == 1 ? OptimizationMethod::Genetic
                                                                 : OptimizationMethod::Exhaustive;
  if (fieldsOnPage_) setup_.genetic = ReadGeneticFields(method_->Hwnd(), setup_.genetic);
}

bool FormatStrategiesDialog::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (id == IDOK) {
    Apply();
    return true;
  }
  return StrategyCommand(id, code);
}

void FormatStrategiesDialog::Apply() {
  App& app = App::Get();
  app.FaultPoint("StrategyOk");
  if (!app.IsOpenChart(chart_)) {
    End();
    return;
  }
  ReadMethod();
  HWND checkHolder = MethodCheckOnPage() ? strategies_->Hwnd() : method_->Hwnd();
  bool bestOnly = IsDlgButtonChecked(checkHolder, tsfacts::kOptimizationCheckId) == BST_CHECKED;
  setup_.on = SetupOf(*chart_).on;
  StoreSetup(*chart_, setup_);
  Chart* chart = chart_;
  StrategySetup applied = setup_;
  End();
  std::string inputs;
  for (const StrategyInput& in : applied.inputs) inputs += " " + in.name + "=" + in.Shown();
  app.Log("strategy applied: %s%s (%s, %.0f permutations)", applied.name.c_str(), inputs.c_str(),
          applied.method == OptimizationMethod::Genetic ? "genetic" : "exhaustive", applied.Permutations());
  if (applied.HasRanges() && applied.on)
    StartOptimization(*chart, bestOnly);
  else
    ForgetOptimization(*chart);
}

void OpenFormatStrategies(Chart& chart) {
  App& app = App::Get();
  app.FaultPoint("FormatStrategies");
  if (OptimizationRunning()) {
    app.Log("format strategies refused: an optimization is running");
    return;
  }
  Chart* target = &chart;
  app.OpenDialogLater("FormatStrategies", [target] {
    App& app = App::Get();
    if (!app.IsOpenChart(target)) return;
    if (auto* open = DialogRegistry::Find<FormatStrategiesDialog>()) {
      SetForegroundWindow(open->Hwnd());
      return;
    }
    DialogTemplate t(tsfacts::kFormatStrategiesTitle, kPopupStyle, 320, 246);
    t.Add(WC_TABCONTROLA, "", kTabId, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, 312, 216);
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 206, 226, 52, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 264, 226, 52, 14);
    app.Log("format strategies dialog");
    DialogRegistry::Show(std::make_unique<FormatStrategiesDialog>(target), t, app.main, true);
  });
}

// ---- "Advanced Settings" ------------------------------------------------------------------------

class AdvancedSettingsDialog : public Dialog {
 public:
  explicit AdvancedSettingsDialog(FormatStrategiesDialog* owner) : owner_(owner) {}

 protected:
  void OnInit() override { FillGeneticFields(Hwnd(), owner_->Setup().genetic); }
  bool OnCommand(int id, int code, HWND control) override {
    (void)code, (void)control;
    if (id != IDOK) return false;
    if (DialogRegistry::Find<FormatStrategiesDialog>() == owner_)
      owner_->Setup().genetic = ReadGeneticFields(Hwnd(), owner_->Setup().genetic);
    End();
    return true;
  }

 private:
  FormatStrategiesDialog* owner_;
};

void OpenAdvancedSettings(FormatStrategiesDialog* owner) {
  App::Get().OpenDialogLater("AdvancedSettings", [owner] {
    if (DialogRegistry::Find<FormatStrategiesDialog>() != owner ||
        DialogRegistry::Find<AdvancedSettingsDialog>())
      return;
    DialogTemplate t(tsfacts::kAdvancedSettingsTitle, kPopupStyle, 200, 104);
    t.Add("Button", "Genetic optimization", -1, WS_VISIBLE | BS_GROUPBOX, 6, 4, 188, 72);
    struct Field {
      const char* label;
      int id;
      short y;
    };
    for (Field f : {Field{"Generations:", tsfacts::kGeneticGenerationsId, 16},
                    Field{"Population:", tsfacts::kGeneticPopulationId, 30},
                    Field{"Mutation rate:", tsfacts::kGeneticMutationRateId, 44},
                    Field{"Crossover rate:", tsfacts::kGeneticCrossoverRateId, 58}}) {
      t.Add("Static", f.label, -1, WS_VISIBLE, 14, static_cast<short>(f.y + 2), 70, 10);
      t.Add("Edit", "", f.id, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 100, f.y, 50, 12);
    }
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 86, 84, 50, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 142, 84, 50, 14);
    DialogRegistry::Show(std::make_unique<AdvancedSettingsDialog>(owner), t, owner->Hwnd(), true);
  });
}

}  // namespace

void RegisterFormatStrategyCommands() {
  RegisterDialogClass(tsfacts::kFormatStrategiesPageClass95);
  RegisterStrategyInputsClasses();
  RegisterChartCommand(tsfacts::kCmdFormatStrategies, OpenFormatStrategies);
}

}  // namespace orchart
