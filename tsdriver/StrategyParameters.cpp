// The strategy's inputs: applying a step's parameter lines as fixed values or optimisation ranges, choosing
// exhaustive or genetic optimisation, and reading the inputs list for the sequence editor.
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "execution/RunScript.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "tsdriver/PrimitiveHelpers.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/TsFacts.h"
#include "tsdriver/WindowQuery.h"

using namespace tsdriver;

namespace {

constexpr char kLog[] = "RemoteTS";
constexpr int kFirstInput = 1;
constexpr int kLastInput = 100;

void PostKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 0);
  PostMessageA(window, WM_KEYUP, key, 0);
}

HWND ChartView() {
  WindowQuery q;
  q.cls = {tsfacts::kChartViewClass, TextRule::Exact};
  return FindFirstWindow(q);
}

// A shown "#32770" window by title: under parent, or under any parent. TradeStation shows its dialogs once
// their pages and controls exist, so a dialog that is still being built is not taken.
HWND DialogTitled(const char* title, HWND parent, bool anyParent) {
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.visibleOnly = true;
  if (!anyParent) q.parent = parent;
  q.title = title;
  q.titleRule = TextRule::Prefix;
  return FindFirstWindow(q);
}

// Direct children of a dialog that are its pages: "#32770", or the 9.5 page class when given.
std::vector<HWND> PagesOf(HWND dialog, const char* class95) {
  WindowQuery q;
  q.cls = {class95 ? class95 : tsfacts::kDialogClass, TextRule::Exact};
  q.parent = dialog;
  std::vector<HWND> pages = FindWindows(q);
  if (pages.empty() && class95) {
    q.cls = {tsfacts::kDialogClass, TextRule::Exact};
    pages = FindWindows(q);
  }
  return pages;
}

HWND PageTitled(const std::vector<HWND>& pages, const char* title) {
  for (HWND page : pages)
    if (EqualNoCase(TitleOf(page).c_str(), title)) return page;
  return nullptr;
}

bool IsListControl(HWND list) {
  return HasClass(list, tsfacts::kListViewClass) || HasClass(list, "SysTabControl32");
}

// The parameter line's row number (leading number of field 1).
int InputNumber(const char* line) {
  CTxt field;
  strfld(line, '|', 1, 1, field);
  field.Trim(' ');
  return std::atoi(field);
}

double FieldNumber(const char* line, int n) {
  CTxt field;
  strfld(line, '|', n, n, field);
  return std::atof(field);
}

// Keeps the strategies dialog's state while an operation walks it.
struct StrategyDialogs {
  HWND main = nullptr;        // "Format Analysis Techniques & Strategies"
  HWND strategies = nullptr;  // its "Strategies" page
  HWND inputs = nullptr;      // "Format Strategy:"
  HWND inputsList = nullptr;
};

}  // namespace

// ---- Shared steps
// -----------------------------------------------------------------------------------------------

// The strategies page of the main dialog and its strategy list: 0, or -5 with the text.
static int FindStrategiesPage(TsDriver& d, StrategyDialogs& s, CTxt& err) {
  int version = d.GetTsVersion();
  HWND list = nullptr;
  // The dialog's window is there before it has built its pages and list; FmtCmdWait bounds the look.
  auto found = [&] {
    std::vector<HWND> pages =
        PagesOf(s.main, version >= 95 ? tsfacts::kFormatStrategiesPageClass95 : nullptr);
    s.strategies = PageTitled(pages, tsfacts::kStrategiesPageTitle);
    list = nullptr;
    if (s.strategies) {
      list = version >= 95 ? GetDlgItem(s.main, tsfacts::kStrategyListId95)
                           : GetDlgItem(s.strategies, tsfacts::kStrategyListId);
      if (!list) list = GetDlgItem(s.main, tsfacts::kStrategyListId95);
    }
    return s.strategies && IsListControl(list);
  };
  WaitUntil(found, 2 * Setting("FmtCmdWait", 500) + 500, 25, &d.AbortRequest());
  if (!s.strategies || !IsListControl(list)) {
    err = "Cannot find Format Strategy Dialog";
    return -5;
  }
  return 0;
}

