// The stand-in TradeStation's hung and vanished faults under Wine: a TradeStation that stops answering
// messages for a while, and one whose charting process ends in the middle of a step.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"

using namespace standin;

namespace {

// True when the window answers a sent message within `ms` milliseconds.
bool Answers(HWND window, UINT ms) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) != 0;
}

bool LogHas(const StandIn& ts, const std::string& text) {
  return ts.ActivityLog().find(text) != std::string::npos;
}

// From the moment the stand-in logs `line` until its main window answers again, in milliseconds; -1 when
// the line never came or the window never answered again.
long SilenceAfter(const StandIn& ts, const std::string& line) {
  if (!WaitFor([&] { return LogHas(ts, line); }, 5000)) return -1;
  DWORD start = GetTickCount();
  if (!WaitFor([&] { return Answers(ts.Main(), 100); }, 10000)) return -1;
  return static_cast<long>(GetTickCount() - start);
}

// Opens "Format Symbol" on the first chart the way the driver does (command 17556 to the chart view).
HWND OpenFormatSymbol(const StandIn& ts) {
  HWND view = FirstChartView(ts);
  if (!view) return nullptr;
  PostCommand(view, 17556);
  return WaitTop(ts.Pid(), "#32770", "Format Symbol -");
}

}  // namespace

TEST(StandInHang, HangNowAnswersTheReloadFirstThenStaysSilentForHangMs) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(view);
  DWORD before = GetTickCount();
  ts.SetControl("HangAt=Now\nHangMs=1500\n");
  EXPECT_LT(GetTickCount() - before, 1200u) << "the reload request is answered before the hang";
  ASSERT_TRUE(WaitFor([&] { return LogHas(ts, "hang: Now"); }));
  EXPECT_FALSE(Answers(ts.Main(), 300)) << "the main window is hung";
  EXPECT_FALSE(Answers(view, 300)) << "so is every other window of TradeStation";
  EXPECT_TRUE(WaitFor([&] { return Answers(ts.Main(), 100); }, 5000)) << "the hang ends";
  EXPECT_TRUE(Answers(view, 1000));
  EXPECT_EQ(ts.WaitExit(0), -1) << "a hung TradeStation is still running";
}

TEST(StandInHang, HangLastsTheChosenTime) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("HangAt=Now\nHangMs=2500\n");
  long silent = SilenceAfter(ts, "hang: Now");
  EXPECT_GE(silent, 2000) << "silent from the log line to the first answer";
  EXPECT_LT(silent, 6000);
}

TEST(StandInHang, HangAtFormatSymbolComesWhenTheCommandArrivesAndTheDialogFollows) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(view);
  ts.SetControl("HangAt=FormatSymbol\nHangMs=1500\n");
  EXPECT_TRUE(Answers(ts.Main(), 1000)) << "no hang before the moment";
  EXPECT_FALSE(LogHas(ts, "hang:"));
  PostCommand(view, 17556);
  long silent = SilenceAfter(ts, "hang: FormatSymbol");
  EXPECT_GE(silent, 1000);
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "Format Symbol -")) << "the dialog opens once the hang is over";
}

TEST(StandInHang, HangAfterMsHangsOnceAfterTheDelay) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("HangAfterMs=300\nHangMs=1200\n");
  EXPECT_GE(SilenceAfter(ts, "hang: HangAfterMs"), 700);
  // Another change of the file leaves the delay alone: no second hang.
  ts.SetControl("HangAfterMs=300\nHangMs=1200\nDesktop=Later\n");
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).rfind("TradeStation 9.5 - Later - ", 0) == 0; }));
  std::string log = ts.ActivityLog();
  size_t first = log.find("hang: HangAfterMs");
  EXPECT_EQ(log.find("hang: HangAfterMs", first + 1), std::string::npos) << log;
}

