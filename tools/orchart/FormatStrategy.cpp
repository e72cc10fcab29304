// The strategy dialogs: "Format Analysis Techniques & Strategies", "Format Strategy:", "Optimize",
// "Advanced Settings".
#include "FormatStrategy.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "ChartStrategy.h"
#include "DialogKit.h"
#include "ListViewKit.h"
#include "OptimizationRun.h"
#include "Popups.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kTabId = 1200;
constexpr int kRemoveStrategyId = 6580;
constexpr int kMaxBarsBackEditId = 8400;
constexpr DWORD kPageStyle = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
constexpr UINT kEndEditMessage = WM_APP + 0x401;  // to the inputs page: wParam 1 commit, 0 cancel

bool Classes95() {
  App& app = App::Get();
  return app.version >= 95 && app.options.Flag("DialogClasses95");
}

// Pages on 9.5 carry window classes named after their resources; they behave like "#32770".
void RegisterPageClasses() {
  for (const char* name : {tsfacts::kFormatStrategiesPageClass95, tsfacts::kInputsPageClass95}) {
    WNDCLASSA dc{};
    dc.lpfnWndProc = DefDlgProcA;
    dc.cbWndExtra = DLGWINDOWEXTRA;
    dc.hInstance = App::Get().instance;
    dc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    dc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    dc.lpszClassName = name;
    RegisterClassA(&dc);
  }
}

// Places a page into the tab control's display area.
void PlaceInTab(HWND dialog, HWND tab, HWND page) {
  RECT rc;
  GetWindowRect(tab, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  SetWindowPos(page, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
}

void AddTabs(HWND tab, std::initializer_list<const char*> names) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  for (const char* name : names) {
    item.pszText = const_cast<char*>(name);
    SendMessageA(tab, TCM_INSERTITEMA, SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0),
                 reinterpret_cast<LPARAM>(&item));
  }
}

// A page or sub-page that hands its commands to a handler (the dialog that owns it).
class Page : public Dialog {
 public:
  using Handler = std::function<bool(int id, int code)>;
  explicit Page(Handler handler = {}) : handler_(std::move(handler)) {}

 protected:
  bool OnCommand(int id, int code, HWND control) override {
    (void)control;
    return handler_ && handler_(id, code);
  }

 private:
  Handler handler_;
};

class FormatStrategiesDialog;
class FormatStrategyDialog;
void OpenFormatStrategy(FormatStrategiesDialog* owner);
void OpenRangeDialog(FormatStrategyDialog* owner, size_t input);
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
  std::unique_ptr<Page> indicators_, strategies_, method_;
  bool fieldsOnPage_ = true;
};

DialogTemplate StrategiesPageTemplate(bool withList) {
  DialogTemplate t(tsfacts::kStrategiesPageTitle, kPageStyle, 304, 196,
                   Classes95() ? tsfacts::kFormatStrategiesPageClass95 : nullptr);
  t.Add("Static", "Strategies applied to the chart:", -1, WS_VISIBLE, 6, 4, 200, 10);
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
                            Classes95() ? tsfacts::kFormatStrategiesPageClass95 : nullptr);
  indicators.Add("Static", "No analysis techniques are applied to this chart.", -1, WS_VISIBLE, 6, 6, 240,
                 10);
  indicators_ = std::make_unique<Page>();
  PlaceInTab(Hwnd(), tab, indicators_->Create(indicators, Hwnd(), false));
  strategies_ = std::make_unique<Page>(forward);
  HWND page = strategies_->Create(StrategiesPageTemplate(!Classes95()), Hwnd(), false);
  PlaceInTab(Hwnd(), tab, page);
  method_ = std::make_unique<Page>(forward);
  HWND method = method_->Create(MethodPageTemplate(fieldsOnPage_), page, false);
  RECT area{6, 84, 298, 188};
  MapDialogRect(page, &area);
  SetWindowPos(method, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
               SWP_NOACTIVATE);

  if (Classes95()) {
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
  if (fieldsOnPage_) FillGeneticFields(method, setup_.genetic);
  ShowStatus();
  SelectListRow(StrategyList(), 0);
  TabCtrl_SetCurSel(tab, 1);
  ShowPage(1);
}