// Switches a strategy whose status is OFF on, once: 0, or -22.
static int EnsureStrategyOn(TsDriver& d, StrategyDialogs& s, CTxt& err) {
  HWND format = GetDlgItem(s.strategies, tsfacts::kStrategyFormatButtonId);
  if (IsWindowEnabled(format)) return 0;
  LogTrace(kLog, 0, "Found Strategy disabled (Status=OFF) - Reenabling ...");
  CTxt clickErr;
  int r = ClickButton(s.strategies, -tsfacts::kStrategyStatusButtonId, nullptr, clickErr, 0);
  // The status click takes effect when TradeStation handles it; a second is the bound.
  if (r >= 0) WaitUntil([format] { return IsWindowEnabled(format) != FALSE; }, 1000, 20, &d.AbortRequest());
  if (r < 0 || !IsWindowEnabled(format)) {
    err = "Strategy still disabled (Status=OFF) - Aborting";
    LogTrace(kLog, 0, "%s", err.GetData());
    return -22;
  }
  return 0;
}

// The inputs dialog, its inputs page, list and header: 0, or -7 to -10.
static int FindInputs(TsDriver& d, StrategyDialogs& s, CTxt& err, CTxt& strategyName) {
  // The dialog comes when TradeStation has handled the format click; WaitStratInput seconds is the bound.
  WaitUntil(
      [&] {
        return (s.inputs = DialogTitled(tsfacts::kFormatStrategyTitlePrefix, nullptr, true)) != nullptr;
      },
      1000 * Setting("WaitStratInput", 1), 50, &d.AbortRequest());
  if (!s.inputs) {
    err = "Cannot find Format Strategy Inputs Box - click on FORMAT button";
    return -7;
  }
  std::string title = TitleOf(s.inputs);
  size_t colon = title.find(':');
  strategyName = TrimBlanks(colon == std::string::npos ? "" : title.substr(colon + 1)).c_str();
  int version = d.GetTsVersion();
  std::vector<HWND> pages = PagesOf(s.inputs, version >= 95 ? tsfacts::kInputsPageClass95 : nullptr);
  if (pages.empty()) {
    err = "Cannot find Format Strategy Inputs Tab Box";
    return -8;
  }
  HWND page = PageTitled(pages, tsfacts::kInputsPageTitle);
  HWND list = page ? GetDlgItem(page, tsfacts::kInputsListId) : nullptr;
  if (page && !list) list = GetDlgItem(page, tsfacts::kInputsListIdOther);
  if (!IsListControl(list)) {
    err = "Cannot find Format Strategy Inputs List";
    return -9;
  }
  WindowQuery header;
  header.cls = {tsfacts::kHeaderClass, TextRule::Exact};
  header.parent = list;
  if (!FindFirstWindow(header)) {
    err = "Cannot find Format Strategy Inputs Header";
    return -10;
  }
  s.inputsList = list;
  return 0;
}

// Opens the main dialog from the chart view: 0, or -4.
static int OpenMainDialog(TsDriver& d, StrategyDialogs& s, HWND view, bool post, const char* missingText,
                          bool anyParent, CTxt& err) {
  if (post) PostMessageA(view, WM_COMMAND, tsfacts::kCmdFormatStrategies, 0);
  // The dialog takes a moment to come; FmtCmdWait is the wait and also the bound of the look for it.
  int cmdWait = Setting("FmtCmdWait", 500);
  WaitUntil(
      [&] {
        s.main = DialogTitled(tsfacts::kFormatStrategiesTitle, d.MainWindow(), false);
        if (!s.main && anyParent) s.main = DialogTitled(tsfacts::kFormatStrategiesTitle, nullptr, true);
        return s.main != nullptr;
      },
      post ? 2 * cmdWait + 500 : 0, 25, &d.AbortRequest());
  if (!s.main) {
    err = missingText;
    return -4;
  }
  return 0;
}

static void SelectRow(TsDriver& d, HWND list, int row) {
  FocusAndCapture(list);
  PostKey(list, VK_HOME);
  d.Wait(10);
  for (int i = 1; i < row; ++i) {
    PostKey(list, VK_DOWN);
    d.Wait(10);
  }
}

