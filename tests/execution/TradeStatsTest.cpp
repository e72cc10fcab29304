// The trade statistics against values computed independently (tests/data/reports/stats_reference.py over the
// lists of stats_trades.txt, and a few figures worked out by hand).
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "execution/Summary.h"
#include "execution/TradeStats.h"
#include "foundation/Settings.h"

namespace {

CZELDateTime At(const std::string& date, const std::string& time) {
  CZELDateTime d;
  EXPECT_EQ(0, d.SetDT(CZELDateTime::ParseDate(date.c_str()), CZELDateTime::ParseTime(time.c_str())));
  return d;
}

Trade MakeTrade(int direction, float profit, const std::string& entry, const std::string& exit,
                float fee = 0) {
  Trade t;
  t.direction = direction;
  t.profit = profit;
  t.commission = fee;
  std::istringstream a(entry), b(exit);
  std::string d1, t1, d2, t2;
  a >> d1 >> t1;
  b >> d2 >> t2;
  t.entry = At(d1, t1);
  t.exit = At(d2, t2);
  return t;
}

std::map<std::string, std::vector<Trade>> LoadTradeLists() {
  std::map<std::string, std::vector<Trade>> lists;
  std::ifstream in(testsupport::DataFolder() + "/reports/stats_trades.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    std::string name, d1, t1, d2, t2;
    int direction = 0;
    float profit = 0, fee = 0;
    f >> name >> direction >> profit >> fee >> d1 >> t1 >> d2 >> t2;
    lists[name].push_back(MakeTrade(direction, profit, d1 + " " + t1, d2 + " " + t2, fee));
  }
  return lists;
}

struct Expected {
  std::string list, name, text;
  int column;
};

std::vector<Expected> LoadExpected() {
  std::vector<Expected> all;
  std::ifstream in(testsupport::DataFolder() + "/reports/stats_expected.txt");
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    Expected e;
    f >> e.list >> e.column >> e.name;
    std::getline(f >> std::ws, e.text);
    all.push_back(e);
  }
  return all;
}

std::string DateText(const CZELDateTime& d) {
  if (d.IsEmpty()) return "-";
  char buf[64];
  snprintf(buf, sizeof(buf), "%d/%d/%04d %02d:%02d:%02d", d.GetMonth(), d.GetDay(), d.GetYear(), d.GetHour(),
           d.GetMinute(), d.GetSecond());
  return buf;
}

TradeStatistics Computed(const std::vector<Trade>& trades, double capital = 5000) {
  TradeStatistics stats(capital);
  for (const Trade& t : trades) stats.AddTrade(t);
  stats.Finish();
  return stats;
}

void ExpectAllFinite(const TradeStatistics& stats) {
  for (int c = 0; c < kStatColumns; ++c)
    for (int i = 0; i < kStatValues; ++i)
      EXPECT_TRUE(std::isfinite(stats.GetValue(c, i))) << "column " << c << " value " << i;
}

// The statistics read BaseRate (and StartingCapital) from a settings file of a scratch program folder.
class TradeStatsTest : public ::testing::Test {
 protected:
  void SetUp() override { Settings::OverrideAppFolder(testsupport::ScratchFolder().c_str()); }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
};

}  // namespace

TEST_F(TradeStatsTest, EveryFigureMatchesTheIndependentReference) {
  auto lists = LoadTradeLists();
  auto expected = LoadExpected();
  ASSERT_EQ(4u, lists.size());
  std::map<std::string, TradeStatistics> computed;
  for (auto& [name, trades] : lists) computed.emplace(name, Computed(trades));
  int checked = 0;
  for (const Expected& e : expected) {
    const StatRow* row = FindStatRow(("$" + e.name).c_str());
    ASSERT_NE(nullptr, row) << e.name;
    const TradeStatistics& stats = computed.at(e.list);
    std::string where = e.list + " column " + std::to_string(e.column) + " " + e.name;
    if (row->kind == kRowDate) {
      EXPECT_EQ(e.text, DateText(stats.GetDate(e.column, row->index))) << where;
    } else {
      double want = std::stod(e.text);
      EXPECT_NEAR(want, stats.GetValue(e.column, row->index), 1e-7 * std::max(1.0, std::fabs(want))) << where;
    }
    ++checked;
  }
  // Every row of the catalogue (58 without separators) for each column that has trades: all three for the
  // mixed lists, all trades and longs for the long-only ones.
  EXPECT_EQ(58 * (3 + 2 + 3 + 2), checked);
}

