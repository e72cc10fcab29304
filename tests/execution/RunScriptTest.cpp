// The run script builder: defaults of timeframe lines, named templates and optimisation sets, the skip
// list, list files, list and test scripts, SKIP, abort marks inside sections, failures with their codes,
// the multi-symbol form, the queries, and the editor's view of a definition (write-read round trips).
#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "TestSupport.h"
#include "execution/RunScript.h"
#include "foundation/Settings.h"
#include "sequence/DefinitionTestSupport.h"
#include "sequence/SequenceDefinition.h"

using namespace testsupport;
using namespace definitiontest;

namespace {

std::vector<std::string> Commands(const RunScript& script) {
  std::vector<std::string> out;
  for (int i = 0; i < script.GetCommandCount(); ++i) out.push_back(script.GetCommand(i));
  return out;
}

std::vector<std::string> ToVector(const CTxtArray& lines) {
  std::vector<std::string> out;
  for (int i = 0; i < lines.GetSize(); ++i) out.push_back(lines.GetAtTxt(i) ? lines.GetAtTxt(i) : "");
  return out;
}

// Today minus two days as MM/DD/YYYY, from the C library's calendar.
std::string TwoDaysAgo() {
  std::time_t now = std::time(nullptr);
  std::tm day = *std::localtime(&now);
  day.tm_mday -= 2;
  day.tm_hour = 12;
  std::mktime(&day);
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", day.tm_mon + 1, day.tm_mday, day.tm_year + 1900);
  return text;
}

class Builder : public DefinitionFolders {
 protected:
  int Build(const std::string& path, int expandLists = 1) {
    return script.BuildRunScript(path.c_str(), error, runOpt, expandLists);
  }
  RunScript script;
  CTxt error;
  int runOpt = -1;
};

}  // namespace

// --- Steps
// ---------------------------------------------------------------------------------------------------

TEST_F(Builder, MissingDurationAndEndDateTakeTheSettingAndTodayMinusTwoDays) {
  std::string path = Definition("A", "ES", {"Template=", "5 min", "", "OptSet=", "1/A|1|"}, "");
  ASSERT_EQ(Build(path), 1) << error.ToStd();
  EXPECT_EQ(Commands(script), std::vector<std::string>{"ES|OptSet|5 min|5000 Bars|" + TwoDaysAgo() + "|"});
  EXPECT_NE(SettingsText().find("ScriptDefaultBars=5000 Bars"), std::string::npos);

  Settings::WriteString("Tavrin", "ScriptDefaultBars", "300 Bars");
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(script.GetCommand(0), "ES|OptSet|5 min|300 Bars|" + TwoDaysAgo() + "|");
}

