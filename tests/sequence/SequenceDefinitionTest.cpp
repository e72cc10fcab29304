// Definition files: the editor's line order, the abort mark kept as a comment, the reading rules of keys,
// sections and parameter lines, list files, file-safe names, and atomic replacement under interruption.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "TestSupport.h"
#include "foundation/AtomicFile.h"
#include "sequence/DefinitionTestSupport.h"
#include "sequence/SequenceDefinition.h"

using namespace testsupport;
using namespace definitiontest;

namespace {

std::vector<std::string> ToVector(const CTxtArray& lines) {
  std::vector<std::string> out;
  for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAtTxt(i) ? lines.GetAtTxt(i) : "");
  return out;
}

CTxtArray FromVector(const std::vector<std::string>& lines) {
  CTxtArray out;
  for (const std::string& line : lines) out.Add(line.c_str());
  return out;
}

SequenceDefinition SampleDefinition(const std::string& path) {
  SequenceDefinition def;
  def.SetFilePath(path.c_str());
  def.workspace = "C:/TS/MyWork/Chart.tsw";
  def.symbols.Add("@ES");
  def.symbols.Add("List:SP500");
  def.symbols.Add("MSFT/Daily/Opt2");
  def.endDate = "3/5/2017";
  def.templateLines.Add("Intra/5|10 Days");
  def.templateLines.Add("Daily|2 Years");
  def.optSet.Add("2/Length|10|50|5|");
  return def;
}

}  // namespace

// --- Writing ----------------------------------------------------------------------------------------------

class DefinitionWriting : public DefinitionFolders {};

TEST_F(DefinitionWriting, LinesFollowTheEditorsOrderWithOptionalLinesOnlyWhenSet) {
  SequenceDefinition def = SampleDefinition(program + "/DJ30.tvd");
  CTxtArray lines;
  def.BuildLines(lines);
  std::vector<std::string> expected = {"Workspace=C:/TS/MyWork/Chart.tsw",
                                       "SequenceFile=" + program + "/DJ30.tvd",
                                       "Symbols=@ES,List:SP500,MSFT/Daily/Opt2,",
                                       "EndDate=3/5/2017",
                                       "",
                                       "Template=",
                                       "Intra/5|10 Days",
                                       "Daily|2 Years",
                                       "",
                                       "OptSet=",
                                       "2/Length|10|50|5|"};
  EXPECT_EQ(ToVector(lines), expected);

  def.multiData = true;
  def.genetic = GeneticSettings{50, 0.1, 200, 0.9};
  def.BuildLines(lines);
  ASSERT_GE(lines.GetSize(), 7);
  EXPECT_STREQ(lines.GetAtTxt(4), "MultiData=YES");
  EXPECT_STREQ(lines.GetAtTxt(5), "Genetic=50|0.10|200|0.90|");
  EXPECT_STREQ(lines.GetAtTxt(6), "");
  EXPECT_EQ(def.name.ToStd(), "DJ30");
}

TEST_F(DefinitionWriting, EmptySymbolListStillWritesTheKeyAndSaves) {
  SequenceDefinition def = SampleDefinition(program + "/Empty.tvd");
  def.symbols.RemoveAll();
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0) << msg.ToStd();
  std::vector<std::string> lines = LinesOf(ReadFile(program + "/Empty.tvd"));
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], "Symbols=");
  EXPECT_EQ(msg.ToStd(), "Save Backtesting Script to:\r\n" + program + "/Empty.tvd");

  def.symbols.Add("MSFT");
  ASSERT_EQ(def.Save(msg), 0);
  EXPECT_EQ(LinesOf(ReadFile(program + "/Empty.tvd"))[2], "Symbols=MSFT,");
}

