// The statistics catalogue and table, the strategy inputs of a report and the run folder summary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "ReportBuilder.h"
#include "TestSupport.h"
#include "execution/Summary.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (char c : line) {
    if (c == ',')
      fields.emplace_back();
    else
      fields.back() += c;
  }
  return fields;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2)
    lines.push_back(text.substr(from, at - from));
  if (from < text.size()) lines.push_back(text.substr(from));
  return lines;
}

std::vector<std::string> Lines(const CTxtArray& array) {
  std::vector<std::string> lines;
  for (int i = 0; i < array.GetSize(); ++i) lines.push_back(array.GetAtTxt(i) ? array.GetAtTxt(i) : "");
  return lines;
}

Trade MakeTrade(int direction, float profit, int entryDate, int entryTime, int exitDate, int exitTime) {
  Trade t;
  t.direction = direction;
  t.profit = profit;
  t.entry.SetDT(entryDate, entryTime);
  t.exit.SetDT(exitDate, exitTime);
  return t;
}

// +100 and -50, both long: the statistics of this list were worked out by hand.
TradeStatistics TwoTrades() {
  TradeStatistics stats(5000);
  stats.AddTrade(MakeTrade(1, 100, 20120301, 100000, 20120302, 100000));
  stats.AddTrade(MakeTrade(1, -50, 20120305, 100000, 20120306, 160000));
  stats.Finish();
  return stats;
}

std::string Line(const std::vector<std::string>& lines, const std::string& shortName) {
  for (const std::string& l : lines)
    if (Fields(l).size() > 11 && Fields(l)[11] == shortName) return l;
  return "";
}

const reportbuilder::Inputs kMovAvgInputs = {{"FastLength", "9"}, {"SlowLength", "18"}};

// No progress window and no viewer from the tests (on Windows the default would start them).
struct QuietUi : SummaryUi {
  void ShowProgress(const char*, int, int) override {}
  void CloseProgress() override {}
  void OpenFile(const char*) override {}
};

class SummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = testsupport::ScratchFolder();
    Settings::OverrideAppFolder(m_dir.c_str());
    SetSummaryUi(&m_quiet);
  }
  void TearDown() override {
    Settings::OverrideAppFolder(nullptr);
    SetSummaryUi(nullptr);
  }

  // A step description file ending in the statistics table of stats.
  std::string StepFile(const std::string& path, const TradeStatistics& stats) {
    CTxtArray lines;
    lines.Add("Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),");
    lines.Add("1,ES,5min5.00,4,00:01:00,60,");
    lines.Add("List of 0 Strategy Input Parameters used:");
    lines.Add("");
    AppendStatisticsTable(stats, lines);
    CTxt text;
    text.LoadFromArray(&lines);
    return testsupport::WriteFile(path, static_cast<const char*>(text));
  }

  std::string Report(const std::string& path, const std::string& strategy,
                     const reportbuilder::Inputs& inputs) {
    std::string page = reportbuilder::ReportPage(strategy, "ES", "5 min", {}, inputs);
    return testsupport::WriteFile(path, reportbuilder::Archive(page, "quoted-printable", "t"));
  }

  std::string m_dir;
  QuietUi m_quiet;
};

}  // namespace

// ---------------------------------------------------------------------------------------------------------
// The catalogue and the table
// ---------------------------------------------------------------------------------------------------------

TEST(StatCatalogue, SixtyFiveRowsWithUniqueShortNames) {
  const StatRow* rows = GetStatCatalogue();
  std::set<std::string> names;
  int separators = 0, dates = 0;
  for (int i = 0; i < kStatRows; ++i) {
    if (rows[i].kind == kRowSeparator) {
      ++separators;
      EXPECT_STREQ("", rows[i].description);
      continue;
    }
    EXPECT_EQ('$', rows[i].shortName[0]);
    EXPECT_TRUE(names.insert(rows[i].shortName).second) << rows[i].shortName;
    if (rows[i].kind == kRowDate) {
      ++dates;
      EXPECT_LT(rows[i].index, kStatDates);
    } else {
      EXPECT_LT(rows[i].index, kStatUsedValues);
    }
  }
  EXPECT_EQ(7, separators);
  EXPECT_EQ(8, dates);
  EXPECT_STREQ("Net Profit+Loss", rows[0].description);
  EXPECT_STREQ("Std Deviation Loser (% of Capital)", rows[kStatRows - 1].description);
  EXPECT_EQ(nullptr, FindStatRow("$Nothing"));
  EXPECT_EQ(&rows[11], FindStatRow("$pf"));
}

