// The Format Symbol and Format Symbols dialogs.
#include "FormatSymbol.h"

#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "Chart.h"
#include "DateField.h"
#include "DialogKit.h"
#include "Popups.h"
#include "StandIn.h"
#include "Workspace.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr int kTabId = 1200;
constexpr int kDescriptionId = 6630;
constexpr DWORD kPageStyle = WS_CHILD | DS_CONTROL | WS_CLIPSIBLINGS;
constexpr RECT kIntervalArea = {82, 36, 152, 100};  // dialog units on the symbol page

// What the interval controls of one bar kind look like.
struct KindControls {
  BarKind kind;
  const char* label;  // sub-page label (exact texts the driver recognises), or no-sub-page label
  int labelId;        // on the sub-page
  int subPageEditId;  // on the sub-page
  int pageEditId;     // on the symbol page without sub-pages (0: kind not offered there)
  const char* pageLabel;
  double defaultValue;
};

const KindControls kValueKinds[] = {
    {BarKind::Tick, tsfacts::kTickBarLabel, 6572, tsfacts::kSubPageIntervalEditId, tsfacts::kTickEditId,
     "Ticks:", 100},
    {BarKind::Volume, tsfacts::kShareBarLabel, 7145, tsfacts::kSubPageIntervalEditId, tsfacts::kShareEditId,
     "Shares:", 1000},
    {BarKind::Minute, tsfacts::kMinuteBarLabel, 6574, tsfacts::kSubPageIntervalEditId, tsfacts::kMinuteEditId,
     "Minutes:", 5},
    {BarKind::Kase, tsfacts::kTargetRangeLabel, 7577, tsfacts::kSubPageRangeEditId, tsfacts::kKaseEditId,
     "Target Range:", 0.5},
    {BarKind::Kagi, tsfacts::kReversalLabel, 6574, tsfacts::kSubPageRangeEditId, 0, "Reversal:", 1},
    {BarKind::PointFigure, tsfacts::kBoxSizeLabel, 6574, tsfacts::kSubPageIntervalEditId, 0, "Box Size:", 3},
    {BarKind::LineBreak, tsfacts::kLineBreakLabel, 6574, tsfacts::kSubPageIntervalEditId, 0, "Lines:", 3},
    {BarKind::Momentum, tsfacts::kMomentumLabel, 6574, tsfacts::kSubPageRangeEditId, 0, "Momentum:", 1},
    {BarKind::Range, tsfacts::kRangeLabel, 6574, tsfacts::kSubPageRangeEditId, 0, "Range:", 1},
    {BarKind::Renko, tsfacts::kBrickSizeLabel, 6574, tsfacts::kSubPageRangeEditId, 0, "Brick Size:", 1},
};

// The last date field's identifier: 6531, or one of the other two the platform uses (LastDateId).
int LastDateId() {
  int wanted = App::Get().options.Int("LastDateId", tsfacts::kLastDateId);
  for (int id : tsfacts::kLastDateIds)
    if (id == wanted) return id;
  return tsfacts::kLastDateId;
}

