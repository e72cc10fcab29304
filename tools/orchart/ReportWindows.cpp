// Report windows and their save and export dialogs.
#include "ReportWindows.h"

#include <windows.h>
// commctrl.h and commdlg.h need the types of windows.h
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

#include "AfxWindow.h"
#include "ChartStrategy.h"
#include "DialogKit.h"
#include "ListViewKit.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr char kSaveFilter[] =
    "Web Archive, single file (*.mht)\0*.mht\0Microsoft Excel Workbook (*.xls)\0*.xls\0";
constexpr char kExportFilter[] = "Report (*.htm)\0*.htm\0Spreadsheet (*.csv)\0*.csv\0";
constexpr int kReportListId = 100;
constexpr int kTradesShown = 18;

struct PerformanceReport {
  HWND hwnd = nullptr;
  ReportSubject subject;
  BacktestResult result;
};

struct OptimizationReport {
  HWND hwnd = nullptr;
  ReportSubject subject;
  OptimizationTable table;
};

// The performance report window's title. With ReportTitleRange it ends with the date range of the report's
// header, " (M/D/YYYY - M/D/YYYY)", as the platform's report window does: two reports of the same
// strategy, symbol and interval over other dates then have different titles.
std::string ShownPerformanceTitle(const PerformanceReport& report) {
  std::string title = PerformanceReportTitle(report.subject);
  if (App::Get().options.Flag("ReportTitleRange"))
    title += " (" + FormatTradeDate(report.result.firstDate) + " - " +
             FormatTradeDate(report.result.lastDate) + ")";
  return title;
}

PerformanceReport& ThePerformanceReport() {
  static PerformanceReport report;
  return report;
}

OptimizationReport& TheOptimizationReport() {
  static OptimizationReport report;
  return report;
}

bool HasExtension(const std::string& path, const char* extension) {
  size_t n = strlen(extension);
  return path.size() > n && Lower(path.substr(path.size() - n)) == extension;
}

// ---- Drawing the performance report -----------------------------------------------------------------

class Painter {
 public:
  Painter(HDC dc, int x, int y) : dc_(dc), x_(x), y_(y) {}
  void Line(const std::string& text, COLORREF colour = RGB(0, 0, 0), int indent = 0) {
    SetTextColor(dc_, colour);
    TextOutA(dc_, x_ + indent, y_, text.c_str(), static_cast<int>(text.size()));
    y_ += 16;
  }
  void Columns(const std::vector<std::string>& cells, const std::vector<int>& widths, COLORREF colour) {
    SetTextColor(dc_, colour);
    int x = x_;
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      TextOutA(dc_, x, y_, cells[i].c_str(), static_cast<int>(cells[i].size()));
      x += widths[i];
    }
    y_ += 16;
  }
  void Skip(int pixels) { y_ += pixels; }
  int Y() const { return y_; }

 private:
  HDC dc_;
  int x_, y_;
};

void DrawEquityCurve(HDC dc, const RECT& area, const BacktestResult& r) {
  HBRUSH back = CreateSolidBrush(RGB(245, 248, 255));
  FillRect(dc, &area, back);
  DeleteObject(back);
  std::vector<double> equity{0};
  for (const StrategyTrade& t : r.trades)
    if (!t.open) equity.push_back(equity.back() + t.net);
  double lo = *std::min_element(equity.begin(), equity.end()),
         hi = *std::max_element(equity.begin(), equity.end());
  if (hi <= lo) hi = lo + 1;
  int w = area.right - area.left - 8, h = area.bottom - area.top - 8;
  auto point = [&](size_t i) {
    POINT p;
    p.x = area.left + 4 + static_cast<int>(equity.size() > 1 ? i * w / (equity.size() - 1) : 0);
    p.y = area.bottom - 4 - static_cast<int>((equity[i] - lo) / (hi - lo) * h);
    return p;
  };
  HPEN zero = CreatePen(PS_DOT, 1, RGB(150, 150, 150));
  HGDIOBJ old = SelectObject(dc, zero);
  int y0 = area.bottom - 4 - static_cast<int>((0 - lo) / (hi - lo) * h);
  MoveToEx(dc, area.left + 2, y0, nullptr);
  LineTo(dc, area.right - 2, y0);
  HPEN line = CreatePen(PS_SOLID, 2, RGB(0, 110, 0));
  SelectObject(dc, line);
  for (size_t i = 0; i < equity.size(); ++i) {
    POINT p = point(i);
    if (i == 0)
      MoveToEx(dc, p.x, p.y, nullptr);
    else
      LineTo(dc, p.x, p.y);
  }
  SelectObject(dc, old);
  DeleteObject(zero);
  DeleteObject(line);
}

