// Timeframe lines: reading and composing, defaults from the settings, validation limits, the chart parser
// with its "~n" bars-a-day rule, bar-type names and file-name codes, and the per-symbol step queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"

using namespace testsupport;

namespace {

// Every timeframe test gets a program folder of its own, so the settings file starts empty.
class Timeframes : public ::testing::Test {
 protected:
  void SetUp() override { Settings::OverrideAppFolder(folder.c_str()); }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
  std::string Ini() const { return folder + "/Tavrin.ini"; }

  static std::string RoundTrip(const char* line) {
    TimeframeSpec spec;
    ReadTimeframeLine(line, spec);
    CTxt out;
    ComposeTimeframeLine(spec, out);
    return out.ToStd();
  }
  static std::string Parse(const char* interval, int expectedBarType, const char* symbol = "ES") {
    CTxt value;
    EXPECT_EQ(ParseChartInterval(interval, symbol, value), expectedBarType) << interval;
    return value.ToStd();
  }
  static std::string Code(int barType, const char* value) {
    CTxt code;
    GetBarTypeCode(barType, value, code);
    return code.ToStd();
  }

  std::string folder = ScratchFolder();
};

}  // namespace

TEST_F(Timeframes, EveryLineFormReadsBackAndComposesToTheSameText) {
  for (const char* line : {"Intra/5|10 Days|3/5/2017", "Intra/15|10 Days", "Kase/0.5/M|30 Days",
                           "Kase/0.5/T|30 Days", "Daily|2 Years", "Weekly|3 Months", "Monthly|5 Years",
                           "Ticks/4000|1 Days", "Volume/1000|500 Bars", "Ticks/100|2 Weeks"})
    EXPECT_EQ(RoundTrip(line), line);
  EXPECT_EQ(RoundTrip(kNewTimeframeLine), "Daily|2 Years");
}

TEST_F(Timeframes, ReadingFillsTheFieldsAndFallsBackToIntraAndDays) {
  TimeframeSpec spec;
  ReadTimeframeLine("Kase/0.5/T|30 Days", spec);
  EXPECT_EQ(spec.kind, TimeframeKind::Kase);
  EXPECT_STREQ(spec.value, "0.5");
  EXPECT_EQ(spec.kaseUnit, 'T');
  ReadTimeframeLine("Kase/0.5|30 Days", spec);
  EXPECT_EQ(spec.kaseUnit, 'M');
  ReadTimeframeLine("daily|2 years", spec);
  EXPECT_EQ(spec.kind, TimeframeKind::Daily);
  EXPECT_EQ(spec.rangeUnit, RangeUnit::Years);
  EXPECT_EQ(spec.rangeCount, 2);
  EXPECT_EQ(RoundTrip("daily|2 years"), "Daily|2 Years");
  ReadTimeframeLine("Intra/ 7 |2", spec);
  EXPECT_STREQ(spec.value, "7");
  EXPECT_EQ(spec.rangeUnit, RangeUnit::Days) << "a count alone is days back";
  EXPECT_EQ(spec.rangeCount, 2);
  EXPECT_TRUE(spec.endDate.IsEmpty());
  ReadTimeframeLine("Renko/3|12 Lightyears|1/2/2020", spec);
  EXPECT_EQ(spec.kind, TimeframeKind::Intra);
  EXPECT_EQ(spec.rangeUnit, RangeUnit::Days);
  EXPECT_STREQ(spec.endDate, "1/2/2020");
  ReadTimeframeLine("Ticks/100|5 months", spec);
  EXPECT_EQ(spec.rangeUnit, RangeUnit::Months);
  ReadTimeframeLine("Ticks/100|5 bars", spec);
  EXPECT_EQ(spec.rangeUnit, RangeUnit::Bars);
}

TEST_F(Timeframes, ComposingAnEmptyValueTakesTheKindsDefaultWithoutWritingIt) {
  TimeframeSpec spec;
  spec.rangeCount = 10;
  spec.rangeUnit = RangeUnit::Days;
  const char* expected[kTimeframeKindCount] = {"Ticks/100|10 Days", "Intra/15|10 Days", "Daily|10 Days",
                                               "Weekly|10 Days",    "Monthly|10 Days",  "Volume/1000|10 Days",
                                               "Kase/0.5/M|10 Days"};
  const char* labels[kTimeframeKindCount] = {"Ticks:", "Minutes:", "", "", "", "Shares:", "Target Range:"};
  for (int i = 0; i < kTimeframeKindCount; ++i) {
    spec.kind = static_cast<TimeframeKind>(i);
    CTxt line, label("stale");
    ComposeTimeframeLine(spec, line, &label);
    EXPECT_STREQ(line, expected[i]);
    EXPECT_STREQ(label, labels[i]);
  }
  EXPECT_FALSE(FileExists(Ini())) << "plain text defaults are not written back";
  WriteFile(Ini(), "[SYS]\r\nTFDfltIntra=30\r\nTFDfltKase=1.25\r\n");
  spec.kind = TimeframeKind::Intra;
  CTxt line;
  ComposeTimeframeLine(spec, line);
  EXPECT_STREQ(line, "Intra/30|10 Days");
  spec.kind = TimeframeKind::Kase;
  spec.kaseUnit = 'T';
  ComposeTimeframeLine(spec, line);
  EXPECT_STREQ(line, "Kase/1.25/T|10 Days");
}