TEST_F(DefinitionWriting, ActiveAbortMarkOfTheReplacedFileBecomesAComment) {
  std::string path = program + "/DJ30.tvd";
  WriteFile(path, CrLf({"Workspace=x", "Symbols=ES,", "", "OptSet=", "1/A|1|", ";",
                        "; Aborted at 1/2/2020 10:00:00", "Abort=12=ES|OptSet|Daily|2 Years|1/2/2020|"}));
  SequenceDefinition def = SampleDefinition(path);
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0) << msg.ToStd();
  std::vector<std::string> lines = LinesOf(ReadFile(path));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_EQ(lines.back(), ";Abort=12=ES|OptSet|Daily|2 Years|1/2/2020|");

  // Saved again: the comment is no active mark, so nothing is carried over a second time.
  ASSERT_EQ(def.Save(msg), 0);
  EXPECT_EQ(LinesOf(ReadFile(path)).back(), "2/Length|10|50|5|");

  // Under a new name there is no file being replaced and no mark.
  def.SetFilePath((program + "/New.tvd").c_str());
  ASSERT_EQ(def.Save(msg), 0);
  EXPECT_EQ(ReadFile(program + "/New.tvd").find("Abort="), std::string::npos);
}

TEST_F(DefinitionWriting, MarkForStepZeroIsNotCarriedOver) {
  std::string path = program + "/Zero.tvd";
  WriteFile(path, CrLf({"Workspace=x", "Abort=0=nothing"}));
  SequenceDefinition def = SampleDefinition(path);
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0);
  EXPECT_EQ(ReadFile(path).find("Abort="), std::string::npos);
}

TEST_F(DefinitionWriting, SaveIntoAMissingFolderFailsWithTheReason) {
  SequenceDefinition def = SampleDefinition(root + "/no/such/folder/X.tvd");
  CTxt msg;
  EXPECT_EQ(def.Save(msg), -1);
  EXPECT_NE(msg.ToStd().find("Cannot open"), std::string::npos) << msg.ToStd();
}

// --- Fault: an interrupted rewrite never truncates the definition
// -----------------------------------------------

namespace {
std::string g_tempSeen;
bool StopBeforeRename(const char* tempPath, const char*) {
  g_tempSeen = tempPath;
  return false;
}
}  // namespace

TEST_F(DefinitionWriting, InterruptedRewriteLeavesOriginalIntactAndTheNewContentInTheTemporaryFile) {
  std::string path = program + "/DJ30.tvd";
  std::string original = CrLf({"Workspace=old", "Symbols=ES,", "EndDate=1/1/2010", "", "Template=", "Daily",
                               "", "OptSet=", "1/A|1|2|1|"});
  WriteFile(path, original);
  SequenceDefinition def = SampleDefinition(path);
  CTxtArray expectedLines;
  def.BuildLines(expectedLines);

  g_tempSeen.clear();
  SetAtomicWriteInterruption(StopBeforeRename);
  CTxt msg;
  EXPECT_EQ(def.Save(msg), -1);
  SetAtomicWriteInterruption(nullptr);

  EXPECT_EQ(ReadFile(path), original);
  ASSERT_FALSE(g_tempSeen.empty());
  ASSERT_TRUE(FileExists(g_tempSeen));
  std::string temp = ReadFile(g_tempSeen);
  EXPECT_EQ(LinesOf(temp), ToVector(expectedLines));

  // The next save completes over the leftover temporary file.
  ASSERT_EQ(def.Save(msg), 0) << msg.ToStd();
  EXPECT_EQ(LinesOf(ReadFile(path)), ToVector(expectedLines));
  EXPECT_FALSE(FileExists(g_tempSeen));
}

// --- Reading rules
// ------------------------------------------------------------------------------------------------

TEST(DefinitionReading, KeyValuesKeepEqualSignsAndMatchAtLineStartIgnoringCase) {
  CTxtArray lines = FromVector({"  Symbols=NOT,", "symbols=ES,NQ,", "Genetic=a=b", "Abort=7=ES|x=y|"});
  CTxt value;
  EXPECT_EQ(FindKeyValue(lines, kSymbolsKey, value), 1);
  EXPECT_EQ(value.ToStd(), "ES,NQ,");
  EXPECT_EQ(FindKeyValue(lines, kGeneticKey, value), 2);
  EXPECT_EQ(value.ToStd(), "a=b");
  EXPECT_EQ(FindKeyValue(lines, kEndDateKey, value), -1);
  EXPECT_TRUE(value.IsEmpty());

  CTxt text;
  EXPECT_EQ(FindAbortMark(lines, text), 7);
  EXPECT_EQ(text.ToStd(), "ES|x=y|");
  CTxtArray commented = FromVector({";Abort=3=x", " Abort=4=y"});
  EXPECT_EQ(FindAbortMark(commented, text), -2);
}