TEST(StatTable, EverySummaryMarkerFindsItsOwnRowFirst) {
  CTxtArray lines;
  AppendStatisticsTable(TwoTrades(), lines);
  for (const char* marker : {",$PL", ",$PF", ",$CntTrd", ",$Prob", ",$RetYr", ",$MaxDDAmt", ",$MaxDDPer"}) {
    int at = lines.FindStringSegment(marker);
    ASSERT_GE(at, 0) << marker;
    EXPECT_EQ(std::string(marker + 1), Fields(lines.GetAtTxt(at))[11]) << marker;
  }
}

TEST(StatTable, LayoutCellsAndEmptyColumns) {
  CTxtArray table;
  EXPECT_EQ(66, AppendStatisticsTable(TwoTrades(), table));
  std::vector<std::string> lines = Lines(table);
  ASSERT_EQ(66u, lines.size());
  EXPECT_EQ("Description,,,,Unit,All Trades,,Longs only,,Shorts only,,ShortName", lines[0]);
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(13u, Fields(lines[i]).size()) << lines[i];
  EXPECT_EQ("Net Profit+Loss,,,,$,50.00,,50.00,,---,,$PL,", Line(lines, "$PL"));
  EXPECT_EQ("Total Trades,,,,#,2,,2,,---,,$CntTrd,", Line(lines, "$CntTrd"));
  EXPECT_EQ("Maximum Drawdown Percent,,,,%,-0.98,,-0.98,,---,,$MaxDDPer,", Line(lines, "$MaxDDPer"));
  EXPECT_EQ("Date of maximum Drawdown,,,,Date,3/2/2012 10:00:00,,3/2/2012 10:00:00,,---,,$DateMaxDD,",
            Line(lines, "$DateMaxDD"));
  EXPECT_EQ("MAR Ratio,,,,Ratio,70.963,,70.963,,---,,$MAR,", Line(lines, "$MAR"))
      << "69.5714 % a year over a drawdown of 50 / 51 %";
  EXPECT_EQ(",,,,,,,,,,,,", lines[17]) << "a separator row";

  TradeStatistics winners(5000);
  winners.AddTrade(MakeTrade(-1, 10, 20120301, 0, 20120302, 0));
  winners.Finish();
  CTxtArray other;
  AppendStatisticsTable(winners, other);
  EXPECT_EQ("Date of biggest Loser,,,,Date,,,---,,,,$DateMaxLoss,", Line(Lines(other), "$DateMaxLoss"))
      << "a column with trades but no such event leaves the date empty";
}

// ---------------------------------------------------------------------------------------------------------
// Strategy inputs
// ---------------------------------------------------------------------------------------------------------

TEST_F(SummaryTest, InputsOfAnArchivedReport) {
  std::string path = Report(m_dir + "/ES_5min_1.MHT", "MovAvg Cross", kMovAvgInputs);
  CTxt result;
  CTxtArray inputs;
  ASSERT_EQ(2, ReadStrategyInputs(path.c_str(), result, inputs)) << result;
  EXPECT_EQ("MovAvg Cross", std::string(result));
  EXPECT_EQ((std::vector<std::string>{"FastLength|9", "SlowLength|18"}), Lines(inputs));
}