const KindControls* ControlsOf(BarKind kind) {
  for (const KindControls& k : kValueKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

// ---- Pages -------------------------------------------------------------------------------------

class Page : public Dialog {};

// The page that holds the symbol, interval, range and time zone.
class SymbolPage : public Dialog {
 public:
  SymbolPage(const ChartSettings& settings, size_t track) : settings_(settings), track_(track) {}

  // The settings the controls describe; false with a message when a value is not acceptable.
  bool Read(ChartSettings& out, std::string& error) const;

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  void FillSymbol(const DataTrack& track);
  void FillBarKinds(BarKind selected);
  void CreateIntervalPages();
  void FillIntervalValues(const Interval& interval);
  void FillRange();
  void FillTimeZone();
  void ShowIntervalControls();
  void ChooseFirstDate(bool firstDate) const;
  BarKind SelectedKind() const;
  HWND ValueEdit(BarKind kind) const;
  HWND KaseUnitCombo() const;

  ChartSettings settings_;
  size_t track_;
  bool subPages_ = true;
  std::vector<BarKind> kinds_;  // the bar kind list's entries, in order
  std::vector<std::pair<BarKind, std::unique_ptr<Page>>> intervalPages_;
};

DialogTemplate SymbolPageTemplate(bool subPages) {
  DialogTemplate t("", kPageStyle | WS_VISIBLE, 324, 196);
  t.Add("Static", "Symbol:", -1, WS_VISIBLE, 6, 8, 30, 10);
  t.Add("ComboBox", "", tsfacts::kSymbolComboId,
        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 38, 6, 80, 120);
  t.Add("Static", "", kDescriptionId, WS_VISIBLE | SS_LEFTNOWORDWRAP, 124, 8, 194, 10);
  // The bar kind list is tall enough to show every entry without scrolling: entries are clicked at
  // their place counted from the top.
  t.Add("Button", "Interval", -1, WS_VISIBLE | BS_GROUPBOX, 6, 24, 152, 124);
  t.Add("ListBox", "", tsfacts::kBarKindListId,
        WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 12, 34, 64, 110);
  if (!subPages) {
    for (const KindControls& k : kValueKinds) {
      if (!k.pageEditId) continue;
      t.Add("Static", k.pageLabel, -1, 0, kIntervalArea.left, kIntervalArea.top, 66, 10);
      t.Add("Edit", "", k.pageEditId, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, kIntervalArea.left,
            static_cast<short>(kIntervalArea.top + 12), 50, 12);
    }
    t.Add("ComboBox", "", tsfacts::kKaseUnitComboId, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
          kIntervalArea.left, static_cast<short>(kIntervalArea.top + 30), 64, 60);
  }
  t.Add("Button", "Range", -1, WS_VISIBLE | BS_GROUPBOX, 164, 24, 154, 120);
  t.Add("Static", "Last Date:", -1, WS_VISIBLE, 170, 38, 42, 10);
  t.Add(kDateFieldClass, "", LastDateId(), WS_VISIBLE | WS_TABSTOP, 222, 36, 62, 13, WS_EX_CLIENTEDGE);
  // "First Date:" is a check box: checked, the range starts at the first date; unchecked, it is a number of
  // bars back. "Bars Back:" is the option that goes with it. A click on either chooses its mode.
  t.Add("Button", "Bars Back:", tsfacts::kBarsBackOptionId,
        WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, 170, 58, 50, 10);
  t.Add("Button", "First Date:", tsfacts::kFirstDateCheckId, WS_VISIBLE | WS_TABSTOP | BS_CHECKBOX, 170, 78,
        50, 10);
  t.Add("Edit", "", tsfacts::kBarsBackEditId, WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_AUTOHSCROLL,
        222, 56, 50, 12);
  t.Add(kDateFieldClass, "", tsfacts::kFirstDateId, WS_VISIBLE | WS_TABSTOP, 222, 76, 62, 13,
        WS_EX_CLIENTEDGE);
  t.Add("Button", "Apply date range to all data streams", tsfacts::kApplyRangeCheckId,
        WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 170, 100, 144, 10);
  t.Add("Static", "Time Zone:", -1, WS_VISIBLE, 6, 158, 40, 10);
  t.Add("ComboBox", "", tsfacts::kTimeZoneComboId, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
        48, 156, 70, 60);
  return t;
}

DialogTemplate IntervalPageTemplate(const KindControls& k) {
  DialogTemplate t("", kPageStyle, static_cast<short>(kIntervalArea.right - kIntervalArea.left),
                   static_cast<short>(kIntervalArea.bottom - kIntervalArea.top));
  t.Add("Static", k.label, k.labelId, WS_VISIBLE, 0, 0, 66, 10);
  t.Add("Edit", "", k.subPageEditId, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 0, 12, 50, 12);
  if (k.kind == BarKind::Kase)
    t.Add("ComboBox", "", tsfacts::kKaseUnitComboId, WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
          0, 30, 64, 60);
  return t;
}

void FillKaseUnits(HWND combo, char unit) {
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kKaseUnitMinute));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kKaseUnitTick));
  SendMessageA(combo, CB_SETCURSEL, unit == 'T' ? 1 : 0, 0);
}