TEST(DefinitionReading, TemplateSectionSkipsCommentsAndEndsAtEmptyLineOrMark) {
  CTxtArray lines =
      FromVector({"Symbols=ES,", "", "Template=", "  Daily  ", "; old one", "Intra/5|10 Days", "", "Weekly",
                  "", "Named=", "Monthly", ";", "; Aborted at 1/1/2020 00:00:00", "Abort=2=x"});
  CTxtArray out;
  EXPECT_EQ(ReadTemplateSection(lines, "Template", out), 2);
  EXPECT_EQ(ToVector(out), (std::vector<std::string>{"Daily", "Intra/5|10 Days"}));
  EXPECT_EQ(ReadTemplateSection(lines, "named", out), 1);
  EXPECT_EQ(ToVector(out), (std::vector<std::string>{"Monthly"}));
  EXPECT_EQ(ReadTemplateSection(lines, "Missing", out), -1);
}

TEST(DefinitionReading, ParameterSectionCompletesIncrementsAndStopsAtMarksAndSkip) {
  CTxtArray lines = FromVector({"OptSet=", "3/Stop|100|500", "3/Stop|100", "2/Len|10|50|", "; 4/Off|1|2",
                                "1/A|1|9|2|", "Abort=5=x", "9/Never|1|2", "", "Opt2=", "SKIP", "1/A|1|2|1|"});
  CTxtArray out;
  bool skip = true;
  EXPECT_EQ(ReadParameterSection(lines, "OptSet", out, skip), 4);
  EXPECT_FALSE(skip);
  EXPECT_EQ(ToVector(out),
            (std::vector<std::string>{"3/Stop|100|500|1|", "3/Stop|100", "2/Len|10|50|1|", "1/A|1|9|2|"}));
  EXPECT_EQ(ReadParameterSection(lines, "Opt2", out, skip), 0);
  EXPECT_TRUE(skip);
  EXPECT_EQ(ReadParameterSection(lines, "Absent", out, skip), 0);
  EXPECT_FALSE(skip);
}

TEST(DefinitionReading, TimeframeLinesGetDefaultRangeAndEndDate) {
  auto filled = [](const char* line) {
    CTxt t(line);
    FillTimeframeDefaults(t, "5000 Bars", "3/5/2017");
    return t.ToStd();
  };
  EXPECT_EQ(filled("Daily"), "Daily|5000 Bars|3/5/2017");
  EXPECT_EQ(filled("Intra/5|10 Days"), "Intra/5|10 Days|3/5/2017");
  EXPECT_EQ(filled("Daily|2 Years|1/5/2015"), "Daily|2 Years|1/5/2015");
  EXPECT_EQ(filled(" Daily|2 Years| "), "Daily|2 Years|3/5/2017");
  EXPECT_EQ(filled("Daily|2 Years|1/5/2015|"), "Daily|2 Years|1/5/2015");
}

TEST(DefinitionReading, ParameterLinesParseAndFormat) {
  ParameterLine p;
  EXPECT_EQ(p.Parse("2/Length|10|50|5|"), 0);
  EXPECT_EQ(p.number, 2);
  EXPECT_EQ(p.name.ToStd(), "Length");
  EXPECT_FALSE(p.IsFixed());
  CTxt text;
  p.Format(text);
  EXPECT_EQ(text.ToStd(), "2/Length|10|50|5|");
  EXPECT_EQ(p.Parse("3/Stop|100"), 0);
  EXPECT_TRUE(p.IsFixed());
  p.Format(text);
  EXPECT_EQ(text.ToStd(), "3/Stop|100|");
  EXPECT_EQ(p.Parse("0/Len|5"), -1);
  EXPECT_EQ(p.Parse("101/Len|5"), -1);
  EXPECT_EQ(p.Parse("1/Len| "), -2);
}

