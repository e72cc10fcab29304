// Finding TradeStation against the stand-in: main and chart windows, live titles of versions 8.8, 9.1
// and 9.5, the installation folder chosen among several, the version and the charting process.
#include <windows.h>

#include <filesystem>

#include "DriverTestSupport.h"
#include "foundation/TxtArray.h"

namespace fs = std::filesystem;
using drivertest::DriverTest;
using drivertest::StartStandIn;

namespace {

TEST_F(DriverTest, NoTradeStationGivesTheFixedText) {
  TsDriver driver;
  CTxt text;
  EXPECT_EQ(driver.FindMainWindow(text), nullptr);
  EXPECT_STREQ(text, "TradeStation not opened - Start TradeStation now and click OK");
  EXPECT_STREQ(driver.ProductLabel(), "TradeStation");
  EXPECT_EQ(driver.CheckMainWindow(), -1);
  SPtrArray charts;
  EXPECT_EQ(FindChartWindows(charts), 0);
}

TEST_F(DriverTest, MainWindowFoundAndCheckedUntilItCloses) {
  auto ts = StartStandIn();
  ASSERT_NE(ts->Main(), nullptr);
  TsDriver driver;
  CTxt title;
  EXPECT_EQ(driver.FindMainWindow(title), ts->Main());
  EXPECT_EQ(title.ToStd(), standin::TextOf(ts->Main()));
  EXPECT_EQ(driver.CheckMainWindow(), 0);
  ts.reset();
  EXPECT_EQ(driver.CheckMainWindow(), -2);
}

TEST_F(DriverTest, OneChartCountsOnceAndASecondChartTwice) {
  auto ts = StartStandIn();
  standin::FirstChartView(*ts);
  SPtrArray charts;
  EXPECT_EQ(FindChartWindows(charts), 1);
  EXPECT_EQ(charts.GetAt(0), static_cast<void*>(standin::ChartWindows(ts->Pid(), ts->Main()).front()));
  ts->SetControl("SecondChart=1");
  ASSERT_TRUE(standin::WaitFor([&] { return FindChartWindows(charts) == 2; }, 5000));
}

TEST_F(DriverTest, ChartWindowOfEitherClassAndMaximisedRule) {
  standin::StartOptions options;
  options.control = "ChartClass=8655";
  auto ts = StartStandIn(options);
  HWND chart = standin::ChartWindows(ts->Pid(), ts->Main()).front();
  CTxt title;
  EXPECT_EQ(FindChartWindow(title, 1), chart);
  EXPECT_EQ(title.ToStd(), standin::TextOf(chart));
  ts->SetControl("ChartClass=8655\nNotMaximized=1");
  ASSERT_TRUE(standin::WaitFor([&] { return !tsdriver::IsMaximised(chart); }, 5000));
  EXPECT_EQ(FindChartWindow(title, 1), nullptr);
  EXPECT_EQ(FindChartWindow(title, 0), chart);
}

// The live main title of each version parses into desktop, workspace, symbol and interval.
class LiveTitles : public DriverTest, public testing::WithParamInterface<const char*> {};

TEST_P(LiveTitles, MainAndChartTitlesParse) {
  standin::StartOptions options;
  options.version = GetParam();
  auto ts = StartStandIn(options);
  standin::FirstChartView(*ts);
  TsDriver driver;
  CTxt title, desktop, workspace, symbol, interval, chartSymbol, chartInterval;
  ASSERT_TRUE(standin::WaitFor(
      [&] {
        driver.FindMainWindow(title);
        return SplitTSMainTitle(title, desktop, workspace, symbol, interval) == 4;
      },
      5000))
      << title.ToStd();
  EXPECT_STREQ(desktop, "Desktop");
  EXPECT_STREQ(workspace, "Tavrin Sample");
  CTxt chartTitle;
  ASSERT_NE(FindChartWindow(chartTitle, 0), nullptr);
  EXPECT_EQ(SplitChartTitle(chartTitle, chartSymbol, chartInterval), 2);
  EXPECT_EQ(symbol.ToStd(), chartSymbol.ToStd());
  EXPECT_EQ(interval.ToStd(), chartInterval.ToStd());
  CTxt product;
  SplitTSMainTitleNoPrefix(title, desktop, workspace, symbol, interval, product);
  EXPECT_EQ(product.IsFilled(), std::string(GetParam()).rfind("8.", 0) == 0) << product.ToStd();
}

INSTANTIATE_TEST_SUITE_P(Versions, LiveTitles, testing::Values("8.8", "9.1", "9.5"));

TEST_F(DriverTest, ChartingProcessIsFound) {
  auto ts = StartStandIn();
  EXPECT_EQ(FindProcessId("ORCHART.EXE"), ts->Pid());
  EXPECT_EQ(FindProcessId("no-such-program.exe"), 0u);
}

// ---- The installation folder
// -------------------------------------------------------------------------------

// An installation folder under "Program Files (x86)" whose Logs folder was last written at the given year.
class Installation {
 public:
  Installation(const std::string& name, int year) {
    path_ = standin::ProgramFilesX86() + "/" + name;
    fs::create_directories(path_ + "/Logs");
    std::string log = path_ + "/Logs/orchart.log";
    testsupport::WriteFile(log, "log\r\n");
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = 6;
    st.wDay = 1;
    st.wHour = 12;
    FILETIME ft{};
    SystemTimeToFileTime(&st, &ft);
    HANDLE h =
        CreateFileA(log.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
  }
  ~Installation() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Log times far in the future, so that the two installations win over any other on this machine.
TEST_F(DriverTest, TheInstallationWhoseLogWasWrittenLastWins) {
  for (int newer : {0, 1}) {
    Installation v88("Tradestation 8.8", newer == 0 ? 2091 : 2090);
    Installation v95("TradeStation 9.5", newer == 1 ? 2091 : 2090);
    TsDriver driver;
    CTxt folder;
    ASSERT_EQ(driver.GetTsBaseFolder(folder, 1, 0), 0) << folder.ToStd();
    const std::string& expected = newer == 0 ? v88.Path() : v95.Path();
    EXPECT_EQ(CompareNoCase(folder, expected.c_str()), 0) << folder.ToStd();
    EXPECT_EQ(driver.GetTsVersion(), newer == 0 ? 88 : 95);
    CTxt current;
    Settings::GetString("Tavrin", "TSCurr", "", current);
    EXPECT_EQ(CompareNoCase(current, expected.c_str()), 0);
  }
}

TEST_F(DriverTest, MissingTSHomeFallsBackToTheScanAndStaysAsItWas) {
  Installation v95("TradeStation 9.5", 2092);
  std::string missing = standin::ProgramFilesX86() + "/TradeStation 9.5 gone";
  Set("TSHome", missing.c_str());
  TsDriver driver;
  CTxt folder;
  ASSERT_EQ(driver.GetTsBaseFolder(folder, 1, 0), 0);
  EXPECT_EQ(CompareNoCase(folder, v95.Path().c_str()), 0) << folder.ToStd();
  CTxt home, current;
  Settings::GetString("Tavrin", "TSHome", "", home);
  Settings::GetString("Tavrin", "TSCurr", "", current);
  EXPECT_EQ(home.ToStd(), missing);
  EXPECT_EQ(CompareNoCase(current, v95.Path().c_str()), 0);
}

TEST_F(DriverTest, ExistingTSHomeIsUsedAndWrittenToBoth) {
  Installation v88("Tradestation 8.8", 2000);
  std::string home = v88.Path();
  CTxt dosHome = home.c_str();
  dosHome.MakeFnDOS();
  Set("TSHome", ("  " + dosHome.ToStd() + "  ").c_str());
  TsDriver driver;
  CTxt folder;
  ASSERT_EQ(driver.GetTsBaseFolder(folder, 0, 0), 0);
  EXPECT_EQ(folder.ToStd(), home);
  EXPECT_EQ(driver.GetTsVersion(), 88);
  CTxt written;
  Settings::GetString("Tavrin", "TSHome", "", written);
  EXPECT_EQ(written.ToStd(), home);
  // Known and not rescanned: unchanged even when the setting changes.
  Set("TSHome", "");
  ASSERT_EQ(driver.GetTsBaseFolder(folder, 0, 0), 0);
  EXPECT_EQ(folder.ToStd(), home);
}

TEST_F(DriverTest, BaseFolderNeedsTheMainWindowWhenAsked) {
  TsDriver driver;
  CTxt folder;
  EXPECT_EQ(driver.GetTsBaseFolder(folder, 1, 1), -3);
  EXPECT_STREQ(folder, "TradeStation not opened - Start TradeStation now and click OK");
  EXPECT_EQ(driver.GetTsVersion(), -1);
}

}  // namespace
