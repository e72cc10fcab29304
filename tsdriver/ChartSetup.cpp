// Putting a step's symbol, interval and date range on the chart: the Format Symbol dialog (or the command
// line for multi-data runs), its error boxes, and the wait until the chart has loaded its data.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "sequence/Timeframe.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";

std::vector<HWND> DialogsTitled(HWND parent, const char* title, TextRule rule) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.parent = parent;
  q.title = title;
  q.titleRule = rule;
  return FindWindows(q);
}

HWND FirstDialogTitled(HWND parent, const char* title, TextRule rule) {
  std::vector<HWND> found = DialogsTitled(parent, title, rule);
  return found.empty() ? nullptr : found.front();
}

// A shown "#32770" window by title. TradeStation shows its dialogs once their pages and controls exist; a
// dialog that is still being built is not taken.
HWND ShownDialogTitled(HWND parent, const char* title, TextRule rule) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.parent = parent;
  q.title = title;
  q.titleRule = rule;
  q.visibleOnly = true;
  return FindFirstWindow(q);
}

// Direct (or, deep, all) "#32770" windows under parent.
std::vector<HWND> PagesOf(HWND parent, bool deep) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  if (deep)
    q.ancestor = parent;
  else
    q.parent = parent;
  return FindWindows(q);
}

HWND ChartView() {
  WindowQuery q;
  q.cls = {tsfacts::kChartViewClass, TextRule::Exact};
  HWND view = FindFirstWindow(q);
  if (view) return view;
  q.cls = {tsfacts::kChartWindowClass8455, TextRule::Exact};
  return FindFirstWindow(q);
}

// The label text of a control with its '&' removed.
std::string LabelOf(HWND label) {
  std::string text;
  for (char c : TitleOf(label))
    if (c != '&') text += c;
  return text;
}

// Posts a click on a button with up to `repeats` repeats (ClickButton with a negative identifier posts).
int PostClick(HWND dialog, int id, const char* expected, int repeats, CTxt& err) {
  return ClickButton(dialog, -id, expected, err, repeats);
}

// The interval edit and its label on one sub-page (the first visible label and edit of the known ids).
struct IntervalEdit {
  HWND edit = nullptr;
  std::string label;
};

IntervalEdit IntervalEditOf(HWND page) {
  IntervalEdit found;
  for (int id : {tsfacts::kSubPageIntervalEditId, tsfacts::kSubPageRangeEditId}) {
    HWND edit = GetDlgItem(page, id);
    if (edit && HasClass(edit, tsfacts::kEditClass) && IsWindowVisible(edit)) {
      found.edit = edit;
      break;
    }
  }
  for (int id : tsfacts::kIntervalLabelIds) {
    HWND label = GetDlgItem(page, id);
    if (label && IsWindowVisible(label)) {
      found.label = LabelOf(label);
      break;
    }
  }
  return found;
}

// The date range of a step: DURATION '|' ENDDATE '|'.
struct DateRange {
  int lastDate = 0;   // YYYYMMDD
  int firstDate = 0;  // YYYYMMDD; 0 with barsBack
  int barsBack = 0;   // the value written into the bars-back edit
};

}  // namespace

// ---- The run of one SetupChart
// ----------------------------------------------------------------------------------

class ChartSetupRun {
 public:
  ChartSetupRun(TsDriver& driver, CTxt& err) : d_(driver), err_(err) {}
  int Run(const char* expectedSymbol, const char* expectedInterval, const char* newSymbol,
          const char* newInterval, const char* dateRange);

 private:
  int CheckShownChart(const char* expectedSymbol, const char* expectedInterval);
  int FindChart(const char* newSymbol);
  int OpenFormatDialog();
  int HandleMultiTrack(HWND multi, bool& counted);
  int CheckReadiness();
  int SetSymbol(const char* newSymbol);
  int SetBarKind();
  int SetInterval();
  int SetDateRange(const char* dateRange);
  int Confirm();
  int LoadWait(const char* newSymbol);
  int LoadPass(const char* newSymbol, int loadSeconds, long long start, int maxWaitSec);
  void SleepMs(int ms) { d_.Wait(ms); }

  TsDriver& d_;
  CTxt& err_;
  bool verbose_ = false;
  int verboseLevel_ = 0;
  int kind_ = kBarInvalid;
  CTxt value_;         // the parser's value text
  double number_ = 0;  // its number
  CTxt newSymbol_, newInterval_, dateRange_;
  HWND chart_ = nullptr, view_ = nullptr;
  HWND dialog_ = nullptr, multi_ = nullptr, page_ = nullptr;
};

