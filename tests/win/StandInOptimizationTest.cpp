// The stand-in TradeStation's optimisation under Wine: the "Abort" button among the main window's windows
// while tests run, exhaustive and genetic test counts, the "Abort Optimization" question, the best inputs
// on the chart afterwards, and the faults of a run (an error event in the events log, a crash).
#include <windows.h>
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <algorithm>
#include <sstream>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

struct Optimization {
  StrategiesDialog strategies;
  InputsDialog inputs;
};

// Sets a range on each of the first inputs given ("start..stop:step" pieces) and confirms the dialogs.
bool Optimize(const StandIn& ts, const std::vector<std::vector<std::string>>& ranges,
              const std::string& method = "Exhaustive") {
  StrategiesDialog s = OpenStrategies(ts);
  if (!s.page) return false;
  InputsDialog in = OpenInputs(ts, s);
  if (!in.list) return false;
  for (size_t row = 0; row < ranges.size(); ++row) {
    SelectRowByKeys(in.list, static_cast<int>(row));
    HWND range = OptimizeSelectedRow(ts, in, ranges[row][0], ranges[row][1], ranges[row][2]);
    if (!range || IsWindow(range)) return false;
  }
  ConfirmStrategies(in, s, method);
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
  }
  return out;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string f;
  while (std::getline(in, f, ',')) out.push_back(f);
  return out;
}

// The optimisation list exported as CSV (one line per test after the header).
std::vector<std::string> ExportedList(const StandIn& ts) {
  HWND report = ShowOptimizationReport(ts);
  if (!report) return {};
  std::string path = testsupport::ScratchFolder() + "/list.csv";
  DeleteFileA(Backslashed(path).c_str());
  if (!SaveReport(ts, report, 'C', path)) return {};
  PostMessageA(report, WM_CLOSE, 0, 0);
  WaitGone(report);
  return Lines(testsupport::ReadFile(path));
}

}  // namespace

TEST(StandInOptimization, AbortButtonWhileTestsRunThenTheBestInputsOnTheChart) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("OptTestMs=60\n");
  ASSERT_TRUE(Optimize(ts, {{"5", "15", "5"}, {"20", "30", "10"}}));
  HWND abort = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (abort = FindAbortButton(ts)) != nullptr; }, 3000));
  EXPECT_EQ(GetDlgCtrlID(abort), 3787);
  EXPECT_TRUE(DescendsFrom(abort, ts.Main()));
  bool child = false;
  for (HWND h : Descendants(ts.Main())) child = child || h == abort;
  EXPECT_TRUE(child) << "found among the main window's child windows";
  EXPECT_EQ(ClassOf(GetParent(abort)), "#32770");
  ASSERT_TRUE(WaitFor([&] { return FindAbortButton(ts) == nullptr; }, 10000));

  std::vector<std::string> list = ExportedList(ts);
  ASSERT_EQ(list.size(), 7u) << "six permutations";
  EXPECT_EQ(list[0].rfind("Test,FastLength,SlowLength,All: Net Profit,All: Total Trades,", 0), 0u) << list[0];
  std::vector<std::string> expected = {"5,20", "5,30", "10,20", "10,30", "15,20", "15,30"};
  size_t best = 1;
  for (size_t i = 1; i < list.size(); ++i) {
    std::vector<std::string> f = Fields(list[i]);
    ASSERT_GE(f.size(), 5u);
    EXPECT_EQ(f[0], std::to_string(i));
    EXPECT_EQ(f[1] + "," + f[2], expected[i - 1]);
    if (std::stod(f[3]) > std::stod(Fields(list[best])[3])) best = i;
  }
  std::vector<std::string> bestFields = Fields(list[best]);
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  std::vector<std::string> rows = ListRows(in.list, 2);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0], "FastLength|" + bestFields[1] + "|");
  EXPECT_EQ(rows[1], "SlowLength|" + bestFields[2] + "|");
}

TEST(StandInOptimization, GeneticRunsGenerationsTimesPopulation) {
  StartOptions start;
  start.version = "9.1";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.method);
  const std::pair<int, const char*> values[] = {{7588, "2"}, {7589, "3"}, {7590, "0.2"}, {7591, "0.5"}};
  for (auto [id, text] : values)
    SendMessageA(GetDlgItem(s.method, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  ASSERT_TRUE(OptimizeSelectedRow(ts, in, "2", "10", "2"));
  SelectRowByKeys(in.list, 1);
  HWND range = OptimizeSelectedRow(ts, in, "10", "50", "4");
  ASSERT_TRUE(range);
  ASSERT_FALSE(IsWindow(range));
  ConfirmStrategies(in, s, "Genetic");
  ASSERT_TRUE(WaitOptimization(ts));
  std::vector<std::string> list = ExportedList(ts);
  ASSERT_EQ(list.size(), 7u) << "2 generations of 3 out of 55 permutations";
  std::vector<std::string> seen(list.begin() + 1, list.end());
  for (std::string& line : seen) {
    std::vector<std::string> f = Fields(line);
    line = f[1] + "," + f[2];
  }
  std::sort(seen.begin(), seen.end());
  EXPECT_EQ(std::unique(seen.begin(), seen.end()), seen.end()) << "no permutation twice";
}

TEST(StandInOptimization, AbortAsksAndStopsEarlyKeepingTheCompletedTests) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("OptTestMs=150\n");
  ASSERT_TRUE(Optimize(ts, {{"2", "20", "1"}}));  // 19 tests, about 3 s
  HWND abort = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (abort = FindAbortButton(ts)) != nullptr; }, 3000));
  // Two of the 19 tests done: the progress bar beside the button passes 2/19.
  HWND bar = FindDescendant(GetParent(abort), "msctls_progress32");
  ASSERT_TRUE(bar);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(bar, PBM_GETPOS, 0, 0) * 19 >= 200; }, 5000));
  PostClick(GetParent(abort), 3787);
  HWND box = WaitTop(ts.Pid(), "#32770", "Abort Optimization");
  ASSERT_TRUE(box);
  HWND keep = GetDlgItem(box, 8341);
  ASSERT_TRUE(keep);
  EXPECT_EQ(ClassOf(keep), "Button");
  EXPECT_FALSE(TextOf(keep).empty());
  PostClick(box, 8341);
  ASSERT_TRUE(WaitFor([&] { return SendMessageA(keep, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 2000));
  EXPECT_FALSE(WaitFor([&] { return !FindAbortButton(ts); }, 400))
      << "no test runs while the question is open";
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitFor([&] { return FindAbortButton(ts) == nullptr; }, 1000)) << "stops at once";
  std::vector<std::string> list = ExportedList(ts);
  ASSERT_GE(list.size(), 2u);
  EXPECT_LT(list.size(), 12u) << "far fewer than 19 tests";
}