HWND FormatStrategiesDialog::StrategyList() const {
  return Classes95() ? Item(tsfacts::kStrategyListId95) : strategies_->Item(tsfacts::kStrategyListId);
}

void FormatStrategiesDialog::ShowPage(int index) {
  ShowWindow(indicators_->Hwnd(), index == 0 ? SW_SHOW : SW_HIDE);
  ShowWindow(strategies_->Hwnd(), index == 1 ? SW_SHOW : SW_HIDE);
  if (Classes95()) ShowWindow(Item(tsfacts::kStrategyListId95), index == 1 ? SW_SHOW : SW_HIDE);
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
    OpenFormatStrategy(this);
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
  app.CrashPoint("StrategyOk");
  if (!app.IsOpenChart(chart_)) {
    End();
    return;
  }
  ReadMethod();
  bool bestOnly = IsDlgButtonChecked(method_->Hwnd(), tsfacts::kOptimizationCheckId) == BST_CHECKED;
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
  app.CrashPoint("FormatStrategies");
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

// ---- "Format Strategy: NAME" ----------------------------------------------------------------------

// The inputs page: the inputs list with its in-place editor, and "&Optimize".
class InputsPage : public Dialog {
 public:
  InputsPage(FormatStrategyDialog* owner, StrategySetup* setup) : owner_(owner), setup_(setup) {}
  HWND List() const { return list_; }
  void ShowInputs();
  // Ends the in-place edit, taking its text when `commit`.
  void EndEdit(bool commit);

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  void OnDestroyed() override;

 private:
  static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void BeginEdit();

  FormatStrategyDialog* owner_;
  StrategySetup* setup_;
  HWND list_ = nullptr;
  HWND edit_ = nullptr;
  int editRow_ = -1;
  WNDPROC listProc_ = nullptr, editProc_ = nullptr;
};

std::map<HWND, InputsPage*>& EditorPages() {
  static std::map<HWND, InputsPage*> pages;  // list and in-place edit windows -> their page
  return pages;
}

class FormatStrategyDialog : public Dialog {
 public:
  explicit FormatStrategyDialog(FormatStrategiesDialog* owner) : owner_(owner), setup_(owner->Setup()) {}
  StrategySetup& Setup() { return setup_; }
  void RangeSet() {
    if (inputs_) inputs_->ShowInputs();
    SetDlgItemInt(properties_->Hwnd(), kMaxBarsBackEditId, static_cast<UINT>(setup_.maxBarsBack), FALSE);
  }

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

 private:
  void ShowPage(int index) {
    ShowWindow(inputs_->Hwnd(), index == 0 ? SW_SHOW : SW_HIDE);
    ShowWindow(properties_->Hwnd(), index == 1 ? SW_SHOW : SW_HIDE);
  }
  FormatStrategiesDialog* owner_;
  StrategySetup setup_;
  std::unique_ptr<InputsPage> inputs_;
  std::unique_ptr<Page> properties_;
};

int InputsListId() {
  return App::Get().options.Int("InputsListId", tsfacts::kInputsListId) == tsfacts::kInputsListIdOther
             ? tsfacts::kInputsListIdOther
             : tsfacts::kInputsListId;
}

void InputsPage::OnInit() {
  list_ = Item(InputsListId());
  SetListColumns(list_, {{"Input Name", 140}, {"Value", 140}});
  ShowInputs();
  SelectListRow(list_, 0);
  EditorPages()[list_] = this;
  listProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InputsPage::ListProc)));
}

void InputsPage::OnDestroyed() {
  EditorPages().erase(list_);
  if (edit_) EditorPages().erase(edit_);
}

void InputsPage::ShowInputs() {
  for (size_t i = 0; i < setup_->inputs.size(); ++i)
    SetListRow(list_, static_cast<int>(i), {setup_->inputs[i].name, setup_->inputs[i].Shown()});
}

LRESULT CALLBACK InputsPage::ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = EditorPages().find(hwnd);
  if (it == EditorPages().end()) return DefWindowProcA(hwnd, msg, wp, lp);
  InputsPage* page = it->second;
  WNDPROC base = page->listProc_;
  if (msg == WM_KEYDOWN && wp == VK_F2) {
    page->BeginEdit();
    return 0;
  }
  if (msg == WM_NCDESTROY) {
    EditorPages().erase(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
  }
  return CallWindowProcA(base, hwnd, msg, wp, lp);
}