int ChartSetupRun::Run(const char* expectedSymbol, const char* expectedInterval, const char* newSymbol,
                       const char* newInterval, const char* dateRange) {
  verboseLevel_ = Setting("SeqVerbose", 0);
  verbose_ = verboseLevel_ > 0;
  newSymbol_ = newSymbol ? newSymbol : "";
  newInterval_ = newInterval ? newInterval : "";
  dateRange_ = dateRange ? dateRange : "";
  CTxt title;
  if (!d_.FindMainWindow(title)) {
    err_ = title;
    return -1;
  }
  kind_ = ParseChartInterval(newInterval_, newSymbol_, value_);
  number_ = std::atof(value_);
  d_.CloseTsPopups(0);
  if (verbose_)
    LogTrace(kLog, 0, "Sym=%s, IntWant=%s -> SymNew=%s, IntNew=%s, DateRange=%s",
             expectedSymbol ? expectedSymbol : "", expectedInterval ? expectedInterval : "",
             newSymbol_.GetData(), newInterval_.GetData(), dateRange_.GetData());
  if (expectedSymbol) {
    int r = CheckShownChart(expectedSymbol, expectedInterval);
    if (r < 0) return r;
  }
  int r = FindChart(newSymbol_);
  if (r < 0) return r;
  if (d_.MultiData() == 1) {
    r = d_.SendTSCmd(newSymbol_, err_);
    LogTrace(kLog, 0, "SendTxtCmd(%s)=%d (%s)", newSymbol_.GetData(), r, err_.GetData());
    if (r < 0) return r;
    return LoadWait(newSymbol_);
  }
  if ((r = OpenFormatDialog()) < 0) return r;
  if ((r = CheckReadiness()) < 0) return r;
  if ((r = SetSymbol(newSymbol_)) < 0) return r;
  err_.Format("Sym=%s, Int=%s, Data=%s", newSymbol_.GetData(), newInterval_.GetData(), dateRange_.GetData());
  if ((r = d_.CheckChartLoadErrors(err_, dialog_)) < 0) return r;
  if ((r = SetBarKind()) < 0) return r;
  if (kind_ != kBarDaily && kind_ != kBarWeekly && kind_ != kBarMonthly && (r = SetInterval()) < 0) return r;
  if (!dateRange_.IsEmpty() && (r = SetDateRange(dateRange_)) < 0) return r;
  if ((r = Confirm()) < 0) return r;
  return LoadWait(newSymbol_);
}

int ChartSetupRun::CheckShownChart(const char* expectedSymbol, const char* expectedInterval) {
  CTxt desktop, workspace, symbol, interval;
  if (SplitTSMainTitle(d_.MainTitle(), desktop, workspace, symbol, interval) < 4) {
    err_ = "No active Chart found2";
    return -2;
  }
  if (CompareNoCase(symbol, expectedSymbol) != 0) {
    err_.Format("Active Chart has different Symbol (%s instead of %s)", symbol.GetData(), expectedSymbol);
    return -3;
  }
  if (!expectedInterval || !expectedInterval[0]) return 0;
  CTxt shownValue, unit;
  strfld(interval, ' ', 1, 1, shownValue);
  strfld(interval, ' ', 2, 2, unit);
  if (EqualNoCase(unit, "min") && std::atoi(shownValue) != std::atoi(expectedInterval)) {
    err_.Format("Active Minute Chart has different Interval (%s instead of %s Min)", shownValue.GetData(),
                expectedInterval);
    return -3;
  }
  if (EqualNoCase(unit, "Tick") && std::atoi(shownValue) != std::atoi(expectedInterval)) {
    err_.Format("Active Tick Chart has different Interval (%s instead of %s Ticks)", shownValue.GetData(),
                expectedInterval);
    return -3;
  }
  return 0;
}