TEST_F(TradeStatsTest, TwoTradeExampleWorkedOutByHand) {
  TradeStatistics stats = Computed({MakeTrade(1, 100, "3/1/2012 10:00", "3/2/2012 10:00"),
                                    MakeTrade(1, -50, "3/5/2012 10:00", "3/6/2012 16:00")});
  EXPECT_DOUBLE_EQ(50, stats.GetValue(kColumnAll, kStatPL));
  EXPECT_DOUBLE_EQ(5050, stats.GetValue(kColumnAll, kStatEqu));
  EXPECT_DOUBLE_EQ(2, stats.GetValue(kColumnAll, kStatPF));
  EXPECT_DOUBLE_EQ(50, stats.GetValue(kColumnAll, kStatProb));
  EXPECT_DOUBLE_EQ(2, stats.GetValue(kColumnAll, kStatCntTrd));
  EXPECT_DOUBLE_EQ(-50, stats.GetValue(kColumnAll, kStatMaxDDAmt));
  EXPECT_DOUBLE_EQ(-50.0 * 100 / 5100, stats.GetValue(kColumnAll, kStatMaxDDPer));
  EXPECT_EQ("3/2/2012 10:00:00", DateText(stats.GetDate(kColumnAll, kDateMaxDD))) << "the date of the peak";
  EXPECT_EQ(0, stats.GetTradeCount(kColumnShort));
  EXPECT_EQ(2, stats.GetTradeCount(kColumnLong));
}

TEST_F(TradeStatsTest, ZeroProfitIsALoserAndLeavesTheProfitFactorAtZero) {
  TradeStatistics stats = Computed({MakeTrade(1, 100, "3/1/2012 10:00", "3/2/2012 10:00"),
                                    MakeTrade(-1, 0, "3/5/2012 10:00", "3/6/2012 16:00")});
  EXPECT_DOUBLE_EQ(1, stats.GetValue(kColumnAll, kStatCntLoss));
  EXPECT_DOUBLE_EQ(50, stats.GetValue(kColumnAll, kStatProb));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatPF));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatPFAvg));
  EXPECT_DOUBLE_EQ(1, stats.GetValue(kColumnShort, kStatMaxLossCnt));
  EXPECT_TRUE(stats.GetDate(kColumnAll, kDateMaxLoss).IsEmpty()) << "no loss below zero";
}

TEST_F(TradeStatsTest, OnlyWinnersCapTheMarRatio) {
  TradeStatistics stats = Computed({MakeTrade(1, 100, "3/1/2012 10:00", "3/2/2012 10:00"),
                                    MakeTrade(1, 40, "3/5/2012 10:00", "3/6/2012 16:00")});
  EXPECT_DOUBLE_EQ(9.999, stats.GetValue(kColumnAll, kStatMAR));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatPF));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatMaxDDAmt));
  EXPECT_DOUBLE_EQ(140, stats.GetValue(kColumnAll, kStatMaxDUAmt));
  EXPECT_DOUBLE_EQ(140.0 * 100 / 5140, stats.GetValue(kColumnAll, kStatMaxDUPer));
}

TEST_F(TradeStatsTest, ShortColumnFollowsItsOwnEquityCurveFromTheCapital) {
  // All trades: 5000 -> 5300 -> 5200 -> 5100; shorts alone: 5000 -> 4900 -> 4800.
  TradeStatistics stats = Computed({MakeTrade(1, 300, "3/1/2012 10:00", "3/1/2012 11:00"),
                                    MakeTrade(-1, -100, "3/2/2012 10:00", "3/2/2012 11:00"),
                                    MakeTrade(-1, -100, "3/3/2012 10:00", "3/3/2012 11:00")});
  EXPECT_DOUBLE_EQ(-200, stats.GetValue(kColumnAll, kStatMaxDDAmt));
  EXPECT_DOUBLE_EQ(-200.0 * 100 / 5300, stats.GetValue(kColumnAll, kStatMaxDDPer));
  EXPECT_DOUBLE_EQ(-200, stats.GetValue(kColumnShort, kStatMaxDDAmt));
  EXPECT_DOUBLE_EQ(-200.0 * 100 / 5000, stats.GetValue(kColumnShort, kStatMaxDDPer));
  EXPECT_DOUBLE_EQ(4800, stats.GetValue(kColumnShort, kStatMinEqu));
  EXPECT_EQ("3/2/2012 10:00:00", DateText(stats.GetDate(kColumnShort, kDateMaxDD)))
      << "the short column's start";
  EXPECT_DOUBLE_EQ(2, stats.GetValue(kColumnAll, kStatMaxLossCnt));
}

