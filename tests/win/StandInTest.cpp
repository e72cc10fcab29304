// The stand-in TradeStation under Wine: main window, titles per version, chart windows and views,
// installation folder, download log and cache files, options and the control file.
#include <windows.h>
// psapi.h needs the types of windows.h
#include <gtest/gtest.h>
#include <psapi.h>

#include "StandInHarness.h"
#include "TestSupport.h"
#include "tsdriver/TsFacts.h"

using namespace standin;

namespace {

const char kMsftChart[] = "Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp";

std::string Read(const std::string& path) {
  return testsupport::ReadFile(path);
}

}  // namespace

// The shared facts header says what TradeStation shows; these are the values written out.
TEST(TsFacts, HoldTradeStationsValues) {
  EXPECT_STREQ(tsfacts::kMainWindowClass, "ORPLAT.EXE TRADESTATION");
  EXPECT_STREQ(tsfacts::kChartWindowClass8455, "ORContainerMDIChildFrame:8455");
  EXPECT_STREQ(tsfacts::kChartWindowClass8655, "ORContainerMDIChildFrame:8655");
  EXPECT_STREQ(tsfacts::kChartViewClass, "ORInPlaceFrame");
  EXPECT_STREQ(tsfacts::kChartingProcessModule, "orchart.exe");
  EXPECT_EQ(tsfacts::kCmdMoreWorkspaces, 17529);
  EXPECT_EQ(tsfacts::kCmdOpenWorkspace, 17530);
  EXPECT_EQ(tsfacts::kCmdSaveWorkspace, 17531);
  EXPECT_EQ(tsfacts::kCmdCloseWorkspace, 17532);
  EXPECT_EQ(tsfacts::kCmdSaveWorkspaceAs, 17793);
  EXPECT_EQ(tsfacts::kCmdFormatSymbol, 17556);
  EXPECT_EQ(tsfacts::kWorkspaceListId, 17169);
  EXPECT_EQ(tsfacts::kSaveWorkspaceYesId, 17212);
  EXPECT_EQ(tsfacts::kSaveWorkspaceNoId, 17213);
  EXPECT_EQ(tsfacts::kBarKindListId, 7272);
  EXPECT_EQ(tsfacts::kTimeZoneComboId, 6589);
  EXPECT_EQ(tsfacts::kSymbolComboId, 6629);
  EXPECT_EQ(tsfacts::kKaseUnitComboId, 7563);
  EXPECT_STREQ(tsfacts::kKaseUnitMinute, "1  Minute");
  EXPECT_EQ(tsfacts::kCommandLineErrorTextId, 3509);
  EXPECT_EQ(tsfacts::kChartingBoxButtonId, 1010);
  EXPECT_STREQ(tsfacts::kTitlePrefixes[2], "TradeStation Version 9.1 - ");
}

TEST(StandInMainWindow, PresentsMainWindowChartAndViewOnVersion95) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  EXPECT_EQ(ClassOf(ts.Main()), "ORPLAT.EXE TRADESTATION");
  EXPECT_TRUE(
      WaitTitle(ts.Main(), std::string("TradeStation 9.5 - Desktop - Tavrin Sample - [") + kMsftChart + "]"))
      << TextOf(ts.Main());

  std::vector<HWND> charts = ChartWindows(ts.Pid(), ts.Main());
  ASSERT_EQ(charts.size(), 1u);
  HWND chart = charts[0];
  EXPECT_EQ(ClassOf(chart), "ORContainerMDIChildFrame:8455");
  EXPECT_EQ(TextOf(chart), kMsftChart);
  LONG style = GetWindowLongA(chart, GWL_STYLE);
  EXPECT_TRUE(style & WS_MAXIMIZE);
  EXPECT_FALSE(style & 0x00080000L) << "a maximised chart has no system-menu style";
  EXPECT_EQ(GetParent(GetParent(chart)), ts.Main()) << "charts are MDI children of the main window";

  HWND view = ChartView(chart);
  ASSERT_TRUE(view);
  EXPECT_EQ(GetParent(view), chart);
  EXPECT_TRUE(IsWindowEnabled(view));
}

TEST(StandInMainWindow, RunsAsOrchartExe) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  char name[MAX_PATH] = "";
  GetModuleBaseNameA(ts.Process(), nullptr, name, MAX_PATH);
  EXPECT_STRCASEEQ(name, "orchart.exe");
}

TEST(StandInMainWindow, TitleOfVersion88HasTheProductInItsFirstSegment) {
  StartOptions setup;
  setup.version = "8.8";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(
      WaitTitle(ts.Main(), std::string("Tradestation 8.8 - Desktop - Tavrin Sample - [") + kMsftChart + "]"))
      << TextOf(ts.Main());
}