TEST_F(SummaryTest, InputsOfStrategiesWithDashesEmptyValuesAndEntities) {
  std::string page =
      "<TABLE><TR><TD>See the strategy inputs below</TD></TR></TABLE>"
      "<TD>TradeStation Strategy Inputs</TD></TR></TABLE><TABLE><TR><TD><TABLE>"
      "<TR><TD id=\"inputName1\">MA-X &amp; Co - Len</TD><TD id=inputValue1> 12 </TD></TR>"
      "<TR><TD id=INPUTNAME2>MA-X &amp; Co - Skipped</TD><TD id=inputValue2></TD></TR>"
      "<TR><TD id=inputName3>MA-X &amp; Co - Mode</TD><TD id=inputValue3>&quot;Fast&quot;</TD></TR>"
      "</TABLE></TD></TR></TABLE><TABLE><TR><TD id=inputName9>Other - After</TD><TD "
      "id=inputValue9>1</TD></TR>";
  std::string path = testsupport::WriteFile(m_dir + "/x.MHT", page);
  CTxt result;
  CTxtArray inputs;
  ASSERT_EQ(2, ReadStrategyInputs(path.c_str(), result, inputs));
  EXPECT_EQ("MA-X & Co", std::string(result));
  EXPECT_EQ((std::vector<std::string>{"Len|12", "Mode|\"Fast\""}), Lines(inputs));
}

TEST_F(SummaryTest, InputsFailureCodes) {
  CTxt result;
  CTxtArray inputs;
  inputs.Add("stale|1");
  std::string missing = m_dir + "/none.MHT";
  EXPECT_EQ(-1, ReadStrategyInputs(missing.c_str(), result, inputs));
  EXPECT_EQ("Cannot open '" + missing + "'", std::string(result));
  EXPECT_EQ(0, inputs.GetSize());

  std::string empty = testsupport::WriteFile(m_dir + "/empty.MHT", "just text");
  EXPECT_EQ(-2, ReadStrategyInputs(empty.c_str(), result, inputs));

  std::string noBlock = testsupport::WriteFile(m_dir + "/a.MHT", "<TD>Strategy Inputs</TD><TABLE><TABLE>");
  EXPECT_EQ(-3, ReadStrategyInputs(noBlock.c_str(), result, inputs));
  EXPECT_EQ("Could not find TradeStation Strategy Inputs in '" + noBlock + "'", std::string(result));

  std::string noTable =
      testsupport::WriteFile(m_dir + "/b.MHT", "<TD>TradeStation Strategy Inputs</TD></TABLE>");
  EXPECT_EQ(-4, ReadStrategyInputs(noTable.c_str(), result, inputs));
  EXPECT_EQ("Could not find TradeStation Strategy Inputs Table1 in '" + noTable + "'", std::string(result));

  std::string oneTable =
      testsupport::WriteFile(m_dir + "/c.MHT", "<TD>TradeStation\nStrategy Inputs</TD></TABLE><TABLE>");
  EXPECT_EQ(-3, ReadStrategyInputs(oneTable.c_str(), result, inputs)) << "LF is removed, not read as a blank";
  oneTable =
      testsupport::WriteFile(m_dir + "/d.MHT", "<TD>TradeStation Strategy Inputs\r\n</TD></TABLE><TABLE>");
  EXPECT_EQ(-4, ReadStrategyInputs(oneTable.c_str(), result, inputs));
  EXPECT_EQ("Could not find TradeStation Strategy Inputs Table2 in '" + oneTable + "'", std::string(result));
}

// ---------------------------------------------------------------------------------------------------------
// The summary
// ---------------------------------------------------------------------------------------------------------

TEST_F(SummaryTest, OnlyTheProgramsOwnFilesGiveNoHeader) {
  testsupport::WriteFile(m_dir + "/ES_5min_1-Best.csv", "x,,,,,1,,,,,,$PL,\r\n");
  testsupport::WriteFile(m_dir + "/ES_5min-OptList.CSV", "Test,A\r\n1,2\r\n");
  CTxt result;
  EXPECT_EQ(0, WriteSummary(m_dir.c_str(), result, 0));
  EXPECT_EQ("Start," + m_dir + "\r\n\r\n", testsupport::ReadFile(m_dir + "/_Summary.csv"));
  EXPECT_EQ("Created Summary for 0 Symbols/Timeframes to " + m_dir + "/_Summary.csv", std::string(result));
}