TEST_F(Builder, LinesWithRangeGetOnlyTheEndDateAndFullLinesStayAsWritten) {
  std::string path = Definition(
      "A", "ES,NQ,",
      {"Template=", "Intra/5|10 Days", "Daily|2 Years|1/5/2015", "Weekly|3 Years|", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 6) << error.ToStd();
  EXPECT_EQ(Commands(script),
            (std::vector<std::string>{
                "ES|OptSet|Intra/5|10 Days|10/12/2012|", "ES|OptSet|Daily|2 Years|1/5/2015|",
                "ES|OptSet|Weekly|3 Years|10/12/2012|", "NQ|OptSet|Intra/5|10 Days|10/12/2012|",
                "NQ|OptSet|Daily|2 Years|1/5/2015|", "NQ|OptSet|Weekly|3 Years|10/12/2012|"}));
  EXPECT_EQ(script.EndDate().ToStd(), "10/12/2012");
}

TEST_F(Builder, EntryWithEmptyTemplateNameUsesTheDefaultTemplateAndTheNamedSet) {
  std::string path = Definition(
      "A", " ES//Opt2 , NQ/Fast/",
      {"Template=", "Daily", "", "Fast=", "Intra/1|1 Days", "", "OptSet=", "1/A|1|", "", "Opt2=", "2/B|5|9"});
  ASSERT_EQ(Build(path), 2) << error.ToStd();
  EXPECT_EQ(Commands(script), (std::vector<std::string>{"ES|Opt2|Daily|5000 Bars|10/12/2012|",
                                                        "NQ|OptSet|Intra/1|1 Days|10/12/2012|"}));
  CTxtArray first;
  EXPECT_EQ(script.GetList("o", first), 1);
  EXPECT_EQ(ToVector(first), std::vector<std::string>{"2/B|5|9|1|"});
}

TEST_F(Builder, TemplateThatIsNeverFoundGivesNoSteps) {
  std::string path = Definition("A", "ES/Nowhere,NQ", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(script.GetCommand(0), std::string("NQ|OptSet|Daily|5000 Bars|10/12/2012|"));
}

TEST_F(Builder, SymbolsOfTheSkipListAreLeftOutWhateverTheirCase) {
  InWork("Skip.txt", {"es", " gm "});
  InWork("Cars.lst", {"GM", "F"});
  std::string path = Definition("A", "ES/Template/Opt,List:Cars,NQ",
                                {"Template=", "Daily", "", "OptSet=", "1/A|1|", "", "Opt=", "1/A|2|"});
  ASSERT_EQ(Build(path), 2) << error.ToStd();
  EXPECT_EQ(Commands(script), (std::vector<std::string>{"F|OptSet|Daily|5000 Bars|10/12/2012|",
                                                        "NQ|OptSet|Daily|5000 Bars|10/12/2012|"}));
  EXPECT_EQ(script.SkipList().GetSize(), 2);
}

TEST_F(Builder, SymbolListsExpandInPlaceFromCurrentOrProgramFolderAndMissingOnesAreDropped) {
  InWork("Tech.lst", {"AAPL", "", "MSFT"});
  WriteFile(program + "/Banks.lst", CrLf({"JPM"}));
  std::string path = Definition("A", "ES,list:Tech,List:Gone,List: Banks,NQ",
                                {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 5) << error.ToStd();
  CTxtArray symbols;
  script.GetList("S", symbols);
  EXPECT_EQ(ToVector(symbols), (std::vector<std::string>{"ES", "AAPL", "MSFT", "JPM", "NQ"}));

  // Kept for editing, each entry counts as a symbol of its own.
  ASSERT_EQ(Build(path, 0), 5);
  script.GetList("S", symbols);
  EXPECT_EQ(ToVector(symbols),
            (std::vector<std::string>{"ES", "list:Tech", "List:Gone", "List: Banks", "NQ"}));
}

TEST_F(Builder, ListScriptReturnsAtOnceAndKeepsThePreviousCommands) {
  std::string plain = Definition("A", "ES", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(plain), 1);
  std::string list = WriteFile(program + "/L.tvd", CrLf({"Symbols=NQ,", "List=A| B |C"}));
  EXPECT_EQ(Build(list), 0) << error.ToStd();
  EXPECT_EQ(script.ListScript().ToStd(), "A| B |C");
  EXPECT_EQ(script.ListScriptCount(), 3);
  EXPECT_EQ(script.GetCommandCount(), 1);
  EXPECT_EQ(script.DefinitionLines().GetSize(), 2);
}

TEST_F(Builder, TestScriptEmptiesTheCommandsAndBuildsNone) {
  ASSERT_EQ(Build(Definition("A", "ES", {"Template=", "Daily", "", "OptSet=", "1/A|1|"})), 1);
  EXPECT_EQ(Build(Definition("T", "ES", {"Cmd=TestSave|3", "Template=", "Daily", "", "OptSet=", "1/A|1|"})),
            0);
  EXPECT_EQ(script.GetCommandCount(), 0);
}

TEST_F(Builder, SkipTurnsOptimisationOffAndAnEmptySetFails) {
  std::string path = Definition("A", "ES,NQ/Template/Real",
                                {"Template=", "Daily", "", "OptSet=", "SKIP", "", "Real=", "4/D|1|3"});
  ASSERT_EQ(Build(path), 2) << error.ToStd();
  EXPECT_EQ(runOpt, 0);
  CTxtArray first;
  script.GetList("O", first);
  EXPECT_EQ(ToVector(first), std::vector<std::string>{"4/D|1|3|1|"});

  std::string missing =
      Definition("B", "ES/Template/Empty", {"Template=", "Daily", "", "Empty=", "", "OptSet=", "1/A|1|"});
  EXPECT_EQ(Build(missing), -5);
  EXPECT_EQ(error.ToStd(), "Strategy Optimization Definition 'Empty' is missing in:\r\n" + missing);
}

TEST_F(Builder, RunOptStartsFromTheSetting) {
  std::string path = Definition("A", "ES", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(runOpt, 1);
  Settings::WriteString("Tavrin", "RunOpt", "NO");
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(runOpt, 0);
}

TEST_F(Builder, AbortMarksAtTheEndNeverBecomeParametersOrTimeframes) {
  std::string path = Definition(
      "A", "ES,NQ/Last",
      {"OptSet=", "1/A|1|9|", ";", "; Aborted at 1/1/2020 10:00:00", "Abort=2=ES|OptSet|Daily|", "",
       "Last=", "Weekly", ";", "; Aborted at 1/1/2020 10:00:00", "Abort=3=x", "", "Template=", "Daily"});
  ASSERT_EQ(Build(path), 2) << error.ToStd();
  CTxtArray first;
  script.GetList("O", first);
  EXPECT_EQ(ToVector(first), std::vector<std::string>{"1/A|1|9|1|"});
  EXPECT_EQ(Commands(script), (std::vector<std::string>{"ES|OptSet|Daily|5000 Bars|10/12/2012|",
                                                        "NQ|OptSet|Weekly|5000 Bars|10/12/2012|"}));
}

TEST_F(Builder, RunValuesComeFromTheirKeys) {
  std::string path = Definition(
      "A", "ES",
      {"MultiData=on", "Genetic=10|0.5|20|0.3|", "", "Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(script.MultiData(), 1);
  EXPECT_EQ(script.Genetic().ToStd(), "10|0.5|20|0.3|");
  CTxt expected(workspace.c_str());
  expected.MakeFnDOS();
  EXPECT_EQ(script.Workspace().ToStd(), expected.ToStd());

  WriteFile(path, CrLf({"Workspace=" + workspace, "Symbols=ES", "MultiData=0", "Template=", "Daily", "",
                        "OptSet=", "1/A|1|"}));
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(script.MultiData(), 0);
  EXPECT_TRUE(script.Genetic().IsEmpty());
}

TEST_F(Builder, MultiSymbolLinesBecomeOneCommandEach) {
  std::string path = Definition(
      "M", "*multi,",
      {"Template=", "ES|5 min;NQ|5 min|100 Bars", "YM|Daily|2 Years|1/2/2012;", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 2) << error.ToStd();
  EXPECT_TRUE(script.IsMultiSymbol());
  EXPECT_EQ(Commands(script),
            (std::vector<std::string>{"OptSet;ES|5 min|5000 Bars|10/12/2012;NQ|5 min|100 Bars|10/12/2012;",
                                      "OptSet;YM|Daily|2 Years|1/2/2012;"}));
  RunCommand command = script.GetRunCommand(0);
  EXPECT_TRUE(command.IsMultiSymbol());
  EXPECT_EQ(command.OptSet().ToStd(), "OptSet");
}

// --- Failures
// --------------------------------------------------------------------------------------------------

TEST_F(Builder, FailuresCarryTheirCodesAndMessages) {
  std::string missing = program + "/Missing.tvd";
  EXPECT_EQ(Build(missing), -3);
  EXPECT_EQ(error.ToStd().rfind("Remote Script not found Cannot open", 0), 0u) << error.ToStd();

  std::string empty = WriteFile(program + "/Empty.tvd", "");
  EXPECT_EQ(Build(empty), -2);
  EXPECT_EQ(error.ToStd(), "Remote Script " + empty + " empty");

  std::string noSymbols =
      WriteFile(program + "/NoSym.tvd", CrLf({"Workspace=" + workspace, "Template=", "Daily"}));
  EXPECT_EQ(Build(noSymbols), -4);
  EXPECT_EQ(error.ToStd(), "No symbols defined in Sequence " + noSymbols + " (Symbols=)");

  std::string noWorkspace =
      WriteFile(program + "/NoWs.tvd", CrLf({"Symbols=ES", "Template=", "Daily", "", "OptSet=", "1/A|1|"}));
  EXPECT_EQ(Build(noWorkspace), -3);
  EXPECT_EQ(error.ToStd(), "Workspace= entry missing in " + noWorkspace);
}

TEST_F(Builder, DeletedWorkspaceFailsEvenWhenEverythingElseIsValid) {
  std::string path = Definition("A", "ES", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 1);
  std::remove(workspace.c_str());
  EXPECT_EQ(Build(path), -4);
  CTxt dos(workspace.c_str());
  dos.MakeFnDOS();
  EXPECT_EQ(error.ToStd().rfind("Workspace " + dos.ToStd() + " not found (", 0), 0u) << error.ToStd();
}

// --- Queries
// ---------------------------------------------------------------------------------------------------

TEST_F(Builder, TimeframeLinesFollowTheSymbolOfTheChosenOrCurrentStep) {
  std::string path = Definition(
      "A", "ES,nq,NQ", {"Template=", "Daily|2 Years", "Intra/5|10 Days|1/1/2012", "", "OptSet=", "1/A|1|"});
  ASSERT_EQ(Build(path), 6);
  EXPECT_EQ(script.FillTimeframeLines(3), 4);
  EXPECT_EQ(
      ToVector(script.TimeframeLines()),
      (std::vector<std::string>{"Daily|2 Years", "Intra/5|10 Days", "Daily|2 Years", "Intra/5|10 Days"}));
  EXPECT_EQ(script.FillTimeframeLines(-1), -1);
  script.SetCurrentStep(1);
  EXPECT_EQ(script.FillTimeframeLines(-1), 2);
  EXPECT_EQ(script.FillTimeframeLines(6), -1);
  EXPECT_EQ(script.GetCommand(6), nullptr);
  EXPECT_EQ(script.GetCommand(-1), nullptr);

  CTxtArray out;
  out.Add("untouched");
  EXPECT_EQ(script.GetList("X", out), -1);
  EXPECT_EQ(ToVector(out), std::vector<std::string>{"untouched"});
  EXPECT_EQ(script.GetList("f", out), 0);  // FillTimeframeLines(6) left no lines
}

TEST(RunCommandFields, OrdinaryFormAndListingLine) {
  RunCommand command("ES|OptSet|5 min|5000 Bars|10/12/2012|");
  EXPECT_FALSE(command.IsMultiSymbol());
  EXPECT_EQ(command.Symbol().ToStd(), "ES");
  EXPECT_EQ(command.OptSet().ToStd(), "OptSet");
  EXPECT_EQ(command.Interval().ToStd(), "5 min");
  EXPECT_EQ(command.Duration().ToStd(), "5000 Bars");
  EXPECT_EQ(command.EndDate().ToStd(), "10/12/2012");
  CTxt line;
  command.ListingLine(1, line);
  EXPECT_EQ(line.ToStd(), "1,ES,OptSet,5 min,5000 Bars,10/12/2012,");
}

// --- The editor's view and round trips
// ---------------------------------------------------------------------------

TEST_F(Builder, SavedDefinitionReadsBackAsTheEditorWroteIt) {
  SequenceDefinition def;
  def.SetFilePath((program + "/Round.tvd").c_str());
  def.workspace = workspace.c_str();
  def.symbols.Add("@ES");
  def.symbols.Add("List:Tech");
  def.endDate = "3/5/2017";
  def.multiData = true;
  def.genetic = GeneticSettings{30, 0.25, 80, 0.6};
  def.templateLines.Add("Daily|2 Years");
  def.templateLines.Add("Intra/5|10 Days");
  def.optSet.Add("2/Length|10|50|5|");
  def.optSet.Add("3/Stop|100|");
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0) << msg.ToStd();

  // For editing, "List:Tech" stays an entry (and is expanded as a symbol of its own: 2 x 2 steps).
  SequenceDefinition back;
  ASSERT_EQ(script.LoadDefinition(def.filePath, back, error), 4) << error.ToStd();
  EXPECT_EQ(back.name.ToStd(), "Round");
  EXPECT_EQ(back.workspace.ToStd(), def.workspace.ToStd());
  EXPECT_EQ(ToVector(back.symbols), ToVector(def.symbols));
  EXPECT_EQ(back.endDate.ToStd(), "3/5/2017");
  EXPECT_TRUE(back.multiData);
  ASSERT_TRUE(back.genetic.has_value());
  EXPECT_EQ(back.genetic->generations, 30);
  EXPECT_DOUBLE_EQ(back.genetic->crossoverRate, 0.6);
  EXPECT_EQ(ToVector(back.templateLines), ToVector(def.templateLines));
  EXPECT_EQ(ToVector(back.optSet), ToVector(def.optSet));

  // Saving what was read gives the same file.
  std::string first = ReadFile(def.filePath.ToStd());
  ASSERT_EQ(back.Save(msg), 0);
  EXPECT_EQ(ReadFile(def.filePath.ToStd()), first);
}

TEST_F(Builder, EditorViewDropsPerLineEndDatesAndFillsMissingRanges) {
  std::string path =
      Definition("A", "ES", {"Template=", "Daily|2 Years|1/5/2015", "Daily", "", "OptSet=", "1/A|1|"});
  SequenceDefinition def;
  ASSERT_EQ(script.LoadDefinition(path.c_str(), def, error), 2);
  EXPECT_EQ(ToVector(def.templateLines), (std::vector<std::string>{"Daily|2 Years", "Daily|5000 Bars"}));
  EXPECT_FALSE(def.genetic.has_value());
}

TEST_F(Builder, EditorViewKeepsTimeframesAndSkipOfADefinitionWithoutSteps) {
  std::string path =
      Definition("A", "", {"Template=", "Daily|2 Years|1/5/2015", "Weekly", "", "OptSet=", "SKIP"});
  SequenceDefinition def;
  ASSERT_EQ(script.LoadDefinition(path.c_str(), def, error), 0) << error.ToStd();
  EXPECT_EQ(def.symbols.GetSize(), 0);
  EXPECT_EQ(ToVector(def.templateLines), (std::vector<std::string>{"Daily|2 Years", "Weekly|5000 Bars"}));
  EXPECT_EQ(ToVector(def.optSet), std::vector<std::string>{"SKIP"});

  // Saved and built again, the definition still runs without optimisation instead of failing.
  def.symbols.Add("ES");
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0);
  ASSERT_EQ(script.BuildRunScript(path.c_str(), error, runOpt, 1), 2) << error.ToStd();
  EXPECT_EQ(runOpt, 0);
}

TEST_F(Builder, EditorViewOfAMultiStreamDefinitionKeepsItsLines) {
  std::string path = Definition("M", "*MULTI", {"Template=", "ES|5 min;NQ|5 min", "", "OptSet=", "1/A|1|"});
  SequenceDefinition def;
  ASSERT_EQ(script.LoadDefinition(path.c_str(), def, error), 1);
  EXPECT_EQ(ToVector(def.symbols), std::vector<std::string>{"*MULTI"});
  EXPECT_EQ(ToVector(def.templateLines), std::vector<std::string>{"ES|5 min;NQ|5 min"});
  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0);
  ASSERT_EQ(Build(path), 1);
  EXPECT_EQ(script.GetCommand(0),
            std::string("OptSet;ES|5 min|5000 Bars|10/12/2012;NQ|5 min|5000 Bars|10/12/2012;"));
}