TEST(StandInMainWindow, TitleOfVersion91) {
  StartOptions setup;
  setup.version = "9.1";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(
      WaitTitle(ts.Main(), std::string("TradeStation 9.1 - Desktop - Tavrin Sample - [") + kMsftChart + "]"))
      << TextOf(ts.Main());
}

TEST(StandInMainWindow, TitleWithoutWorkspaceStartsWithChartAnalysis) {
  StartOptions setup;
  setup.control = "TitleShowsWorkspace=0\n";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(WaitTitle(ts.Main(), std::string("TradeStation 9.5 - ") + kMsftChart)) << TextOf(ts.Main());
}

TEST(StandInMainWindow, TitleFollowsDesktopAndWorkspace) {
  StartOptions setup;
  setup.workspace = "";
  setup.extraArgs = {"--Desktop=Trading"};
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(WaitTitle(ts.Main(), "TradeStation 9.5 - Trading")) << TextOf(ts.Main());
  EXPECT_TRUE(ChartWindows(ts.Pid(), ts.Main()).empty());
  ASSERT_TRUE(RunCommandLine(ts.Main(), ".Open " + ts.WorkspacePath("Sample IBM Daily")));
  EXPECT_TRUE(WaitTitle(ts.Main(),
                        "TradeStation 9.5 - Trading - Sample IBM Daily - [Chart Analysis - IBM Daily [NYSE] "
                        "International Business Machines Corp]"))
      << TextOf(ts.Main());
}

TEST(StandInMainWindow, ChartClassCanBe8655) {
  StartOptions setup;
  setup.extraArgs = {"--ChartClass=8655"};
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return !ChartWindows(ts.Pid(), ts.Main()).empty(); }));
  EXPECT_EQ(ClassOf(ChartWindows(ts.Pid(), ts.Main())[0]), "ORContainerMDIChildFrame:8655");
}

TEST(StandInChart, ViewShowsFewColoursWhileLoadingAndManyOnceLoaded) {
  StartOptions setup;
  setup.control = "NeverLoad=1\n";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  HWND view = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    auto charts = ChartWindows(ts.Pid(), ts.Main());
    return !charts.empty() && (view = ChartView(charts[0])) != nullptr;
  }));
  // Many load periods in fast mode, and never more than the loading picture's colours.
  EXPECT_FALSE(WaitFor([&] { return CountColours(view) >= 3; }, 300));
  ts.SetControl("");
  EXPECT_TRUE(WaitFor([&] { return CountColours(view) >= 10; })) << CountColours(view);
}

TEST(StandInChart, InstallationFolderHoldsWorkFolderLogsCacheAndSamples) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  for (const char* sub : {"/MyWork", "/Logs", "/Program/Cache", "/MyWork/Tavrin Sample.tsw",
                          "/MyWork/Sample Multi Data.tsw", "/MyWork/Sample IBM Daily.tsw"})
    EXPECT_TRUE(testsupport::FileExists(ts.Folder() + sub)) << sub;
  EXPECT_NE(ts.Folder().find("TradeStation 9.5"), std::string::npos);
}

TEST(StandInChart, Version95WritesNoDownloadLogNorCache) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return ts.ActivityLog().find("chart loaded") != std::string::npos; }));
  EXPECT_FALSE(testsupport::FileExists(ts.Folder() + "/Logs/archmsgs.log"));
  EXPECT_FALSE(testsupport::FileExists(ts.Folder() + "/Program/Cache/M/MSFT.min"));
}

TEST(StandInChart, Version88WritesDownloadLogAndCacheThatStopsChanging) {
  StartOptions setup;
  setup.version = "8.8";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  std::string log = ts.Folder() + "/Logs/archmsgs.log";
  ASSERT_TRUE(WaitFor([&] { return Read(log).find("Success, request for MSFT (") != std::string::npos; }))
      << Read(log);
  std::string text = Read(log);
  size_t download = text.find(", Downloading, request for MSFT, 5 min, ");
  size_t success = text.find(", Success, request for MSFT (");
  ASSERT_NE(download, std::string::npos) << text;
  EXPECT_LT(download, success);
  EXPECT_NE(text.find(" bars).\r\n", success), std::string::npos) << text;
  // "MM/DD/YYYY HH:MM:SS.mmm" opens each line.
  EXPECT_EQ(text[2], '/');
  EXPECT_EQ(text[5], '/');
  EXPECT_EQ(text[13], ':');
  EXPECT_EQ(text[19], '.');

  std::string cache = ts.Folder() + "/Program/Cache/M/MSFT.min";
  ASSERT_TRUE(testsupport::FileExists(cache));
  WIN32_FILE_ATTRIBUTE_DATA before{}, after{};
  GetFileAttributesExA(cache.c_str(), GetFileExInfoStandard, &before);
  EXPECT_FALSE(WaitFor(
      [&] {
        GetFileAttributesExA(cache.c_str(), GetFileExInfoStandard, &after);
        return CompareFileTime(&before.ftLastWriteTime, &after.ftLastWriteTime) != 0;
      },
      300))
      << "the cache is left alone after loading";
}

