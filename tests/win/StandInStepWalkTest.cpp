// One whole step walked by hand against the stand-in TradeStation, as the driver walks it: Format Symbol,
// Format Strategy with one range and one single value, the optimisation until its Abort button goes, the
// Strategy Performance Report saved as MHT and the optimisation list saved as CSV. The saved report is read
// back with the core's report loader and must hold the trades of the best test of the list.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"
#include "execution/ReportLoader.h"
#include "foundation/Settings.h"

using namespace standin;

namespace {

// Format Symbol: the symbol typed into the symbol combo's edit, the minutes into the visible interval edit.
bool FormatSymbol(const StandIn& ts, const std::string& symbol, const std::string& minutes) {
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!dialog) return false;
  HWND page = nullptr;
  for (HWND p : ChildrenOfClass(dialog, "#32770"))
    if (GetDlgItem(p, 7272)) page = p;
  if (!page) return false;
  HWND symbolEdit = GetDlgItem(GetDlgItem(page, 6629), 1001);
  HWND interval = GetDlgItem(page, 6543);  // no sub-pages (8.x)
  for (HWND sub : ChildrenOfClass(page, "#32770"))
    if (IsWindowVisible(sub) && GetDlgItem(sub, 6544)) interval = GetDlgItem(sub, 6544);
  if (!symbolEdit || !interval) return false;
  SendMessageA(symbolEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(symbol.c_str()));
  SendMessageA(interval, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(minutes.c_str()));
  PostClick(dialog, IDOK);
  if (!WaitGone(dialog)) return false;
  std::string want = "Chart Analysis - " + symbol + " " + minutes + " min";
  return WaitFor([&] { return FirstChartTitle(ts).rfind(want, 0) == 0; });
}

std::vector<std::vector<std::string>> CsvLines(const std::string& text) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) fields.push_back(cell);
    lines.push_back(fields);
  }
  return lines;
}

int Column(const std::vector<std::string>& header, const std::string& name) {
  for (size_t i = 0; i < header.size(); ++i)
    if (header[i] == name) return static_cast<int>(i);
  return -1;
}

// The value of <TD id=inputValueN> in the decoded report page.
std::string InputValue(const std::string& page, int n) {
  std::string marker = "<TD id=inputValue" + std::to_string(n) + ">";
  size_t at = page.find(marker);
  if (at == std::string::npos) return "";
  at += marker.size();
  return page.substr(at, page.find('<', at) - at);
}

class StandInStepWalk : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override { Settings::OverrideAppFolder(testsupport::ScratchFolder().c_str()); }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
};

}  // namespace