TEST_F(Timeframes, ValidationLimitsTicksAndMinutesOnly) {
  CTxt msg;
  EXPECT_EQ(ValidateTimeframeLine("Intra/0|5 Days", msg), -1);
  EXPECT_STREQ(msg, "Intraday Interval 0 out of Range in: Intra/0|5 Days");
  EXPECT_EQ(ValidateTimeframeLine("Intra/1440|5 Days", msg), 0);
  EXPECT_EQ(ValidateTimeframeLine("Intra/1441|5 Days", msg), -1);
  EXPECT_EQ(ValidateTimeframeLine("Ticks/4000|1 Days", msg), 0);
  EXPECT_EQ(ValidateTimeframeLine("Ticks/4001|1 Days", msg), -1);
  EXPECT_STREQ(msg, "Tick Interval 4001 out of Range in: Ticks/4001|1 Days");
  EXPECT_EQ(ValidateTimeframeLine("Ticks/-5|1 Days", msg), -1);
  EXPECT_EQ(ValidateTimeframeLine("Volume/9999999|1 Days", msg), 0);
  EXPECT_EQ(ValidateTimeframeLine("Kase/0|1 Days", msg), 0);
  EXPECT_EQ(ValidateTimeframeLine("Daily|2 Years", msg), 0);
  EXPECT_EQ(ValidateTimeframeLine("Intra|5 Days", msg), 0) << "an empty value stands for the default 15";
}

TEST_F(Timeframes, ChartParserDefaultsAndKinds) {
  EXPECT_EQ(Parse("", kBarInvalid), "");
  EXPECT_EQ(Parse("(", kBarInvalid), "");
  EXPECT_EQ(Parse("Intra/0", kBarIntraday), "15") << "the dialog rejects it, the chart takes 15 minutes";
  EXPECT_EQ(Parse("Intra/7.6", kBarIntraday), "8");
  EXPECT_EQ(Parse("(intra/5)", kBarIntraday), "5");
  EXPECT_EQ(Parse("Ticks/0", kBarTick), "100");
  EXPECT_EQ(Parse("Ticks/250.9", kBarTick), "250");
  EXPECT_EQ(Parse("Volume/0", kBarVolume), "1000");
  EXPECT_EQ(Parse("Volume/5000", kBarVolume), "5000");
  EXPECT_EQ(Parse("Kase/0.5/t", kBarKase), "0.5/T");
  EXPECT_EQ(Parse("kase/0.5", kBarKase), "0.5/");
  EXPECT_EQ(Parse("Kagi/2/x/y", kBarKagi), "2/X/Y");
  EXPECT_EQ(Parse("Daily", kBarDaily), "Daily");
  EXPECT_EQ(Parse("w", kBarWeekly), "Weekly");
  EXPECT_EQ(Parse("Monthly|5 Years", kBarMonthly), "Monthly");
  EXPECT_EQ(Parse("5 min", kBarInvalid), "");
  EXPECT_FALSE(FileExists(Ini())) << "plain intervals read no volume setting";
}

TEST_F(Timeframes, BarsPerDayDivideTheSymbolsDailyVolume) {
  EXPECT_EQ(Parse("Volume/~50", kBarVolume), "200");
  EXPECT_EQ(Parse("Volume/~5000", kBarVolume), "10") << "at least 10 per bar";
  EXPECT_EQ(Parse("Volume/~0", kBarVolume), "250") << "no bar count divides by 40";
  EXPECT_NE(ReadFile(Ini()).find("[SharesDailyVolume]\r\nES=10000\r\n"), std::string::npos)
      << ReadFile(Ini());
  Settings::WriteInt("TickDailyVolume", "NQ", 200000);
  EXPECT_EQ(Parse("Ticks/~100", kBarTick, "NQ"), "2000");
  EXPECT_EQ(Parse("Ticks/~100", kBarTick, "es"), "100");
  EXPECT_EQ(Parse("Ticks/~100", kBarTick, ""), "100") << "no symbol: the default volume, nothing written";
  EXPECT_EQ(ReadFile(Ini()).find("\n="), std::string::npos) << ReadFile(Ini());
}