void PaintPerformanceReport(HWND hwnd, HDC dc) {
  const PerformanceReport& report = ThePerformanceReport();
  RECT rc;
  GetClientRect(hwnd, &rc);
  FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  const BacktestResult& r = report.result;
  Painter p(dc, 12, 10);
  p.Line("Strategy Performance Report - " + ReportCaption(report.subject), RGB(0, 0, 140));
  p.Line(FormatTradeDate(r.firstDate) + " - " + FormatTradeDate(r.lastDate) + ", " + std::to_string(r.bars) +
             " bars",
         RGB(90, 90, 90));
  p.Skip(6);
  PerformanceFigures f[3] = {r.Figures(TradeFilter::All), r.Figures(TradeFilter::Long),
                             r.Figures(TradeFilter::Short)};
  const std::vector<int> widths = {200, 100, 100, 100};
  p.Columns({"Performance Summary", "All Trades", "Long Trades", "Short Trades"}, widths, RGB(0, 0, 140));
  auto money = [&](double PerformanceFigures::*m) {
    return std::vector<std::string>{FormatMoney(f[0].*m), FormatMoney(f[1].*m), FormatMoney(f[2].*m)};
  };
  auto row = [&](const char* label, std::vector<std::string> v) {
    v.insert(v.begin(), label);
    p.Columns(v, widths, RGB(0, 0, 0));
  };
  row("Total Net Profit", money(&PerformanceFigures::netProfit));
  row("Gross Profit", money(&PerformanceFigures::grossProfit));
  row("Gross Loss", money(&PerformanceFigures::grossLoss));
  row("Total Number of Trades",
      {std::to_string(f[0].trades), std::to_string(f[1].trades), std::to_string(f[2].trades)});
  char pct[3][16];
  for (int i = 0; i < 3; ++i) std::snprintf(pct[i], sizeof pct[i], "%.2f%%", f[i].percentProfitable);
  row("Percent Profitable", {pct[0], pct[1], pct[2]});
  row("Max Strategy Drawdown", money(&PerformanceFigures::maxDrawdown));
  p.Skip(8);
  RECT curve{rc.left + 590, 40, rc.right - 12, 190};
  if (curve.right > curve.left + 40) DrawEquityCurve(dc, curve, r);
  const std::vector<int> tradeWidths = {30, 80, 80, 50, 70, 70, 90, 90};
  p.Columns({"#", "Type", "Date", "Time", "Signal", "Price", "Profit/Loss", "Cum. Profit"}, tradeWidths,
            RGB(0, 0, 140));
  double cumulative = 0;
  int n = 0;
  for (const StrategyTrade& t : r.trades) {
    if (++n > kTradesShown) {
      p.Line("... " + std::to_string(r.trades.size() - kTradesShown) + " more trades", RGB(90, 90, 90));
      break;
    }
    if (!t.open) cumulative += t.net;
    p.Columns({std::to_string(n), t.direction > 0 ? "Buy" : "Sell Short", FormatTradeDate(t.entry.date),
               report.subject.intraday ? FormatTradeTime(t.entry.time) : "", t.entry.signal,
               FormatMoney(t.entry.price), FormatMoney(t.net), t.open ? "(open)" : FormatMoney(cumulative)},
              tradeWidths, t.net < 0 ? RGB(200, 0, 0) : RGB(0, 120, 0));
  }
  if (r.trades.empty()) p.Line("No trades were generated.", RGB(200, 0, 0));
  SelectObject(dc, oldFont);
}

// ---- Saving --------------------------------------------------------------------------------------

