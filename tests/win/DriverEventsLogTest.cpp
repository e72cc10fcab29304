// Reading TradeStation's events log: the error event that stops an optimisation, its rows read from the
// charting process, the log window kept open or closed.
#include <windows.h>

#include "DriverTestSupport.h"
#include "StandInStrategyHarness.h"

using drivertest::DriverTest;
using drivertest::StartStandIn;

namespace {

// Runs an optimisation of the first input over 2..20:2 by hand; test `failing` raises an error event.
HWND OptimizeUntilTheEventsLog(const standin::StandIn& ts) {
  standin::StrategiesDialog s = standin::OpenStrategies(ts);
  if (!s.page) return nullptr;
  standin::InputsDialog in = standin::OpenInputs(ts, s);
  if (!in.list) return nullptr;
  standin::SelectRowByKeys(in.list, 0);
  HWND range = standin::OptimizeSelectedRow(ts, in, "2", "20", "2");
  if (!range || IsWindow(range)) return nullptr;
  standin::ConfirmStrategies(in, s);
  return standin::WaitTop(ts.Pid(), "", "TradeStation Events Log", 10000);
}

TEST_F(DriverTest, NoEventsLogWindowMeansNoEvent) {
  auto ts = StartStandIn();
  TsDriver driver;
  CTxt err;
  EXPECT_EQ(driver.CheckEventsLog(err, 0), 0);
  EXPECT_STREQ(err, "");
}

TEST_F(DriverTest, ErrorEventIsReadFromTheExpandedLog) {
  auto ts = StartStandIn();
  standin::FirstChartView(*ts);
  ts->SetControl("OptTestMs=40\nEventsLogError=3\n");
  HWND log = OptimizeUntilTheEventsLog(*ts);
  ASSERT_NE(log, nullptr);
  TsDriver driver;
  CTxt err;
  ASSERT_EQ(driver.CheckEventsLog(err, 1), 1);
  std::string text = err.ToStd();
  // The event's value comes first, then every row of the expanded log.
  EXPECT_EQ(text.rfind("An Error Event occured (Strategy error in MovAvg Cross\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("test 3 (FastLength=6)"), std::string::npos) << text;
  EXPECT_TRUE(IsWindow(log)) << "kept open";
  ASSERT_EQ(driver.CheckEventsLog(err, 0), 1);
  EXPECT_TRUE(standin::WaitGone(log));
  EXPECT_EQ(driver.CheckEventsLog(err, 0), 0);
}

TEST_F(DriverTest, PopupSweepClosesTheEventsLog) {
  auto ts = StartStandIn();
  standin::FirstChartView(*ts);
  ts->SetControl("OptTestMs=40\nEventsLogError=2\n");
  HWND log = OptimizeUntilTheEventsLog(*ts);
  ASSERT_NE(log, nullptr);
  TsDriver driver;
  EXPECT_EQ(driver.CloseTsPopups(0), 0);
  EXPECT_TRUE(standin::WaitGone(log));
}

}  // namespace
