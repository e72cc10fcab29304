// The stand-in's strategy without windows: the setup kept in workspace keys, the "MovAvg Cross" backtest on
// the synthetic prices, the optimisation's test plans, and the report files as the core's report loader
// reads them back.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "Market.h"
#include "Optimization.h"
#include "PriceSeries.h"
#include "Reports.h"
#include "Strategy.h"
#include "StrategyEngine.h"
#include "TestSupport.h"
#include "execution/ReportLoader.h"
#include "foundation/Settings.h"

using namespace orchart;

namespace {

// The sample workspace's chart: MSFT 5 min, 12/3/2012 to 12/14/2012.
std::vector<Bar> SampleBars() {
  DateRange r;
  r.first = Date{2012, 12, 3};
  r.last = Date{2012, 12, 14};
  return BuildBars("MSFT", Interval{BarKind::Minute, 5, 'M'}, r);
}

std::vector<Bar> DailyBars() {
  DateRange r;
  r.first = Date{2010, 1, 4};
  r.last = Date{2012, 12, 14};
  return BuildBars("IBM", Interval{BarKind::Daily, 1, 'M'}, r);
}

StrategySetup MovAvgCross(const std::string& fast, const std::string& slow, const std::string& stop = "0") {
  StrategySetup s = StrategySetup::Default();
  s.maxBarsBack = 20;
  EXPECT_TRUE(s.inputs[0].Take(fast));
  EXPECT_TRUE(s.inputs[1].Take(slow));
  EXPECT_TRUE(s.inputs[3].Take(stop));
  return s;
}

// The sum in cents of `length` closes ending at bar i, added up the slow way.
long long CloseSum(const std::vector<Bar>& bars, size_t i, int length) {
  long long sum = 0;
  for (int k = 0; k < length; ++k) sum += std::llround(bars[i - static_cast<size_t>(k)].close * 100);
  return sum;
}

double Cents(double v) {
  return std::round(v * 100) / 100;
}

class StandInReportFiles : public ::testing::Test {
 protected:
  void SetUp() override { Settings::OverrideAppFolder(testsupport::ScratchFolder().c_str()); }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
};

ReportSubject SubjectFor(const StrategySetup& s, bool intraday = true) {
  ReportSubject subject;
  subject.strategy = s.name;
  subject.symbol = intraday ? "MSFT" : "IBM";
  subject.interval = intraday ? "5 min" : "Daily";
  subject.intraday = intraday;
  for (const StrategyInput& in : s.inputs) subject.inputs.emplace_back(in.name, in.Shown());
  return subject;
}

}  // namespace

// ---- Setup and workspace keys ----------------------------------------------------------------------

TEST(StandInStrategySetup, DefaultInputsInTheirOrder) {
  StrategySetup s = StrategySetup::Default();
  EXPECT_EQ(s.name, "MovAvg Cross");
  EXPECT_TRUE(s.on);
  ASSERT_EQ(s.inputs.size(), 4u);
  EXPECT_EQ(s.inputs[0].name, "FastLength");
  EXPECT_EQ(s.inputs[1].name, "SlowLength");
  EXPECT_EQ(s.inputs[2].name, "Price");
  EXPECT_EQ(s.inputs[3].name, "StopLoss");
  EXPECT_FALSE(s.inputs[2].numeric) << "a text input";
  EXPECT_EQ(s.inputs[2].Shown(), "Close");
  EXPECT_FALSE(s.HasRanges());
  EXPECT_EQ(s.Permutations(), 1);
}