LRESULT CALLBACK InputsPage::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto it = EditorPages().find(hwnd);
  if (it == EditorPages().end()) return DefWindowProcA(hwnd, msg, wp, lp);
  InputsPage* page = it->second;
  WNDPROC base = page->editProc_;
  switch (msg) {
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_ESCAPE) {
        PostMessageA(page->Hwnd(), kEndEditMessage, wp == VK_RETURN ? 1 : 0, 0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == '\r' || wp == 27) return 0;
      break;
    case WM_NCDESTROY:
      EditorPages().erase(hwnd);
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base));
      break;
    default:
      break;
  }
  return CallWindowProcA(base, hwnd, msg, wp, lp);
}

// An "Edit" child of the list over the selected row's value.
void InputsPage::BeginEdit() {
  if (edit_) EndEdit(true);
  int row = SelectedListRow(list_);
  if (row < 0 || row >= static_cast<int>(setup_->inputs.size())) return;
  RECT rc{};
  rc.top = 1;  // the value column
  rc.left = LVIR_BOUNDS;
  SendMessageA(list_, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rc));
  edit_ = CreateWindowExA(0, "Edit", setup_->inputs[static_cast<size_t>(row)].Shown().c_str(),
                          WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, rc.left, rc.top - 1,
                          rc.right - rc.left, rc.bottom - rc.top + 2, list_, nullptr, App::Get().instance,
                          nullptr);
  if (!edit_) return;
  editRow_ = row;
  SendMessageA(edit_, WM_SETFONT, SendMessageA(list_, WM_GETFONT, 0, 0), TRUE);
  EditorPages()[edit_] = this;
  editProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(edit_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&InputsPage::EditProc)));
  SendMessageA(edit_, EM_SETSEL, 0, -1);
  SetFocus(edit_);
  App::Get().Log("editing input %d (%s)", row + 1, setup_->inputs[static_cast<size_t>(row)].name.c_str());
}

void InputsPage::EndEdit(bool commit) {
  if (!edit_) return;
  HWND edit = edit_;
  edit_ = nullptr;
  if (commit && editRow_ >= 0 && editRow_ < static_cast<int>(setup_->inputs.size())) {
    StrategyInput& in = setup_->inputs[static_cast<size_t>(editRow_)];
    std::string text = WindowText(edit);
    if (!in.Take(text))
      App::Get().Log("input %s: value '%s' refused", in.name.c_str(), text.c_str());
    else
      App::Get().Log("input %s = %s", in.name.c_str(), in.Shown().c_str());
  }
  DestroyWindow(edit);
  ShowInputs();
  SetFocus(list_);
}

bool InputsPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  (void)lp;
  if (msg != kEndEditMessage) return false;
  EndEdit(wp == 1);
  result = 0;
  return true;
}

bool InputsPage::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (id != tsfacts::kOptimizeButtonId || code != BN_CLICKED) return false;
  EndEdit(true);
  int row = SelectedListRow(list_);
  if (row < 0 || row >= static_cast<int>(setup_->inputs.size())) return true;
  if (!setup_->inputs[static_cast<size_t>(row)].numeric) {
    ShowChartAnalysisError(GetParent(Hwnd()), "The input '" + setup_->inputs[static_cast<size_t>(row)].name +
                                                  "' is not numeric and cannot be optimized.");
    return true;
  }
  OpenRangeDialog(owner_, static_cast<size_t>(row));
  return true;
}

DialogTemplate InputsPageTemplate() {
  DialogTemplate t(tsfacts::kInputsPageTitle, kPageStyle, 284, 170,
                   Classes95() ? tsfacts::kInputsPageClass95 : nullptr);
  t.Add("Static", "Inputs:", -1, WS_VISIBLE, 6, 4, 100, 10);
  t.Add(WC_LISTVIEWA, "", InputsListId(),
        WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 6, 16, 212,
        120);
  t.Add("Button", tsfacts::kOptimizeButtonText, tsfacts::kOptimizeButtonId, WS_VISIBLE | WS_TABSTOP, 224, 16,
        54, 14);
  t.Add("Static", "Select an input and press F2 to change its value; Optimize sets a range to test.", -1,
        WS_VISIBLE, 6, 142, 272, 20);
  return t;
}