// The bar kind list's entry for a kind ("Intra-day" or "Minute" by version).
const char* BarKindName(BarKind kind) {
  switch (kind) {
    case BarKind::Tick:
      return tsfacts::kBarKindTick;
    case BarKind::Volume:
      return tsfacts::kBarKindVolume;
    case BarKind::Minute:
      return App::Get().IsBeforeVersion91() ? tsfacts::kBarKindIntraday : tsfacts::kBarKindMinute;
    case BarKind::Daily:
      return tsfacts::kBarKindDaily;
    case BarKind::Weekly:
      return tsfacts::kBarKindWeekly;
    case BarKind::Monthly:
      return tsfacts::kBarKindMonthly;
    case BarKind::Kase:
      return tsfacts::kBarKindKase;
    case BarKind::Kagi:
      return tsfacts::kBarKindKagi;
    case BarKind::PointFigure:
      return tsfacts::kBarKindPointFigure;
    case BarKind::LineBreak:
      return tsfacts::kBarKindLineBreak;
    case BarKind::Momentum:
      return tsfacts::kBarKindMomentum;
    case BarKind::Range:
      return tsfacts::kBarKindRange;
    case BarKind::Renko:
      return tsfacts::kBarKindRenko;
  }
  return tsfacts::kBarKindMinute;
}

void SymbolPage::OnInit() {
  subPages_ = App::Get().options.Flag("SubPages");
  const DataTrack& track = settings_.tracks[track_];
  FillSymbol(track);
  FillBarKinds(track.interval.kind);
  if (subPages_) CreateIntervalPages();
  FillIntervalValues(track.interval);
  ShowIntervalControls();
  FillRange();
  FillTimeZone();
}

void SymbolPage::FillSymbol(const DataTrack& track) {
  HWND symbol = Item(tsfacts::kSymbolComboId);
  for (const char* s : {"MSFT", "IBM", "AAPL", "CSCO", "SPY", "@ES", "@NQ", "@CL"})
    SendMessageA(symbol, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
  SetWindowTextA(symbol, track.symbol.c_str());
  SetDlgItemTextA(Hwnd(), kDescriptionId, LookupSymbol(track.symbol).description.c_str());
}

void SymbolPage::FillBarKinds(BarKind selected) {
  kinds_ = {BarKind::Tick,   BarKind::Volume,  BarKind::Minute, BarKind::Daily,
            BarKind::Weekly, BarKind::Monthly, BarKind::Kase};
  // The kinds below have value edits on sub-pages only.
  if (subPages_)
    kinds_.insert(kinds_.end(), {BarKind::Kagi, BarKind::PointFigure, BarKind::LineBreak, BarKind::Momentum,
                                 BarKind::Range, BarKind::Renko});
  HWND list = Item(tsfacts::kBarKindListId);
  for (BarKind k : kinds_) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(BarKindName(k)));
    if (k == selected) SendMessageA(list, LB_SETCURSEL, SendMessageA(list, LB_GETCOUNT, 0, 0) - 1, 0);
  }
}

void SymbolPage::CreateIntervalPages() {
  RECT area = kIntervalArea;
  MapDialogRect(Hwnd(), &area);
  for (const KindControls& k : kValueKinds) {
    auto page = std::make_unique<Page>();
    HWND h = page->Create(IntervalPageTemplate(k), Hwnd(), false);
    SetWindowPos(h, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                 SWP_NOACTIVATE);
    intervalPages_.emplace_back(k.kind, std::move(page));
  }
}

// Every kind's edit shows its default value, the chart's own kind its value.
void SymbolPage::FillIntervalValues(const Interval& interval) {
  for (const KindControls& k : kValueKinds) {
    if (HWND edit = ValueEdit(k.kind)) {
      double v = k.kind == interval.kind ? interval.value : k.defaultValue;
      SetWindowTextA(edit, FormatNumber(v).c_str());
    }
  }
  if (HWND combo = KaseUnitCombo()) FillKaseUnits(combo, interval.kaseUnit);
}

