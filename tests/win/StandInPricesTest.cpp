// The stand-in's chart data: dates, interval texts, ranges, and the synthetic prices that charts show
// (and that later the stand-in's strategies trade): deterministic, consistent across intervals.
#include <gtest/gtest.h>

#include <algorithm>

#include "Market.h"
#include "PriceSeries.h"

using namespace orchart;

namespace {

DateRange Range(Date first, Date last) {
  DateRange r;
  r.first = first;
  r.last = last;
  return r;
}

DateRange BarsBack(int bars, Date last) {
  DateRange r;
  r.barsBack = true;
  r.bars = bars;
  r.last = last;
  return r;
}

const Date kFirst{2012, 12, 3}, kLast{2012, 12, 14};

}  // namespace

TEST(StandInDates, SerialsWeekdaysParsingAndMonthArithmetic) {
  EXPECT_EQ(Date::FromSerial(Date{2012, 12, 14}.Serial()), (Date{2012, 12, 14}));
  EXPECT_EQ((Date{1970, 1, 1}).Serial(), 0);
  EXPECT_EQ((Date{2012, 12, 14}).Weekday(), 5) << "a Friday";
  Date d;
  ASSERT_TRUE(Date::Parse("12/31/2012", d));
  EXPECT_EQ(d, (Date{2012, 12, 31}));
  ASSERT_TRUE(Date::Parse("03/07/2011", d));
  EXPECT_EQ(d.Text(), "3/7/2011");
  EXPECT_FALSE(Date::Parse("2/30/2012", d));
  EXPECT_FALSE(Date::Parse("12/31/2012x", d));
  EXPECT_EQ((Date{2012, 1, 31}).AddMonths(1), (Date{2012, 2, 29}));
  EXPECT_EQ((Date{2012, 12, 14}).AddDays(-30), (Date{2012, 11, 14}));
}

TEST(StandInIntervals, TextsAsChartTitlesShowThem) {
  EXPECT_EQ((Interval{BarKind::Minute, 5, 'M'}).Text(), "5 min");
  EXPECT_EQ((Interval{BarKind::Tick, 100, 'M'}).Text(), "100 Tick Bar");
  EXPECT_EQ((Interval{BarKind::Volume, 1000, 'M'}).Text(), "1000 Share Bar");
  EXPECT_EQ((Interval{BarKind::Daily, 1, 'M'}).Text(), "Daily");
  EXPECT_EQ((Interval{BarKind::Weekly, 1, 'M'}).Text(), "Weekly");
  EXPECT_EQ((Interval{BarKind::Monthly, 1, 'M'}).Text(), "Monthly");
  EXPECT_EQ((Interval{BarKind::Kase, 0.5, 'M'}).Text(), "0.5 Kase Bar");
  EXPECT_EQ((Interval{BarKind::Tick, 1, 'M'}).CacheExtension(), "tik");
  EXPECT_EQ((Interval{BarKind::Weekly, 1, 'M'}).CacheExtension(), "eod");
  EXPECT_EQ((Interval{BarKind::Volume, 1000, 'M'}).CacheExtension(), "min");
}

TEST(StandInIntervals, ParsingTitlesAndCommandWords) {
  Interval iv;
  ASSERT_TRUE(ParseInterval("5 min", iv));
  EXPECT_EQ(iv, (Interval{BarKind::Minute, 5, 'M'}));
  ASSERT_TRUE(ParseInterval("100 Tick Bar", iv));
  EXPECT_EQ(iv, (Interval{BarKind::Tick, 100, 'M'}));
  ASSERT_TRUE(ParseInterval("1000 shares", iv));
  EXPECT_EQ(iv.kind, BarKind::Volume);
  ASSERT_TRUE(ParseInterval("0.5 kase tick", iv));
  EXPECT_EQ(iv, (Interval{BarKind::Kase, 0.5, 'T'}));
  ASSERT_TRUE(ParseInterval("daily", iv));
  EXPECT_EQ(iv.kind, BarKind::Daily);
  EXPECT_FALSE(ParseInterval("5 fortnights", iv));
  EXPECT_FALSE(ParseInterval("0 min", iv));

  std::vector<std::string> words = SplitWords("MSFT 5min 10 days");
  ASSERT_EQ(words, (std::vector<std::string>{"MSFT", "5", "min", "10", "days"}));
  size_t pos = 1;
  ASSERT_TRUE(ParseInterval(words, pos, iv));
  EXPECT_EQ(pos, 3u);
  DateRange range;
  range.last = kLast;
  ASSERT_TRUE(ParseRange(words, pos, range));
  EXPECT_EQ(pos, 5u);
  EXPECT_FALSE(range.barsBack);
  EXPECT_EQ(range.first, (Date{2012, 12, 4}));
  std::vector<std::string> bars = {"500", "bars"};
  pos = 0;
  ASSERT_TRUE(ParseRange(bars, pos, range));
  EXPECT_TRUE(range.barsBack);
  EXPECT_EQ(range.bars, 500);
}