TEST(StandInStrategySetup, KeysRoundTripAndOtherKeysStay) {
  StrategySetup s = StrategySetup::Default();
  ASSERT_TRUE(s.inputs[0].Take("5..25:5"));
  ASSERT_TRUE(s.inputs[1].Take("30"));
  ASSERT_TRUE(s.inputs[2].Take("High"));
  s.on = false;
  s.maxBarsBack = 60;
  s.method = OptimizationMethod::Genetic;
  s.genetic = GeneticSettings{7, 0.25, 12, 0.5};
  KeyValues kept = {{"Comment", "mine"}, {"Input.FastLength", "1"}, {"Other", "x"}};
  KeyValues keys = s.ToKeys(kept);
  ASSERT_GE(keys.size(), 2u);
  EXPECT_EQ(keys[0], (std::pair<std::string, std::string>{"Comment", "mine"}));
  EXPECT_EQ(keys[1], (std::pair<std::string, std::string>{"Other", "x"}));
  size_t fastKeys = 0;
  for (const auto& kv : keys) fastKeys += kv.first == "Input.FastLength";
  EXPECT_EQ(fastKeys, 1u) << "the old input key is replaced, not repeated";

  StrategySetup back = StrategySetup::FromKeys(keys);
  EXPECT_FALSE(back.on);
  EXPECT_EQ(back.maxBarsBack, 60);
  EXPECT_EQ(back.method, OptimizationMethod::Genetic);
  EXPECT_EQ(back.genetic.generations, 7);
  EXPECT_EQ(back.genetic.population, 12);
  EXPECT_DOUBLE_EQ(back.genetic.mutation, 0.25);
  ASSERT_EQ(back.inputs.size(), 4u);
  EXPECT_TRUE(back.inputs[0].ranged);
  EXPECT_EQ(back.inputs[0].Shown(), "5..25:5");
  EXPECT_EQ(back.inputs[1].Shown(), "30");
  EXPECT_EQ(back.inputs[2].Shown(), "High");
}

TEST(StandInStrategySetup, RangesTheirValuesAndPermutations) {
  InputRange r;
  ASSERT_TRUE(ParseInputRange("5..25:5", r));
  EXPECT_EQ(RangeValues(r), (std::vector<double>{5, 10, 15, 20, 25}));
  ASSERT_TRUE(ParseInputRange(" 10 .. 20 : 3 ", r));
  EXPECT_EQ(RangeValues(r), (std::vector<double>{10, 13, 16, 19})) << "the stop is not passed";
  ASSERT_TRUE(ParseInputRange("0.1..0.3:0.1", r));
  EXPECT_EQ(RangeValues(r).size(), 3u) << "rounding does not lose the last value";
  EXPECT_EQ(FormatInputRange(InputRange{0.5, 2, 0.25}), "0.5..2:0.25");
  for (const char* bad : {"5..25", "5-25:5", "a..b:c", "..:", "5..25:x"})
    EXPECT_FALSE(ParseInputRange(bad, r)) << bad;
  EXPECT_TRUE(RangeValues(InputRange{5, 25, 0}).empty());
  EXPECT_TRUE(RangeValues(InputRange{25, 5, 5}).empty());

  StrategySetup s = StrategySetup::Default();
  ASSERT_TRUE(s.inputs[0].Take("10..20:5"));
  ASSERT_TRUE(s.inputs[1].Take("10..20:3"));
  EXPECT_EQ(s.Permutations(), 12);
  EXPECT_EQ(s.RangedInputs(), (std::vector<size_t>{0, 1}));
  StrategySetup one = s.WithValues({15, 13});
  EXPECT_FALSE(one.HasRanges());
  EXPECT_EQ(one.inputs[0].Shown(), "15");
  EXPECT_EQ(one.inputs[1].Shown(), "13");
}

TEST(StandInStrategySetup, TypedValuesAreCheckedByKind) {
  StrategySetup s = StrategySetup::Default();
  EXPECT_FALSE(s.inputs[0].Take("fast")) << "a numeric input refuses text";
  EXPECT_EQ(s.inputs[0].Shown(), "9");
  EXPECT_FALSE(s.inputs[0].Take(""));
  EXPECT_TRUE(s.inputs[0].Take(" 12 "));
  EXPECT_EQ(s.inputs[0].Shown(), "12");
  EXPECT_TRUE(s.inputs[2].Take("Open"));
  EXPECT_FALSE(s.inputs[2].ranged);
  EXPECT_TRUE(s.inputs[2].Take("5..25:5")) << "a text input keeps even such a text as its value";
  EXPECT_FALSE(s.inputs[2].ranged);
}

