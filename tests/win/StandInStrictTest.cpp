// The stand-in TradeStation's harder world under Wine: charts of background workspaces that keep their
// windows, workspaces without changes that close without asking, and the strict preset that switches
// such behaviours on together.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

const char kIbmTitle[] =
    "TradeStation 9.5 - Desktop - Sample IBM Daily - [Chart Analysis - IBM Daily [NYSE] International "
    "Business Machines Corp]";
const char kMsftTitle[] =
    "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp]";

StartOptions TwoWorkspaces(const std::string& control) {
  StartOptions start;
  start.workspace = "Tavrin Sample|Sample IBM Daily";
  start.control = control;
  return start;
}

int VisiblePrompts(const StandIn& ts) {
  int prompts = 0;
  for (HWND h : TopWindows(ts.Pid()))
    if (IsWindowVisible(h) && TextOf(h) == "Save Workspace") ++prompts;
  return prompts;
}

// Activates the open workspace `name` through "More Workspaces".
bool ActivateThroughMoreWorkspaces(const StandIn& ts, const std::string& name) {
  PostCommand(ts.Main(), 17529);
  HWND dialog = WaitTop(ts.Pid(), "", "More Workspaces");
  if (!dialog) return false;
  HWND list = GetDlgItem(dialog, 17169);
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    if (ListBoxText(list, i) != name) continue;
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    PostClick(dialog, IDOK);
    return WaitGone(dialog);
  }
  return false;
}

}  // namespace

TEST(StandInInactiveCharts, BackgroundWorkspaceKeepsItsChartWindowBehindTheActiveOne) {
  StandIn ts(TwoWorkspaces("InactiveChartsStay=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  std::vector<HWND> charts;
  ASSERT_TRUE(WaitFor([&] { return (charts = ChartWindows(ts.Pid(), ts.Main())).size() == 2; }))
      << "a window search meets the charts of both workspaces";
  int ibm = TextOf(charts[0]).find("IBM") != std::string::npos ? 0 : 1;
  EXPECT_NE(TextOf(charts[1 - ibm]).find("Chart Analysis - MSFT 5 min"), std::string::npos);
  HWND active = reinterpret_cast<HWND>(SendMessageA(GetParent(charts[0]), WM_MDIGETACTIVE, 0, 0));
  EXPECT_EQ(active, charts[ibm]) << "the active workspace's chart is in front";

  ASSERT_TRUE(ActivateThroughMoreWorkspaces(ts, "Tavrin Sample"));
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << TextOf(ts.Main());
  EXPECT_TRUE(IsWindow(charts[0]) && IsWindow(charts[1])) << "the same two windows, none made again";
  EXPECT_EQ(ChartWindows(ts.Pid(), ts.Main()).size(), 2u);
}

TEST(StandInInactiveCharts, WithoutTheOptionOnlyTheActiveWorkspaceHasAChartWindow) {
  StandIn ts(TwoWorkspaces(""));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  EXPECT_EQ(ChartWindows(ts.Pid(), ts.Main()).size(), 1u);
}

TEST(StandInInactiveCharts, ClosingTheBackgroundWorkspaceTakesItsChartWindow) {
  StandIn ts(TwoWorkspaces("InactiveChartsStay=1\nUnchangedCloseNoPrompt=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  ASSERT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 2; }));
  PostCommand(ts.Main(), 17532);
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << TextOf(ts.Main());
  std::vector<HWND> left = ChartWindows(ts.Pid(), ts.Main());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_NE(TextOf(left[0]).find("MSFT"), std::string::npos);
}

TEST(StandInUnchangedClose, RepeatedCloseCommandsCloseOneUnchangedWorkspaceEach) {
  StandIn ts(TwoWorkspaces("UnchangedCloseNoPrompt=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  std::string ibm = testsupport::ReadFile(ts.WorkspacePath("Sample IBM Daily"));
  PostCommand(ts.Main(), 17532);
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << "closed at once: " << TextOf(ts.Main());
  PostCommand(ts.Main(), 17532);
  EXPECT_TRUE(WaitTitle(ts.Main(), "TradeStation 9.5 - Desktop")) << "the second command closes the next one";
  EXPECT_EQ(VisiblePrompts(ts), 0);
  EXPECT_TRUE(ChartWindows(ts.Pid(), ts.Main()).empty());
  EXPECT_EQ(testsupport::ReadFile(ts.WorkspacePath("Sample IBM Daily")), ibm) << "nothing written";
}

TEST(StandInUnchangedClose, AChangedWorkspaceStillAsks) {
  StandIn ts(TwoWorkspaces("UnchangedCloseNoPrompt=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  // A change through Format Symbol: OK with the dialog's own values still marks the chart changed.
  PostCommand(FirstChartView(ts), 17556);
  HWND format = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  ASSERT_TRUE(format);
  PostClick(format, IDOK);
  ASSERT_TRUE(WaitGone(format));
  ASSERT_TRUE(WaitFor([&] { return ts.ActivityLog().find("chart loaded") != std::string::npos; }));
  PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "#32770", "Save Workspace");
  ASSERT_TRUE(prompt) << "a changed workspace is not closed without asking";
  EXPECT_EQ(TextOf(ts.Main()).rfind("TradeStation 9.5 - Desktop - Sample IBM Daily", 0), 0u);
  PostClick(prompt, 17213);
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << TextOf(ts.Main());
}

TEST(StandInStrict, PresetSwitchesTheHarderBehavioursOn) {
  StandIn ts(TwoWorkspaces("Strict=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 2; })) << "InactiveChartsStay";
  PostCommand(ts.Main(), 17532);
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << "UnchangedCloseNoPrompt: " << TextOf(ts.Main());
  EXPECT_EQ(VisiblePrompts(ts), 0);
}

TEST(StandInStrict, AKeySetToZeroStaysOffUnderThePreset) {
  StandIn ts(TwoWorkspaces("Strict=1\nInactiveChartsStay=0\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  EXPECT_EQ(ChartWindows(ts.Pid(), ts.Main()).size(), 1u);
  PostCommand(ts.Main(), 17532);
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << "the rest of the preset still holds";
}