TEST_F(Timeframes, BarTypeNamesAndFileNameCodes) {
  CTxt name;
  EXPECT_EQ(GetBarTypeName(kBarIntraday, name), 9);
  EXPECT_STREQ(name, "Intra-day");
  GetBarTypeName(kBarMomentum, name);
  EXPECT_STREQ(name, "Momemntum");
  GetBarTypeName(kBarPointFigure, name);
  EXPECT_STREQ(name, "Point & Figure");
  EXPECT_EQ(GetBarTypeName(7, name), 0);
  EXPECT_EQ(GetBarTypeName(kBarInvalid, name), 0);

  EXPECT_EQ(Code(kBarTick, "100"), "Tick00100");
  EXPECT_EQ(Code(kBarIntraday, "5"), "Intra0005");
  EXPECT_EQ(Code(kBarDaily, ""), "Daily");
  EXPECT_EQ(Code(kBarWeekly, "x"), "Weekly");
  EXPECT_EQ(Code(kBarMonthly, nullptr), "Monthly");
  EXPECT_EQ(Code(kBarPointFigure, "3"), "PF0003");
  EXPECT_EQ(Code(kBarKase, "0.5/M"), "KASE0.5/M");
  EXPECT_EQ(Code(kBarLineBreak, "3"), "LinBrk0003");
  EXPECT_EQ(Code(kBarMomentum, "1.5"), "Mom1.50");
  EXPECT_EQ(Code(kBarRange, "2.254"), "Range2.25");
  EXPECT_EQ(Code(kBarVolume, "1000"), "Volume01000");
  EXPECT_EQ(Code(kBarKagi, "2"), "KAGI2");
  CTxt code;
  EXPECT_EQ(GetBarTypeCode(kBarRenko, "3", code), -1);
  EXPECT_STREQ(code, "Invalid BarType 14 (Int 3)");
  EXPECT_EQ(GetBarTypeCode(6, "5", code), -1);
  EXPECT_STREQ(code, "Invalid BarType 6 (Int 5)");

  // The parser's value feeds the code of the result file names.
  CTxt value;
  int barType = ParseChartInterval("Intra/0", "ES", value);
  EXPECT_EQ(Code(barType, value), "Intra0015");
  barType = ParseChartInterval("Kase/0.5/T", "ES", value);
  EXPECT_EQ(Code(barType, value), "KASE0.5/T");
}

// A step belongs to a symbol only by its whole first field: a symbol that starts another's name, a line
// without fields and a line of blanks are told apart.
TEST_F(Timeframes, PerSymbolQueriesCompareTheWholeSymbolField) {
  CTxtArray steps;
  steps.Add("ES|OptSet|Intra/5|10 Days|");
  steps.Add("ESM|OptSet|Daily|2 Years|");
  steps.Add("E|OptSet|Weekly|3 Years|");
  steps.Add(" ES|OptSet|Monthly|4 Years|");
  steps.Add("es");
  steps.Add("   ");
  steps.Add("");
  int count = 0;
  EXPECT_EQ(GetSymbolStepPosition(steps, 0, &count), 1);
  EXPECT_EQ(count, 2) << "ES and es, not ESM, E or \" ES\"";
  EXPECT_EQ(GetSymbolStepPosition(steps, 4, &count), 2);
  EXPECT_EQ(GetSymbolStepPosition(steps, 1, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(GetSymbolStepPosition(steps, 5, &count), 1);
  EXPECT_EQ(count, 2) << "a line of blanks and an empty line both have no symbol";
  CTxtArray lines;
  EXPECT_EQ(CollectSymbolTimeframes(steps, 3, -1, lines), 1);
  EXPECT_STREQ(lines.GetAtTxt(0), "Monthly|4 Years");
}

TEST_F(Timeframes, PerSymbolQueriesOnAStepList) {
  CTxtArray steps;
  steps.Add("ES|OptSet|Intra/5|10 Days|3/5/2017|");
  steps.Add("NQ|OptSet|Daily|2 Years|3/5/2017|");
  steps.Add("es|Opt2|Ticks/100|5000 Bars|3/5/2017|");
  steps.Add("YM|OptSet|Weekly|3 Years|3/5/2017|");
  CTxtArray lines;
  EXPECT_EQ(CollectSymbolTimeframes(steps, 0, -1, lines), 2);
  ASSERT_EQ(lines.GetSize(), 2);
  EXPECT_STREQ(lines.GetAtTxt(0), "Intra/5|10 Days");
  EXPECT_STREQ(lines.GetAtTxt(1), "Ticks/100|5000 Bars");
  EXPECT_EQ(CollectSymbolTimeframes(steps, -1, 1, lines), 1) << "a negative index takes the current step";
  EXPECT_STREQ(lines.GetAtTxt(0), "Daily|2 Years");
  EXPECT_EQ(CollectSymbolTimeframes(steps, 4, 0, lines), -1);
  EXPECT_EQ(CollectSymbolTimeframes(steps, -1, -1, lines), -1);

  int count = 0;
  EXPECT_EQ(GetSymbolStepPosition(steps, 2, &count), 2);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(GetSymbolStepPosition(steps, 0, &count), 1);
  EXPECT_EQ(GetSymbolStepPosition(steps, 3, &count), 1);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(GetSymbolStepPosition(steps, -1, &count), -1);
  EXPECT_EQ(GetSymbolStepPosition(steps, 4), -1);

  CTxt text;
  EXPECT_EQ(GetStepText(steps, 1, text), 33);
  EXPECT_STREQ(text, "NQ|OptSet|Daily|2 Years|3/5/2017|");
  EXPECT_EQ(GetStepText(steps, 4, text), -1);
  EXPECT_TRUE(text.IsEmpty());
}