// ---- The backtest --------------------------------------------------------------------------------

TEST(StandInStrategyEngine, SameInputsSameTradesOtherInputsOtherResults) {
  std::vector<Bar> bars = SampleBars();
  ASSERT_GT(bars.size(), 500u);
  BacktestResult a = Backtest(MovAvgCross("5", "20"), bars), b = Backtest(MovAvgCross("5", "20"), bars);
  ASSERT_GT(a.trades.size(), 4u);
  ASSERT_EQ(a.trades.size(), b.trades.size());
  for (size_t i = 0; i < a.trades.size(); ++i) {
    EXPECT_EQ(a.trades[i].entry.bar, b.trades[i].entry.bar);
    EXPECT_EQ(a.trades[i].net, b.trades[i].net);
  }
  PerformanceFigures f = a.Figures();
  std::set<std::pair<int, double>> outcomes = {{f.trades, f.netProfit}};
  for (auto [fast, slow] : {std::pair<const char*, const char*>{"7", "20"}, {"5", "30"}, {"3", "12"}}) {
    PerformanceFigures g = Backtest(MovAvgCross(fast, slow), bars).Figures();
    outcomes.insert({g.trades, g.netProfit});
  }
  EXPECT_EQ(outcomes.size(), 4u) << "every pair of lengths trades differently";
}

TEST(StandInStrategyEngine, EntriesFollowTheCrossingsOfTheAverages) {
  std::vector<Bar> bars = SampleBars();
  const int fast = 5, slow = 20, maxBarsBack = 20;
  BacktestResult r = Backtest(MovAvgCross("5", "20"), bars);
  // Every bar after a crossing opens the position the crossing calls for, and nothing else opens one.
  std::vector<size_t> expectedLong, expectedShort;
  for (size_t i = maxBarsBack; i + 1 < bars.size(); ++i) {
    // Averages compared exactly: fast sum / fast vs slow sum / slow.
    long long before = CloseSum(bars, i - 1, fast) * slow - CloseSum(bars, i - 1, slow) * fast;
    long long now = CloseSum(bars, i, fast) * slow - CloseSum(bars, i, slow) * fast;
    if (now > 0 && before <= 0) expectedLong.push_back(i + 1);
    if (now < 0 && before >= 0) expectedShort.push_back(i + 1);
  }
  std::vector<size_t> longs, shorts;
  for (const StrategyTrade& t : r.trades) (t.direction > 0 ? longs : shorts).push_back(t.entry.bar);
  EXPECT_EQ(longs, expectedLong);
  EXPECT_EQ(shorts, expectedShort);
}