DialogTemplate PropertiesPageTemplate() {
  DialogTemplate t("Properties", kPageStyle, 284, 170);
  t.Add("Static", "Maximum number of bars the strategy will reference (MaxBarsBack):", -1, WS_VISIBLE, 6, 8,
        220, 20);
  t.Add("Edit", "", kMaxBarsBackEditId, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER, 226, 8, 40, 12);
  t.Add("Static", "Commission: $2.00 per side.   Shares: 100 per trade.", -1, WS_VISIBLE, 6, 36, 220, 10);
  return t;
}

void FormatStrategyDialog::OnInit() {
  HWND tab = Item(kTabId);
  AddTabs(tab, {tsfacts::kInputsPageTitle, "Properties"});
  inputs_ = std::make_unique<InputsPage>(this, &setup_);
  PlaceInTab(Hwnd(), tab, inputs_->Create(InputsPageTemplate(), Hwnd(), false));
  properties_ = std::make_unique<Page>();
  PlaceInTab(Hwnd(), tab, properties_->Create(PropertiesPageTemplate(), Hwnd(), false));
  SetDlgItemInt(properties_->Hwnd(), kMaxBarsBackEditId, static_cast<UINT>(setup_.maxBarsBack), FALSE);
  ShowPage(0);
}

LRESULT FormatStrategyDialog::OnNotify(NMHDR* header) {
  if (header->idFrom == kTabId && header->code == TCN_SELCHANGE) ShowPage(TabCtrl_GetCurSel(Item(kTabId)));
  return 0;
}

bool FormatStrategyDialog::OnCommand(int id, int code, HWND control) {
  (void)code, (void)control;
  if (id != IDOK) return false;
  inputs_->EndEdit(true);
  BOOL ok = FALSE;
  UINT bars = GetDlgItemInt(properties_->Hwnd(), kMaxBarsBackEditId, &ok, FALSE);
  if (ok && bars >= 1) setup_.maxBarsBack = static_cast<int>(bars);
  if (DialogRegistry::Find<FormatStrategiesDialog>() == owner_) owner_->TakeInputs(setup_);
  std::string shown;
  for (const StrategyInput& in : setup_.inputs) shown += " " + in.name + "=" + in.Shown();
  App::Get().Log("format strategy ok:%s", shown.c_str());
  End();
  return true;
}

void OpenFormatStrategy(FormatStrategiesDialog* owner) {
  App::Get().OpenDialogLater("FormatStrategy", [owner] {
    if (DialogRegistry::Find<FormatStrategiesDialog>() != owner ||
        DialogRegistry::Find<FormatStrategyDialog>())
      return;
    std::string title = std::string(tsfacts::kFormatStrategyTitlePrefix) + " " + owner->Setup().name;
    DialogTemplate t(title, kPopupStyle, 300, 220);
    t.Add(WC_TABCONTROLA, "", kTabId, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, 292, 190);
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 200, 52, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 244, 200, 52, 14);
    App::Get().Log("format strategy dialog: %s", title.c_str());
    DialogRegistry::Show(std::make_unique<FormatStrategyDialog>(owner), t, owner->Hwnd(), true);
  });
}

// ---- "Optimize" range dialog ----------------------------------------------------------------------

class RangeDialog : public Dialog {
 public:
  RangeDialog(FormatStrategyDialog* owner, size_t input) : owner_(owner), input_(input) {}

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  bool OwnerAlive() const { return DialogRegistry::Find<FormatStrategyDialog>() == owner_; }
  void Accept(const InputRange& range, int maxBarsBack);
  FormatStrategyDialog* owner_;
  size_t input_;
};

void RangeDialog::OnInit() {
  if (!OwnerAlive()) return;
  const StrategyInput& in = owner_->Setup().inputs[input_];
  InputRange r;
  if (in.ranged) {
    r = in.range;
  } else {
    ParseNumber(in.value, r.start);
    r.stop = r.start;
    r.step = 1;
  }
  SetDlgItemTextA(Hwnd(), tsfacts::kRangeStartId, FormatNumber(r.start).c_str());
  SetDlgItemTextA(Hwnd(), tsfacts::kRangeStopId, FormatNumber(r.stop).c_str());
  SetDlgItemTextA(Hwnd(), tsfacts::kRangeIncrementId, FormatNumber(r.step).c_str());
}