int ChartSetupRun::FindChart(const char* newSymbol) {
  CTxtArray charts;
  int count = d_.ListChartWindows(charts, err_);
  if (count <= 0) {
    err_ = "No Charts found - open a workspace";
    return -21;
  }
  int allowMulti = Setting("AllowMulti", 0);
  if (allowMulti == 0 && count >= 2) {
    CTxt list;
    for (int i = 0; i < charts.GetSize(); ++i) {
      CTxt shown;
      strfld(charts.GetAtTxt(i), '|', 2, 2, shown);
      list += shown;
      if (i + 1 < charts.GetSize()) list += "\r\n";
    }
    err_.Format(
        "Tavrin found several charts (only ONE chart should be open):\r\n\r\n%s\r\n\r\n(Close other charts "
        "and/or workspaces and re-start sequence)",
        list.GetData());
    LogTrace(kLog, 0, "%s", err_.GetData());
    d_.Interactions().ShowStop(kTavrinCaption, err_);
    return -103;
  }
  CTxt title;
  chart_ = FindChartWindow(title, 1);
  HWND anyChart = FindChartWindow(title, 0);
  if (allowMulti == 1) {
    chart_ = nullptr;
    for (int i = 0; i < charts.GetSize() && !chart_; ++i) {
      CTxt handle, shown, first;
      strfld(charts.GetAtTxt(i), '|', 1, 1, handle);
      strfld(charts.GetAtTxt(i), '|', 2, 2, shown);
      strfld(shown, ' ', 1, 1, first);
      void* handleValue = nullptr;
      if (CompareNoCase(first, newSymbol) == 0 && std::sscanf(handle, "%p", &handleValue) == 1)
        chart_ = static_cast<HWND>(handleValue);
    }
  }
  if (!chart_) {
    err_.Format("Active Chart not found - needs to me maximized!(%p)", AsPtr(anyChart));
    return -3;
  }
  if (verbose_) LogTrace(kLog, 0, "Chart=%p", AsPtr(chart_));
  view_ = ChartView();
  if (!view_) {
    err_ = "Base Class not found";
    return -4;
  }
  if (!IsWindowEnabled(view_)) {
    err_.Format("Base Class (%p) disabled", AsPtr(view_));
    LogTrace(kLog, 0, "%s", err_.GetData());
    SleepMs(2000);
    return -5;
  }
  bool maximised = IsMaximised(chart_);
  if (Setting("NoColorCheck", 0) != 1)
    LogTrace(kLog, 0, "Chart=%p(%p), Base=%p(%p), Max=%d Multi=%d", AsPtr(chart_), AsPtr(ParentOf(chart_)),
             AsPtr(view_), AsPtr(ParentOf(view_)), maximised ? 1 : 0, d_.MultiData());
  if (!maximised) {
    err_ = "Chart is not maximized";
    return -103;
  }
  return 0;
}

// Closes every leftover format dialog and TradeStation box, each repeatedly until none is left (bounded).
static void CloseFormatLeftovers(TsDriver& d) {
  struct Leftover {
    HWND parent;
    const char* title;
    TextRule rule;
  };
  const Leftover leftovers[] = {{nullptr, tsfacts::kFormatSymbolTitlePrefix, TextRule::Prefix},
                                {nullptr, tsfacts::kFormatSymbolsTitle, TextRule::Exact},
                                {d.MainWindow(), "Tradestation", TextRule::Exact}};
  for (const Leftover& l : leftovers) {
    if (&l == &leftovers[2] && !l.parent) continue;  // a null parent would mean any parent
    for (int round = 0; round < 10 && !d.Aborted(); ++round) {
      HWND w = FirstDialogTitled(l.parent, l.title, l.rule);
      if (!w) break;
      CTxt err;
      if (ClickButton(w, -tsfacts::kIdCancel, nullptr, err, 0) < 0) SendBounded(w, WM_CLOSE, 0, 0);
      WaitUntil([w] { return !IsWindow(w) || !IsWindowVisible(w); }, 1000, 20, &d.AbortRequest());
    }
  }
}

int ChartSetupRun::OpenFormatDialog() {
  int cmdWait = Setting("FmtCmdWait", 500);
  int nextWait = Setting("FmtNextWait", 1000);
  for (int attempt = 0; attempt < 3 && !d_.Aborted(); ++attempt) {
    CloseFormatLeftovers(d_);
    dialog_ = nullptr;
    multi_ = nullptr;
    for (int send = 0; send < 4 && !d_.Aborted();) {
      if (verboseLevel_ > 1) LogTrace(kLog, 0, "Start Format Dlg (%d), Wait=%d", send, cmdWait);
      d_.SendTsMenuCommand(tsfacts::kCmdFormatSymbol, cmdWait, view_);
      HWND multi = ShownDialogTitled(d_.MainWindow(), tsfacts::kFormatSymbolsTitle, TextRule::Exact);
      if (verboseLevel_ > 1) LogTrace(kLog, 0, "Multi=%p", AsPtr(multi));
      if (multi) {
        bool counted = true;
        int r = HandleMultiTrack(multi, counted);
        if (r < 0) return r;
        if (counted) ++send;
        if (r == 0) continue;  // sent again
      }
      // The dialog is looked for until FmtNextWait has passed; then the command is sent again.
      WaitUntil(
          [this] {
            dialog_ = ShownDialogTitled(d_.MainWindow(), tsfacts::kFormatSymbolTitlePrefix, TextRule::Prefix);
            return dialog_ != nullptr;
          },
          nextWait, 25, &d_.AbortRequest());
      if (verbose_) LogTrace(kLog, 0, "FmtMain=%p", AsPtr(dialog_));
      if (dialog_) break;
      if (!multi) ++send;
    }
    if (!dialog_) {
      SleepMs(1000);
      continue;
    }
    if (!IsWindowEnabled(dialog_)) {
      err_.Format("Format Dlg (%p) disabled (%p)", AsPtr(dialog_), AsPtr(GetLastActivePopup(dialog_)));
      LogTrace(kLog, 0, "%s", err_.GetData());
      SleepMs(2000);
      return -5;
    }
    std::vector<HWND> pages = PagesOf(dialog_, false);
    if (verbose_) LogTrace(kLog, 0, "FormatDlg=%p, Ch=%d", AsPtr(dialog_), static_cast<int>(pages.size()));
    if (!pages.empty()) return 0;
  }
  if (d_.Aborted()) {
    err_ = kAbortedText;
    return -5;
  }
  err_ = "Format Dialog not found";
  return -5;
}