ArchiveEnvelope EnvelopeNow() {
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  SYSTEMTIME t;
  GetLocalTime(&t);
  TIME_ZONE_INFORMATION zone;
  DWORD kind = GetTimeZoneInformation(&zone);
  long bias = zone.Bias + (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
  long offset = -bias;
  char date[64];
  std::snprintf(date, sizeof date, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[t.wDayOfWeek % 7],
                t.wDay, months[(t.wMonth + 11) % 12], t.wYear, t.wHour, t.wMinute, t.wSecond,
                offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
  FILETIME ft;
  SystemTimeToFileTime(&t, &ft);
  char boundary[80];
  std::snprintf(boundary, sizeof boundary, "----=_NextPart_000_0000_%08lX.%08lX",
                static_cast<unsigned long>(ft.dwHighDateTime), static_cast<unsigned long>(ft.dwLowDateTime));
  std::string location = "file:///";
  for (char c : App::Get().folder + "/Program/Reports/Report.htm")
    location += c == ' ' ? std::string("%20") : std::string(1, c);
  return ArchiveEnvelope{date, boundary, location};
}

// Writes a report file; with ReportGrowMs=N in four writes spread over N ms (the file grows as the platform
// writes it), `done` running after the last. False when the first write failed.
bool WriteGrowing(const std::string& path, const std::string& bytes, std::function<void(bool)> done) {
  App& app = App::Get();
  int spread = app.options.Int("ReportGrowMs");
  if (spread <= 0 || bytes.size() < 4) {
    bool ok = WriteWholeFile(path, bytes);
    if (done) done(ok);
    return ok;
  }
  constexpr size_t kPieces = 4;
  size_t piece = bytes.size() / kPieces;
  if (!WriteWholeFile(path, bytes.substr(0, piece))) {
    if (done) done(false);
    return false;
  }
  app.Log("report file growing: %s", path.c_str());
  for (size_t i = 1; i < kPieces; ++i) {
    size_t from = i * piece, to = i + 1 == kPieces ? bytes.size() : from + piece;
    bool last = i + 1 == kPieces;
    std::string part = bytes.substr(from, to - from);
    app.After(spread * static_cast<int>(i) / static_cast<int>(kPieces - 1), [path, part, last, done] {
      bool ok = AppendToFile(path, part);
      if (last && done) done(ok);
    });
  }
  return true;
}

// Writes the report after a short "Saving Performance" box.
void WriteReportFile(const std::string& path, bool spreadsheet, const ReportSubject& subject,
                     const BacktestResult& result) {
  App& app = App::Get();
  BoxSpec box;
  box.title = std::string(tsfacts::kSavingPerformanceTitle) + " Report";
  box.text = "Saving the Strategy Performance Report to\r\n" + path;
  box.buttons = {};
  box.modal = false;
  MessageBoxDialog* shown = ShowBox(app.main, box);
  HWND boxWindow = shown ? shown->Hwnd() : nullptr;
  app.After(app.options.Ms("SavingMs", 800, 60), [path, spreadsheet, subject, result, boxWindow] {
    App& app = App::Get();
    app.FaultPoint("SaveReport");
    std::string page = PerformanceReportPage(subject, result);
    std::string bytes = spreadsheet ? page : WebArchive(page, PerformanceReportTitle(subject), EnvelopeNow());
    size_t size = bytes.size();
    // The box goes when the file is complete.
    WriteGrowing(path, bytes, [path, size, boxWindow](bool ok) {
      if (!ok)
        App::Get().Log("report not saved: cannot write %s", path.c_str());
      else
        App::Get().Log("report saved: %s (%zu bytes)", path.c_str(), size);
      if (boxWindow && IsWindow(boxWindow)) PostMessageA(boxWindow, WM_CLOSE, 0, 0);
    });
  });
}

// ComboChangesNotified: the file type of the report's Save As counts only as the dialog announces it
// (CDN_TYPECHANGE, which the dialog sends when its type combo 1136 says its selection changed); the name's
// extension and a selection set from outside without the combo's notification decide nothing.
DWORD gAnnouncedFileType = 1;

UINT_PTR CALLBACK SaveTypeHook(HWND, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_NOTIFY) return 0;
  auto* note = reinterpret_cast<OFNOTIFYA*>(lp);
  if (note->hdr.code == CDN_TYPECHANGE && note->lpOFN) {
    gAnnouncedFileType = note->lpOFN->nFilterIndex;
    App::Get().Log("save report file type chosen: %lu", static_cast<unsigned long>(gAnnouncedFileType));
  }
  return 0;
}

void SavePerformanceReport(HWND reportWindow) {
  App::Get().OpenDialogLater("SaveReport", [reportWindow] {
    App& app = App::Get();
    const PerformanceReport& report = ThePerformanceReport();
    if (report.hwnd != reportWindow || !IsWindow(reportWindow) || FileDialogOpen()) return;
    if (report.result.trades.empty()) {
      app.Log("save report: no trades, no save dialog");
      return;
    }
    ReportSubject subject = report.subject;
    BacktestResult result = report.result;
    FileDialogSpec spec;
    spec.owner = reportWindow;
    spec.title = tsfacts::kSaveAsTitle;
    spec.filter = kSaveFilter;
    spec.defaultExtension = "mht";
    spec.folder = app.folder;
    spec.fileName = "Report";
    spec.flags = OFN_PATHMUSTEXIST;
    if (app.options.Int("OverwritePrompt", 0)) spec.flags |= OFN_OVERWRITEPROMPT;
    bool announcedOnly = app.options.Flag("ComboChangesNotified");
    if (announcedOnly) spec.hook = SaveTypeHook;
    gAnnouncedFileType = 1;
    app.Log("save report dialog");
    FileDialogChoice choice;
    if (!RunFileDialog(spec, choice)) {
      app.Log("save report cancelled");
      return;
    }
    const std::string& path = choice.path;
    bool spreadsheet = announcedOnly ? gAnnouncedFileType == 2
                                     : HasExtension(path, ".xls") ||
                                           (!HasExtension(path, ".mht") && choice.filterIndex == 2);
    WriteReportFile(path, spreadsheet, subject, result);
  });
}

// ---- Performance report window -------------------------------------------------------------------

bool PerformanceHandler(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  (void)lp;
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintPerformanceReport(hwnd, dc);
      EndPaint(hwnd, &ps);
      result = 0;
      return true;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == tsfacts::kCmdReportSaveAs) SavePerformanceReport(hwnd);
      result = 0;
      return true;
    case WM_NCDESTROY:
      if (ThePerformanceReport().hwnd == hwnd) ThePerformanceReport().hwnd = nullptr;
      return false;
    default:
      return false;
  }
}