TEST_P(StandInStepWalk, OneStepByHandAndTheSavedReportHoldsTheBestTest) {
  StartOptions start;
  std::string param = GetParam();
  start.version = param.substr(0, 3);
  if (param.find("strict") != std::string::npos) start.control = "Strict=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());

  // 1. Symbol and interval.
  ASSERT_TRUE(FormatSymbol(ts, "CSCO", "15")) << FirstChartTitle(ts);

  // 2. Strategy inputs: a range for the first input, a single value for the second.
  StrategiesDialog strategies = OpenStrategies(ts);
  ASSERT_TRUE(strategies.dialog);
  ASSERT_TRUE(strategies.page);
  ASSERT_TRUE(strategies.list);
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(strategies.page, 6635))) << "the strategy is on";
  InputsDialog inputs = OpenInputs(ts, strategies);
  ASSERT_TRUE(inputs.list);
  EXPECT_EQ(TextOf(inputs.dialog), "Format Strategy: MovAvg Cross");
  SelectRowByKeys(inputs.list, 0);
  HWND range = OptimizeSelectedRow(ts, inputs, "4", "12", "4");
  ASSERT_TRUE(range);
  ASSERT_FALSE(IsWindow(range)) << "the range was accepted";
  SelectRowByKeys(inputs.list, 1);
  ASSERT_TRUE(TypeInPlace(inputs.list, "30"));
  std::vector<std::string> rows = ListRows(inputs.list, 2);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[0], "FastLength|4..12:4|");
  EXPECT_EQ(rows[1], "SlowLength|30|");
  ConfirmStrategies(inputs, strategies);

  // 3. The optimisation, until TradeStation's Abort button is gone; the chart draws again.
  ASSERT_TRUE(WaitOptimization(ts));
  HWND view = FirstChartView(ts);
  EXPECT_TRUE(WaitFor([&] { return CountColours(view) >= 3; }));

  // 4. The reports.
  std::string folder = testsupport::ScratchFolder();
  std::string mht = folder + "/CSCO_15min.MHT", csv = folder + "/CSCO_15min-OptList.CSV";
  HWND performance = ShowPerformanceReport(ts);
  ASSERT_TRUE(performance);
  // Under the strict preset the title goes on with the report's date range.
  EXPECT_EQ(
      TextOf(performance).rfind("TradeStation Strategy Performance Report - MovAvg Cross CSCO-15 min", 0), 0u)
      << TextOf(performance);
  ASSERT_TRUE(SaveReport(ts, performance, 'M', mht));
  HWND optimization = ShowOptimizationReport(ts);
  ASSERT_TRUE(optimization);
  ASSERT_TRUE(SaveReport(ts, optimization, 'C', csv));
  PostMessageA(performance, WM_CLOSE, 0, 0);
  PostMessageA(optimization, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitGone(performance));
  EXPECT_TRUE(WaitGone(optimization));

  // 5. The optimisation list: one line per test; the best by net profit.
  auto lines = CsvLines(testsupport::ReadFile(csv));
  ASSERT_EQ(lines.size(), 4u) << "a header and tests 4, 8, 12";
  const auto& header = lines[0];
  int fastColumn = Column(header, "FastLength"), netColumn = Column(header, "All: Net Profit"),
      tradesColumn = Column(header, "All: Total Trades");
  ASSERT_GE(fastColumn, 0);
  ASSERT_GE(netColumn, 0);
  ASSERT_GE(tradesColumn, 0);
  EXPECT_EQ(Column(header, "SlowLength"), -1) << "only the optimised inputs are columns";
  size_t best = 1;
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i][0], std::to_string(i));
    EXPECT_EQ(lines[i][static_cast<size_t>(fastColumn)], std::to_string(4 * i));
    if (std::stod(lines[i][static_cast<size_t>(netColumn)]) >
        std::stod(lines[best][static_cast<size_t>(netColumn)]))
      best = i;
  }
  double bestNet = std::stod(lines[best][static_cast<size_t>(netColumn)]);
  int bestTrades = std::stoi(lines[best][static_cast<size_t>(tradesColumn)]);

  // 6. The saved report, read by the core's report loader, holds the best test's trades.
  TradeStatistics stats(5000);
  CTxt msg;
  ReportHeader reportHeader;
  int trades = LoadTradeReport(mht.c_str(), stats, msg, &reportHeader);
  ASSERT_GT(trades, 0) << msg;
  EXPECT_EQ(trades, bestTrades);
  double net = 0;
  for (const Trade& t : stats.GetTrades()) net += t.profit;
  EXPECT_NEAR(net, bestNet, 0.01 * trades);
  EXPECT_STREQ(reportHeader.symbol, "CSCO");
  std::string page;
  ASSERT_EQ(LoadReportPage(mht.c_str(), page, msg), 0);
  EXPECT_EQ(InputValue(page, 1), lines[best][static_cast<size_t>(fastColumn)]) << "the best FastLength";
  EXPECT_EQ(InputValue(page, 2), "30") << "the single value";
}

INSTANTIATE_TEST_SUITE_P(Versions, StandInStepWalk, ::testing::Values("9.5", "8.8", "9.5 strict"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = std::string("Version") + (info.param[0] == '9' ? "95" : "88");
                           return std::strstr(info.param, "strict") ? name + "Strict" : name;
                         });