TEST(StandInChartingEnds, NowTakesChartsAndDialogsAndLeavesTheMainWindow) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  HWND format = OpenFormatSymbol(ts);
  ASSERT_TRUE(format);
  ASSERT_FALSE(IsWindowEnabled(ts.Main())) << "the dialog is modal";

  ts.SetControl("ChartingEndsAt=Now\n");
  EXPECT_TRUE(WaitGone(format));
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).empty(); }));
  EXPECT_FALSE(IsWindow(view));
  EXPECT_TRUE(IsWindow(ts.Main()));
  EXPECT_TRUE(Answers(ts.Main(), 1000));
  EXPECT_TRUE(IsWindowEnabled(ts.Main())) << "nothing is left to keep the main window disabled";
  EXPECT_TRUE(WaitTitle(ts.Main(), "TradeStation 9.5 - Desktop - Tavrin Sample")) << TextOf(ts.Main());
  EXPECT_EQ(ts.WaitExit(0), -1);
}

TEST(StandInChartingEnds, AtFormatOkTheChartGoesAndActivatingTheWorkspaceBringsItBack) {
  StartOptions start;
  start.workspace = "Tavrin Sample|Sample IBM Daily";
  start.control = "ChartingEndsAt=FormatOk\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND format = OpenFormatSymbol(ts);
  ASSERT_TRUE(format);
  PostClick(format, IDOK);
  EXPECT_TRUE(WaitGone(format));
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).empty(); }));
  EXPECT_TRUE(LogHas(ts, "charting ended: FormatOk"));

  // "More Workspaces" still lists both; choosing the active one brings its chart back.
  PostCommand(ts.Main(), 17529);
  HWND more = WaitTop(ts.Pid(), "", "More Workspaces");
  ASSERT_TRUE(more);
  HWND list = GetDlgItem(more, 17169);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  int active = -1;
  for (int i = 0; i < 2; ++i)
    if (ListBoxText(list, i).rfind("Sample IBM Daily", 0) == 0) active = i;
  ASSERT_GE(active, 0);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(active), 0);
  PostClick(more, IDOK);
  EXPECT_TRUE(WaitFor([&] { return ChartWindows(ts.Pid(), ts.Main()).size() == 1; }));
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).find("[Chart Analysis - IBM Daily") != std::string::npos;
  })) << TextOf(ts.Main());
}

// Moments a test can act at: the stand-in says when it has come and holds there until told to go on.
namespace {

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// True when a line of the activity log holds both texts.
bool LogLineHas(const StandIn& ts, const std::string& first, const std::string& second) {
  std::string log = ts.ActivityLog();
  for (size_t at = log.find(first); at != std::string::npos; at = log.find(first, at + 1)) {
    size_t end = log.find('\n', at);
    if (log.substr(at, end == std::string::npos ? std::string::npos : end - at).find(second) !=
        std::string::npos)
      return true;
  }
  return false;
}

}  // namespace

TEST(StandInMoment, ChartLoadedHoldsUntilReleasedAndLaterOnesPass) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitSettled());
  ASSERT_TRUE(ts.WaitFirstChartLoaded()) << "else the chart it starts with would meet the moment first";
  Moment loaded(ts, "ChartLoaded");
  ts.SetControl("SignalAt=ChartLoaded\nSignalHoldMs=20000\n");
  EXPECT_FALSE(loaded.WaitReached(0)) << "nothing before the moment";
  ASSERT_TRUE(RunCommandLine(ts.Main(), "CSCO"));
  ASSERT_TRUE(loaded.WaitReached(15000));
  EXPECT_TRUE(LogLineHas(ts, "chart loaded: ", "CSCO")) << "the moment comes once the chart has loaded";
  EXPECT_FALSE(Answers(ts.Main(), 300)) << "held inside the message of the moment";
  loaded.Release();
  EXPECT_TRUE(WaitFor([&] { return Answers(ts.Main(), 100); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return LogHas(ts, "moment: ChartLoaded, released"); }));

  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));
  EXPECT_TRUE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "moment: ChartLoaded, released") == 2; }))
      << "once released, the next load passes at once: " << ts.ActivityLog();
}

TEST(StandInMoment, HoldThatNobodyReleasesEndsAfterSignalHoldMs) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitSettled());
  ASSERT_TRUE(ts.WaitFirstChartLoaded());
  ts.SetControl("SignalAt=ChartLoaded\nSignalHoldMs=400\n");
  ASSERT_TRUE(RunCommandLine(ts.Main(), "CSCO"));
  EXPECT_TRUE(WaitFor([&] { return LogHas(ts, "moment: ChartLoaded, not released"); }, 10000))
      << ts.ActivityLog();
  EXPECT_TRUE(Answers(ts.Main(), 1000));
}