// Writes a range line into the range dialog; the number of values, or a negative code.
static int ApplyRange(TsDriver& d, StrategyDialogs& s, const char* line, CTxt& err) {
  CTxt clickErr;
  HWND page = ParentOf(s.inputsList);
  if (ClickButton(page, -tsfacts::kOptimizeButtonId, tsfacts::kOptimizeButtonText, clickErr, 0) < 0) {
    err = clickErr;
    return -12;
  }
  d.Wait(500);
  HWND range = nullptr;
  bool anyParent = d.GetTsVersion() >= 95;
  WaitUntil(
      [&] {
        range = DialogTitled(tsfacts::kOptimizeRangeTitlePrefix, s.inputs, anyParent);
        return range != nullptr;
      },
      2000, 25, &d.AbortRequest());
  if (!range) {
    err = "Cannot find Format Inputs Optimize Box";
    return -13;
  }
  struct Field {
    int id;
    int n;
    const char* missing;
    int code;
  };
  const Field fields[] = {
      {tsfacts::kRangeStartId, 2, "Cannot find Format Optimize Min Value Field", -14},
      {tsfacts::kRangeStopId, 3, "Cannot find Format Optimize Max Value Field", -15},
      {tsfacts::kRangeIncrementId, 4, "Cannot find Format Optimize Increment Value Field", -16}};
  for (const Field& f : fields) {
    HWND edit = GetDlgItem(range, f.id);
    if (!edit) {
      err = f.missing;
      return f.code;
    }
    CTxt text;
    strfld(line, '|', f.n, f.n, text);
    text.Trim(' ');
    SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.GetData()));
  }
  double min = FieldNumber(line, 2), max = FieldNumber(line, 3), increment = FieldNumber(line, 4);
  int count = 0;
  if (increment > 0 && min < max) count = static_cast<int>((max - min) / increment + 5.1f / 10) + 1;
  if (count < 1) {
    err.Format("Value Error in %s (Min=%f, Max=%f, Increment=%f, Steps=%d)", line, min, max, increment,
               count);
    SendBounded(range, WM_COMMAND, tsfacts::kIdCancel, 0);
    return -17;
  }
  if (ClickButton(range, -tsfacts::kIdOk, nullptr, clickErr, 0) < 0) {
    err = clickErr;
    return -17;
  }
  // TradeStation either closes the range dialog or shows an error box inside it.
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = IsWindow(range) ? DialogTitled(tsfacts::kChartErrorTitlePrefix, range, false) : nullptr;
        return box != nullptr || !IsWindow(range) || !IsWindowVisible(range);
      },
      2000, 25, &d.AbortRequest());
  if (!box) return count;
  CTxt text;
  d.ReadDialogText(box, text);
  err.Format("Optimize Parameter error in %s (Min=%f, Max=%f, Increment=%f, Steps=%d)\r\n%s", line, min, max,
             increment, count, text.GetData());
  LogTrace(kLog, 0, "%s", err.GetData());
  if (FindNoCase(text, "too large for the current MaxBar") < 0) return -19;
  ClickButton(box, tsfacts::kMaxBarsBackYesId, nullptr, clickErr, 5);
  d.Wait(500);
  return count;
}

// Types a single value through the list's in-place editor (F2).
static void ApplySingleValue(TsDriver& d, StrategyDialogs& s, const char* line, CTxt& err) {
  CTxt value;
  strfld(line, '|', 2, 2, value);
  value.Trim(' ');
  WindowQuery q;
  q.cls = {tsfacts::kEditClass, TextRule::Exact};
  q.parent = s.inputsList;
  HWND edit = nullptr;
  for (int attempt = 0; attempt < 4 && !edit && !d.Aborted(); ++attempt) {
    PostKey(s.inputsList, VK_F2);
    WaitUntil([&] { return (edit = FindFirstWindow(q)) != nullptr; }, 500, 20, &d.AbortRequest());
    if (!edit) d.Wait(500);
  }
  if (!edit) {
    err.Format("Cannot find Format Strategy Inputs Single Value Field: %s - Continue anyway", line);
    LogTrace(kLog, 0, "%s", err.GetData());
    return;
  }
  SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.GetData()));
  PostKey(edit, VK_RETURN);
  // The editor goes when the list took the value.
  WaitUntil([edit] { return !IsWindow(edit) || !IsWindowVisible(edit); }, 1000, 20, &d.AbortRequest());
}