TEST_F(TradeStatsTest, SharpeAndReturnOverExactlyOneYearWithCapitalAndRateFromSettings) {
  Settings::WriteString("Yieldra", "StartingCapital", "10000");
  Settings::WriteString("Yieldra", "BaseRate", "2");
  TradeStatistics stats;
  EXPECT_DOUBLE_EQ(10000, stats.GetCapital());
  // Entry 1/1/2013 00:00 to exit 1/1/2014 06:00 is 365.25 days: one year.
  stats.AddTrade(MakeTrade(1, 300, "1/1/2013 00:00", "6/1/2013 00:00"));
  stats.AddTrade(MakeTrade(1, 100, "6/2/2013 00:00", "1/1/2014 06:00"));
  stats.Finish();
  EXPECT_DOUBLE_EQ(1, stats.GetValue(kColumnAll, kStatTrdRngYr));
  EXPECT_DOUBLE_EQ(400, stats.GetValue(kColumnAll, kStatPLYr));
  EXPECT_DOUBLE_EQ(4, stats.GetValue(kColumnAll, kStatRetYr));  // 400 of 10000 in one year
  // Sample deviation of 300 and 100 is 100 * sqrt(2); (4 - 2) / (sqrt(12) * 141.42... * 100 / 10000)
  EXPECT_NEAR(100 * std::sqrt(2.0), stats.GetValue(kColumnAll, kStatDevAmt), 1e-9);
  EXPECT_NEAR(0.4082482905, stats.GetValue(kColumnAll, kStatSharpe), 1e-9);
  EXPECT_DOUBLE_EQ(10000, stats.GetValue(kColumnAll, kStatEquStart));
  EXPECT_DOUBLE_EQ(10000, stats.GetValue(kColumnShort, kStatEqu)) << "an empty column keeps the capital";
}

TEST_F(TradeStatsTest, ATradingPeriodOfNoLengthGivesFiniteZeros) {
  TradeStatistics stats = Computed({MakeTrade(1, 75, "3/1/2012 10:00", "3/1/2012 10:00")});
  ExpectAllFinite(stats);
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatTrdRngDay));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatPLYr));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatRetYr));
  EXPECT_DOUBLE_EQ(0, stats.GetValue(kColumnAll, kStatTrdDurPer));
  EXPECT_DOUBLE_EQ(9.999, stats.GetValue(kColumnAll, kStatSharpe)) << "one trade has no deviation";
  EXPECT_DOUBLE_EQ(9.999, stats.GetValue(kColumnAll, kStatMAR));
  EXPECT_DOUBLE_EQ(100, stats.GetValue(kColumnShort, kStatVolatityPer)) << "a column without trades";
}

TEST_F(TradeStatsTest, NoTradesAndNoCapitalStayFinite) {
  ExpectAllFinite(Computed({}));
  TradeStatistics broke = Computed({MakeTrade(1, -10, "3/1/2012 10:00", "3/2/2012 10:00"),
                                    MakeTrade(1, 10, "3/3/2012 10:00", "3/4/2012 10:00"),
                                    MakeTrade(-1, -10, "3/5/2012 10:00", "3/5/2012 10:00")},
                                   0);
  ExpectAllFinite(broke);
  EXPECT_DOUBLE_EQ(0, broke.GetValue(kColumnAll, kStatDevPer));
  EXPECT_DOUBLE_EQ(9.999, broke.GetValue(kColumnAll, kStatSharpe));
}

TEST_F(TradeStatsTest, AccessorsOutsideTheTableAndReset) {
  TradeStatistics stats = Computed({MakeTrade(-1, 20, "3/1/2012 10:00", "3/2/2012 10:00")});
  EXPECT_EQ(1e9, stats.GetValue(3, 0));
  EXPECT_EQ(1e9, stats.GetValue(-1, 0));
  EXPECT_EQ(1e9, stats.GetValue(0, 60));
  EXPECT_EQ(1e9, stats.GetValue(0, -1));
  EXPECT_EQ(0.0, stats.GetValue(0, 59));
  EXPECT_TRUE(stats.GetDate(0, 8).IsEmpty());
  EXPECT_TRUE(stats.GetDate(3, 0).IsEmpty());
  EXPECT_EQ(0, stats.GetTradeCount(5));
  EXPECT_EQ(1, stats.GetTradeCount(kColumnShort));

  stats.Reset(2500);
  EXPECT_EQ(0, stats.GetTradeCount(kColumnAll));
  EXPECT_TRUE(stats.GetTrades().empty());
  EXPECT_TRUE(stats.GetDate(kColumnShort, kDateMaxTrd).IsEmpty());
  for (int c = 0; c < kStatColumns; ++c) {
    EXPECT_EQ(2500, stats.GetValue(c, kStatEqu));
    EXPECT_EQ(2500, stats.GetValue(c, kStatEquStart));
    EXPECT_EQ(0, stats.GetValue(c, kStatPL));
  }
}
