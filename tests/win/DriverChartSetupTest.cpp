// The chart setup against the stand-in: every interval kind and duration form read back from the chart,
// and every fault the stand-in can raise answered with its own code.
#include <windows.h>

#include <filesystem>
#include <thread>

#include "DriverChartSupport.h"
#include "foundation/FileRead.h"
#include "foundation/TxtArray.h"
#include "tsdriver/TsFacts.h"

namespace fs = std::filesystem;
using drivertest::ChartTest;

namespace {

std::string ChartTitle(const standin::StandIn& ts) {
  return standin::FirstChartTitle(ts);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Any "Format Symbol" dialog or "Chart Analysis" box of the stand-in still open.
bool FormatDialogsLeft(const standin::StandIn& ts) {
  for (HWND w : standin::TopWindows(ts.Pid())) {
    std::string t = standin::TextOf(w);
    if (IsWindowVisible(w) && (t.rfind("Format Symbol", 0) == 0 || t.rfind("Chart Analysis", 0) == 0))
      return true;
  }
  return false;
}

class DriverChartSetup : public ChartTest {};

struct KindCase {
  const char* interval;
  const char* shown;  // in the chart title afterwards
};

void CheckKinds(ChartTest* test, const char* version, const std::vector<KindCase>& cases, TsDriver& driver,
                const standin::StandIn& ts) {
  (void)test;
  for (const KindCase& c : cases) {
    CTxt err;
    ASSERT_EQ(driver.SetupChart(nullptr, nullptr, err, "IBM", c.interval, nullptr), 0)
        << version << " " << c.interval << ": " << err.ToStd();
    EXPECT_TRUE(
        standin::WaitFor([&] { return Contains(ChartTitle(ts), std::string("IBM ") + c.shown); }, 3000))
        << version << " " << c.interval << ": " << ChartTitle(ts);
    EXPECT_FALSE(FormatDialogsLeft(ts)) << version << " " << c.interval;
  }
}

TEST_F(DriverChartSetup, EveryIntervalKindOnVersion95) {
  auto ts = Start("9.5");
  CheckKinds(this, "9.5",
             {{"Intra/5", "5 min"},
              {"Ticks/100", "100 Tick Bar"},
              {"Volume/2000", "2000 Share Bar"},
              {"Daily", "Daily"},
              {"Weekly", "Weekly"},
              {"Monthly", "Monthly"},
              {"Kase/0.5/M", "0.5 Kase Bar"},
              {"Kase/2/T", "2 Kase Bar"},
              {"Kagi/3", "3 Kagi Bar"}},
             *driver_, *ts);
  // 9.5 calls minute bars "Minute" in the bar kind list.
  EXPECT_TRUE(Contains(ts->ActivityLog(), "format symbol read: IBM 5 min")) << ts->ActivityLog();
}

TEST_F(DriverChartSetup, EveryIntervalKindWithoutSubPagesOnVersion88) {
  auto ts = Start("8.8");
  CheckKinds(this, "8.8",
             {{"Intra/15", "15 min"},
              {"Intra/5000", "1440 min"},  // without sub-pages minutes stop at 1440
              {"Ticks/5000", "4000 Tick Bar"},
              {"Volume/500", "500 Share Bar"},
              {"Daily", "Daily"},
              {"Kase/1.5/T", "1.5 Kase Bar"}},
             *driver_, *ts);
  CTxt err;
  // Reversal bars have no edit on a page without sub-pages.
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Kagi/3", nullptr), -8);
}

TEST_F(DriverChartSetup, MinutesAndTicksOnVersion91) {
  auto ts = Start("9.1");
  CheckKinds(this, "9.1", {{"Intra/30", "30 min"}, {"Ticks/70000", "65000 Tick Bar"}, {"Weekly", "Weekly"}},
             *driver_, *ts);
}

TEST_F(DriverChartSetup, KaseUnitIsChosen) {
  auto ts = Start("9.5");
  for (const char* unit : {"T", "M"}) {
    CTxt err;
    std::string interval = std::string("Kase/0.5/") + unit;
    ASSERT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", interval.c_str(), nullptr), 0) << err.ToStd();
    // Open the dialog again and look at the unit the chart kept.
    standin::PostCommand(standin::FirstChartView(*ts), tsfacts::kCmdFormatSymbol);
    HWND dialog = standin::WaitOwned(ts->Pid(), ts->Main(), "Format Symbol -");
    ASSERT_NE(dialog, nullptr);
    HWND combo = nullptr;
    for (HWND w : standin::Descendants(dialog))
      if (GetDlgCtrlID(w) == tsfacts::kKaseUnitComboId) combo = w;
    ASSERT_NE(combo, nullptr);
    int selected = static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
    EXPECT_EQ(standin::ComboText(combo, selected),
              unit[0] == 'T' ? tsfacts::kKaseUnitTick : tsfacts::kKaseUnitMinute);
    standin::PostClick(dialog, IDCANCEL);
    ASSERT_TRUE(standin::WaitGone(dialog));
  }
}

TEST_F(DriverChartSetup, DurationsAreTypedWithTheirClamps) {
  auto ts = Start("8.8");
  struct Case {
    const char* range;
    const char* logged;
  };
  const Case cases[] = {{"2000 Bars|12/31/2012|", "2001 bars back to 12/31/2012"},
                        {"50 Bars|12/31/2012|", "200 bars back to 12/31/2012"},
                        {"100000 Bars|12/31/2012|", "60000 bars back to 12/31/2012"},
                        {"30 Days|12/31/2012|", "from 12/1/2012 to 12/31/2012"},
                        {"2 Weeks|6/15/2012|", "from 6/1/2012 to 6/15/2012"},
                        {"1 Months|3/31/2012|", "from 2/29/2012 to 3/31/2012"},
                        {"1/15/2012|12/31/2012|", "from 1/15/2012 to 12/31/2012"}};
  for (const Case& c : cases) {
    CTxt err;
    ASSERT_EQ(driver_->SetupChart(nullptr, nullptr, err, "MSFT", "Daily", c.range), 0)
        << c.range << err.ToStd();
    EXPECT_TRUE(Contains(ts->ActivityLog(), std::string("format symbol read: MSFT Daily, ") + c.logged))
        << c.range << "\n"
        << ts->ActivityLog();
  }
  // Version 8 writes the download log and the symbol's cache file; the waits read both.
  std::string log;
  CTxt reason;
  ASSERT_EQ(ReadWholeFile((ts->Folder() + "/Logs/archmsgs.log").c_str(), log, reason), FileReadResult::kRead);
  EXPECT_TRUE(Contains(log, "Success, request for MSFT")) << log;
  EXPECT_TRUE(fs::exists(ts->Folder() + "/Program/Cache/M/MSFT.eod"));
}

TEST_F(DriverChartSetup, CheckModeComparesTheShownChart) {
  auto ts = Start("9.5");
  CTxt err;
  ASSERT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Intra/5", nullptr), 0) << err.ToStd();
  EXPECT_EQ(driver_->SetupChart("MSFT", nullptr, err, "MSFT", "Intra/5", nullptr), -3);
  EXPECT_EQ(err.ToStd(), "Active Chart has different Symbol (IBM instead of MSFT)");
  EXPECT_EQ(driver_->SetupChart("IBM", "15", err, "IBM", "Intra/5", nullptr), -3);
  EXPECT_EQ(err.ToStd(), "Active Minute Chart has different Interval (5 instead of 15 Min)");
  EXPECT_EQ(driver_->SetupChart("IBM", "5", err, "IBM", "Intra/10", nullptr), 0) << err.ToStd();
}

TEST_F(DriverChartSetup, InvalidSymbolLeavesNoDialogOpen) {
  auto ts = Start("9.5", "InvalidSymbols=XXBAD");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "XXBAD", "Daily", nullptr), -102);
  EXPECT_TRUE(Contains(err.ToStd(), "not a valid symbol")) << err.ToStd();
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_FALSE(FormatDialogsLeft(*ts));
}

