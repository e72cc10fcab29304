// The report loader: archive decoding, header items, the trades table in its tolerated forms, the failures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReportBuilder.h"
#include "TestSupport.h"
#include "execution/ReportLoader.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

using reportbuilder::ReportTrade;

namespace {

// The small complete sample of a report: one closed long trade and one open short position.
const char kSamplePage[] =
    "<HTML><HEAD><TITLE>TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 "
    "min</TITLE></HEAD><BODY>\n"
    "<DIV class=HeaderInfo>MovAvg Cross MSFT-5 min (1/3/2012 - 1/6/2012)</DIV>\n"
    "<TABLE><TR><TD>Symbol</TD><TD id=Symbol>MSFT</TD></TR><TR><TD>Interval</TD><TD>5 min</TD></TR></TABLE>\n"
    "<H2>Performance Summary</H2><TABLE><TR><TD></TD><TD>All Trades</TD><TD>Long Trades</TD><TD>Short "
    "Trades</TD></TR>\n"
    "<TR><TD>Total Net Profit</TD><TD>$56.00</TD><TD>$56.00</TD><TD>$0.00</TD></TR></TABLE>\n"
    "<H2>Trades List</H2><TABLE class=\"TradesTable\">\n"
    "<TR><TH>#</TH><TH>Type</TH><TH>Date</TH><TH>Time</TH><TH>Signal</TH><TH>Price</TH><TH>Shares/Ctrts</TH>"
    "<TH>Profit/Loss</TH><TH>Cum. Profit</TH><TH>% Profit</TH><TH>Run-up/Drawdown</TH><TH>Comm.</TH></TR>\n"
    "<TR><TD>1</TD><TD>Buy</TD><TD>1/3/2012</TD><TD>09:35</TD><TD>MA LE</TD><TD>$26.55</TD><TD>100</TD>"
    "<TD>$56.00</TD><TD></TD><TD>2.26%</TD><TD>$80.00</TD><TD>$2.00</TD></TR>\n"
    "<TR><TD></TD><TD>Sell</TD><TD>1/4/2012</TD><TD>10:15</TD><TD>MA LX</TD><TD>$27.15</TD><TD>100</TD>"
    "<TD>$60.00</TD><TD>$56.00</TD><TD></TD><TD>($20.00)</TD><TD>$2.00</TD></TR>\n"
    "<TR><TD>2</TD><TD>Sell Short</TD><TD>1/5/2012</TD><TD>11:00</TD><TD>MA "
    "SE</TD><TD>$27.40</TD><TD>100</TD>"
    "<TD>($12.00)</TD><TD></TD><TD>-0.44%</TD><TD>$5.00</TD><TD>$2.00</TD></TR>\n"
    "</TABLE>\n"
    "<H2>Annual Trading Summary</H2><TABLE><TR><TD>2012</TD><TD>$56.00</TD></TR></TABLE>\n"
    "<H2>Equity Curve</H2><IMG src=\"equity.png\">\n"
    "<H2>Settings</H2><TABLE><TR><TD>TradeStation Strategy Inputs</TD></TR></TABLE>\n"
    "<TABLE><TR><TD><TABLE>\n"
    "<TR><TD id=inputName1>MovAvg Cross - FastLength</TD><TD id=inputValue1>9</TD></TR>\n"
    "<TR><TD id=inputName2>MovAvg Cross - SlowLength</TD><TD id=inputValue2>18</TD></TR>\n"
    "</TABLE></TD></TR></TABLE>\n"
    "</BODY></HTML>\n";

const char kTitle[] = "TradeStation Strategy Performance Report - MovAvg Cross MSFT-5 min";

std::string DateText(const CZELDateTime& d) {
  CTxt t;
  d.GetTxt(t, 9);
  return static_cast<const char*>(t);
}

class ReportLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = testsupport::ScratchFolder();
    Settings::OverrideAppFolder(m_dir.c_str());
  }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }

  std::string Write(const std::string& name, const std::string& bytes) {
    return testsupport::WriteFile(m_dir + "/" + name, bytes);
  }

  // Loads a file and checks it holds exactly the sample's closed trade.
  void ExpectSampleTrade(const std::string& path) {
    TradeStatistics stats(5000);
    CTxt msg;
    ReportHeader header;
    ASSERT_EQ(1, LoadTradeReport(path.c_str(), stats, msg, &header)) << msg;
    ASSERT_EQ(1u, stats.GetTrades().size());
    const Trade& t = stats.GetTrades()[0];
    EXPECT_EQ(1, t.direction);
    EXPECT_FLOAT_EQ(56.0f, t.profit);
    EXPECT_FLOAT_EQ(4.0f, t.commission);
    EXPECT_EQ("1/3/2012 09:35:00", DateText(t.entry));
    EXPECT_EQ("1/4/2012 10:15:00", DateText(t.exit));
    EXPECT_EQ("MSFT", std::string(header.symbol));
    EXPECT_EQ(kTitle, std::string(header.title));
    EXPECT_EQ("MovAvg Cross MSFT-5 min (1/3/2012 - 1/6/2012)", std::string(header.headerInfo));
    EXPECT_DOUBLE_EQ(56, stats.GetValue(kColumnAll, kStatPL)) << "the statistics are finished";
  }

  std::string m_dir;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// Archive forms