TEST_F(SummaryTest, FiguresSymbolIntervalAndInputsOfEachStep) {
  std::string step = StepFile(m_dir + "/ES_5min_1.csv", TwoTrades());
  Report(m_dir + "/ES_5min_1.MHT", "MovAvg Cross", kMovAvgInputs);
  CTxt result;
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 0));
  std::vector<std::string> lines = Lines(testsupport::ReadFile(m_dir + "/_Summary.csv"));
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ("Start," + m_dir, lines[0]);
  EXPECT_EQ("", lines[1]);
  EXPECT_EQ(
      "SeqNum,Symbol,Interval,Profit/Loss$,ProfitFactor,Trades,Probability%,ReturnYr%,DD$,DD%,"
      "FastLength,SlowLength,,,FileName",
      lines[2]);
  // Return a year: 50 of 5000 over 5.25 days = 1 % * 365.25 / 5.25 = 69.57 %.
  EXPECT_EQ("1,ES,5min,50.00,2.000,2,50.00,69.57,-50.00,-0.98,9,18,,," + step, lines[3]);
}

TEST_F(SummaryTest, MissingMarkersGiveZeroAndMissingReportsNoInputs) {
  testsupport::WriteFile(m_dir + "/NQ_Daily_2.csv",
                         "Seq,Symbol\r\nNet Profit+Loss,,,,$,12.50,,12.50,,---,,$PL,\r\n"
                         "Total Trades,,,,#,---,,3,,---,,$CntTrd,\r\n");
  CTxt result;
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 0));
  std::vector<std::string> lines = Lines(testsupport::ReadFile(m_dir + "/_Summary.csv"));
  ASSERT_EQ(4u, lines.size());
  EXPECT_EQ(
      "SeqNum,Symbol,Interval,Profit/Loss$,ProfitFactor,Trades,Probability%,ReturnYr%,DD$,DD%,,,FileName",
      lines[2]);
  EXPECT_EQ("1,NQ,Daily,12.50,0.000,0,0.00,0.00,0.00,0.00,,," + m_dir + "/NQ_Daily_2.csv", lines[3]);
}

TEST_F(SummaryTest, DifferentStrategiesKeepTheirOwnInputsUnderTheFirstHeader) {
  std::string first = StepFile(m_dir + "/AAPL_5min_1.csv", TwoTrades());
  Report(m_dir + "/AAPL_5min_1.MHT", "MovAvg Cross", kMovAvgInputs);
  std::filesystem::create_directories(m_dir + "/sub");
  std::string second = StepFile(m_dir + "/sub/MSFT_15min_2.csv", TwoTrades());
  Report(m_dir + "/sub/MSFT_15min_2.MHT", "Breakout", {{"Len", "20"}, {"Mult", "1.5"}, {"Stop", "300"}});
  CTxt result;
  ASSERT_EQ(2, WriteSummary(m_dir.c_str(), result, 0));
  std::vector<std::string> lines = Lines(testsupport::ReadFile(m_dir + "/_Summary.csv"));
  ASSERT_EQ(5u, lines.size());
  EXPECT_NE(std::string::npos, lines[2].find(",DD%,FastLength,SlowLength,,,FileName"));
  EXPECT_EQ("1,AAPL,5min,50.00,2.000,2,50.00,69.57,-50.00,-0.98,9,18,,," + first, lines[3]);
  EXPECT_EQ("2,MSFT,15min,50.00,2.000,2,50.00,69.57,-50.00,-0.98,20,1.5,300,,," + second, lines[4]);
  EXPECT_EQ("Created Summary for 2 Symbols/Timeframes to " + m_dir + "/_Summary.csv", std::string(result));
}

TEST_F(SummaryTest, SummarisingTwiceGivesTheSameFile) {
  StepFile(m_dir + "/ES_5min_1.csv", TwoTrades());
  Report(m_dir + "/ES_5min_1.MHT", "MovAvg Cross", kMovAvgInputs);
  CTxt result;
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 0));
  std::string once = testsupport::ReadFile(m_dir + "/_Summary.csv");
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 0));
  EXPECT_EQ(once, testsupport::ReadFile(m_dir + "/_Summary.csv"));
  EXPECT_FALSE(testsupport::FileExists(m_dir + "/_Summary.csv.tmp~"));
}