TEST(StandInStrategyEngine, PricesCommissionsAndReversals) {
  std::vector<Bar> bars = SampleBars();
  BacktestResult r = Backtest(MovAvgCross("5", "20"), bars);
  ASSERT_GT(r.trades.size(), 2u);
  for (size_t i = 0; i < r.trades.size(); ++i) {
    const StrategyTrade& t = r.trades[i];
    SCOPED_TRACE("trade " + std::to_string(i + 1));
    EXPECT_EQ(t.entry.price, bars[t.entry.bar].open) << "market orders fill at the open";
    EXPECT_EQ(t.entry.date, bars[t.entry.bar].date);
    EXPECT_EQ(t.entry.time, bars[t.entry.bar].time);
    EXPECT_EQ(t.entry.signal, t.direction > 0 ? "MA LE" : "MA SE");
    EXPECT_EQ(t.shares, 100);
    EXPECT_DOUBLE_EQ(t.gross, Cents((t.exit.price - t.entry.price) * 100 * t.direction));
    if (t.open) {
      EXPECT_EQ(i + 1, r.trades.size()) << "only the last trade can be open";
      EXPECT_DOUBLE_EQ(t.exit.price, bars.back().close);
      EXPECT_NEAR(t.net, t.gross - 2.0, 0.005) << "the entry commission only";
      continue;
    }
    EXPECT_NEAR(t.net, t.gross - 4.0, 0.005) << "two sides at $2.00";
    EXPECT_GE(t.runUp, 0);
    EXPECT_LE(t.drawDown, 0);
    EXPECT_LT(t.entry.bar, t.exit.bar + 1);
    if (i + 1 < r.trades.size()) {
      // Without a stop every exit is a reversal at the next trade's entry.
      EXPECT_EQ(t.exit.bar, r.trades[i + 1].entry.bar);
      EXPECT_EQ(t.exit.signal, t.direction > 0 ? "MA LX" : "MA SX");
      EXPECT_EQ(r.trades[i + 1].direction, -t.direction);
    }
  }
  EXPECT_TRUE(r.trades.back().open) << "a reversal system still holds a position at the end";
  EXPECT_EQ(r.Figures().trades, static_cast<int>(r.trades.size()) - 1) << "the open position is not counted";
}

TEST(StandInStrategyEngine, StopLossLeavesAtTheStop) {
  std::vector<Bar> bars = SampleBars();
  BacktestResult r = Backtest(MovAvgCross("5", "20", "8"), bars);  // $0.08 a share
  int stops = 0;
  for (const StrategyTrade& t : r.trades) {
    if (t.open || t.exit.signal != "StopLoss") continue;
    ++stops;
    double stop = t.entry.price - t.direction * 0.08;
    const Bar& b = bars[t.exit.bar];
    double expected = t.direction > 0 ? std::min(b.open, stop) : std::max(b.open, stop);
    EXPECT_NEAR(t.exit.price, expected, 1e-9) << "the stop, or the open when it gapped past it";
    EXPECT_LE(t.gross, 0.005);
  }
  EXPECT_GT(stops, 0);
  EXPECT_NE(r.Figures().netProfit, Backtest(MovAvgCross("5", "20"), bars).Figures().netProfit);
}

TEST(StandInStrategyEngine, MaxBarsBackAndPriceInput) {
  std::vector<Bar> bars = SampleBars();
  StrategySetup late = MovAvgCross("5", "20");
  late.maxBarsBack = 300;
  BacktestResult r = Backtest(late, bars);
  ASSERT_FALSE(r.trades.empty());
  EXPECT_GT(r.trades.front().entry.bar, 300u);
  StrategySetup high = MovAvgCross("5", "20");
  ASSERT_TRUE(high.inputs[2].Take("High"));
  EXPECT_NE(Backtest(high, bars).Figures().netProfit,
            Backtest(MovAvgCross("5", "20"), bars).Figures().netProfit);
  EXPECT_TRUE(Backtest(MovAvgCross("5", "20"), {}).trades.empty());
}

TEST(StandInStrategyEngine, FiguresAddUp) {
  BacktestResult r = Backtest(MovAvgCross("4", "15", "40"), SampleBars());
  PerformanceFigures all = r.Figures(), longs = r.Figures(TradeFilter::Long),
                     shorts = r.Figures(TradeFilter::Short);
  double net = 0;
  int closed = 0, winners = 0;
  double equity = 0, peak = 0, drawdown = 0;
  for (const StrategyTrade& t : r.trades) {
    if (t.open) continue;
    ++closed;
    net += t.net;
    winners += t.net > 0;
    equity += t.net;
    peak = std::max(peak, equity);
    drawdown = std::min(drawdown, equity - peak);
  }
  EXPECT_EQ(all.trades, closed);
  EXPECT_NEAR(all.netProfit, net, 0.005);
  EXPECT_NEAR(all.grossProfit + all.grossLoss, all.netProfit, 0.005);
  EXPECT_EQ(all.winners, winners);
  EXPECT_EQ(longs.trades + shorts.trades, all.trades);
  EXPECT_NEAR(longs.netProfit + shorts.netProfit, all.netProfit, 0.005);
  EXPECT_NEAR(all.maxDrawdown, drawdown, 0.005);
  EXPECT_LE(all.maxIntradayDrawdown, all.maxDrawdown);
  EXPECT_NEAR(all.percentProfitable, 100.0 * winners / closed, 1e-9);
  if (all.grossLoss < 0) {
    EXPECT_NEAR(all.profitFactor, all.grossProfit / -all.grossLoss, 1e-9);
  }
}