void SymbolPage::FillRange() {
  Date last = settings_.range.LastOrToday();
  SetDateField(Item(LastDateId()), last);
  SetDateField(Item(tsfacts::kFirstDateId),
               settings_.range.first.Valid() ? settings_.range.first : last.AddDays(-30));
  SetDlgItemTextA(Hwnd(), tsfacts::kBarsBackEditId,
                  std::to_string(settings_.range.barsBack ? settings_.range.bars : 500).c_str());
  ChooseFirstDate(!settings_.range.barsBack);
  CheckDlgButton(Hwnd(), tsfacts::kApplyRangeCheckId,
                 settings_.applyRangeToAll ? BST_CHECKED : BST_UNCHECKED);
}

void SymbolPage::FillTimeZone() {
  const Options& options = App::Get().options;
  HWND zone = Item(tsfacts::kTimeZoneComboId);
  SendMessageA(zone, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kTimeZoneExchange));
  SendMessageA(zone, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(tsfacts::kTimeZoneLocal));
  // A clash of time zones (TimeZoneError with TimeZoneFromCombo) shows this data stream set to "Local".
  bool local = EqualNoCase(settings_.timeZone, tsfacts::kTimeZoneLocal) ||
               (options.Flag("TimeZoneError") && options.Flag("TimeZoneFromCombo"));
  SendMessageA(zone, CB_SETCURSEL, local ? 1 : 0, 0);
}

