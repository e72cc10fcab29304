// The stand-in TradeStation's commands under Wine when they reach only their stated target: chart view
// commands posted to the main window, a main window disabled by a modal box, and the modal "TradeStation
// Charting" and "Symbol Lookup" pop-ups that hold a chart's loading until they are closed.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"

using namespace standin;

namespace {

StartOptions WithControl(const std::string& control) {
  StartOptions start;
  start.control = control;
  return start;
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Opens Format Symbol at the chart view and confirms it unchanged: the chart loads again.
bool ReloadThroughFormatSymbol(const StandIn& ts) {
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!dialog) return false;
  PostClick(dialog, IDOK);
  return WaitGone(dialog);
}

}  // namespace

TEST(StandInCommandTargets, ChartCommandsPostedToTheMainWindowDoNothing) {
  StandIn ts(WithControl("StrictCommandTargets=1\n"));
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17556);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(FindTop(ts.Pid(), "#32770", "Format Symbol")) << "the main window is not the chart view";
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  EXPECT_TRUE(dialog) << "the chart view takes it";
}

TEST(StandInCommandTargets, WithoutTheOptionTheMainWindowPassesChartCommandsOn) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17556);
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "Format Symbol -"));
}

TEST(StandInCommandTargets, AMainWindowDisabledByAModalBoxIgnoresCommands) {
  StandIn ts(WithControl("Strict=1\n"));
  ASSERT_TRUE(ts.Main());
  PostCommand(FirstChartView(ts), 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  ASSERT_TRUE(dialog);
  ASSERT_FALSE(IsWindowEnabled(ts.Main())) << "Format Symbol is modal";
  PostCommand(ts.Main(), 17529);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(FindTop(ts.Pid(), "", "More Workspaces")) << "ignored while disabled";
  PostClick(dialog, IDCANCEL);
  ASSERT_TRUE(WaitGone(dialog));
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(ts.Main()) != FALSE; }));
  PostCommand(ts.Main(), 17529);
  HWND list = WaitTop(ts.Pid(), "", "More Workspaces");
  EXPECT_TRUE(list) << "taken once enabled again";
}

TEST(StandInModalPopups, ChartingBoxIsModalAndHoldsTheLoadUntilClosed) {
  StandIn ts(WithControl("ModalPopups=1\nChartLoadMs=100\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitFirstChartLoaded());
  ts.SetControl("ModalPopups=1\nChartLoadMs=100\nChartingBox=1\n");
  HWND first = WaitTop(ts.Pid(), "#32770", "TradeStation Charting");
  ASSERT_TRUE(first);
  PostClick(first, 1010);
  ASSERT_TRUE(WaitGone(first));

  size_t loads = Occurrences(ts.ActivityLog(), "chart loaded");
  ASSERT_TRUE(ReloadThroughFormatSymbol(ts));
  HWND box = WaitTop(ts.Pid(), "#32770", "TradeStation Charting");
  ASSERT_TRUE(box);
  EXPECT_FALSE(IsWindowEnabled(ts.Main())) << "modal over the main window";
  EXPECT_FALSE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "chart loaded") > loads; }, 1500))
      << "ten times the load time passes without the load ending";
  PostClick(box, 1010);
  ASSERT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "chart loaded") > loads; }));
  EXPECT_TRUE(IsWindowEnabled(ts.Main()));
}

TEST(StandInModalPopups, SymbolLookupIsModalAndHoldsTheLoad) {
  StandIn ts(WithControl("ModalPopups=1\nChartLoadMs=100\nSymbolLookup=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitFirstChartLoaded());
  size_t loads = Occurrences(ts.ActivityLog(), "chart loaded");
  ASSERT_TRUE(ReloadThroughFormatSymbol(ts));
  HWND lookup = WaitTop(ts.Pid(), "#32770", "Symbol Lookup");
  ASSERT_TRUE(lookup);
  EXPECT_FALSE(IsWindowEnabled(ts.Main()));
  EXPECT_FALSE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "chart loaded") > loads; }, 1500));
  PostClick(lookup, IDOK);
  ASSERT_TRUE(WaitGone(lookup));
  EXPECT_TRUE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "chart loaded") > loads; }));
}