void ShowFollowUpBoxes() {
  App& app = App::Get();
  int count = app.options.Int("ReportBoxes");
  if (count <= 0) return;
  app.ShowNowOrLate("ReportBoxes", [count] {
    for (int i = 0; i < count; ++i) {
      BoxSpec box;
      box.title = tsfacts::kReportFollowUpBoxTitle;
      box.text = "Some values of the performance report are still being calculated.";
      box.buttons = {{IDOK, tsfacts::kOkText}, {IDCANCEL, tsfacts::kCancelText}};
      ShowBox(App::Get().main, box);
    }
  });
}

void ShowPerformanceReport(Chart& chart) {
  App& app = App::Get();
  app.FaultPoint("PerformanceReport");
  Chart* target = &chart;
  app.OpenDialogLater("PerformanceReport", [target] {
    App& app = App::Get();
    if (!app.IsOpenChart(target)) return;
    PerformanceReport& report = ThePerformanceReport();
    StrategySetup setup = SetupOf(*target);
    report.subject = SubjectOf(*target, setup);
    report.result = CurrentBacktest(*target);
    std::string title = ShownPerformanceTitle(report);
    if (report.hwnd) {
      SetWindowTextA(report.hwnd, title.c_str());
      InvalidateRect(report.hwnd, nullptr, TRUE);
      SetForegroundWindow(report.hwnd);
    } else {
      report.hwnd = CreateAfxWindow(title, 40, 30, 900, 620, PerformanceHandler);
    }
    app.Log("performance report: %s (%zu trades)", title.c_str(), report.result.trades.size());
    ShowFollowUpBoxes();
  });
}

// ---- Optimisation report -------------------------------------------------------------------------

bool gSpreadsheetChosen = false;

UINT_PTR CALLBACK ExportHook(HWND child, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    CheckRadioButton(child, tsfacts::kExportReportOptionId, tsfacts::kExportSpreadsheetOptionId,
                     tsfacts::kExportReportOptionId);
    return TRUE;
  }
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED &&
      (LOWORD(wp) == tsfacts::kExportReportOptionId || LOWORD(wp) == tsfacts::kExportSpreadsheetOptionId)) {
    CheckRadioButton(child, tsfacts::kExportReportOptionId, tsfacts::kExportSpreadsheetOptionId, LOWORD(wp));
    return TRUE;
  }
  if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == CDN_FILEOK)
    gSpreadsheetChosen = IsDlgButtonChecked(child, tsfacts::kExportSpreadsheetOptionId) == BST_CHECKED;
  return 0;
}

