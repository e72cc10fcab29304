// The stand-in TradeStation's performance report window titles under Wine: with the date range of the
// report's header in the title, two reports of the same strategy, symbol and interval over other dates
// are told apart by their titles.
#include <windows.h>
#include <gtest/gtest.h>

#include <regex>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"
#include "execution/ReportLoader.h"

using namespace standin;

namespace {

const std::regex kRangeAtEnd(R"( \((\d{1,2}/\d{1,2}/\d{4}) - (\d{1,2}/\d{1,2}/\d{4})\)$)");

// Sets the chart's first date through Format Symbol and waits for the new load.
bool SetFirstDate(const StandIn& ts, int month, int day, int year) {
  size_t loads = 0;
  for (size_t at = ts.ActivityLog().find("chart loaded"); at != std::string::npos;
       at = ts.ActivityLog().find("chart loaded", at + 1))
    ++loads;
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!dialog) return false;
  HWND page = nullptr;
  for (HWND p : ChildrenOfClass(dialog, "#32770"))
    if (GetDlgItem(p, 7272)) page = p;
  if (!page) return false;
  if (SendMessageA(GetDlgItem(page, 7252), BM_GETCHECK, 0, 0) != BST_CHECKED) PostClick(page, 7252);
  HWND first = GetDlgItem(page, 6675);
  TypeDate(first, month, day, year);
  char want[16];
  std::snprintf(want, sizeof want, "%02d/%02d/%04d", month, day, year);
  if (!WaitFor([&] { return TextOf(first) == want; })) return false;
  PostClick(dialog, IDOK);
  if (!WaitGone(dialog)) return false;
  return WaitFor([&] {
    size_t n = 0;
    std::string log = ts.ActivityLog();
    for (size_t at = log.find("chart loaded"); at != std::string::npos; at = log.find("chart loaded", at + 1))
      ++n;
    return n > loads;
  });
}

}  // namespace

TEST(StandInReportTitle, TitleEndsWithTheHeadersDateRange) {
  StartOptions start;
  start.control = "ReportTitleRange=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  std::string title = TextOf(report);
  EXPECT_EQ(title.rfind("TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min", 0), 0u)
      << title;
  std::smatch range;
  ASSERT_TRUE(std::regex_search(title, range, kRangeAtEnd)) << title;

  std::string path = ts.Folder() + "/report-title.mht";
  ASSERT_TRUE(SaveReport(ts, report, 'M', path));
  std::string page;
  CTxt msg;
  ASSERT_EQ(LoadReportPage(path.c_str(), page, msg), 0) << msg;
  std::string header = "(" + range[1].str() + " - " + range[2].str() + ")</DIV>";
  EXPECT_NE(page.find(header), std::string::npos) << "the same range as the report's header: " << header;
}

TEST(StandInReportTitle, TwoReportsOverOtherDatesAreDifferentWindowsWithDifferentTitles) {
  StartOptions start;
  start.control = "Strict=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND first = ShowPerformanceReport(ts);
  ASSERT_TRUE(first);
  std::string firstTitle = TextOf(first);
  SendMessageA(first, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitGone(first));

  ASSERT_TRUE(SetFirstDate(ts, 11, 1, 2012));
  HWND second = ShowPerformanceReport(ts);
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  std::string secondTitle = TextOf(second);
  EXPECT_NE(secondTitle, firstTitle) << "the driver must not take the second report for the one it saved";
  EXPECT_TRUE(std::regex_search(secondTitle, kRangeAtEnd)) << secondTitle;
}

TEST(StandInReportTitle, WithoutTheOptionTheTitleNamesOnlyStrategySymbolAndInterval) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  EXPECT_EQ(TextOf(report), "TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min");
}