// The multi-track dialog. Returns 0 to send the command again, 1 when a track's own dialog was asked for
// (look for it now), negative on failure. counted says whether the send counts toward the four.
int ChartSetupRun::HandleMultiTrack(HWND multi, bool& counted) {
  multi_ = multi;
  HWND list = GetDlgItem(multi, tsfacts::kDataTrackListId);
  CTxtArray rows;
  CTxt msg;
  rows.LoadFromLC(list, msg, 2);
  LogTrace(kLog, 0, "Found Multi Symbol chart with %d Data Tracks (Removing...)", rows.GetSize());
  if (d_.MultiData() == 0) {
    if (Setting("RemoveExtraData", 0) != 1) {
      counted = true;
      return 0;
    }
    for (int round = 0; rows.GetSize() >= 2 && round < 100 && !d_.Aborted(); ++round) {
      CTxt clickErr;
      if (ClickButton(multi, tsfacts::kRemoveTrackId, nullptr, clickErr, 0) < 0) break;
      CTxt readMsg;
      rows.LoadFromLC(list, readMsg, 2);
    }
    CTxt clickErr;
    PostClick(multi, tsfacts::kIdOk, tsfacts::kCloseText, 5, clickErr);
    SleepMs(1000 * Setting("ChartWaitForLoad", 6));
    counted = false;
    return 0;
  }
  FocusAndCapture(multi);
  PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
  PostMessageA(list, WM_KEYUP, VK_HOME, 0);
  SleepMs(10);
  CTxt clickErr;
  PostClick(multi, tsfacts::kFormatTrackId, nullptr, 0, clickErr);
  // The track's own dialog takes a moment to come.
  WaitUntil(
      [this] {
        return ShownDialogTitled(d_.MainWindow(), tsfacts::kFormatSymbolTitlePrefix, TextRule::Prefix) !=
               nullptr;
      },
      Setting("FmtNextWait", 1000), 20, &d_.AbortRequest());
  counted = true;
  return 1;
}

int ChartSetupRun::CheckReadiness() {
  HWND ok = GetDlgItem(dialog_, tsfacts::kIdOk);
  std::string okText = TitleOf(ok);
  if (CompareNoCase(okText.c_str(), tsfacts::kOkText) != 0) {
    err_.Format("FormatDlg=%p, Not ready (OK=%s)", AsPtr(dialog_), okText.c_str());
    LogTrace(kLog, 0, "%s", err_.GetData());
    d_.CloseTsPopups(0);
    return -104;
  }
  HWND cancel = GetDlgItem(dialog_, tsfacts::kIdCancel);
  if (!cancel || !IsWindowEnabled(cancel)) {
    err_.Format("FormatDlg=%p, Not ready Can=%s (%p)", AsPtr(dialog_), TitleOf(cancel).c_str(),
                AsPtr(cancel));
    LogTrace(kLog, 0, "%s", err_.GetData());
    d_.CloseTsPopups(0);
    return -105;
  }
  std::vector<HWND> pages = PagesOf(dialog_, false);
  for (size_t i = 0; i < pages.size(); ++i) {
    HWND list = GetDlgItem(pages[i], tsfacts::kBarKindListId);
    if (verboseLevel_ > 1)
      LogTrace(kLog, 0, "FormatDlg=%p, Ch#%d hWnd=%p LB=%p", AsPtr(dialog_), static_cast<int>(i),
               AsPtr(pages[i]), AsPtr(list));
    if (HasClass(list, tsfacts::kListBoxClass)) {
      page_ = pages[i];
      return 0;
    }
  }
  err_ = "Format Symbol Dialog not found";
  return -6;
}