// ---- Test plans ----------------------------------------------------------------------------------

TEST(StandInTestPlans, ExhaustiveRunsEveryPermutationLastInputFastest) {
  StrategySetup s = StrategySetup::Default();
  ASSERT_TRUE(s.inputs[0].Take("5..15:5"));
  ASSERT_TRUE(s.inputs[1].Take("20..30:10"));
  auto plan = MakeTestPlan(s);
  EXPECT_EQ(plan->Planned(), 6u);
  std::vector<std::vector<double>> run;
  std::vector<double> v;
  while (plan->Next(v) && run.size() < 100) {
    run.push_back(v);
    plan->Result(0);
  }
  EXPECT_EQ(run,
            (std::vector<std::vector<double>>{{5, 20}, {5, 30}, {10, 20}, {10, 30}, {15, 20}, {15, 30}}));
}

TEST(StandInTestPlans, GeneticRunsABoundedDistinctSample) {
  StrategySetup s = StrategySetup::Default();
  ASSERT_TRUE(s.inputs[0].Take("2..30:1"));   // 29 values
  ASSERT_TRUE(s.inputs[1].Take("10..60:1"));  // 51 values
  s.method = OptimizationMethod::Genetic;
  s.genetic = GeneticSettings{3, 0.2, 8, 0.6};
  auto runPlan = [&] {
    auto plan = MakeTestPlan(s);
    EXPECT_EQ(plan->Planned(), 24u);
    std::vector<std::vector<double>> run;
    std::vector<double> v;
    while (plan->Next(v) && run.size() < 1000) {
      run.push_back(v);
      plan->Result(v[0] * 3 - v[1]);  // a fitness that favours long fast and short slow averages
    }
    return run;
  };
  std::vector<std::vector<double>> run = runPlan();
  EXPECT_EQ(run.size(), 24u) << "generations x population tests";
  EXPECT_EQ(std::set<std::vector<double>>(run.begin(), run.end()).size(), run.size()) << "no test twice";
  for (const auto& v : run) {
    EXPECT_TRUE(v[0] >= 2 && v[0] <= 30 && v[1] >= 10 && v[1] <= 60);
  }
  EXPECT_EQ(runPlan(), run) << "the same setup gives the same sample";

  ASSERT_TRUE(s.inputs[0].Take("5..10:5"));
  ASSERT_TRUE(s.inputs[1].Take("20..40:10"));
  auto small = MakeTestPlan(s);
  EXPECT_EQ(small->Planned(), 6u) << "never more tests than permutations";
}

TEST(StandInTestPlans, BestIsTheHighestNetProfitFirstOfEqualOnes) {
  OptimizationTable table;
  EXPECT_EQ(table.Best(), -1);
  for (double net : {10.0, 30.0, -5.0, 30.0}) {
    OptimizationTest t;
    t.number = static_cast<int>(table.tests.size()) + 1;
    t.figures.netProfit = net;
    table.tests.push_back(t);
  }
  EXPECT_EQ(table.Best(), 1);
}

// ---- Report files --------------------------------------------------------------------------------