// ---------------------------------------------------------------------------------------------------------

TEST_F(ReportLoaderTest, QuotedPrintableArchiveAsSaved) {
  std::string archive = reportbuilder::Archive(kSamplePage, "quoted-printable", kTitle);
  ASSERT_NE(std::string::npos, archive.find("=3D")) << "the sample must exercise escapes";
  ASSERT_NE(std::string::npos, archive.find("=\r\n")) << "and soft line breaks";
  ExpectSampleTrade(Write("qp.MHT", archive));
}

TEST_F(ReportLoaderTest, Base64AndEightBitArchivesAndAnImagePartFirst) {
  ExpectSampleTrade(Write("b64.MHT", reportbuilder::Archive(kSamplePage, "base64", kTitle)));
  ExpectSampleTrade(Write("8bit.MHT", reportbuilder::Archive(kSamplePage, "8bit", kTitle, true)));
  ExpectSampleTrade(Write("img.MHT", reportbuilder::Archive(kSamplePage, "quoted-printable", kTitle, true)));
}

TEST_F(ReportLoaderTest, PlainHtmlAndSinglePartMessages) {
  ExpectSampleTrade(Write("plain.htm", kSamplePage));
  ExpectSampleTrade(Write("single.MHT",
                          "MIME-Version: 1.0\nContent-Type: text/html\nContent-Transfer-Encoding: "
                          "quoted-printable\n\n" +
                              reportbuilder::QuotedPrintable(kSamplePage)));
}

TEST(ReportArchiveDecoding, QuotedPrintableRules) {
  std::string s = "a=3Db=3db=\r\nc=\nd=XYe=0D=0A=";
  DecodeQuotedPrintable(s);
  EXPECT_EQ("a=b=bcd=XYe\r\n", s);
}

TEST(ReportArchiveDecoding, Base64SkipsLineBreaksAndStopsAtPadding) {
  std::string s = "TWFu\r\nTWE=\r\n";
  DecodeBase64(s);
  EXPECT_EQ("ManMa", s);
  s = "TQ==";
  DecodeBase64(s);
  EXPECT_EQ("M", s);
}

TEST(ReportArchiveDecoding, TextWithoutHeadersIsLeftAlone) {
  std::string page = "  <html>Content-Type: text/plain\n\nx</html>";
  std::string copy = page;
  DecodeReportArchive(copy);
  EXPECT_EQ(page, copy);
}

// ---------------------------------------------------------------------------------------------------------
// The trades table
// ---------------------------------------------------------------------------------------------------------

TEST_F(ReportLoaderTest, ShortsLossesDailyBarsAndCommissions) {
  std::vector<ReportTrade> trades(3);
  trades[0] = {true, "2/1/2012", "", "2/3/2012", "", 27.40, 27.10, 1000, 1234.56, 5, 7, false};
  trades[1] = {false, "2/6/2012", "", "2/8/2012", "", 27.00, 26.00, 1000, -1006.5, 3, 3.5, false};
  trades[2] = {false, "2/9/2012", "", "2/9/2012", "", 26.00, 26.50, 1000, 490, 5, 5, false};
  std::string page = reportbuilder::ReportPage("Breakout", "ES", "Daily", trades, {});
  TradeStatistics stats(5000);
  CTxt msg;
  ASSERT_EQ(3, LoadTradeReport(Write("d.MHT", reportbuilder::Archive(page, "quoted-printable", "t")).c_str(),
                               stats, msg));
  const std::vector<Trade>& got = stats.GetTrades();
  EXPECT_EQ(-1, got[0].direction);
  EXPECT_FLOAT_EQ(1234.56f, got[0].profit) << "thousands separators";
  EXPECT_FLOAT_EQ(12.0f, got[0].commission);
  EXPECT_EQ("2/1/2012 00:00:00", DateText(got[0].entry)) << "no time on daily bars";
  EXPECT_EQ(1, got[1].direction);
  EXPECT_FLOAT_EQ(-1006.5f, got[1].profit) << "losses in parentheses";
  EXPECT_FLOAT_EQ(6.5f, got[1].commission);
  EXPECT_EQ("2/8/2012 00:00:00", DateText(got[1].exit));
  EXPECT_DOUBLE_EQ(1, stats.GetTradeCount(kColumnShort));
}