void RangeDialog::Accept(const InputRange& range, int maxBarsBack) {
  if (!OwnerAlive()) {
    End();
    return;
  }
  StrategySetup& setup = owner_->Setup();
  StrategyInput& in = setup.inputs[input_];
  in.ranged = true;
  in.range = range;
  setup.maxBarsBack = maxBarsBack;
  App::Get().Log("optimize %s: %s", in.name.c_str(), FormatInputRange(range).c_str());
  End();
  owner_->RangeSet();
}

bool RangeDialog::OnCommand(int id, int code, HWND control) {
  (void)code, (void)control;
  if (id != IDOK) return false;
  if (!OwnerAlive()) {
    End();
    return true;
  }
  InputRange r;
  bool numbers = ParseNumber(ItemText(tsfacts::kRangeStartId), r.start) &&
                 ParseNumber(ItemText(tsfacts::kRangeStopId), r.stop) &&
                 ParseNumber(ItemText(tsfacts::kRangeIncrementId), r.step);
  std::string error;
  if (!numbers)
    error = "Please enter numbers for the start, stop and increment values.";
  else if (r.step <= 0)
    error = "The increment must be greater than zero.";
  else if (r.start > r.stop)
    error = "The start value must not be greater than the stop value.";
  if (!error.empty()) {
    ShowChartAnalysisError(Hwnd(), error);
    return true;
  }
  const StrategyInput& in = owner_->Setup().inputs[input_];
  int maxBarsBack = owner_->Setup().maxBarsBack;
  bool length = in.name.size() >= 6 && EqualNoCase(in.name.substr(in.name.size() - 6), "Length");
  if (length && r.stop > maxBarsBack) {
    int needed = static_cast<int>(std::ceil(r.stop));
    BoxSpec spec;
    spec.title = tsfacts::kChartErrorTitlePrefix;
    spec.text = "The value " + FormatNumber(r.stop) + " of the input " + in.name + " is " +
                tsfacts::kMaxBarsBackText + "sBack setting (" + std::to_string(maxBarsBack) +
                ").\r\nSet MaxBarsBack to " + std::to_string(needed) + "?";
    spec.buttons = {{tsfacts::kMaxBarsBackYesId, "&Yes"}, {tsfacts::kMaxBarsBackNoId, "&No"}};
    RangeDialog* self = this;
    spec.onClose = [self, r, needed](int button) {
      if (button == tsfacts::kMaxBarsBackYesId && DialogRegistry::Find<RangeDialog>() == self)
        self->Accept(r, needed);
    };
    ShowBox(Hwnd(), spec);
    return true;
  }
  Accept(r, maxBarsBack);
  return true;
}

void OpenRangeDialog(FormatStrategyDialog* owner, size_t input) {
  App::Get().OpenDialogLater("OptimizeRange", [owner, input] {
    if (DialogRegistry::Find<FormatStrategyDialog>() != owner || DialogRegistry::Find<RangeDialog>()) return;
    if (input >= owner->Setup().inputs.size()) return;
    std::string title =
        std::string(tsfacts::kOptimizeRangeTitlePrefix) + " Input: " + owner->Setup().inputs[input].name;
    DialogTemplate t(title, kPopupStyle, 180, 96);
    struct Field {
      const char* label;
      int id;
      short y;
    };
    for (Field f : {Field{"Start:", tsfacts::kRangeStartId, 10}, Field{"Stop:", tsfacts::kRangeStopId, 28},
                    Field{"Increment:", tsfacts::kRangeIncrementId, 46}}) {
      t.Add("Static", f.label, -1, WS_VISIBLE, 10, static_cast<short>(f.y + 2), 50, 10);
      t.Add("Edit", "", f.id, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 64, f.y, 60, 12);
    }
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 66, 74, 50, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 122, 74, 50, 14);
    App::Get().Log("optimize range dialog: %s", title.c_str());
    DialogRegistry::Show(std::make_unique<RangeDialog>(owner, input), t, owner->Hwnd(), true);
  });
}

}  // namespace

void RegisterFormatStrategyCommands() {
  RegisterPageClasses();
  RegisterChartCommand(tsfacts::kCmdFormatStrategies, OpenFormatStrategies);
}

}  // namespace orchart