TEST(DefinitionReading, GeneticSettingsAreClampedToTheirRanges) {
  GeneticSettings g = GeneticSettings::Parse("0|1.5|-3|-0.2|");
  EXPECT_EQ(g.generations, 1);
  EXPECT_DOUBLE_EQ(g.mutationRate, 0.99);
  EXPECT_EQ(g.population, 1);
  EXPECT_DOUBLE_EQ(g.crossoverRate, 0);
  g = GeneticSettings::Parse("40|0.25|100|0.5");
  CTxt text;
  g.Format(text);
  EXPECT_EQ(text.ToStd(), "40|0.25|100|0.50|");
}

TEST(DefinitionReading, FileSafeNamesReplaceEveryOtherCharacter) {
  CTxt name("My Seq:1/2*(ok)~#$[x]{y}+-_");
  MakeFileSafeName(name);
  EXPECT_EQ(name.ToStd(), "My_Seq_1_2_(ok)~#$[x]{y}+-_");
}

// --- List files
// -----------------------------------------------------------------------------------------------------

class ListFiles : public DefinitionFolders {};

TEST_F(ListFiles, SymbolListIsReadFromTheCurrentFolderThenTheProgramFolder) {
  WriteFile(program + "/SP500.lst", CrLf({"AAPL", "IBM"}));
  CTxtArray symbols;
  CTxt msg, tried;
  EXPECT_EQ(LoadSymbolList("SP500", symbols, msg, &tried), 2);
  EXPECT_EQ(tried.ToStd(), program + "/SP500.lst");

  InWork("SP500.lst", {"MSFT", "", "  ", "GE"});
  EXPECT_EQ(LoadSymbolList("SP500", symbols, msg, &tried), 2);
  EXPECT_EQ(ToVector(symbols), (std::vector<std::string>{"MSFT", "GE"}));

  EXPECT_EQ(LoadSymbolList("Nowhere", symbols, msg, &tried), -1);
  EXPECT_EQ(tried.ToStd(), program + "/Nowhere.lst");
  EXPECT_NE(msg.ToStd().find("Cannot open"), std::string::npos);
}

TEST_F(ListFiles, SymbolAndTimeframeListsRoundTripThroughTheCurrentFolder) {
  CTxtArray symbols = FromVector({"@ES", "@NQ"});
  CTxt msg;
  ASSERT_EQ(SaveSymbolList("Futures", symbols, msg), 0) << msg.ToStd();
  EXPECT_EQ(ReadFile(work + "/Futures.lst"), "@ES\r\n@NQ\r\n");
  CTxtArray back;
  EXPECT_EQ(LoadSymbolList("Futures", back, msg), 2);
  EXPECT_EQ(back.Compare(&symbols), 0);

  CTxtArray frames = FromVector({"Daily|2 Years", "Intra/5|10 Days"});
  ASSERT_EQ(SaveTimeframeList("Frames", frames, msg), 0);
  EXPECT_EQ(ReadFile(work + "/Frames.frm"), "Daily|2 Years\r\nIntra/5|10 Days\r\n");
  EXPECT_EQ(LoadTimeframeList("Frames", back, msg), 2);
  EXPECT_EQ(back.Compare(&frames), 0);
}

TEST_F(ListFiles, LocationsFollowProgramAndCurrentFolder) {
  CTxt path;
  DefinitionPath("DJ30", path);
  EXPECT_EQ(path.ToStd(), program + "/DJ30.tvd");
  SkipListPath(path);
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(path.ToStd()).parent_path(), work));
  EXPECT_EQ(path.ToStd().substr(path.GetLength() - 9), "/Skip.txt");
  CurrentDefinitionName(path);
  EXPECT_EQ(path.ToStd(), "DJ30");
  EXPECT_NE(SettingsText().find("CurrDef=DJ30"), std::string::npos);
}