TEST(StandInReportFormats, MoneyDatesAndTimes) {
  EXPECT_EQ(FormatMoney(1234.5), "$1,234.50");
  EXPECT_EQ(FormatMoney(-12), "($12.00)");
  EXPECT_EQ(FormatMoney(0), "$0.00");
  EXPECT_EQ(FormatMoney(-0.001), "$0.00");
  EXPECT_EQ(FormatMoney(1234567.891), "$1,234,567.89");
  EXPECT_EQ(FormatMoney(999.999), "$1,000.00");
  EXPECT_EQ(FormatTradeDate(20120103), "1/3/2012");
  EXPECT_EQ(FormatTradeDate(20121214), "12/14/2012");
  EXPECT_EQ(FormatTradeTime(935), "09:35");
  EXPECT_EQ(FormatTradeTime(1600), "16:00");
}

TEST(StandInReportFormats, QuotedPrintableKeepsLinesShortAndDecodesBack) {
  std::string text = "<TD id=inputName1>" + std::string(200, 'x') + "=\xE9 end \r\nsecond line  \r\n\r\nlast";
  std::string encoded = EncodeQuotedPrintable(text);
  size_t pos = 0;
  while (pos < encoded.size()) {
    size_t end = encoded.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
    EXPECT_LE(end - pos, 76u);
    std::string line = encoded.substr(pos, end - pos);
    EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << "no blank at a line end";
    pos = end + 2;
  }
  EXPECT_NE(encoded.find("=3D"), std::string::npos);
  EXPECT_NE(encoded.find("=E9"), std::string::npos);
  std::string decoded = encoded;
  DecodeQuotedPrintable(decoded);
  EXPECT_EQ(decoded, text + "\r\n");
}

TEST_F(StandInReportFiles, ArchiveLayoutAndItsTradesForTheReportLoader) {
  StrategySetup s = MovAvgCross("5", "20");
  BacktestResult r = Backtest(s, SampleBars());
  ASSERT_TRUE(r.trades.back().open);
  ReportSubject subject = SubjectFor(s);
  std::string page = PerformanceReportPage(subject, r);
  ArchiveEnvelope e{"Fri, 14 Dec 2012 16:05:11 -0500", "----=_NextPart_000_0000_01CDDA3C.5A3B1F20",
                    "file:///C:/Program%20Files/TradeStation%209.5/Program/Reports/Report.htm"};
  std::string archive = WebArchive(page, PerformanceReportTitle(subject), e);
  EXPECT_EQ(archive.rfind("From: <Saved by TradeStation>\r\n"
                          "Subject: TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min\r\n"
                          "Date: Fri, 14 Dec 2012 16:05:11 -0500\r\nMIME-Version: 1.0\r\n"
                          "Content-Type: multipart/related; type=\"text/html\"; "
                          "boundary=\"----=_NextPart_000_0000_01CDDA3C.5A3B1F20\"\r\n\r\n"
                          "This is a multi-part message in MIME format.\r\n\r\n"
                          "------=_NextPart_000_0000_01CDDA3C.5A3B1F20\r\n"
                          "Content-Type: text/html; charset=\"windows-1252\"\r\n"
                          "Content-Transfer-Encoding: quoted-printable\r\n",
                          0),
            0u);
  const std::string ending = "\r\n------=_NextPart_000_0000_01CDDA3C.5A3B1F20--\r\n";
  EXPECT_EQ(archive.substr(archive.size() - ending.size()), ending);

  std::string decoded = archive;
  DecodeReportArchive(decoded);
  EXPECT_TRUE(decoded + "\r\n" == page)
      << "the page comes back whole, without the line end before the delimiter";
  for (const char* marker : {"<H2>Performance Summary</H2>", "<H2>Trades List</H2>",
                             "<H2>Annual Trading Summary</H2>", "<H2>Equity Curve</H2>", "<H2>Settings</H2>"})
    EXPECT_NE(page.find(marker), std::string::npos) << marker;
  EXPECT_LT(page.find("Trades List"), page.find("Annual Trading Summary"));
  EXPECT_NE(page.find("<TD id=inputName1>MovAvg Cross - FastLength</TD><TD id=inputValue1>5</TD>"),
            std::string::npos);
  EXPECT_NE(page.find("<TD id=inputName3>MovAvg Cross - Price</TD><TD id=inputValue3>Close</TD>"),
            std::string::npos);

  TradeStatistics stats(5000);
  CTxt msg;
  ReportHeader header;
  int loaded = LoadTradesFromPage(decoded, "test.MHT", stats, msg, &header);
  PerformanceFigures f = r.Figures();
  ASSERT_EQ(loaded, f.trades) << msg;
  EXPECT_STREQ(header.symbol, "MSFT");
  EXPECT_STREQ(header.title, "TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min");
  double sum = 0, commissions = 0;
  for (const Trade& t : stats.GetTrades()) {
    sum += t.profit;
    commissions += t.commission;
  }
  EXPECT_NEAR(sum, f.netProfit, 0.01 * f.trades);
  EXPECT_NEAR(commissions, f.commissions, 0.001);
  ASSERT_EQ(stats.GetTrades().size(), r.trades.size() - 1);
  for (size_t i = 0; i < stats.GetTrades().size(); ++i) {
    EXPECT_EQ(stats.GetTrades()[i].direction > 0, r.trades[i].direction > 0) << i;
    EXPECT_EQ(stats.GetTrades()[i].entry.GetDate(-2), r.trades[i].entry.date) << i;
  }
}