static void SelectMethod(HWND combo, const char* method) {
  LRESULT index = CB_ERR;
  SendBounded(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(method), &index);
  if (index < 0) index = 0;
  FocusAndCapture(combo);
  SendBounded(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendBounded(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendBounded(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(method));
  SendBounded(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(method));
  PostMessageA(ParentOf(combo), WM_NEXTDLGCTL, 0, 0);
  SendBounded(combo, WM_CHAR, 38, 0);
  SendBounded(combo, WM_CHAR, 13, 0);
  PostMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
  PostMessageA(combo, WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
  SendBounded(combo, CB_SHOWDROPDOWN, FALSE, 0);
  // None of the above makes the combo announce its new selection, and a dialog that takes the method from
  // that announcement would keep the old one: the choice is announced as the combo does for a key press.
  LRESULT selected = CB_ERR;
  if (SendBounded(combo, CB_GETCURSEL, 0, 0, &selected) && selected == index)
    SendBounded(ParentOf(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(combo));
}

// Writes the genetic settings "generations|mutation|population|crossover|" into the fields on `page`, or
// into the "Advanced Settings" dialog that button 7598 opens.
static void WriteGeneticFields(TsDriver& d, HWND page, const char* genetic) {
  HWND holder = page;
  HWND advanced = nullptr;
  if (!GetDlgItem(page, tsfacts::kGeneticGenerationsId)) {
    HWND button = GetDlgItem(page, tsfacts::kGeneticAdvancedButtonId);
    if (!button) {
      LogTrace(kLog, 0, "ERROR: Avanced Genetic Button missing");
      return;
    }
    PostMessageA(page, WM_COMMAND, MAKEWPARAM(tsfacts::kGeneticAdvancedButtonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
    // The dialog comes within a second.
    WaitUntil(
        [&] { return (advanced = DialogTitled(tsfacts::kAdvancedSettingsTitle, nullptr, true)) != nullptr; },
        1000, 25, &d.AbortRequest());
    if (!advanced) {
      LogTrace(kLog, 0, "ERROR: Avanced Settings Dialig missing");
      return;
    }
    holder = advanced;
  }
  int generations = std::max(1, static_cast<int>(FieldNumber(genetic, 1)));
  double mutation = std::min(0.99, std::max(0.0, FieldNumber(genetic, 2)));
  int population = std::max(1, static_cast<int>(FieldNumber(genetic, 3)));
  double crossover = std::min(0.99, std::max(0.0, FieldNumber(genetic, 4)));
  struct Field {
    int id;
    CTxt text;
  };
  Field fields[4] = {{tsfacts::kGeneticGenerationsId, {}},
                     {tsfacts::kGeneticMutationRateId, {}},
                     {tsfacts::kGeneticPopulationId, {}},
                     {tsfacts::kGeneticCrossoverRateId, {}}};
  fields[0].text.Format("%d", generations);
  fields[1].text.Format("%.2f", mutation);
  fields[2].text.Format("%d", population);
  fields[3].text.Format("%.2f", crossover);
  for (Field& f : fields) {
    HWND edit = GetDlgItem(holder, f.id);
    SetFocus(edit);
    SendBounded(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(f.text.GetData()));
  }
  CTxt value;
  value.Format("%d|%.2f|%d|%.2f|", generations, mutation, population, crossover);
  Settings::WriteString("Tavrin", "GeneticPar", value);
  LogTrace(kLog, 0, "Initiated Genetic Parameter: %s", value.GetData());
  if (advanced) {
    CTxt clickErr;
    ClickButton(advanced, tsfacts::kIdOk, nullptr, clickErr, 5);
  }
}

static void SetOptimizationMethod(TsDriver& d, StrategyDialogs& s, const char* genetic) {
  if (HWND check = GetDlgItem(s.strategies, tsfacts::kOptimizationCheckId)) {
    ControlInput(check, 7, 0, 0);
    return;
  }
  WindowQuery q;
  q.cls = {tsfacts::kDialogClass, TextRule::Exact};
  q.ancestor = s.strategies;
  for (HWND sub : FindWindows(q)) {
    if (HWND check = GetDlgItem(sub, tsfacts::kOptimizationCheckId)) ControlInput(check, 7, 0, 0);
    HWND combo = GetDlgItem(sub, tsfacts::kOptimizationMethodComboId);
    if (!HasClass(combo, tsfacts::kComboBoxClass)) continue;
    SelectMethod(combo, genetic ? tsfacts::kOptimizationGenetic : tsfacts::kOptimizationExhaustive);
    if (genetic) WriteGeneticFields(d, sub, genetic);
  }
}

// ---- ApplyStrategyParameters
// ------------------------------------------------------------------------------------

int TsDriver::ApplyStrategyParameters(const char* setName, CTxt& err, int dialogOpen, const char* genetic) {
  CTxtArray lines;
  if (!m_runScript) {
    err.Format("No run script to take the optimisation set %s from", setName ? setName : "");
    return -11;
  }
  m_runScript->LoadOptimizationSet(setName, lines, err);
  return ApplyStrategyParameters(lines, err, dialogOpen, genetic);
}

int TsDriver::ApplyStrategyParameters(const CTxtArray& lines, CTxt& err, int dialogOpen,
                                      const char* genetic) {
  m_permutationCount = 0;
  CTxt text;
  if (!FindMainWindow(text)) {
    err = text;
    return -1;
  }
  bool open = dialogOpen == 1;
  if (!open) CloseDialogsByTitle(m_mainWindow, tsfacts::kFormatStrategiesTitle, tsfacts::kIdOk, nullptr, 5);
  LogTrace(kLog, 0, "Applying Strategy Parameter");
  CTxt title;
  if (!FindChartWindow(title, 0)) {
    err = "Active Chart not found2";
    return -2;
  }
  HWND view = ChartView();
  if (!view) {
    err = "Base Class not found";
    return -3;
  }
  if (!IsWindowEnabled(view)) {
    err.Format("Base Class (%p) disabled", AsPtr(view));
    LogTrace(kLog, 0, "%s", err.GetData());
    Wait(2000);
    return -5;
  }
  StrategyDialogs s;
  int r = OpenMainDialog(*this, s, view, !open,
                         "Cannot find main Format Strategy Box - click on \"Format Strategies\"", open, err);
  if (r < 0) return r;
  if ((r = FindStrategiesPage(*this, s, err)) < 0) return r;
  if ((r = EnsureStrategyOn(*this, s, err)) < 0) return r;
  if (!open) {
    CTxt clickErr;
    if (ClickButton(s.strategies, -tsfacts::kStrategyFormatButtonId, tsfacts::kStrategyFormatButtonText,
                    clickErr, 0) < 0) {
      err = clickErr;
      return -6;
    }
  }
  if ((r = FindInputs(*this, s, err, m_strategyName)) < 0) return r;
  if (lines.GetSize() == 0) {
    if (err.IsEmpty()) err = "No parameter lines";
    return -11;
  }
  int permutations = 1;
  int applied = 0;
  for (int i = 0; i < lines.GetSize(); ++i) {
    if (Aborted()) {
      err = kAbortedText;
      return -19;
    }
    const char* line = lines.GetAtTxt(i);
    int n = InputNumber(line);
    CTxt optimise;
    strfld(line, '|', 2, 99, optimise);
    if (n < kFirstInput || n > kLastInput) {
      LogTrace(kLog, 0, "Invalid Input Parameter Inp#=%d, Opt=%s, in: %s", n, optimise.GetData(), line);
      continue;
    }
    if (open) {
      CTxt name;
      strfld(line, '|', 1, 1, name);
      CTxt announce;
      announce.Format("Adjusting Parameter %s to %s", name.GetData(), optimise.GetData());
      GaugetteMessage(announce, "");
    }
    SelectRow(*this, s.inputsList, n);
    if (CountFields(line, '|') >= 3) {
      int count = ApplyRange(*this, s, line, err);
      if (count < 0) return count;
      permutations *= count;
    } else {
      ApplySingleValue(*this, s, line, err);
    }
    ++applied;
  }
  CTxt msg;
  m_appliedParameters.RemoveAll();
  m_appliedParameters.LoadFromLC(s.inputsList, msg, 2);
  m_permutationCount = permutations;
  if (!open) {
    LogTrace(kLog, 0, "Starting Optimization (%d Permutations)", permutations);
    CTxt clickErr;
    if (ClickButton(s.inputs, tsfacts::kIdOk, nullptr, clickErr, 5) < 0) {
      err = clickErr;
      return -18;
    }
    SetOptimizationMethod(*this, s, genetic);
    if (ClickButton(s.main, tsfacts::kIdOk, nullptr, clickErr, 5) < 0) {
      err = clickErr;
      return -19;
    }
  }
  CTxt workspace, desktop, symbol, interval;
  SplitTSMainTitle(m_mainTitle, desktop, workspace, symbol, interval);
  err.Format("Adjusted %d Parameter in Strategy '%s' in WorkSpace:\r\n%s", applied, m_strategyName.GetData(),
             workspace.GetData());
  return lines.GetSize();
}

// ---- ReadStrategyInputs
// -----------------------------------------------------------------------------------------

int TsDriver::ReadStrategyInputs(CTxtArray& rows, CTxt& err, int dialogOpen, int detailed, HWND chartView) {
  rows.RemoveAll();
  CTxt text;
  if ((!m_mainWindow || !IsWindow(m_mainWindow)) && !FindMainWindow(text)) {
    err = text;
    return -1;
  }
  HWND view = chartView ? chartView : ChartView();
  if (!view) {
    err = "Open the Chart with the Strategy in TradeStation (Base Class not found)";
    return -3;
  }
  if (!IsWindowEnabled(view)) {
    err.Format("Base Class (%p) disabled", AsPtr(view));
    Wait(2000);
    return -5;
  }
  bool open = dialogOpen == 1;
  StrategyDialogs s;
  const char* missing =
      open ? "Load your Workspace with the Chart containing this Strategy and\r\nright click and "
             "select \"Format Strategies\""
           : "One chart per workspace - close all other charts\n(Cannot find main Format "
             "Strategy Box)";
  int r = OpenMainDialog(*this, s, view, !open, missing, true, err);
  if (r < 0) return r;
  if ((r = FindStrategiesPage(*this, s, err)) < 0) return r;
  if (!IsWindowEnabled(GetDlgItem(s.strategies, tsfacts::kStrategyFormatButtonId))) {
    if (detailed) {
      err = "Strategy disabled (Status=OFF) - Aborting";
      return -22;
    }
    if ((r = EnsureStrategyOn(*this, s, err)) < 0) return r;
  }
  if (!open) {
    CTxt clickErr;
    if (ClickButton(s.strategies, -tsfacts::kStrategyFormatButtonId, tsfacts::kStrategyFormatButtonText,
                    clickErr, 0) < 0) {
      err = clickErr;
      return -6;
    }
  }
  CTxt name;
  if ((r = FindInputs(*this, s, err, name)) < 0) return r;
  CTxt msg;
  rows.LoadFromLC(s.inputsList, msg, 2);
  if (!open) {
    CTxt clickErr;
    ClickButton(s.inputs, tsfacts::kIdOk, nullptr, clickErr, 5);
    ClickButton(s.main, tsfacts::kIdOk, nullptr, clickErr, 5);
  }
  CTxt desktop, workspace, symbol, interval, product;
  FindMainWindow(text);
  if (rows.GetSize() > 0 &&
      SplitTSMainTitleNoPrefix(m_mainTitle, desktop, workspace, symbol, interval, product) >= 2) {
    // Version 9 titles begin with the product ("TradeStation 9.5 - "), which the parse without prefixes
    // would take for the desktop and the desktop for the workspace: the parts come from the stripped title.
    SplitTSMainTitle(m_mainTitle, desktop, workspace, symbol, interval);
    if (detailed) {
      err.Format("%s|%s|%s|%s|%s|%s|", name.GetData(), workspace.GetData(), symbol.GetData(),
                 interval.GetData(), product.GetData(), desktop.GetData());
      CloseTsPopups(0);
    } else {
      err.Format("Strategy %s in - %s - %s - %s", name.GetData(), workspace.GetData(), symbol.GetData(),
                 interval.GetData());
    }
  }
  return rows.GetSize();
}
