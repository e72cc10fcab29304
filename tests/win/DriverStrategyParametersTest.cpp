// Strategy parameters against the stand-in: ranges and single values read back from its inputs list, the
// permutation count, invalid ranges and inputs, a strategy that is off, the genetic settings in both layouts,
// and reading the inputs for the editor.
#include <windows.h>

#include <initializer_list>

#include "DriverChartSupport.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"

using drivertest::ChartTest;

namespace {

CTxtArray Lines(std::initializer_list<const char*> lines) {
  CTxtArray out;
  for (const char* line : lines) out.Add(line);
  return out;
}

std::string Joined(const CTxtArray& rows) {
  std::string out;
  for (int i = 0; i < rows.GetSize(); ++i) out += std::string(rows.GetAtTxt(i)) + "\n";
  return out;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class DriverStrategyParameters : public ChartTest {};

TEST_F(DriverStrategyParameters, RangesAndSingleValuesReadBackOnEveryVersion) {
  for (const char* version : {"9.5", "9.1", "8.8"}) {
    auto ts = Start(version);
    CTxt err;
    CTxtArray lines = Lines({"1/FastLength|10|20|3|", "2|5|15|5|", "4|300|"});
    ASSERT_EQ(driver_->ApplyStrategyParameters(lines, err, 0, nullptr), 3) << version << " " << err.ToStd();
    // 10..20 by 3 counts 4 values, 5..15 by 5 counts 3.
    EXPECT_EQ(driver_->PermutationCount(), 12) << version;
    EXPECT_EQ(Joined(driver_->AppliedParameters()),
              "FastLength|10..20:3|\nSlowLength|5..15:5|\nPrice|Close|\nStopLoss|300|\n")
        << version;
    EXPECT_TRUE(Contains(err.ToStd(), "Adjusted 3 Parameter in Strategy")) << err.ToStd();
    EXPECT_TRUE(standin::WaitFor([&] { return Contains(ts->ActivityLog(), "strategy applied:"); }))
        << version;
    EXPECT_TRUE(Contains(ts->ActivityLog(), "exhaustive")) << ts->ActivityLog();
    EXPECT_EQ(Settings::GetInt("Tavrin", "GeneticPar", -1), -1);  // not written without genetic settings
  }
}

TEST_F(DriverStrategyParameters, InvalidRangesEndWithTheirText) {
  auto ts = Start("9.5");
  CTxt err;
  EXPECT_EQ(driver_->ApplyStrategyParameters(Lines({"1|10|20|0|"}), err, 0, nullptr), -17);
  EXPECT_EQ(err.ToStd(),
            "Value Error in 1|10|20|0| (Min=10.000000, Max=20.000000, Increment=0.000000, Steps=0)");
  EXPECT_EQ(driver_->PermutationCount(), 0);
  driver_->CloseTsPopups(0);
  EXPECT_EQ(driver_->ApplyStrategyParameters(Lines({"2|10|10|1|"}), err, 0, nullptr), -17);
  EXPECT_EQ(err.ToStd(),
            "Value Error in 2|10|10|1| (Min=10.000000, Max=10.000000, Increment=1.000000, Steps=0)");
}

TEST_F(DriverStrategyParameters, InputsOutsideTheListAreSkipped) {
  auto ts = Start("9.5");
  CTxt err;
  ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"0|5|", "101|5|", "2|25|"}), err, 0, nullptr), 3)
      << err.ToStd();
  EXPECT_EQ(Joined(driver_->AppliedParameters()),
            "FastLength|9|\nSlowLength|25|\nPrice|Close|\nStopLoss|250|\n");
  EXPECT_EQ(driver_->PermutationCount(), 1);
}

TEST_F(DriverStrategyParameters, StrategySwitchedOffIsSwitchedOnOnce) {
  auto ts = Start("9.5", "StrategyOff=1");
  CTxt err;
  EXPECT_EQ(driver_->ApplyStrategyParameters(Lines({"1|12|"}), err, 0, nullptr), 1) << err.ToStd();
  EXPECT_TRUE(Contains(ts->ActivityLog(), "strategy status: on")) << ts->ActivityLog();
  ts->SetControl("StrategyOff=1\nStrategyStaysOff=1");
  EXPECT_EQ(driver_->ApplyStrategyParameters(Lines({"1|12|"}), err, 0, nullptr), -22);
  EXPECT_EQ(err.ToStd(), "Strategy still disabled (Status=OFF) - Aborting");
}

TEST_F(DriverStrategyParameters, GeneticSettingsInBothLayouts) {
  for (const char* onPage : {"1", "0"}) {
    auto ts = Start("9.5", std::string("GeneticFieldsOnPage=") + onPage);
    CTxt err;
    ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"1|10|20|5|"}), err, 0, "25|1.5|40|0.45|"), 1)
        << onPage << " " << err.ToStd();
    CTxt stored;
    Settings::GetString("Tavrin", "GeneticPar", "", stored);
    // The mutation rate is clamped to 0.99.
    EXPECT_EQ(stored.ToStd(), "25|0.99|40|0.45|") << onPage;
    EXPECT_TRUE(standin::WaitFor([&] { return Contains(ts->ActivityLog(), "strategy applied:"); }));
    EXPECT_TRUE(Contains(ts->ActivityLog(), "genetic")) << onPage << "\n" << ts->ActivityLog();
    Settings::WriteString("Tavrin", "GeneticPar", "");
  }
}

TEST_F(DriverStrategyParameters, MethodChoiceIsAnnouncedByTheCombo) {
  // A TradeStation that takes the method only from the combo's change notification.
  auto ts = Start("9.5", "ComboChangesNotified=1");
  CTxt err;
  ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"1|10|20|5|"}), err, 0, "25|0.5|40|0.45|"), 1)
      << err.ToStd();
  EXPECT_TRUE(standin::WaitFor([&] { return Contains(ts->ActivityLog(), "strategy applied:"); }));
  EXPECT_TRUE(Contains(ts->ActivityLog(), "optimization method chosen: genetic")) << ts->ActivityLog();
  EXPECT_TRUE(Contains(ts->ActivityLog(), "(genetic,")) << ts->ActivityLog();
  Settings::WriteString("Tavrin", "GeneticPar", "");
}

TEST_F(DriverStrategyParameters, ReadsTheInputsForTheEditor) {
  auto ts = Start("9.5");
  CTxtArray rows;
  CTxt err;
  ASSERT_EQ(driver_->ReadStrategyInputs(rows, err, 0, 0, nullptr), 4) << err.ToStd();
  EXPECT_EQ(Joined(rows), "FastLength|9|\nSlowLength|18|\nPrice|Close|\nStopLoss|250|\n");
  EXPECT_EQ(err.ToStd().rfind("Strategy ", 0), 0u) << err.ToStd();
  EXPECT_TRUE(Contains(err.ToStd(), " in - Tavrin Sample - ")) << err.ToStd();
  ASSERT_EQ(driver_->ReadStrategyInputs(rows, err, 0, 1, nullptr), 4) << err.ToStd();
  EXPECT_EQ(CountFields(err, '|'), 6) << err.ToStd();
  // Off, the detailed read refuses.
  ts->SetControl("StrategyOff=1\nStrategyStaysOff=1");
  EXPECT_EQ(driver_->ReadStrategyInputs(rows, err, 0, 1, nullptr), -22);
  EXPECT_EQ(err.ToStd(), "Strategy disabled (Status=OFF) - Aborting");
}

}  // namespace