int ChartSetupRun::SetSymbol(const char* newSymbol) {
  LogTrace(kLog, 0, "SymF2=%p(%p)", AsPtr(page_), AsPtr(dialog_));
  HWND zone = GetDlgItem(page_, tsfacts::kTimeZoneComboId);
  const char* zoneText =
      Setting("FmtTZExchange", 1) == 0 ? tsfacts::kTimeZoneLocal : tsfacts::kTimeZoneExchange;
  LRESULT index = CB_ERR;
  SendBounded(zone, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(zoneText), &index);
  if (index < 0) index = 1;
  SendBounded(zone, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  ControlInput(GetDlgItem(page_, tsfacts::kApplyRangeCheckId), 7, Setting("FmtApplyRange", 1), 0);
  HWND combo = GetDlgItem(page_, tsfacts::kSymbolComboId);
  if (!HasClass(combo, tsfacts::kComboBoxClass)) {
    err_ = "Format Symbol Dialog - Symbol field missing ";
    return -7;
  }
  HWND edit = GetDlgItem(combo, tsfacts::kComboEditId);
  std::string shown = ReadTextOrEmpty(combo), shownEdit = ReadTextOrEmpty(edit);
  LogTrace(kLog, 0, "Sym=%p(%p), Win=%s, Want=%s", AsPtr(combo), AsPtr(edit), shown.c_str(), newSymbol);
  if (CompareNoCase(shown.c_str(), newSymbol) == 0) return 0;
  HWND target = Setting("FmtSymEdt", 0) == 1 && edit ? edit : combo;
  if (Setting("FmtSimpleSym", 1) == 1) {
    SendBounded(target, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(newSymbol));
    SleepMs(500);
    return 0;
  }
  LPARAM text = reinterpret_cast<LPARAM>(newSymbol);
  LRESULT current = CB_ERR, find = CB_ERR;
  SendBounded(combo, CB_GETCURSEL, 0, 0, &current);
  SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text, &find);
  LogTrace(kLog, 0, "Sym=%p, CB=%s(Curr=%d, Find=%d), Win=%s, Want=%s", AsPtr(combo), shown.c_str(),
           static_cast<int>(current), static_cast<int>(find), shownEdit.c_str(), newSymbol);
  if (find < 0) {
    LRESULT added = CB_ERR;
    SendBounded(combo, CB_ADDSTRING, 0, text, &added);
    LogTrace(kLog, 0, "Sym=%p, Adding %s(%d)", AsPtr(combo), newSymbol, static_cast<int>(added));
    SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text, &find);
  }
  SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(find), 0);
  LogTrace(kLog, 0, "Sym=%p(%p), CB=%s(Curr=%d, Find=%d), Win=%s, Want=%s", AsPtr(combo), AsPtr(edit),
           ReadTextOrEmpty(combo).c_str(), static_cast<int>(current), static_cast<int>(find),
           ReadTextOrEmpty(edit).c_str(), newSymbol);
  return 0;
}

int ChartSetupRun::SetBarKind() {
  CTxt name;
  GetBarTypeName(kind_, name);
  bool intraday = EqualNoCase(name, tsfacts::kBarKindIntraday);
  int version = d_.GetTsVersion();
  if (intraday && version >= 91) name = tsfacts::kBarKindMinute;
  HWND list = GetDlgItem(page_, tsfacts::kBarKindListId);
  CTxt selectErr;
  int r = name.IsEmpty() ? -1 : SelectListBoxItem(list, name, selectErr, 1);
  if (r < 0 && intraday) r = SelectListBoxItem(list, tsfacts::kBarKindMinute, selectErr, 1);
  if (r < 0) {
    err_.Format("Format Symbol Dialog - Cannot select Bar Type %s (%s)", name.GetData(), selectErr.GetData());
    return -8;
  }
  return 0;
}