void SymbolPage::ChooseFirstDate(bool firstDate) const {
  CheckDlgButton(Hwnd(), tsfacts::kFirstDateCheckId, firstDate ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(Hwnd(), tsfacts::kBarsBackOptionId, firstDate ? BST_UNCHECKED : BST_CHECKED);
}

BarKind SymbolPage::SelectedKind() const {
  int sel = static_cast<int>(SendMessageA(Item(tsfacts::kBarKindListId), LB_GETCURSEL, 0, 0));
  return sel >= 0 && sel < static_cast<int>(kinds_.size()) ? kinds_[sel]
                                                           : settings_.tracks[track_].interval.kind;
}

HWND SymbolPage::ValueEdit(BarKind kind) const {
  const KindControls* k = ControlsOf(kind);
  if (!k) return nullptr;
  if (!subPages_) return k->pageEditId ? Item(k->pageEditId) : nullptr;
  for (const auto& [pageKind, page] : intervalPages_)
    if (pageKind == kind) return page->Item(k->subPageEditId);
  return nullptr;
}

HWND SymbolPage::KaseUnitCombo() const {
  if (!subPages_) return Item(tsfacts::kKaseUnitComboId);
  for (const auto& [pageKind, page] : intervalPages_)
    if (pageKind == BarKind::Kase) return page->Item(tsfacts::kKaseUnitComboId);
  return nullptr;
}

// Only the selected kind's interval controls are visible.
void SymbolPage::ShowIntervalControls() {
  BarKind kind = SelectedKind();
  if (subPages_) {
    for (const auto& [pageKind, page] : intervalPages_)
      ShowWindow(page->Hwnd(), pageKind == kind ? SW_SHOW : SW_HIDE);
    return;
  }
  for (const KindControls& k : kValueKinds) {
    if (!k.pageEditId) continue;
    HWND edit = Item(k.pageEditId);
    ShowWindow(edit, k.kind == kind ? SW_SHOW : SW_HIDE);
    HWND label = GetWindow(edit, GW_HWNDPREV);  // the label precedes its edit
    if (label) ShowWindow(label, k.kind == kind ? SW_SHOW : SW_HIDE);
  }
  ShowWindow(Item(tsfacts::kKaseUnitComboId), kind == BarKind::Kase ? SW_SHOW : SW_HIDE);
}

bool SymbolPage::OnCommand(int id, int code, HWND control) {
  (void)control;
  if (id == tsfacts::kBarKindListId && code == LBN_SELCHANGE) {
    ShowIntervalControls();
    return true;
  }
  // Neither button changes its mark by itself (a click message from another program must work too).
  if ((id == tsfacts::kBarsBackOptionId || id == tsfacts::kFirstDateCheckId) && code == BN_CLICKED) {
    ChooseFirstDate(id == tsfacts::kFirstDateCheckId);
    return true;
  }
  return false;
}

bool SymbolPage::Read(ChartSettings& out, std::string& error) const {
  App& app = App::Get();
  out = settings_;
  DataTrack& track = out.tracks[track_];
  track.symbol = Upper(Trimmed(WindowText(Item(tsfacts::kSymbolComboId))));
  if (track.symbol.empty()) {
    error = "Please enter a symbol.";
    return false;
  }
  Interval iv;
  iv.kind = SelectedKind();
  iv.value = 1;
  if (iv.HasValue()) {
    HWND edit = ValueEdit(iv.kind);
    std::string text = Trimmed(WindowText(edit));
    char* end = nullptr;
    double v = std::strtod(text.c_str(), &end);
    bool whole = iv.kind == BarKind::Minute || iv.kind == BarKind::Tick || iv.kind == BarKind::Volume ||
                 iv.kind == BarKind::PointFigure || iv.kind == BarKind::LineBreak;
    double limit = 1e12;
    if (iv.kind == BarKind::Minute) limit = subPages_ ? 500000000 : 1440;
    if (iv.kind == BarKind::Tick) limit = subPages_ ? 65000 : 4000;
    if (text.empty() || !end || *end || v <= 0 || v > limit || (whole && std::floor(v) != v)) {
      error = "The interval value '" + text + "' is not valid (1 to " + FormatNumber(limit) + ").";
      return false;
    }
    iv.value = v;
    if (iv.kind == BarKind::Kase) {
      HWND combo = KaseUnitCombo();
      iv.kaseUnit = combo && SendMessageA(combo, CB_GETCURSEL, 0, 0) == 1 ? 'T' : 'M';
    }
  }
  track.interval = iv;

  out.range.last = GetDateField(Item(LastDateId()));
  // The first date check box alone decides (whatever the option's mark says).
  if (IsDlgButtonChecked(Hwnd(), tsfacts::kFirstDateCheckId) != BST_CHECKED) {
    int bars = std::atoi(Trimmed(ItemText(tsfacts::kBarsBackEditId)).c_str());
    if (bars < 1) {
      error = "The number of bars back must be at least 1.";
      return false;
    }
    out.range.barsBack = true;
    out.range.bars = bars;
  } else {
    out.range.barsBack = false;
    out.range.first = GetDateField(Item(tsfacts::kFirstDateId));
    if (out.range.first.Serial() > out.range.last.Serial()) {
      error = "The first date must not be after the last date.";
      return false;
    }
  }
  out.applyRangeToAll = IsDlgButtonChecked(Hwnd(), tsfacts::kApplyRangeCheckId) == BST_CHECKED;
  out.timeZone = WindowText(Item(tsfacts::kTimeZoneComboId));
  std::string range =
      out.range.barsBack ? std::to_string(out.range.bars) + " bars back" : "from " + out.range.first.Text();
  app.Log("format symbol read: %s %s, %s to %s", track.symbol.c_str(), iv.Text().c_str(), range.c_str(),
          out.range.last.Text().c_str());
  return true;
}

// ---- Format Symbol -----------------------------------------------------------------------------

class FormatSymbolsDialog;

class FormatSymbolDialog : public Dialog {
 public:
  FormatSymbolDialog(Chart* chart, size_t track) : chart_(chart), track_(track) {}

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;
  LRESULT OnNotify(NMHDR* header) override;

 private:
  void ShowPage(int index);
  void MakeReadyLater();
  Chart* chart_;
  size_t track_;
  bool okReady_ = true;
  std::unique_ptr<SymbolPage> symbolPage_;
  std::vector<std::unique_ptr<Page>> otherPages_;
};

DialogTemplate PropertiesPageTemplate() {
  DialogTemplate t("", kPageStyle, 324, 196);
  t.Add("Static", "Data source:", -1, WS_VISIBLE, 6, 8, 60, 10);
  t.Add("Static", "TradeStation", -1, WS_VISIBLE, 70, 8, 120, 10);
  t.Add("Button", "Realtime-history matching", 7600, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6, 26, 140,
        10);
  t.Add("Button", "Update value intra-bar (tick-by-tick)", 7601, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6,
        42, 160, 10);
  return t;
}

DialogTemplate ScalingPageTemplate() {
  DialogTemplate t("", kPageStyle, 324, 196);
  t.Add("Button", "Scale on", -1, WS_VISIBLE | BS_GROUPBOX, 6, 6, 150, 50);
  t.Add("Button", "Right axis", 7610, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 12, 18, 100,
        10);
  t.Add("Button", "Left axis", 7611, WS_VISIBLE | BS_AUTORADIOBUTTON, 12, 32, 100, 10);
  t.Add("Button", "Screen range", 7612, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 6, 64, 100, 10);
  return t;
}

void FormatSymbolDialog::OnInit() {
  HWND tab = Item(kTabId);
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  for (const char* name : {"General", "Properties", "Scaling"}) {
    item.pszText = const_cast<char*>(name);
    SendMessageA(tab, TCM_INSERTITEMA, SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0),
                 reinterpret_cast<LPARAM>(&item));
  }
  RECT rc;
  GetWindowRect(tab, &rc);
  MapWindowPoints(nullptr, Hwnd(), reinterpret_cast<POINT*>(&rc), 2);
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  auto place = [&](HWND page) {
    SetWindowPos(page, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
  };
  MakeReadyLater();
  symbolPage_ = std::make_unique<SymbolPage>(chart_->Settings(), track_);
  place(symbolPage_->Create(SymbolPageTemplate(App::Get().options.Flag("SubPages")), Hwnd(), false));
  for (DialogTemplate t : {PropertiesPageTemplate(), ScalingPageTemplate()}) {
    otherPages_.push_back(std::make_unique<Page>());
    place(otherPages_.back()->Create(t, Hwnd(), false));
  }
  ShowPage(0);
}

// FormatOkLateMs / FormatCancelLateMs: the dialog comes up before it is ready; OK has no text yet (and
// does nothing) or Cancel is disabled, until that many milliseconds later.
void FormatSymbolDialog::MakeReadyLater() {
  App& app = App::Get();
  HWND dialog = Hwnd();
  int okLate = app.options.Int("FormatOkLateMs"), cancelLate = app.options.Int("FormatCancelLateMs");
  if (okLate > 0) {
    okReady_ = false;
    SetDlgItemTextA(dialog, IDOK, "");
    FormatSymbolDialog* self = this;
    app.After(okLate, [self, dialog] {
      if (DialogRegistry::Find<FormatSymbolDialog>() != self || self->Hwnd() != dialog) return;
      self->okReady_ = true;
      SetDlgItemTextA(dialog, IDOK, tsfacts::kOkText);
    });
  }
  if (cancelLate > 0) {
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    app.After(cancelLate, [dialog] {
      if (DialogRegistry::Find<FormatSymbolDialog>() && IsWindow(dialog))
        EnableWindow(GetDlgItem(dialog, IDCANCEL), TRUE);
    });
  }
}

void FormatSymbolDialog::ShowPage(int index) {
  ShowWindow(symbolPage_->Hwnd(), index == 0 ? SW_SHOW : SW_HIDE);
  for (size_t i = 0; i < otherPages_.size(); ++i)
    ShowWindow(otherPages_[i]->Hwnd(), static_cast<int>(i) + 1 == index ? SW_SHOW : SW_HIDE);
}

LRESULT FormatSymbolDialog::OnNotify(NMHDR* header) {
  if (header->idFrom == kTabId && header->code == TCN_SELCHANGE)
    ShowPage(static_cast<int>(SendMessageA(Item(kTabId), TCM_GETCURSEL, 0, 0)));
  return 0;
}

void RefreshFormatSymbols();

// The text of the "Chart Analysis" box that loading data stream `track` of `next` raises, or "" when it
// loads.
std::string LoadErrorOf(const ChartSettings& next, size_t track) {
  const Options& options = App::Get().options;
  const std::string& symbol = next.tracks[track].symbol;
  if (IsInvalidSymbol(symbol)) return InvalidSymbolText(symbol);
  // TimeZoneError: the chart's other data streams use the exchange's time zone. With TimeZoneFromCombo
  // only a "Local" choice in the time zone combo clashes with them; without it every OK does.
  bool clash = options.Flag("TimeZoneError") &&
               (!options.Flag("TimeZoneFromCombo") || EqualNoCase(next.timeZone, tsfacts::kTimeZoneLocal));
  if (clash)
    return std::string("The data streams of this chart are in ") + tsfacts::kTimeZonesText +
           ".\r\nSet the time zone of every data stream to Exchange or to Local.";
  return "";
}

bool FormatSymbolDialog::OnCommand(int id, int code, HWND control) {
  (void)code, (void)control;
  if (id != IDOK) return false;
  App& app = App::Get();
  if (!okReady_) {
    app.Log("format symbol OK ignored: the dialog is not ready");
    return true;
  }
  app.FaultPoint("FormatOk");
  if (!app.IsOpenChart(chart_)) {
    End();
    return true;
  }
  ChartSettings next;
  std::string error;
  if (!symbolPage_->Read(next, error)) {
    ShowTradeStationError(Hwnd(), error);
    return true;
  }
  std::string loadError = LoadErrorOf(next, track_);
  if (!loadError.empty()) {
    if (!app.options.Flag("LoadErrorAfterClose")) {
      HWND owner = Hwnd();
      app.ShowNowOrLate("ChartLoadError", [owner, loadError] {
        ShowChartAnalysisError(IsWindow(owner) ? owner : App::Get().main, loadError);
      });
      return true;
    }
    // The dialog closes as if all were well; the chart then fails to load and says so on its own.
    End();
    app.Log("format symbol closed; load error follows");
    app.OpenDialogLater("ChartLoadError",
                        [loadError] { ShowChartAnalysisError(App::Get().main, loadError); });
    return true;
  }
  const std::string& symbol = next.tracks[track_].symbol;
  End();
  chart_->Apply(next);
  RefreshFormatSymbols();
  if (app.options.Flag("SymbolLookup")) ShowSymbolLookup(symbol);
  return true;
}

// Brings an open dialog to the front instead of opening a second one.
void BringForward(Dialog* open) {
  BringWindowToTop(open->Hwnd());
  SetForegroundWindow(open->Hwnd());
}

void ShowFormatSymbol(Chart* chart, size_t track) {
  App::Get().OpenDialogLater("FormatSymbol", [chart, track] {
    App& app = App::Get();
    if (auto* open = DialogRegistry::Find<FormatSymbolDialog>()) {
      BringForward(open);
      return;
    }
    if (!app.IsOpenChart(chart) || track >= chart->Settings().tracks.size()) return;
    const DataTrack& t = chart->Settings().tracks[track];
    std::string title =
        std::string(tsfacts::kFormatSymbolTitlePrefix) + " " + t.symbol + " " + t.interval.Text();
    if (track > 0) title += " (Data" + std::to_string(track + 1) + ")";
    DialogTemplate dt(title, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 340, 262);
    dt.Add(WC_TABCONTROLA, "", kTabId, WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 4, 4, 332, 232);
    dt.Add("Button", tsfacts::kOkText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 226, 242, 52, 14);
    dt.Add("Button", tsfacts::kCancelText, IDCANCEL, WS_VISIBLE | WS_TABSTOP, 284, 242, 52, 14);
    app.Log("format symbol dialog: %s", title.c_str());
    DialogRegistry::Show(std::make_unique<FormatSymbolDialog>(chart, track), dt, app.main, true);
  });
}

// ---- Format Symbols ----------------------------------------------------------------------------

class FormatSymbolsDialog : public Dialog {
 public:
  explicit FormatSymbolsDialog(Chart* chart) : chart_(chart) {}
  void Refresh();
  Chart* ChartShown() const { return chart_; }

 protected:
  void OnInit() override;
  bool OnCommand(int id, int code, HWND control) override;

 private:
  int SelectedTrack() const;
  Chart* chart_;
};

void FormatSymbolsDialog::OnInit() {
  HWND list = Item(tsfacts::kDataTrackListId);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const char* columns[] = {"Data", "Symbol", "Interval", "Description"};
  const int widths[] = {50, 70, 90, 200};
  for (int i = 0; i < 4; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(columns[i]);
    col.cx = widths[i];
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
  Refresh();
}

void FormatSymbolsDialog::Refresh() {
  HWND list = Item(tsfacts::kDataTrackListId);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  if (!App::Get().IsOpenChart(chart_)) return;
  const auto& tracks = chart_->Settings().tracks;
  for (size_t i = 0; i < tracks.size(); ++i) {
    std::string cells[] = {"Data" + std::to_string(i + 1), tracks[i].symbol, tracks[i].interval.Text(),
                           LookupSymbol(tracks[i].symbol).description};
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<char*>(cells[0].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < 4; ++c) {
      item.iSubItem = c;
      item.pszText = const_cast<char*>(cells[c].c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
}

int FormatSymbolsDialog::SelectedTrack() const {
  return static_cast<int>(
      SendMessageA(Item(tsfacts::kDataTrackListId), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool FormatSymbolsDialog::OnCommand(int id, int code, HWND control) {
  (void)code, (void)control;
  App& app = App::Get();
  if (id == IDOK) {
    End();
    return true;
  }
  if (!app.IsOpenChart(chart_)) return false;
  if (id == tsfacts::kFormatTrackId) {
    int track = SelectedTrack();
    ShowFormatSymbol(chart_, static_cast<size_t>(track < 0 ? 0 : track));
    return true;
  }
  if (id == tsfacts::kRemoveTrackId) {
    ChartSettings s = chart_->Settings();
    if (s.tracks.size() < 2) return true;
    int track = SelectedTrack();
    size_t remove = track > 0 && track < static_cast<int>(s.tracks.size()) ? static_cast<size_t>(track)
                                                                           : s.tracks.size() - 1;
    app.Log("remove data track %zu (%s)", remove + 1, s.tracks[remove].symbol.c_str());
    s.tracks.erase(s.tracks.begin() + static_cast<std::ptrdiff_t>(remove));
    chart_->Apply(s);
    Refresh();
    return true;
  }
  return false;
}

void RefreshFormatSymbols() {
  if (auto* open = DialogRegistry::Find<FormatSymbolsDialog>()) open->Refresh();
}

void ShowFormatSymbols(Chart* chart) {
  App::Get().OpenDialogLater("FormatSymbols", [chart] {
    App& app = App::Get();
    if (auto* open = DialogRegistry::Find<FormatSymbolsDialog>()) {
      BringForward(open);
      return;
    }
    if (!app.IsOpenChart(chart)) return;
    DialogTemplate t(tsfacts::kFormatSymbolsTitle,
                     WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, 280, 150);
    t.Add("Static", "Data streams of the chart:", -1, WS_VISIBLE, 8, 6, 200, 10);
    t.Add(WC_LISTVIEWA, "", tsfacts::kDataTrackListId,
          WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 8, 18, 264,
          100);
    t.Add("Button", "&Format...", tsfacts::kFormatTrackId, WS_VISIBLE | WS_TABSTOP, 8, 126, 50, 14);
    t.Add("Button", "&Remove", tsfacts::kRemoveTrackId, WS_VISIBLE | WS_TABSTOP, 64, 126, 50, 14);
    t.Add("Button", tsfacts::kCloseText, IDOK, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 222, 126, 50, 14);
    app.Log("format symbols dialog (%zu tracks)", chart->Settings().tracks.size());
    DialogRegistry::Show(std::make_unique<FormatSymbolsDialog>(chart), t, app.main, true);
  });
}

void OpenFormatSymbol(Chart& chart) {
  App::Get().FaultPoint("FormatSymbol");
  // While a format dialog is open the command brings it forward (the single-track one is in front).
  if (auto* open = DialogRegistry::Find<FormatSymbolDialog>()) {
    BringForward(open);
    return;
  }
  if (auto* open = DialogRegistry::Find<FormatSymbolsDialog>()) {
    BringForward(open);
    return;
  }
  if (chart.Settings().tracks.size() > 1)
    ShowFormatSymbols(&chart);
  else
    ShowFormatSymbol(&chart, 0);
}

}  // namespace

void RegisterFormatSymbolCommands() {
  RegisterChartCommand(tsfacts::kCmdFormatSymbol, OpenFormatSymbol);
}

}  // namespace orchart