TEST_F(DriverChartSetup, TimeZoneErrorIsReported) {
  auto ts = Start("9.5", "TimeZoneError=1");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Daily", nullptr), -101);
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_FALSE(FormatDialogsLeft(*ts));
}

TEST_F(DriverChartSetup, SeveralChartsStopTheSequenceAfterTheMessage) {
  auto ts = Start("9.5", "SecondChart=1");
  ASSERT_TRUE(standin::WaitFor([&] { return standin::ChartWindows(ts->Pid(), ts->Main()).size() == 2; }));
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Daily", nullptr), -103);
  EXPECT_EQ(answers_.Stops(), 1);
  EXPECT_TRUE(Contains(answers_.LastStop(), "Tavrin found several charts")) << answers_.LastStop();
  CTxtArray charts;
  ASSERT_EQ(driver_->ListChartWindows(charts, err), 2);
  CTxt shown;
  strfld(charts.GetAtTxt(0), '|', 2, 2, shown);
  EXPECT_TRUE(Contains(answers_.LastStop(), shown.ToStd())) << shown.ToStd();
}

TEST_F(DriverChartSetup, ChartNotMaximisedIsNotUsed) {
  auto ts = Start("9.5", "NotMaximized=1");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Daily", nullptr), -3);
  EXPECT_TRUE(Contains(err.ToStd(), "needs to me maximized")) << err.ToStd();
}