int ChartSetupRun::SetInterval() {
  std::vector<HWND> subPages = PagesOf(page_, true);
  HWND edit = nullptr;
  if (subPages.empty()) {
    int id = kind_ == kBarIntraday ? tsfacts::kMinuteEditId
             : kind_ == kBarTick   ? tsfacts::kTickEditId
             : kind_ == kBarVolume ? tsfacts::kShareEditId
             : kind_ == kBarKase   ? tsfacts::kKaseEditId
                                   : 0;
    edit = id ? GetDlgItem(page_, id) : nullptr;
  } else {
    const char* wanted = kind_ == kBarIntraday ? tsfacts::kMinuteBarLabel
                         : kind_ == kBarTick   ? tsfacts::kTickBarLabel
                         : kind_ == kBarVolume ? tsfacts::kShareBarLabel
                         : kind_ == kBarKase   ? tsfacts::kTargetRangeLabel
                         : kind_ == kBarKagi   ? tsfacts::kReversalLabel
                                               : nullptr;
    for (HWND sub : subPages) {
      IntervalEdit found = IntervalEditOf(sub);
      if (found.edit && wanted && found.label == wanted) {
        edit = found.edit;
        break;
      }
    }
  }
  if (edit && kind_ == kBarKase) {
    CTxt unit;
    strfld(value_, '/', 2, 2, unit);
    unit.MakeUpper();
    const char* unitText = unit.GetData()[0] == 'T' ? tsfacts::kKaseUnitTick : tsfacts::kKaseUnitMinute;
    HWND combo = GetDlgItem(ParentOf(edit), tsfacts::kKaseUnitComboId);
    LRESULT index = CB_ERR;
    SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(unitText),
                &index);
    if (index < 0) index = 1;
    SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  if (!edit) {
    err_.Format("Format Symbol Dialog - Cannot find Interval field (%s,%d)", newInterval_.GetData(), kind_);
    return -8;
  }
  CTxt text;
  double v = number_;
  bool sub = !subPages.empty();
  if (kind_ == kBarIntraday || kind_ == kBarTick || kind_ == kBarVolume) {
    if (kind_ != kBarVolume && v < 1) v = 1;
    if (kind_ == kBarIntraday && v > (sub ? 500000000.0 : 1440.0)) v = sub ? 500000000.0 : 1440.0;
    if (kind_ == kBarTick && v > (sub ? 65000.0 : 4000.0)) v = sub ? 65000.0 : 4000.0;
    text.Format("%.0f", v);
  } else {
    strfld(value_, '/', 1, 1, text);
  }
  SetFocus(edit);
  SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetData()));
  PostMessageA(ParentOf(edit), WM_NEXTDLGCTL, 0, 0);
  return 0;
}

// The last date, and the first date or bars back, of "DURATION|ENDDATE|".
static DateRange ReadDateRange(const char* range) {
  DateRange out;
  CTxt duration, end;
  strfld(range, '|', 1, 1, duration);
  strfld(range, '|', 2, 2, end);
  duration.Trim(' ');
  end.Trim(' ');
  CZELDateTime last;
  if (end.IsEmpty() || last.SetDate(end) < 0) last.SetNow();
  out.lastDate = last.GetDate(0);
  if (CountFields(duration, '/') == 3) {
    CZELDateTime first;
    if (first.SetDate(duration) >= 0) out.firstDate = first.GetDate(0);
    return out;
  }
  const char* p = duration.GetData();
  long n = std::strtol(p, nullptr, 10);
  while (*p == '-' || *p == '+' || (*p >= '0' && *p <= '9')) ++p;
  while (*p == ' ') ++p;
  char unit = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  if (unit == 'B') {
    long bars = n + 1;
    if (bars < tsfacts::kBarsBackMinimum) bars = tsfacts::kBarsBackMinimum;
    if (bars > tsfacts::kBarsBackMaximum) bars = tsfacts::kBarsBackMaximum;
    out.barsBack = static_cast<int>(bars);
    return out;
  }
  CZELDateTime first = last;
  if (unit == 'M' || unit == 'Y') {
    int months = static_cast<int>(unit == 'Y' ? 12 * n : n);
    int total = first.GetYear() * 12 + (first.GetMonth() - 1) - months;
    int year = total / 12, month = total % 12 + 1, day = first.GetDay();
    // The same day of the earlier month, or its last day when it is shorter.
    while (day > 28 && first.SetDate(year, month, day) < 0) --day;
    first.SetDate(year, month, day);
  } else {
    first.ShiftDate(static_cast<int>(unit == 'W' ? -7 * n : -n));
  }
  out.firstDate = first.GetDate(0);
  return out;
}

int ChartSetupRun::SetDateRange(const char* dateRange) {
  DateRange range = ReadDateRange(dateRange);
  const int pause = 100;  // between the typed fields of a date
  HWND last = nullptr;
  for (int id : tsfacts::kLastDateIds)
    if ((last = GetDlgItem(page_, id)) != nullptr) break;
  if (ControlInput(last, 5, range.lastDate, pause) < 0) {
    err_ = "Format Symbol Dialog - Cannot find Last Date field";
    return -8;
  }
  SleepMs(500);
  HWND firstCheck = GetDlgItem(page_, tsfacts::kFirstDateCheckId);
  CTxt clickErr;
  if (!firstCheck || PostClick(page_, tsfacts::kFirstDateCheckId, nullptr, 0, clickErr) < 0) {
    err_ = "Format Symbol Dialog - Cannot find First Date Check field";
    return -8;
  }
  SleepMs(500);
  if (range.barsBack > 0) {
    if (!GetDlgItem(page_, tsfacts::kBarsBackOptionId) ||
        PostClick(page_, tsfacts::kBarsBackOptionId, nullptr, 0, clickErr) < 0) {
      err_ = "Format Symbol Dialog - Cannot find First Date Check field";
      return -8;
    }
    SleepMs(500);
    HWND bars = GetDlgItem(page_, tsfacts::kBarsBackEditId);
    if (!bars) {
      err_ = "Internal Error4: (Cannot find Interval Control)";
      return -4;
    }
    CTxt text;
    text.Format("%d", range.barsBack);
    SendBounded(bars, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetData()));
    SleepMs(500);
    return 0;
  }
  if (ControlInput(GetDlgItem(page_, tsfacts::kFirstDateId), 5, range.firstDate, pause) < 0) {
    err_ = "Format Symbol Dialog - Cannot find First Date field";
    return -8;
  }
  SleepMs(500);
  return 0;
}

