// The stand-in TradeStation's optimisation and file timing under Wine: an Abort button that comes only after
// a start delay, one that is gone for a moment between two tests while the optimisation goes on, and a report
// file that grows in several writes.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

// A range on the first input ("2".."stop" by 2) and the dialogs confirmed: the optimisation starts.
bool StartOptimization(const StandIn& ts, const std::string& stop) {
  StrategiesDialog s = OpenStrategies(ts);
  if (!s.page) return false;
  InputsDialog in = OpenInputs(ts, s);
  if (!in.list) return false;
  SelectRowByKeys(in.list, 0);
  HWND range = OptimizeSelectedRow(ts, in, "2", stop, "2");
  if (!range || IsWindow(range)) return false;
  ConfirmStrategies(in, s);
  return true;
}

bool Logged(const StandIn& ts, const std::string& text) {
  return ts.ActivityLog().find(text) != std::string::npos;
}

}  // namespace

TEST(StandInOptimizationTiming, AbortButtonComesAfterTheStartDelay) {
  StartOptions start;
  start.control = "OptTestMs=100\nAbortStartMs=1500\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(StartOptimization(ts, "40"));
  ASSERT_TRUE(WaitFor([&] { return Logged(ts, "optimization started"); }));
  EXPECT_FALSE(FindAbortButton(ts)) << "no Abort button right after the start";
  EXPECT_TRUE(WaitFor([&] { return FindAbortButton(ts) != nullptr; })) << "but after the delay";
  EXPECT_FALSE(Logged(ts, "optimization done")) << "the optimisation still runs";
  EXPECT_TRUE(WaitOptimization(ts));
  EXPECT_TRUE(WaitFor([&] { return Logged(ts, "optimization done"); }));
}

TEST(StandInOptimizationTiming, AbortButtonVanishesBrieflyBetweenTests) {
  StartOptions start;
  start.control = "OptTestMs=600\nAbortGapMs=300\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(StartOptimization(ts, "20"));  // 10 tests, 6 seconds
  ASSERT_TRUE(WaitFor([&] { return FindAbortButton(ts) != nullptr; }));
  ASSERT_TRUE(WaitFor([&] { return FindAbortButton(ts) == nullptr; }, 3000)) << "gone between two tests";
  EXPECT_FALSE(Logged(ts, "optimization done")) << "while the optimisation goes on";
  EXPECT_TRUE(WaitFor([&] { return FindAbortButton(ts) != nullptr; }, 3000)) << "and back for the next test";
  EXPECT_TRUE(WaitFor([&] { return Logged(ts, "optimization done"); }, 20000));
  EXPECT_FALSE(FindAbortButton(ts));
}

TEST(StandInFileTiming, ReportFileGrowsInSeveralWritesWhileTheSavingBoxStays) {
  StartOptions start;
  start.control = "ReportGrowMs=3000\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  std::string path = ts.Folder() + "/growing.mht";
  // The harness takes a size that held still for 200 ms as complete: here that is only the first write.
  ASSERT_TRUE(SaveReport(ts, report, 'M', path));
  long long early = 0;
  {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
    early = static_cast<long long>(data.nFileSizeLow);
  }
  EXPECT_TRUE(FindTop(ts.Pid(), "#32770", "Saving Performance")) << "the box stays while the file grows";
  EXPECT_FALSE(Logged(ts, "report saved"));
  ASSERT_TRUE(WaitFor([&] { return Logged(ts, "report saved"); }, 10000));
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data));
  EXPECT_GT(static_cast<long long>(data.nFileSizeLow), early * 3) << "four writes of about equal size";
  EXPECT_TRUE(WaitFor([&] { return FindTop(ts.Pid(), "#32770", "Saving Performance") == nullptr; }))
      << "and goes when the file is complete";
}

TEST(StandInOptimizationTiming, ChartShowsOneColourWhileItRecalculatesAfterTheOptimization) {
  StartOptions start;
  start.control = "OptTestMs=20\nRecalcMs=2000\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(WaitFor([&] { return CountColours(view) >= 3; }));
  ASSERT_TRUE(StartOptimization(ts, "10"));
  ASSERT_TRUE(WaitFor([&] { return Logged(ts, "optimization done"); }, 10000));
  EXPECT_TRUE(WaitFor([&] { return CountColours(view) < 3; }, 1500)) << "one colour while recalculating";
  EXPECT_TRUE(WaitFor([&] { return Logged(ts, "chart recalculated"); }));
  EXPECT_TRUE(WaitFor([&] { return CountColours(view) >= 3; })) << "the bars again afterwards";
}

namespace {

// Reloads the chart unchanged through Format Symbol and waits for the load to end.
bool ReloadChart(const StandIn& ts) {
  std::string log = ts.ActivityLog();
  size_t loads = 0;
  for (size_t at = log.find("chart loaded"); at != std::string::npos; at = log.find("chart loaded", at + 1))
    ++loads;
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!dialog) return false;
  PostClick(dialog, IDOK);
  if (!WaitGone(dialog)) return false;
  return WaitFor([&] {
    std::string now = ts.ActivityLog();
    size_t n = 0;
    for (size_t at = now.find("chart loaded"); at != std::string::npos; at = now.find("chart loaded", at + 1))
      ++n;
    return n > loads;
  });
}

std::string DownloadLog(const StandIn& ts) {
  return testsupport::ReadFile(ts.Folder() + "/Logs/archmsgs.log");
}

}  // namespace

TEST(StandInFileTiming, CachedChartLoadWritesNoDownloadLogLines) {
  for (bool cachedNoLog : {true, false}) {
    SCOPED_TRACE(cachedNoLog);
    StartOptions start;
    start.version = "8.8";
    start.control = cachedNoLog ? "CachedLoadNoLog=1\n" : "";
    StandIn ts(start);
    ASSERT_TRUE(ts.Main());
    ASSERT_TRUE(WaitFor([&] { return Logged(ts, "chart loaded"); }));
    std::string before = DownloadLog(ts);
    ASSERT_NE(before.find("Success, request for MSFT"), std::string::npos) << "the first load downloads";
    ASSERT_TRUE(ReloadChart(ts));
    std::string after = DownloadLog(ts);
    if (cachedNoLog)
      EXPECT_EQ(after, before) << "the second load comes from the cache";
    else
      EXPECT_GT(after.size(), before.size()) << "without the option every load downloads";
  }
}