TEST_F(StandInReportFiles, DailyReportHasNoTimesAndTheSpreadsheetIsThePage) {
  StrategySetup s = MovAvgCross("10", "30", "500");
  BacktestResult r = Backtest(s, DailyBars());
  ASSERT_GT(r.Figures().trades, 3);
  std::string page = PerformanceReportPage(SubjectFor(s, false), r);
  EXPECT_EQ(page.find("<TD>09:"), std::string::npos);
  EXPECT_EQ(page.find("<TD>16:00</TD>"), std::string::npos);
  TradeStatistics stats(5000);
  CTxt msg;
  EXPECT_EQ(LoadTradesFromPage(page, "test.XLS", stats, msg), r.Figures().trades) << msg;
}

TEST(StandInReportFormats, OptimizationListOneLinePerTest) {
  StrategySetup s = StrategySetup::Default();
  ASSERT_TRUE(s.inputs[0].Take("5..15:5"));
  ASSERT_TRUE(s.inputs[1].Take("20..25:5"));
  std::vector<Bar> bars = SampleBars();
  OptimizationTable table{{"FastLength", "SlowLength"}, {}};
  auto plan = MakeTestPlan(s);
  std::vector<double> v;
  while (plan->Next(v)) {
    OptimizationTest t{static_cast<int>(table.tests.size()) + 1, v,
                       Backtest(s.WithValues(v), bars).Figures()};
    table.tests.push_back(t);
  }
  std::string csv = OptimizationCsv(table);
  std::vector<std::string> lines;
  for (size_t pos = 0; pos < csv.size();) {
    size_t end = csv.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(csv.substr(pos, end - pos));
    pos = end + 2;
  }
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(
      lines[0],
      "Test,FastLength,SlowLength,All: Net Profit,All: Total Trades,All: Profit Factor,All: % Profitable,"
      "All: Max Strategy Drawdown");
  const OptimizationTest& second = table.tests[1];
  char expected[160];
  std::snprintf(expected, sizeof expected, "2,5,25,%.2f,%d,%.2f,%.2f,%.2f", second.figures.netProfit,
                second.figures.trades, second.figures.profitFactor, second.figures.percentProfitable,
                second.figures.maxDrawdown);
  EXPECT_EQ(lines[2], expected);
  EXPECT_EQ(lines[2].find('$'), std::string::npos);
  std::string html = OptimizationReportPage(SubjectFor(s), table);
  EXPECT_NE(html.find("<TITLE>TradeStation Strategy Optimization Report - MovAvg Cross MSFT-5 min</TITLE>"),
            std::string::npos);
}