int ChartSetupRun::Confirm() {
  SetFocus(page_);
  HWND ok = GetDlgItem(dialog_, tsfacts::kIdOk);
  FocusAndCapture(ok);
  PostMessageA(ok, WM_NEXTDLGCTL, 0, 0);
  LogTrace(kLog, 0, "FmtDlg(%p,%p) ready - click OK", AsPtr(dialog_), AsPtr(page_));
  SleepMs(Setting("FmtOKWait", 500));
  CTxt clickErr;
  if (PostClick(dialog_, tsfacts::kIdOk, tsfacts::kOkText, Setting("FmtOKRetry", 0), clickErr) < 0) {
    err_.Format("Format Symbol Dialog - OK not clicked (%s)", clickErr.GetData());
    return -8;
  }
  WaitForClose(dialog_, Setting("CloseWait", 20));
  SleepMs(Setting("FmtOKWait", 500));
  err_.Format("Sym=%s, Int=%s, Data=%s", newSymbol_.GetData(), newInterval_.GetData(), dateRange_.GetData());
  int r = d_.CheckChartLoadErrors(err_, dialog_);
  if (r < 0) return r;
  if (multi_ && IsWindow(multi_)) {
    PostClick(multi_, tsfacts::kIdOk, nullptr, 0, clickErr);
    WaitForClose(multi_, Setting("CloseWait", 20));
  } else if (IsWindow(dialog_)) {
    WaitForClose(dialog_, Setting("CloseWait", 20));
  }
  return 0;
}

// ---- The load wait
// ----------------------------------------------------------------------------------------------

int ChartSetupRun::LoadWait(const char* newSymbol) {
  int loadSeconds = ChartLoadWaitSeconds();
  int passes = Setting("ChartLoadConfirm", 3);
  int maxWaitSec = LoadWaitLimitSec();  // 0 would let a chart that never loads be waited for without end
  long long start = SteadyMs();
  int result = 0;
  for (int pass = 1; pass <= passes; ++pass) {
    result = LoadPass(newSymbol, loadSeconds, start, maxWaitSec);
    if (result < 0) return result;
    LogTrace(kLog, 0, "Chart load confirmed, pass %d of %d", pass, passes);
  }
  d_.CloseTsPopups(0);
  RestoreProgramWindow();
  if (verbose_) LogTrace(kLog, 0, "Loaded Sym=%s, Int=%s", newSymbol, newInterval_.GetData());
  return result;
}

int ChartSetupRun::LoadPass(const char* newSymbol, int loadSeconds, long long start, int maxWaitSec) {
  bool colourCheck = Setting("NoColorCheck", 0) != 1;
  int minColours = Setting("ChartMinColors", 3);
  auto overdue = [&] { return SteadyMs() - start >= 1000LL * maxWaitSec; };
  ChartLoadWaits& waits = d_.LoadWaits();
  for (int round = 1;; ++round) {
    if (d_.Aborted()) {
      err_ = kAbortedText;
      return -9;
    }
    MinimizeProgramWindows();
    d_.CloseDialogsByTitle(nullptr, tsfacts::kChartingBoxTitlePrefix, tsfacts::kChartingBoxButtonId, nullptr,
                           0);
    // The chart title, re-read while it is empty (the chart may be rebuilding).
    CTxt title, symbol, interval;
    HWND chart = nullptr;
    for (;;) {
      chart = FindChartWindow(title, 0);
      if (!title.IsEmpty()) break;
      if (overdue() || !d_.Wait(100)) break;
    }
    if (title.IsEmpty()) {
      err_ = kAbortedText;
      if (!d_.Aborted())
        err_.Format("ERROR Excessive wait for %s (no chart title)- aborting load", newSymbol);
      return -9;
    }
    SplitChartTitle(title, symbol, interval);
    interval.RemoveChar(' ');
    int kind = IntervalKindFromName(interval);
    if (colourCheck) {
      CTxt pattern, colourErr;
      pattern.Format("%s/ChartSave/CH_%s_%s_%%%%%%%%%%.bmp", d_.BaseFolder().GetData(), newSymbol,
                     interval.GetData());
      int colours = waits.CountChartColours(d_, chart, colourErr, pattern, 30);
      LogTrace(kLog, 0, "NewSym: Wait for Chart to complete loading - Try#%d of %d (%p %d/%d %s)", round,
               maxWaitSec, AsPtr(chart), colours, minColours, colourErr.GetData());
      if (colours < minColours) {
        if (overdue()) {
          err_.Format("ERROR Excessive wait for %s (%s)- aborting load (Wait=%d, Max=%d, Err=%s)", newSymbol,
                      interval.GetData(), static_cast<int>((SteadyMs() - start) / 1000), maxWaitSec,
                      colourErr.GetData());
          LogTrace(kLog, 0, "Chart: %s", err_.GetData());
          return -9;
        }
        d_.Wait(250);
        continue;
      }
      CTxt downloadErr;
      waits.WaitForDownloadToComplete(d_, newSymbol, downloadErr, 0);
    }
    d_.SetChartWindow(chart);
    int result = 0;
    CTxt pictureFile;
    Settings::GetString("Tavrin", "SaveChartFile", "", pictureFile);
    if (!pictureFile.IsEmpty()) result = SaveChartPicture(d_, chart, pictureFile);
    CTxt symbolErr;
    waits.WaitForSymbolToLoad(d_, newSymbol, kind, symbolErr, loadSeconds);
    if (d_.Aborted()) {
      err_ = kAbortedText;
      return -9;
    }
    return result;
  }
}

