// The stand-in TradeStation's command line and its injected faults under Wine.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {}  // namespace

TEST(StandInCommandLine, EditSitsInAComboInADialogUnderTheMainWindow) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  int found = 0;
  for (HWND h : Descendants(ts.Main())) {
    if (ClassOf(h) != "Edit" || GetDlgCtrlID(h) != 1001) continue;
    HWND combo = GetParent(h);
    if (ClassOf(combo) == "ComboBox" && ClassOf(GetParent(combo)) == "#32770") ++found;
  }
  EXPECT_EQ(found, 1);
}

TEST(StandInCommandLine, SymbolIntervalAndRangeChangeTheChart) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM 15 min 10 days"));
  EXPECT_TRUE(WaitFor([&] {
    return FirstChartTitle(ts) == "Chart Analysis - IBM 15 min [NYSE] International Business Machines Corp";
  })) << FirstChartTitle(ts);
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()) ==
           "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - IBM 15 min [NYSE] International "
           "Business "
           "Machines Corp]";
  })) << TextOf(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "SPY"));
  EXPECT_TRUE(WaitFor([&] { return FirstChartTitle(ts).rfind("Chart Analysis - SPY 15 min [", 0) == 0; }))
      << FirstChartTitle(ts);
}

TEST(StandInCommandLine, BadCommandRaisesCommandLineError) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "MSFT 5 fortnights"));
  HWND box = WaitTop(ts.Pid(), "#32770", "Command Line Error");
  ASSERT_TRUE(box);
  EXPECT_TRUE(DescendsFrom(box, ts.Main()));
  HWND text = GetDlgItem(box, 3509);
  ASSERT_TRUE(text);
  EXPECT_NE(TextOf(text).find("MSFT 5 fortnights"), std::string::npos) << TextOf(text);
  EXPECT_EQ(TextOf(GetDlgItem(box, IDOK)), "OK");
  SendMessageA(box, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  EXPECT_TRUE(WaitGone(box));
  EXPECT_EQ(FirstChartTitle(ts), "Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp");
}

TEST(StandInCommandLine, OpenCommandOpensAWorkspace) {
  StartOptions start;
  start.workspace = "";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), ".Open " + ts.WorkspacePath("Sample Two Charts")));
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 2; }));
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).rfind("TradeStation 9.5 - Desktop - Sample Two Charts", 0) == 0;
  })) << TextOf(ts.Main());
}

TEST(StandInFaults, NotMaximizedChartHasTheSystemMenuAndStaysInTheMainTitle) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("[Chart Analysis") != std::string::npos; }));
  ts.SetControl("NotMaximized=1\n");
  HWND chart = ChartWindows(ts.Pid(), ts.Main()).at(0);
  EXPECT_TRUE(WaitFor([&] { return !(GetWindowLongA(chart, GWL_STYLE) & WS_MAXIMIZE); }));
  EXPECT_TRUE(GetWindowLongA(chart, GWL_STYLE) & 0x00080000L);
  const std::string full =
      "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp]";
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_EQ(TextOf(ts.Main()), full) << "the active chart stays in the title when restored";
  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).rfind(
               "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - IBM 5 min [", 0) == 0;
  })) << TextOf(ts.Main());
  EXPECT_FALSE(GetWindowLongA(chart, GWL_STYLE) & WS_MAXIMIZE);
  ts.SetControl("");
  EXPECT_TRUE(WaitFor([&] { return (GetWindowLongA(chart, GWL_STYLE) & WS_MAXIMIZE) != 0; }));
  EXPECT_FALSE(GetWindowLongA(chart, GWL_STYLE) & 0x00080000L);
}

TEST(StandInFaults, SecondChartAndDisabledView) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 1; }));
  ts.SetControl("SecondChart=1\nDisableChartView=1\n");
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 2; }));
  for (HWND chart : ChartWindows(ts.Pid(), ts.Main())) {
    HWND view = ChartView(chart);
    ASSERT_TRUE(view);
    EXPECT_FALSE(IsWindowEnabled(view));
  }
  ts.SetControl("");
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 1; }));
  EXPECT_TRUE(IsWindowEnabled(ChartView(ChartWindows(ts.Pid(), ts.Main()).at(0))));
}

TEST(StandInFaults, LateAndMissingDialogs) {
  StartOptions start;
  start.control = "LateDialogs=FormatSymbol\nLateDialogMs=600\nMissingDialogs=MoreWorkspaces\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(view);
  PostCommand(view, 17556);
  EXPECT_FALSE(WaitTop(ts.Pid(), "#32770", "Format Symbol -", 250)) << "not yet";
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "Format Symbol -", 5000)) << "but later";
  PostCommand(ts.Main(), 17529);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(FindTop(ts.Pid(), "", "More Workspaces"));
}

TEST(StandInFaults, ChartingBoxWithButton1010) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("ChartingBox=1\n");
  HWND box = WaitTop(ts.Pid(), "#32770", "TradeStation Charting");
  ASSERT_TRUE(box);
  HWND button = GetDlgItem(box, 1010);
  ASSERT_TRUE(button);
  EXPECT_EQ(ClassOf(button), "Button");
  PostClick(box, 1010);
  EXPECT_TRUE(WaitGone(box));
  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));  // every chart load raises it again
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "TradeStation Charting"));
}

TEST(StandInFaults, SymbolLookupPopUp) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("SymbolLookup=1\n");
  HWND lookup = WaitTop(ts.Pid(), "#32770", "Symbol Lookup");
  ASSERT_TRUE(lookup);
  SendMessageA(lookup, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitGone(lookup));
  ASSERT_TRUE(RunCommandLine(ts.Main(), "CSCO"));
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "Symbol Lookup"));
}

TEST(StandInFaults, InvalidSymbolOnTheCommandLine) {
  StartOptions start;
  start.control = "InvalidSymbols=BOGUS\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "BOGUS"));
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_TRUE(DescendsFrom(box, ts.Main()));
}

TEST(StandInFaults, CrashAtFormatOkEndsTheProcess) {
  StartOptions start;
  start.control = "CrashAt=FormatOk\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(view);
  PostCommand(view, 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ts.WaitExit(0), -1) << "still running with the dialog open";
  PostClick(dialog, IDOK);
  EXPECT_EQ(ts.WaitExit(5000), 3);
}