TEST_F(ReportLoaderTest, TolerantMarkupAndAnUnclosedTableEndingAtTheNextSection) {
  std::string page =
      "<html><title>T</title><div class='headerinfo'>Info</div><td ID=\"symbol\">ES</td>"
      "<table class=tradestable><tr><th>#</th><th>Type</th><th>Date</th><th>Time</th><th>Signal</th>"
      "<th>Price</th><th>Shares/Ctrts</th><th>Profit/Loss</th><th>Cum. Profit</th><th>% Profit</th>"
      "<th>Run-up/Drawdown</th><th>Comm.</th></tr>\r\n"
      "<tr><td>1</td><td>Buy</td><td>3/1/2012</td><td>9:30</td><td>x</td><td>$1.00</td><td>1</td>"
      "<td><font color=red>($10.00)</font></td><td></td><td></td><td></td><td>&nbsp;</td></tr>\r\n"
      "<tr><td>&nbsp;</td><td>Sell</td><td>3/1/2012</td><td>15:45</td><td>x</td><td>$1.00</td><td>1</td>"
      "<td>($10.00)</td><td>($10.00)</td><td></td><td></td><td>$1.50</td></tr>\r\n"
      "<h2>Annual Trading Summary</h2><table><tr><td>1</td><td>Buy</td><td>3/2/2012</td></tr>"
      "<tr><td></td><td>Sell</td><td>3/3/2012</td></tr></table>";
  TradeStatistics stats(5000);
  CTxt msg;
  ReportHeader header;
  ASSERT_EQ(1, LoadTradesFromPage(page, "page", stats, msg, &header)) << msg;
  EXPECT_EQ("ES", std::string(header.symbol));
  EXPECT_EQ("Info", std::string(header.headerInfo));
  EXPECT_FLOAT_EQ(-10.0f, stats.GetTrades()[0].profit) << "text inside nested markup of a cell";
  EXPECT_FLOAT_EQ(1.5f, stats.GetTrades()[0].commission);
  EXPECT_EQ("3/1/2012 15:45:00", DateText(stats.GetTrades()[0].exit));
}

TEST_F(ReportLoaderTest, OpenPositionsAndTradesWithUnreadableDatesAreSkipped) {
  std::vector<ReportTrade> trades(4);
  trades[0] = {false, "3/1/2012", "10:00", "3/1/2012", "11:00", 10, 11, 100, 98, 1, 1, false};
  trades[1] = {true, "3/2/2012", "10:00", "", "", 10, 11, 100, 0, 1, 1, true};  // open in the middle
  trades[2] = {false, "3/33/2012", "10:00", "3/3/2012", "11:00", 10, 11, 100, 98, 1, 1, false};
  trades[3] = {true, "3/4/2012", "10:00", "3/4/2012", "11:00", 10, 9, 100, 98, 1, 1, false};
  std::string page = reportbuilder::ReportPage("S", "X", "1 min", trades, {});
  TradeStatistics stats(5000);
  CTxt msg;
  ASSERT_EQ(2, LoadTradesFromPage(page, "p", stats, msg));
  EXPECT_EQ("3/4/2012 10:00:00", DateText(stats.GetTrades()[1].entry));

  // Damaged time cells (a negative or an overlong number) make a trade undated, never a number out of range.
  trades[0].entryTime = "-961097";
  trades[3].exitTime = "3000000000";
  page = reportbuilder::ReportPage("S", "X", "1 min", trades, {});
  EXPECT_EQ(0, LoadTradesFromPage(page, "p", stats, msg));
  trades[0].entryTime = "9:35 PM";
  trades[3].exitTime = "113000";
  page = reportbuilder::ReportPage("S", "X", "1 min", trades, {});
  ASSERT_EQ(2, LoadTradesFromPage(page, "p", stats, msg));
  EXPECT_EQ("3/1/2012 21:35:00", DateText(stats.GetTrades()[0].entry));
  EXPECT_EQ("3/4/2012 11:30:00", DateText(stats.GetTrades()[1].exit));
}