TEST(StandInPrices, SameRequestSameBarsAndSessionTimes) {
  Interval fiveMinutes{BarKind::Minute, 5, 'M'};
  std::vector<Bar> a = BuildBars("MSFT", fiveMinutes, Range(kFirst, kLast));
  std::vector<Bar> b = BuildBars("MSFT", fiveMinutes, Range(kFirst, kLast));
  ASSERT_EQ(a.size(), 10u * 78u) << "ten trading days of 78 five-minute bars";
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].close, b[i].close);
    EXPECT_GE(a[i].high, std::max(a[i].open, a[i].close));
    EXPECT_LE(a[i].low, std::min(a[i].open, a[i].close));
    EXPECT_GT(a[i].volume, 0);
  }
  EXPECT_EQ(a.front().date, 20121203);
  EXPECT_EQ(a.front().time, 935);
  EXPECT_EQ(a.back().date, 20121214);
  EXPECT_EQ(a.back().time, 1600);
  std::vector<Bar> other = BuildBars("IBM", fiveMinutes, Range(kFirst, kLast));
  EXPECT_NE(other.back().close, a.back().close);
}

TEST(StandInPrices, IntervalsAgreeOnTheSamePath) {
  std::vector<Bar> five = BuildBars("MSFT", Interval{BarKind::Minute, 5, 'M'}, Range(kFirst, kLast));
  std::vector<Bar> fifteen = BuildBars("MSFT", Interval{BarKind::Minute, 15, 'M'}, Range(kFirst, kLast));
  ASSERT_EQ(fifteen.size(), 10u * 26u);
  for (size_t i = 0; i < fifteen.size(); ++i) {
    const Bar& last = five[i * 3 + 2];
    EXPECT_EQ(fifteen[i].time, last.time);
    EXPECT_DOUBLE_EQ(fifteen[i].close, last.close);
    EXPECT_DOUBLE_EQ(fifteen[i].high, std::max({five[i * 3].high, five[i * 3 + 1].high, last.high}));
  }
  // A longer range holds the shorter one's bars unchanged.
  std::vector<Bar> longer =
      BuildBars("MSFT", Interval{BarKind::Minute, 5, 'M'}, Range(Date{2012, 11, 1}, kLast));
  ASSERT_GT(longer.size(), five.size());
  EXPECT_DOUBLE_EQ(longer[longer.size() - five.size()].open, five.front().open);
}

TEST(StandInPrices, BarsBackGivesExactlyThatManyBars) {
  std::vector<Bar> ticks = BuildBars("@ES", Interval{BarKind::Tick, 100, 'M'}, BarsBack(2000, kLast));
  EXPECT_EQ(ticks.size(), 2000u);
  EXPECT_EQ(ticks.back().date, 20121214);
  std::vector<Bar> daily = BuildBars("IBM", Interval{BarKind::Daily, 1, 'M'}, BarsBack(500, kLast));
  EXPECT_EQ(daily.size(), 500u);
  std::vector<Bar> shares = BuildBars("MSFT", Interval{BarKind::Volume, 50000, 'M'}, BarsBack(300, kLast));
  EXPECT_EQ(shares.size(), 300u);
  std::vector<Bar> kase = BuildBars("MSFT", Interval{BarKind::Kase, 0.5, 'M'}, BarsBack(50, kLast));
  EXPECT_EQ(kase.size(), 50u);
}

TEST(StandInPrices, WeeklyBarsGatherTheirDays) {
  DateRange range = Range(Date{2012, 10, 1}, kLast);
  std::vector<Bar> daily = BuildBars("IBM", Interval{BarKind::Daily, 1, 'M'}, range);
  std::vector<Bar> weekly = BuildBars("IBM", Interval{BarKind::Weekly, 1, 'M'}, range);
  EXPECT_EQ(daily.size(), 55u) << "weekdays from 10/1 to 12/14/2012";
  ASSERT_EQ(weekly.size(), 11u);
  EXPECT_EQ(weekly.back().date, 20121214);
  EXPECT_DOUBLE_EQ(weekly.back().close, daily.back().close);
  double high = 0;
  for (size_t i = daily.size() - 5; i < daily.size(); ++i) high = std::max(high, daily[i].high);
  EXPECT_DOUBLE_EQ(weekly.back().high, high);
  std::vector<Bar> monthly = BuildBars("IBM", Interval{BarKind::Monthly, 1, 'M'}, range);
  EXPECT_EQ(monthly.size(), 3u);
}