void ExportOptimizationReport(HWND reportWindow) {
  App::Get().OpenDialogLater("ExportReport", [reportWindow] {
    App& app = App::Get();
    const OptimizationReport& report = TheOptimizationReport();
    if (report.hwnd != reportWindow || !IsWindow(reportWindow) || FileDialogOpen()) return;
    ReportSubject subject = report.subject;
    OptimizationTable table = report.table;
    DialogTemplate t("", WS_CHILD | WS_VISIBLE | DS_CONTROL | DS_3DLOOK | WS_CLIPSIBLINGS, 240, 22);
    t.Add("Static", "Export as:", -1, WS_VISIBLE, 6, 6, 40, 10);
    t.Add("Button", tsfacts::kExportReportOptionText, tsfacts::kExportReportOptionId,
          WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 50, 5, 60, 12);
    t.Add("Button", tsfacts::kExportSpreadsheetOptionText, tsfacts::kExportSpreadsheetOptionId,
          WS_VISIBLE | BS_AUTORADIOBUTTON, 116, 5, 70, 12);
    FileDialogSpec spec;
    spec.owner = reportWindow;
    spec.title = tsfacts::kSaveAsTitle;
    spec.filter = kExportFilter;
    spec.defaultExtension = "csv";
    spec.folder = app.folder;
    spec.fileName = "OptList";
    spec.flags = OFN_PATHMUSTEXIST;
    if (app.options.Int("OverwritePrompt", 0)) spec.flags |= OFN_OVERWRITEPROMPT;
    spec.hook = ExportHook;
    spec.extra = &t;
    app.Log("export optimization report dialog");
    gSpreadsheetChosen = false;
    FileDialogChoice choice;
    if (!RunFileDialog(spec, choice)) {
      app.Log("export cancelled");
      return;
    }
    const std::string& path = choice.path;
    std::string content =
        gSpreadsheetChosen ? OptimizationCsv(table) : OptimizationReportPage(subject, table);
    const char* kind = gSpreadsheetChosen ? "spreadsheet" : "report";
    size_t tests = table.tests.size();
    WriteGrowing(path, content, [path, kind, tests](bool ok) {
      if (!ok)
        App::Get().Log("optimization report not exported: cannot write %s", path.c_str());
      else
        App::Get().Log("optimization report exported (%s): %s (%zu tests)", kind, path.c_str(), tests);
    });
  });
}

bool OptimizationHandler(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(GetDlgItem(hwnd, kReportListId), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      result = 0;
      return true;
    case WM_COMMAND:
      if (LOWORD(wp) == tsfacts::kCmdReportExport) ExportOptimizationReport(hwnd);
      result = 0;
      return true;
    case WM_NCDESTROY:
      if (TheOptimizationReport().hwnd == hwnd) TheOptimizationReport().hwnd = nullptr;
      return false;
    default:
      return false;
  }
}

void FillOptimizationList(HWND list, const OptimizationTable& table) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
  }
  std::vector<std::pair<std::string, int>> columns = {{"Test", 50}};
  for (const std::string& name : table.inputNames) columns.emplace_back(name, 90);
  for (const char* c : {"All: Net Profit", "All: Total Trades", "All: Profit Factor", "All: % Profitable",
                        "All: Max Strategy Drawdown"})
    columns.emplace_back(c, 120);
  SetListColumns(list, columns);
  int row = 0;
  for (const OptimizationTest& t : table.tests) {
    std::vector<std::string> cells = {std::to_string(t.number)};
    for (double v : t.values) cells.push_back(FormatNumber(v));
    char buf[64];
    cells.push_back(FormatMoney(t.figures.netProfit));
    cells.push_back(std::to_string(t.figures.trades));
    std::snprintf(buf, sizeof buf, "%.2f", t.figures.profitFactor);
    cells.push_back(buf);
    std::snprintf(buf, sizeof buf, "%.2f%%", t.figures.percentProfitable);
    cells.push_back(buf);
    cells.push_back(FormatMoney(t.figures.maxDrawdown));
    SetListRow(list, row++, cells);
  }
}

void ShowOptimizationReport(Chart& chart) {
  App& app = App::Get();
  Chart* target = &chart;
  app.OpenDialogLater("OptimizationReport", [target] {
    App& app = App::Get();
    if (!app.IsOpenChart(target)) return;
    const OptimizationTable* table = LastOptimization(*target);
    if (!table) {
      app.Log("optimization report: no optimization of this chart");
      return;
    }
    OptimizationReport& report = TheOptimizationReport();
    report.subject = SubjectOf(*target, SetupOf(*target));
    report.table = *table;
    std::string title = OptimizationReportTitle(report.subject);
    if (!report.hwnd) {
      report.hwnd = CreateAfxWindow(title, 70, 60, 860, 480, OptimizationHandler);
      if (!report.hwnd) return;
      RECT rc;
      GetClientRect(report.hwnd, &rc);
      CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                      rc.right, rc.bottom, report.hwnd,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kReportListId)), app.instance, nullptr);
    }
    SetWindowTextA(report.hwnd, title.c_str());
    FillOptimizationList(GetDlgItem(report.hwnd, kReportListId), report.table);
    app.Log("optimization report: %s (%zu tests)", title.c_str(), report.table.tests.size());
  });
}

}  // namespace

void RegisterReportCommands() {
  RegisterAfxWindowClass();
  RegisterChartCommand(tsfacts::kCmdPerformanceReport, ShowPerformanceReport);
  RegisterChartCommand(tsfacts::kCmdOptimizationReport, ShowOptimizationReport);
}

}  // namespace orchart
