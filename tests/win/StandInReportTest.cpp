// The stand-in TradeStation's report windows and pop-ups under Wine: the Strategy Performance Report and its
// "Save As" dialog (MHT, XLS, the "Saving Performance" box, no dialog without trades, a late dialog, the
// "Tradestation" boxes after a report), the Strategy Optimization Report and its export options, the
// application error boxes, "CtrlNotifySink" windows and the "Insert Symbol List" dialog.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"
#include "execution/ReportLoader.h"
#include "foundation/Settings.h"

using namespace standin;

namespace {

class StandInReports : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::ScratchFolder();
    Settings::OverrideAppFolder(folder_.c_str());
  }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
  std::string folder_;
};

std::vector<HWND> TopWindowsTitled(DWORD pid, const std::string& cls, const std::string& part) {
  std::vector<HWND> out;
  for (HWND h : TopWindows(pid))
    if (IsWindowVisible(h) && (cls.empty() || ClassOf(h) == cls) && TextOf(h).find(part) != std::string::npos)
      out.push_back(h);
  return out;
}

// Runs a short optimisation of FastLength over 4..12:4.
bool OptimizeFastLength(const StandIn& ts) {
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  if (!in.list) return false;
  SelectRowByKeys(in.list, 0);
  if (!OptimizeSelectedRow(ts, in, "4", "12", "4")) return false;
  ConfirmStrategies(in, s);
  return WaitOptimization(ts);
}

}  // namespace

TEST_F(StandInReports, PerformanceReportWindowAndItsMhtArchive) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  EXPECT_EQ(ClassOf(report).rfind("Afx:", 0), 0u);
  EXPECT_EQ(TextOf(report), "TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min");

  PostCommand(report, 7002);
  HWND dialog = WaitFileDialog(ts.Pid());
  ASSERT_TRUE(dialog);
  EXPECT_EQ(TextOf(dialog), "Save As");
  HWND types = GetDlgItem(dialog, 1136);
  ASSERT_GE(SendMessageA(types, CB_GETCOUNT, 0, 0), 2);
  EXPECT_NE(ComboText(types, 0).find("mht"), std::string::npos) << ComboText(types, 0);
  EXPECT_NE(ComboText(types, 1).find("xls"), std::string::npos) << ComboText(types, 1);
  std::string path = folder_ + "/MSFT_5min.MHT";
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(path).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  HWND saving = WaitTop(ts.Pid(), "#32770", "Saving Performance", 3000);
  ASSERT_TRUE(saving) << "shown while the report is written";
  EXPECT_TRUE(WaitGone(saving));
  ASSERT_TRUE(testsupport::FileExists(path));
  std::string bytes = testsupport::ReadFile(path);
  EXPECT_EQ(
      bytes.rfind("From: <Saved by TradeStation>\r\nSubject: TradeStation Strategy Performance Report", 0),
      0u);
  TradeStatistics stats(5000);
  CTxt msg;
  EXPECT_GT(LoadTradeReport(path.c_str(), stats, msg), 0) << msg;
}

TEST_F(StandInReports, SpreadsheetTypeWritesThePage) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  std::string path = folder_ + "/MSFT_5min.XLS";
  ASSERT_TRUE(SaveReport(ts, report, 'X', path));
  std::string bytes = testsupport::ReadFile(path);
  EXPECT_EQ(bytes.rfind("<HTML>", 0), 0u);
  TradeStatistics stats(5000);
  CTxt msg;
  EXPECT_GT(LoadTradeReport(path.c_str(), stats, msg), 0) << msg;
}

namespace {

size_t ReportsSaved(const StandIn& ts) {
  std::string log = ts.ActivityLog();
  size_t n = 0;
  for (size_t at = log.find("report saved:"); at != std::string::npos; at = log.find("report saved:", at + 1))
    ++n;
  return n;
}

// Fills the report's Save As with a name and confirms it; true once the stand-in has written the file.
bool SaveWithName(const StandIn& ts, HWND dialog, const std::string& path) {
  size_t saved = ReportsSaved(ts);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(path).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  return WaitGone(dialog) && WaitFor([&] { return ReportsSaved(ts) > saved; });
}

}  // namespace

