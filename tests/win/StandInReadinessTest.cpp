// The stand-in TradeStation's windows that are not ready at once under Wine: Format Symbol's OK text and
// Cancel that come late, error boxes, the in-place editor, the events log and the report boxes that come
// late or never, and the seeded jitter on every delay.
#include <windows.h>
#include <gtest/gtest.h>

#include <sstream>

#include "StandInHarness.h"
#include "StandInStrategyHarness.h"

using namespace standin;

namespace {

StartOptions WithControl(const std::string& control) {
  StartOptions start;
  start.control = control;
  return start;
}

HWND OpenFormatSymbol(const StandIn& ts) {
  PostCommand(FirstChartView(ts), 17556);
  return WaitTop(ts.Pid(), "#32770", "Format Symbol -");
}

// The in-place editor of the inputs list, now (no wait).
HWND InPlaceEditor(HWND list) {
  return FindDescendant(list, "Edit");
}

void PressF2(HWND list) {
  PostMessageA(list, WM_KEYDOWN, VK_F2, 0);
  PostMessageA(list, WM_KEYUP, VK_F2, 0);
}

// The jitter values the stand-in drew, in order, from its activity log.
std::vector<int> Jitters(const StandIn& ts) {
  std::vector<int> out;
  std::istringstream in(ts.ActivityLog());
  std::string line;
  const std::string mark = "delay jitter ";
  while (std::getline(in, line)) {
    size_t at = line.find(mark);
    if (at != std::string::npos) out.push_back(std::stoi(line.substr(at + mark.size())));
  }
  return out;
}

// Opens and cancels Format Symbol `times` times: every opening is a deferred action.
void OpenAndCancel(const StandIn& ts, int times) {
  for (int i = 0; i < times; ++i) {
    HWND dialog = OpenFormatSymbol(ts);
    ASSERT_TRUE(dialog);
    PostClick(dialog, IDCANCEL);
    ASSERT_TRUE(WaitGone(dialog));
  }
}

}  // namespace

TEST(StandInReadiness, FormatSymbolOkHasItsTextOnlyAfterTheDelayAndDoesNothingBefore) {
  StandIn ts(WithControl("FormatOkLateMs=1500\n"));
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenFormatSymbol(ts);
  ASSERT_TRUE(dialog);
  HWND ok = GetDlgItem(dialog, IDOK);
  ASSERT_TRUE(ok);
  EXPECT_NE(TextOf(ok), "OK") << "not ready yet";
  PostClick(dialog, IDOK);  // handled long before the dialog is ready
  ASSERT_TRUE(WaitFor([&] { return TextOf(ok) == "OK"; }));
  EXPECT_TRUE(IsWindow(dialog)) << "the early click did nothing";
  EXPECT_NE(ts.ActivityLog().find("OK ignored"), std::string::npos);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL)));
  PostClick(dialog, IDOK);
  EXPECT_TRUE(WaitGone(dialog));
}

TEST(StandInReadiness, FormatSymbolCancelIsEnabledOnlyAfterTheDelay) {
  StandIn ts(WithControl("FormatCancelLateMs=1500\n"));
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenFormatSymbol(ts);
  ASSERT_TRUE(dialog);
  HWND cancel = GetDlgItem(dialog, IDCANCEL);
  EXPECT_FALSE(IsWindowEnabled(cancel));
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), "OK");
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(cancel) != FALSE; }));
  PostClick(dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(dialog));
}

TEST(StandInReadiness, ALateChartAnalysisBoxComesWhileTheDialogWaits) {
  StandIn ts(WithControl("InvalidSymbols=XYZ\nLateDialogs=ChartLoadError\nLateDialogMs=1500\n"));
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenFormatSymbol(ts);
  ASSERT_TRUE(dialog);
  HWND page = nullptr;
  for (HWND p : ChildrenOfClass(dialog, "#32770"))
    if (GetDlgItem(p, 7272)) page = p;
  ASSERT_TRUE(page);
  SendMessageA(GetDlgItem(page, 6629), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("XYZ"));
  PostClick(dialog, IDOK);
  EXPECT_FALSE(WaitTop(ts.Pid(), "#32770", "Chart Analysis", 300)) << "not yet";
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
}

TEST(StandInReadiness, InPlaceEditorLateOrMissing) {
  StandIn ts(WithControl("LateDialogs=InPlaceEditor\nLateDialogMs=1500\n"));
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  PressF2(in.list);
  EXPECT_FALSE(WaitFor([&] { return InPlaceEditor(in.list) != nullptr; }, 300)) << "not yet";
  EXPECT_TRUE(WaitFor([&] { return InPlaceEditor(in.list) != nullptr; })) << "but later";
  PostMessageA(InPlaceEditor(in.list), WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitFor([&] { return InPlaceEditor(in.list) == nullptr; }));

  ts.SetControl("MissingDialogs=InPlaceEditor\n");
  PressF2(in.list);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(InPlaceEditor(in.list)) << "never";
}

TEST(StandInReadiness, ReportBoxesMissingAndEventsLogLate) {
  StandIn ts(WithControl("ReportBoxes=2\nMissingDialogs=ReportBoxes\n"));
  ASSERT_TRUE(ts.Main());
  HWND report = ShowPerformanceReport(ts);
  ASSERT_TRUE(report);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(FindTop(ts.Pid(), "#32770", "Tradestation")) << "the report came, its boxes never";

  ts.SetControl("OptTestMs=40\nEventsLogError=2\nLateDialogs=EventsLog\nLateDialogMs=2000\n");
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  HWND range = OptimizeSelectedRow(ts, in, "2", "20", "2");
  ASSERT_TRUE(range && !IsWindow(range));
  ConfirmStrategies(in, s);
  ASSERT_TRUE(
      WaitFor([&] { return ts.ActivityLog().find("window EventsLog late") != std::string::npos; }, 10000));
  EXPECT_FALSE(FindTop(ts.Pid(), "", "TradeStation Events Log")) << "not yet when the error event came";
  EXPECT_TRUE(WaitTop(ts.Pid(), "", "TradeStation Events Log", 6000)) << "but later";
}

TEST(StandInReadiness, JitterRepeatsForTheSameSeedAndDiffersForAnother) {
  std::vector<std::vector<int>> runs;
  for (const char* seed : {"7", "7", "8"}) {
    StandIn ts;
    ASSERT_TRUE(ts.Main());
    ASSERT_TRUE(ts.WaitSettled());  // nothing else pending when the jitter starts
    ts.SetControl(std::string("JitterMs=40\nJitterSeed=") + seed + "\n");
    OpenAndCancel(ts, 4);
    std::vector<int> drawn = Jitters(ts);
    ASSERT_GE(drawn.size(), 4u);
    for (int j : drawn) EXPECT_TRUE(j >= 0 && j <= 40) << j;
    runs.push_back(std::vector<int>(drawn.begin(), drawn.begin() + 4));
  }
  EXPECT_EQ(runs[0], runs[1]) << "the same seed, the same delays";
  EXPECT_NE(runs[0], runs[2]) << "another seed, other delays";
}