TEST_F(SummaryTest, AFolderNamedSummaryIsStillSummarised) {
  std::string dir = m_dir + "/Summary of Runs";
  std::filesystem::create_directories(dir);
  StepFile(dir + "/ES_5min_1.csv", TwoTrades());
  testsupport::WriteFile(dir + "/Weekly_Summary.csv", "x,,,,,99,,,,,,$PL,\r\n");
  CTxt result;
  EXPECT_EQ(1, WriteSummary(dir.c_str(), result, 0));
}

TEST_F(SummaryTest, ProgressWaitAndOpeningGoThroughTheInstalledUi) {
  struct Recorder : SummaryUi {
    std::vector<std::string> calls;
    void BeginWait() override { calls.push_back("wait"); }
    void EndWait() override { calls.push_back("done"); }
    void ShowProgress(const char* text, int index, int count) override {
      calls.push_back(std::string(text) + " " + std::to_string(index) + "/" + std::to_string(count));
    }
    void CloseProgress() override { calls.push_back("close"); }
    void OpenFile(const char* path) override { calls.push_back(std::string("open ") + path); }
  } recorder;
  SetSummaryUi(&recorder);
  testsupport::WriteFile(m_dir + "/A-OptList.csv", "");
  StepFile(m_dir + "/B_1_1.csv", TwoTrades());
  CTxt result;
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 1));
  EXPECT_EQ((std::vector<std::string>{"wait", m_dir + "/B_1_1.csv 1/2", "close",
                                      "open " + m_dir + "/_Summary.csv", "done"}),
            recorder.calls);
}

// A summary whose writing stops before it is complete leaves the previous one as it was.
TEST_F(SummaryTest, AnInterruptedSaveKeepsThePreviousSummary) {
  StepFile(m_dir + "/ES_5min_1.csv", TwoTrades());
  CTxt result;
  ASSERT_EQ(1, WriteSummary(m_dir.c_str(), result, 0));
  std::string previous = testsupport::ReadFile(m_dir + "/_Summary.csv");
  StepFile(m_dir + "/ES_5min_2.csv", TwoTrades());
  SetAtomicWriteInterruption([](const char*, const char*) { return false; });
  int written = WriteSummary(m_dir.c_str(), result, 0);
  SetAtomicWriteInterruption(nullptr);
  EXPECT_EQ(-1, written);
  EXPECT_EQ(previous, testsupport::ReadFile(m_dir + "/_Summary.csv"));
}

// A step file that cannot be read is named in the log and counted in the result, never dropped in silence.
TEST_F(SummaryTest, AnUnreadableStepFileIsLoggedByName) {
  StepFile(m_dir + "/ES_5min_1.csv", TwoTrades());
  std::string locked = StepFile(m_dir + "/NQ_5min_2.csv", TwoTrades());
  SetFileReadFailure(locked, EACCES);
  struct Lines {
    static void Collect(void* self, const char* category, const char* text, int) {
      if (std::string(category ? category : "") == "Summary") static_cast<std::string*>(self)->append(text);
    }
  };
  std::string logged;
  SetLogStatusSink(&Lines::Collect, &logged);
  CTxt result;
  int written = WriteSummary(m_dir.c_str(), result, 0);
  SetLogStatusSink(nullptr, nullptr);
  RemoveMemoryFiles();
  EXPECT_EQ(1, written);
  EXPECT_NE(logged.find(locked), std::string::npos) << logged;
  EXPECT_NE(std::string(result).find("1 step file(s) could not be read"), std::string::npos) << result;
}

TEST_F(SummaryTest, AFailedSaveIsReportedAndNotCountedAsSuccess) {
  std::filesystem::create_directories(m_dir + "/_Summary.csv/blocker");
  StepFile(m_dir + "/ES_5min_1.csv", TwoTrades());
  CTxt result;
  EXPECT_EQ(-1, WriteSummary(m_dir.c_str(), result, 0));
  EXPECT_EQ(0u, std::string(result).find("Cannot open " + m_dir + "/_Summary.csv")) << result;
}