TEST_F(StandInReports, WithComboChangesNotifiedTheAnnouncedFileTypeDecides) {
  StartOptions start;
  start.control = "ComboChangesNotified=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  // The spreadsheet type set from outside, without the combo's notification, and an ".XLS" name: the dialog
  // still has the web archive type, and that is what is written.
  PostCommand(report, 7002);
  HWND dialog = WaitFileDialog(ts.Pid());
  ASSERT_TRUE(dialog);
  SendMessageA(GetDlgItem(dialog, 1136), CB_SETCURSEL, 1, 0);
  std::string quiet = folder_ + "/Quiet.XLS";
  ASSERT_TRUE(SaveWithName(ts, dialog, quiet));
  EXPECT_EQ(testsupport::ReadFile(quiet).rfind("From: <Saved by TradeStation>", 0), 0u);

  // Chosen by a key, the combo announces it: a spreadsheet, whatever the name says.
  PostCommand(report, 7002);
  dialog = WaitFileDialog(ts.Pid());
  ASSERT_TRUE(dialog);
  HWND types = GetDlgItem(dialog, 1136);
  SendMessageA(types, WM_KEYDOWN, VK_DOWN, 0);
  SendMessageA(types, WM_KEYUP, VK_DOWN, 0);
  EXPECT_TRUE(WaitFor([&] {
    return ts.ActivityLog().find("save report file type chosen: 2") != std::string::npos;
  })) << ts.ActivityLog();
  std::string announced = folder_ + "/Announced.MHT";
  ASSERT_TRUE(SaveWithName(ts, dialog, announced));
  EXPECT_EQ(testsupport::ReadFile(announced).rfind("<HTML>", 0), 0u);
}

TEST_F(StandInReports, NoTradesNoSaveDialog) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("NoTrades=1\n");
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  PostCommand(report, 7002);
  EXPECT_FALSE(WaitFileDialog(ts.Pid(), 600));
  EXPECT_NE(ts.ActivityLog().find("no trades"), std::string::npos);
}

TEST_F(StandInReports, LateSaveDialog) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("LateDialogs=SaveReport\n");
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  PostCommand(report, 7002);
  EXPECT_FALSE(WaitFileDialog(ts.Pid(), 250)) << "not yet";
  HWND dialog = WaitFileDialog(ts.Pid(), 3000);
  ASSERT_TRUE(dialog) << "but later";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  EXPECT_TRUE(WaitGone(dialog));
}

TEST_F(StandInReports, TradestationBoxesAfterAReport) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("ReportBoxes=2\n");
  ASSERT_TRUE(ShowPerformanceReport(ts));
  std::vector<HWND> boxes;
  ASSERT_TRUE(
      WaitFor([&] { return (boxes = TopWindowsTitled(ts.Pid(), "#32770", "Tradestation")).size() == 2; }));
  for (HWND box : boxes) {
    EXPECT_EQ(TextOf(box), "Tradestation");
    EXPECT_EQ(GetParent(box), ts.Main());
    PostClick(box, IDCANCEL);
    EXPECT_TRUE(WaitGone(box));
  }
}