// A date beyond the years a date value holds is no date: the trade is skipped like any undated one, never
// read as a wrapped-around year with a duration of minus millions of hours.
TEST_F(ReportLoaderTest, TradesDatedBeyondTheLastYearAreSkipped) {
  std::vector<ReportTrade> trades(2);
  trades[0] = {false, "3/1/2012", "10:00", "3/1/2012", "11:00", 10, 11, 100, 98, 1, 1, false};
  trades[1] = {true, "1/1/2156", "10:00", "1/2/2156", "11:00", 10, 9, 100, 98, 1, 1, false};
  std::string page = reportbuilder::ReportPage("S", "X", "1 min", trades, {});
  TradeStatistics stats(5000);
  CTxt msg;
  ASSERT_EQ(1, LoadTradesFromPage(page, "p", stats, msg));
  EXPECT_EQ("3/1/2012 11:00:00", DateText(stats.GetTrades()[0].exit));
}

TEST_F(ReportLoaderTest, FailuresAndTheCurrentFileSetting) {
  TradeStatistics stats(5000);
  CTxt msg;
  std::string missing = m_dir + "/missing.MHT";
  EXPECT_EQ(-1, LoadTradeReport(missing.c_str(), stats, msg));
  EXPECT_EQ("Cannot open '" + missing + "'", std::string(msg));

  std::string noList = Write("nolist.MHT", "<html><table><tr><td>1</td></tr></table></html>");
  EXPECT_EQ(-2, LoadTradeReport(noList.c_str(), stats, msg));
  EXPECT_EQ("Trade List was missing in MHT Archive file:\r\n" + noList +
                "\r\n(Save Trade List in MHT archive file)",
            std::string(msg));
  EXPECT_EQ(0, stats.GetTradeCount(kColumnAll));

  std::string good = Write("good.MHT", kSamplePage);
  ASSERT_EQ(1, LoadTradeReport(good.c_str(), stats, msg));
  CTxt current;
  Settings::GetString("Yieldra", "CurrFile", "", current);
  EXPECT_EQ(good, std::string(current));

  // A second report replaces the first: the loader starts from empty statistics.
  ASSERT_EQ(1, LoadTradeReport(good.c_str(), stats, msg));
  EXPECT_EQ(1, stats.GetTradeCount(kColumnAll));
}

TEST_F(ReportLoaderTest, TwentyThousandTradesInListOrder) {
  std::vector<ReportTrade> trades(20000);
  double sum = 0;
  for (size_t i = 0; i < trades.size(); ++i) {
    ReportTrade& t = trades[i];
    t.isShort = i % 3 == 0;
    int day = 1 + static_cast<int>(i % 28);
    t.entryDate = t.exitDate = "5/" + std::to_string(day) + "/2011";
    t.entryTime = "10:00";
    t.exitTime = "11:30";
    t.entryPrice = 50;
    t.exitPrice = 51;
    t.profit = (static_cast<int>(i * 7919 % 2001) - 1000) / 4.0;  // exact in single precision
    t.entryCommission = t.exitCommission = 1;
    sum += t.profit;
  }
  std::string path =
      Write("big.MHT", reportbuilder::Archive(reportbuilder::ReportPage("S", "ES", "5 min", trades, {}),
                                              "quoted-printable", "t"));
  TradeStatistics stats(5000);
  CTxt msg;
  ASSERT_EQ(20000, LoadTradeReport(path.c_str(), stats, msg)) << msg;
  EXPECT_DOUBLE_EQ(sum, stats.GetValue(kColumnAll, kStatPL));
  EXPECT_EQ(6667, stats.GetTradeCount(kColumnShort));
  for (size_t i = 0; i < trades.size(); i += 997)
    EXPECT_FLOAT_EQ(static_cast<float>(trades[i].profit), stats.GetTrades()[i].profit);
}

TEST_F(ReportLoaderTest, LoadingAndTheSkippedOpenPositionAreLogged) {
  ResetLogForTests();  // the day log reopens, with this test's settings, at the next line
  std::string path = Write("logged.MHT", reportbuilder::Archive(kSamplePage, "quoted-printable", kTitle));
  TradeStatistics stats(5000);
  CTxt msg;
  ASSERT_EQ(1, LoadTradeReport(path.c_str(), stats, msg));
  LogOutput("*FLUSH", "", 0);
  std::string log = testsupport::ReadFile(GetLogPath());
  ResetLogForTests();
  EXPECT_NE(std::string::npos, log.find("Loading " + path + " (0.0MB) ...")) << log;
  EXPECT_NE(std::string::npos, log.find("Skipping open position MSFT from 20120105, 100 Shares")) << log;
}