TEST_F(DriverChartSetup, DisabledChartViewIsReported) {
  auto ts = Start("9.5", "DisableChartView=1");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Daily", nullptr), -5);
  EXPECT_TRUE(Contains(err.ToStd(), "disabled")) << err.ToStd();
}

TEST_F(DriverChartSetup, LateFormatDialogIsWaitedForAndAMissingOneReported) {
  auto ts = Start("9.5", "LateDialogs=FormatSymbol");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Weekly", nullptr), 0) << err.ToStd();
  ts->SetControl("MissingDialogs=FormatSymbol");
  Set("FmtNextWait", "50");
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "IBM", "Daily", nullptr), -5);
  EXPECT_EQ(err.ToStd(), "Format Dialog not found");
}

TEST_F(DriverChartSetup, MultiTrackChartNeedsRemoveExtraData) {
  auto ts = Start("9.5", "", "");
  std::string path = WriteWorkspace(ts->Folder(), "Two Tracks",
                                    "Chart=1\r\nSymbol=MSFT\r\nInterval=5 min\r\nData2=IBM|Daily\r\n");
  ts.reset();
  ts = Start("9.5", "", path);
  Set("FmtNextWait", "50");
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr), -5);
  EXPECT_EQ(err.ToStd(), "Format Dialog not found");
  Set("RemoveExtraData", "1");
  ASSERT_EQ(driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr), 0) << err.ToStd();
  EXPECT_TRUE(Contains(ts->ActivityLog(), "remove data track 2 (IBM)")) << ts->ActivityLog();
  EXPECT_TRUE(Contains(ChartTitle(*ts), "CSCO Daily")) << ChartTitle(*ts);
}

TEST_F(DriverChartSetup, AbortEndsTheLoadWaitWithinASecond) {
  auto ts = Start("9.5", "NeverLoad=1");
  Set("FmtWaitLoadWaitSec", "120");
  SetPrimitivesAbortRequest(&driver_->AbortRequest());
  long long abortedAt = 0;
  std::thread aborter([&] {
    // The load wait has begun once the stand-in shows the new symbol.
    standin::WaitFor([&] { return Contains(ChartTitle(*ts), "CSCO"); }, 20000);
    abortedAt = tsdriver::SteadyMs();
    driver_->AbortRequest().store(1);
  });
  CTxt err;
  int result = driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr);
  long long ended = tsdriver::SteadyMs();
  aborter.join();
  SetPrimitivesAbortRequest(nullptr);
  EXPECT_EQ(result, -9);
  EXPECT_EQ(err.ToStd(), kAbortedText);
  ASSERT_GT(abortedAt, 0);
  EXPECT_LT(ended - abortedAt, 1000);
}

TEST_F(DriverChartSetup, ChartThatNeverLoadsEndsAfterTheMaximumWait) {
  auto ts = Start("9.5", "NeverLoad=1");
  Set("FmtWaitLoadWaitSec", "2");
  CTxt err;
  long long start = tsdriver::SteadyMs();
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr), -9);
  EXPECT_TRUE(Contains(err.ToStd(), "ERROR Excessive wait for CSCO")) << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 20000);
}

// A maximum of 0 (refused by the configuration dialog, possible in a hand-edited file) is no licence to wait
// for ever: the default bound applies, as the load-wait log line shows.
TEST_F(DriverChartSetup, AMaximumWaitOfZeroStillBoundsTheLoadWait) {
  auto ts = Start("9.5", "NeverLoad=1");
  Set("FmtWaitLoadWaitSec", "0");
  drivertest::LogLines log;
  SetPrimitivesAbortRequest(&driver_->AbortRequest());
  std::thread aborter([&] {
    standin::WaitFor([&] { return log.Has("complete loading - Try#1 of "); }, 20000);
    driver_->AbortRequest().store(1);  // ends the wait whatever its bound
  });
  CTxt err;
  EXPECT_EQ(driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr), -9);
  aborter.join();
  SetPrimitivesAbortRequest(nullptr);
  EXPECT_TRUE(log.Has("complete loading - Try#1 of 1800 ")) << log.Find("complete loading - Try#1");
}

}  // namespace