TEST(StandInChart, Version90IsAnEarlierVersionWithDownloadLogAndCache) {
  StartOptions setup;
  setup.version = "9.0";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).rfind("TradeStation 9.0 - Desktop - Tavrin Sample - [", 0) == 0;
  })) << TextOf(ts.Main());
  std::string log = ts.Folder() + "/Logs/archmsgs.log";
  ASSERT_TRUE(WaitFor([&] { return Read(log).find("Success, request for MSFT (") != std::string::npos; }))
      << Read(log);
  EXPECT_NE(Read(log).find(", Downloading, request for MSFT, 5 min, "), std::string::npos);
  EXPECT_TRUE(testsupport::FileExists(ts.Folder() + "/Program/Cache/M/MSFT.min"));
}

TEST(StandInChart, Version91WritesNoDownloadLogNorCache) {
  StartOptions setup;
  setup.version = "9.1";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return ts.ActivityLog().find("chart loaded") != std::string::npos; }));
  EXPECT_FALSE(testsupport::FileExists(ts.Folder() + "/Logs/archmsgs.log"));
  EXPECT_FALSE(testsupport::FileExists(ts.Folder() + "/Program/Cache/M/MSFT.min"));
}

TEST(StandInChart, Version88MultiDataChartLogsEachDataTrackInTurn) {
  StartOptions setup;
  setup.version = "8.8";
  setup.workspace = "Sample Multi Data";  // MSFT and SPY
  setup.control = "ChartLoadMs=3000\n";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  std::string log = ts.Folder() + "/Logs/archmsgs.log";
  ASSERT_TRUE(WaitFor([&] { return Read(log).find("Downloading, request for MSFT, ") != std::string::npos; }))
      << Read(log);
  std::string early = Read(log);
  EXPECT_EQ(early.find("SPY"), std::string::npos) << "while Data1 loads its line is the newest\n" << early;
  ASSERT_TRUE(
      WaitFor([&] { return Read(log).find("Success, request for SPY (") != std::string::npos; }, 8000))
      << Read(log);
  std::string text = Read(log);
  size_t msftDown = text.find(", Downloading, request for MSFT, 5 min, ");
  size_t msftDone = text.find(", Success, request for MSFT (");
  size_t spyDown = text.find(", Downloading, request for SPY, 5 min, ");
  size_t spyDone = text.find(", Success, request for SPY (");
  ASSERT_NE(msftDown, std::string::npos) << text;
  ASSERT_NE(spyDown, std::string::npos) << text;
  EXPECT_LT(msftDown, msftDone) << text;
  EXPECT_LT(msftDone, spyDown) << text;
  EXPECT_LT(spyDown, spyDone) << text;
  EXPECT_TRUE(WaitFor([&] { return ts.ActivityLog().find("chart loaded") != std::string::npos; }));
  EXPECT_TRUE(testsupport::FileExists(ts.Folder() + "/Program/Cache/S/SPY.min"));
}

TEST(StandInChart, Version88CacheKeepsBeingRewrittenWhileTheChartLoads) {
  StartOptions setup;
  setup.version = "8.8";
  setup.control = "NeverLoad=1\n";
  StandIn ts(setup);
  ASSERT_TRUE(ts.Main());
  std::string cache = ts.Folder() + "/Program/Cache/M/MSFT.min";
  ASSERT_TRUE(WaitFor([&] { return testsupport::FileExists(cache); }));
  std::string first = Read(cache);
  EXPECT_TRUE(WaitFor([&] { return Read(cache) != first; }, 2000));
  EXPECT_EQ(Read(ts.Folder() + "/Logs/archmsgs.log").find("Success"), std::string::npos);
}

TEST(StandInOptions, ControlFileIsReadAgainWhileRunning) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("[Chart Analysis") != std::string::npos; }));
  // Written without telling the stand-in: it notices the change by itself.
  testsupport::WriteFile(ts.ControlPath(), "Desktop=Polled\n");
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).rfind("TradeStation 9.5 - Polled - Tavrin Sample", 0) == 0;
  })) << TextOf(ts.Main());
  ts.SetControl("");
  EXPECT_TRUE(WaitFor([&] { return TextOf(ts.Main()).rfind("TradeStation 9.5 - Desktop - ", 0) == 0; }));
}

TEST(StandInOptions, QuitEndsTheProcessCleanly) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("Quit=1\n");
  EXPECT_EQ(ts.WaitExit(5000), 0);
}

TEST(StandInOptions, CrashAfterEndsTheProcess) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("CrashAfterMs=50\n");
  EXPECT_EQ(ts.WaitExit(5000), 3);
}
