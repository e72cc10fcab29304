// The inputs dialog of a strategy, its in-place editor and the "Optimize" range dialog.
#include "StrategyInputs.h"

// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <cmath>
#include <map>
#include <memory>

#include "DialogKit.h"
#include "ListViewKit.h"
#include "Market.h"
#include "Popups.h"
#include "StandIn.h"
#include "TabPages.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kTabId = 1200;
constexpr int kMaxBarsBackEditId = 8400;
constexpr DWORD kPageStyle = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
constexpr DWORD kPopupStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
constexpr UINT kEndEditMessage = WM_APP + 0x401;  // to the inputs page: wParam 1 commit, 0 cancel

class FormatStrategyDialog;
void OpenRangeDialog(FormatStrategyDialog* owner, size_t input);

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
  FormatStrategyDialog(const StrategySetup& setup, std::function<void(const StrategySetup&)> onOk)
      : setup_(setup), onOk_(std::move(onOk)) {}
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
  StrategySetup setup_;
  std::function<void(const StrategySetup&)> onOk_;
  std::unique_ptr<InputsPage> inputs_;
  std::unique_ptr<CommandPage> properties_;
};

int InputsListId() {
  return App::Get().options.Int("InputsListId", tsfacts::kInputsListId) == tsfacts::kInputsListIdOther
             ? tsfacts::kInputsListIdOther
             : tsfacts::kInputsListId;
}

// InputsListClass: the inputs list's class name, "SysListView32" or "SysTabControl32" (the same list).
std::string InputsListClass() {
  std::string wanted = App::Get().options.Text("InputsListClass");
  return EqualNoCase(wanted, WC_TABCONTROLA) ? WC_TABCONTROLA : WC_LISTVIEWA;
}

// Where the inputs list sits on the inputs page, in dialog units.
struct DialogArea {
  short left, top, right, bottom;
};
constexpr DialogArea kInputsListArea = {6, 16, 218, 136};
constexpr DWORD kInputsListStyle =
    WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;

void InputsPage::OnInit() {
  if (InputsListClass() != WC_LISTVIEWA) {
    RECT area = {kInputsListArea.left, kInputsListArea.top, kInputsListArea.right, kInputsListArea.bottom};
    MapDialogRect(Hwnd(), &area);
    CreateListViewNamed(InputsListClass().c_str(), Hwnd(), InputsListId(), area,
                        kInputsListStyle & ~static_cast<DWORD>(WS_BORDER));
    SetWindowPos(Item(InputsListId()), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
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
    App::Get().ShowNowOrLate("InPlaceEditor", [hwnd] {
      auto open = EditorPages().find(hwnd);  // the list may have gone meanwhile
      if (open != EditorPages().end()) open->second->BeginEdit();
    });
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
                   DialogClasses95() ? tsfacts::kInputsPageClass95 : nullptr);
  t.Add("Static", "Inputs:", -1, WS_VISIBLE, 6, 4, 100, 10);
  if (InputsListClass() == WC_LISTVIEWA)
    t.Add(WC_LISTVIEWA, "", InputsListId(), kInputsListStyle, kInputsListArea.left, kInputsListArea.top,
          static_cast<short>(kInputsListArea.right - kInputsListArea.left),
          static_cast<short>(kInputsListArea.bottom - kInputsListArea.top));
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
  properties_ = std::make_unique<CommandPage>();
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
  auto onOk = onOk_;
  std::string shown;
  for (const StrategyInput& in : setup_.inputs) shown += " " + in.name + "=" + in.Shown();
  App::Get().Log("format strategy ok:%s", shown.c_str());
  StrategySetup edited = setup_;
  End();
  onOk(edited);
  return true;
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
    BoxSpec box;
    box.title = tsfacts::kChartErrorTitlePrefix;
    box.text = "The value " + FormatNumber(r.stop) + " of the input " + in.name + " is " +
               tsfacts::kMaxBarsBackText + "sBack setting (" + std::to_string(maxBarsBack) +
               ").\r\nSet MaxBarsBack to " + std::to_string(needed) + "?";
    box.buttons = {{tsfacts::kMaxBarsBackYesId, "&Yes"}, {tsfacts::kMaxBarsBackNoId, "&No"}};
    RangeDialog* self = this;
    box.onClose = [self, r, needed](int button) {
      if (button == tsfacts::kMaxBarsBackYesId && DialogRegistry::Find<RangeDialog>() == self)
        self->Accept(r, needed);
    };
    ShowBox(Hwnd(), box);
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

void OpenStrategyInputs(HWND owner, const StrategySetup& setup,
                        std::function<void(const StrategySetup&)> onOk) {
  App::Get().OpenDialogLater("FormatStrategy", [owner, setup, onOk] {
    if (!IsWindow(owner) || DialogRegistry::Find<FormatStrategyDialog>()) return;
    std::string title = std::string(tsfacts::kFormatStrategyTitlePrefix) + " " + setup.name;
    DialogTemplate t(title, kPopupStyle, 300, 220);
    t.Add(WC_TABCONTROLA, "", kTabId, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, 292, 190);
    t.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 186, 200, 52, 14);
    t.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 244, 200, 52, 14);
    App::Get().Log("format strategy dialog: %s", title.c_str());
    DialogRegistry::Show(std::make_unique<FormatStrategyDialog>(setup, onOk), t, owner, true);
  });
}

void RegisterStrategyInputsClasses() {
  RegisterDialogClass(tsfacts::kInputsPageClass95);
}

}  // namespace orchart