TEST(StandInOptimization, AbortWithoutKeepingLeavesNoOptimizationReport) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("OptTestMs=150\n");
  ASSERT_TRUE(Optimize(ts, {{"2", "20", "1"}}));
  HWND abort = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (abort = FindAbortButton(ts)) != nullptr; }, 3000));
  PostClick(GetParent(abort), 3787);
  HWND box = WaitTop(ts.Pid(), "#32770", "Abort Optimization");
  ASSERT_TRUE(box);
  PostClick(box, IDCANCEL);
  ASSERT_TRUE(WaitGone(box));
  EXPECT_TRUE(FindAbortButton(ts)) << "Cancel goes on testing";
  PostClick(GetParent(FindAbortButton(ts)), 3787);
  box = WaitTop(ts.Pid(), "#32770", "Abort Optimization");
  ASSERT_TRUE(box);
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitFor([&] { return FindAbortButton(ts) == nullptr; }, 1000));
  EXPECT_FALSE(ShowOptimizationReport(ts, 500));
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  EXPECT_EQ(ListRows(in.list, 2)[0], "FastLength|2|") << "the range falls back to its start";
}

TEST(StandInOptimization, BestTestOnlyWhenTheCheckBoxStaysSet) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  ASSERT_TRUE(OptimizeSelectedRow(ts, in, "4", "12", "4"));
  SendMessageA(in.dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(in.dialog));
  SendMessageA(GetDlgItem(s.method, 7539), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(s.dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitOptimization(ts));
  EXPECT_EQ(ExportedList(ts).size(), 2u) << "the header and the best test";
}

TEST(StandInOptimization, ProgressAsPopupIsFoundOnlyAmongOwnedWindows) {
  StartOptions start;
  start.extraArgs = {"--ProgressPopup=1", "--OptTestMs=80"};
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(Optimize(ts, {{"4", "20", "4"}}));
  HWND abort = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (abort = FindAbortButton(ts)) != nullptr; }, 3000));
  for (HWND h : Descendants(ts.Main())) EXPECT_NE(h, abort);
  EXPECT_TRUE(DescendsFrom(abort, ts.Main())) << "through its owner";
  EXPECT_TRUE(WaitOptimization(ts));
}

TEST(StandInOptimization, ErrorEventStopsTheRunAndShowsTheEventsLog) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("OptTestMs=40\nEventsLogError=3\n");
  ASSERT_TRUE(Optimize(ts, {{"2", "20", "2"}}));
  HWND log = WaitTop(ts.Pid(), "", "TradeStation Events Log", 5000);
  ASSERT_TRUE(log);
  EXPECT_EQ(ClassOf(log).rfind("Afx:", 0), 0u) << ClassOf(log);
  EXPECT_FALSE(FindAbortButton(ts)) << "the optimisation ended";
  std::vector<HWND> pages = ChildrenOfClass(log, "#32770");
  ASSERT_EQ(pages.size(), 1u);
  HWND expand = GetDlgItem(pages[0], 1002);
  ASSERT_TRUE(expand);
  EXPECT_NE(TextOf(expand).find(">>"), std::string::npos);
  HWND list = GetDlgItem(pages[0], 1003);
  ASSERT_TRUE(list);
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 0) << "collapsed: no rows yet";
  PostClick(pages[0], 1002);
  ASSERT_TRUE(WaitFor([&] { return TextOf(expand).find(">>") == std::string::npos; }));
  std::vector<std::string> rows = ListRows(list, 2);
  bool event = false;
  for (const std::string& r : rows) event = event || r == "Event:|Strategy error in MovAvg Cross|";
  EXPECT_TRUE(event);
  bool description = false;
  for (const std::string& r : rows)
    description = description || r.find("test 3 (FastLength=6)") != std::string::npos;
  EXPECT_TRUE(description);

  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s.page, 6635))) << "the strategy turned off";
  SendMessageA(log, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitGone(log));
}

TEST(StandInOptimization, CrashDuringTheOptimization) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("CrashAt=Optimization\n");
  ASSERT_TRUE(Optimize(ts, {{"4", "20", "4"}}));
  EXPECT_EQ(ts.WaitExit(5000), 3);
}