int TsDriver::SetupChart(const char* expectedSymbol, const char* expectedInterval, CTxt& err,
                         const char* newSymbol, const char* newInterval, const char* dateRange) {
  ChartSetupRun run(*this, err);
  return run.Run(expectedSymbol, expectedInterval, newSymbol, newInterval, dateRange);
}

// ---- Chart list and load errors
// ---------------------------------------------------------------------------------

int TsDriver::ListChartWindows(CTxtArray& out, CTxt& err) {
  out.RemoveAll();
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) {
    err = text;
    return -1;
  }
  SPtrArray charts;
  FindChartWindows(charts);
  for (int i = 0; i < charts.GetSize(); ++i) {
    HWND chart = static_cast<HWND>(charts.GetAt(i));
    std::string title;
    if (!ReadText(chart, title) || title.empty()) continue;
    title = title.substr(0, title.find('['));
    size_t at = title.find(tsfacts::kChartTitlePrefix);
    std::string shown =
        at == std::string::npos ? title : title.substr(at + std::strlen(tsfacts::kChartTitlePrefix));
    shown = TrimBlanks(shown.substr(0, shown.find('-')));
    CTxt key;
    key.Format("%p", AsPtr(chart));
    out.SetValue(key, shown.c_str());
  }
  return out.GetSize();
}

int TsDriver::CheckChartLoadErrors(CTxt& err, HWND formatDialog) {
  std::vector<HWND> boxes = DialogsTitled(nullptr, tsfacts::kChartErrorTitlePrefix, TextRule::Prefix);
  if (boxes.empty()) return 0;
  SaveWindowSnapshot("ERROR FMT: %s", err.GetData());
  int result = -9;
  std::vector<int> buttons;
  for (HWND box : boxes) {
    CTxt text;
    buttons.push_back(ReadDialogText(box, text));
    err.Format("Format Chart load error (%p):\r\n%s", AsPtr(box), text.GetData());
    LogTrace(kLog, 0, "%s", err.GetData());
    if (FindNoCase(text, tsfacts::kTimeZonesText) >= 0) result = -101;
    if (FindNoCase(text, tsfacts::kInvalidSymbolText) >= 0 ||
        FindNoCase(text, tsfacts::kIncorrectSymbolText) >= 0)
      result = -102;
  }
  Wait(1000);
  for (size_t i = 0; i < boxes.size(); ++i) {
    HWND box = boxes[i];
    CTxt clickErr;
    if (result == -102 && buttons[i] == 0) {
      PostClick(box, tsfacts::kIdOk, nullptr, 5, clickErr);
      PostClick(box, tsfacts::kIdCancel, nullptr, 5, clickErr);
    } else if (buttons[i] != 0) {
      PostClick(box, buttons[i], nullptr, 5, clickErr);
    }
    Wait(500);
    if (IsWindow(box)) PostMessageA(box, WM_CLOSE, 0, 0);
  }
  if (formatDialog && IsWindow(formatDialog)) {
    CTxt clickErr;
    PostClick(formatDialog, tsfacts::kIdCancel, nullptr, 5, clickErr);
    if (IsWindow(formatDialog)) PostClick(formatDialog, tsfacts::kIdOk, nullptr, 5, clickErr);
    if (IsWindow(formatDialog)) PostMessageA(formatDialog, WM_CLOSE, 0, 0);
  }
  Wait(500);
  CloseTsPopups(0);
  return result;
}