TEST_F(StandInReports, OptimizationReportExportsReportOrSpreadsheet) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  EXPECT_FALSE(ShowOptimizationReport(ts, 400)) << "no optimisation yet";
  ASSERT_TRUE(OptimizeFastLength(ts));
  HWND report = ShowOptimizationReport(ts);
  ASSERT_TRUE(report);
  EXPECT_EQ(ClassOf(report).rfind("Afx:", 0), 0u);
  EXPECT_EQ(TextOf(report), "TradeStation Strategy Optimization Report - MovAvg Cross MSFT-5 min");

  PostCommand(report, 7025);
  HWND dialog = WaitFileDialog(ts.Pid());
  ASSERT_TRUE(dialog);
  HWND option = nullptr, spreadsheet = nullptr;
  for (HWND h : Descendants(dialog)) {
    if (ClassOf(h) != "Button") continue;
    if (GetDlgCtrlID(h) == 7646) option = h;
    if (GetDlgCtrlID(h) == 7647) spreadsheet = h;
  }
  ASSERT_TRUE(option);
  ASSERT_TRUE(spreadsheet);
  EXPECT_EQ(TextOf(option), "Report");
  EXPECT_EQ(TextOf(spreadsheet), "Spreadsheet");
  EXPECT_EQ(SendMessageA(option, BM_GETCHECK, 0, 0), BST_CHECKED);
  std::string html = folder_ + "/list.htm";
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(html).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  ASSERT_TRUE(WaitGone(dialog));
  ASSERT_TRUE(WaitFor([&] { return testsupport::FileExists(html); }));
  EXPECT_NE(testsupport::ReadFile(html).find("<TH>FastLength</TH>"), std::string::npos)
      << "the report as a table";

  std::string csv = folder_ + "/list.csv";
  ASSERT_TRUE(SaveReport(ts, report, 'C', csv));
  std::string text = testsupport::ReadFile(csv);
  EXPECT_EQ(text.rfind("Test,FastLength,All: Net Profit,", 0), 0u) << text;
  EXPECT_NE(text.find("\r\n3,12,"), std::string::npos) << text;
}

TEST_F(StandInReports, ApplicationErrorBoxesAndCtrlNotifySinks) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("ApplicationErrors=2\nCtrlNotifySinks=1\n");
  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitFor(
      [&] { return (boxes = TopWindowsTitled(ts.Pid(), "#32770", "Application Error")).size() == 2; }));
  EXPECT_EQ(TextOf(boxes[0]), "orchart.exe - Application Error");
  for (HWND box : boxes) {
    PostMessageA(box, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitGone(box));
  }
  HWND sink = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (sink = FindTop(ts.Pid(), "CtrlNotifySink", "")) != nullptr; }));
  HWND cancel = nullptr;
  for (HWND h : ChildrenOfClass(sink, "Button"))
    if (TextOf(h).rfind("Cancel", 0) == 0) cancel = h;
  ASSERT_TRUE(cancel);
  PostMessageA(sink, WM_COMMAND, 0, reinterpret_cast<LPARAM>(cancel));
  EXPECT_TRUE(WaitGone(sink));
  ts.SetControl("ApplicationErrors=2\nCtrlNotifySinks=1\n# unchanged values show nothing new\n");
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_TRUE(TopWindowsTitled(ts.Pid(), "#32770", "Application Error").empty());
}

TEST_F(StandInReports, InsertSymbolListShowsTheNamedList) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("SymbolList=DJIA\n");
  HWND dialog = WaitOwned(ts.Pid(), ts.Main(), "Insert Symbol List");
  ASSERT_TRUE(dialog);
  HWND list = GetDlgItem(dialog, 21536);
  ASSERT_TRUE(list);
  EXPECT_EQ(ClassOf(list), "SysListView32");
  std::vector<std::string> rows = ListRows(list, 1);
  ASSERT_EQ(rows.size(), 31u);
  EXPECT_EQ(rows[0], "Dow Jones Industrial Average");
  EXPECT_EQ(rows[1], "AA");
  EXPECT_EQ(rows[30], "XOM");

  ts.SetControl("SymbolList=Futures\nSymbolListInPage=1\n");
  ASSERT_TRUE(WaitGone(dialog));
  dialog = WaitOwned(ts.Pid(), ts.Main(), "Insert Symbol List");
  ASSERT_TRUE(dialog);
  EXPECT_FALSE(GetDlgItem(dialog, 21536));
  std::vector<HWND> pages = ChildrenOfClass(dialog, "#32770");
  ASSERT_FALSE(pages.empty());
  HWND inPage = GetDlgItem(pages[0], 23709);
  ASSERT_TRUE(inPage);
  rows = ListRows(inPage, 1);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[1], "@ES");
}
