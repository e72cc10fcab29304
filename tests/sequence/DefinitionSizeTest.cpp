// The size of a definition before it runs: tests per optimisation set as the driver counts them, steps as the
// run script builder expands them (checked against the builder itself), the largest step, and the cases
// where nothing is optimised.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "execution/RunScript.h"
#include "sequence/DefinitionSize.h"
#include "sequence/DefinitionTestSupport.h"
#include "sequence/SequenceDefinition.h"

using namespace definitiontest;

namespace {

CTxtArray Lines(const std::vector<std::string>& lines) {
  CTxtArray out;
  for (const std::string& line : lines) out.Add(line.c_str());
  return out;
}

}  // namespace

// --- Tests of one optimisation set -------------------------------------------------------------------------

TEST(ParameterTests, RangesMultiplyWithTheDriversRounding) {
  EXPECT_EQ(CountParameterTests(Lines({"1/A|10|20|5|"}), nullptr), 3);
  EXPECT_EQ(CountParameterTests(Lines({"1/A|10|20|3|"}), nullptr), 4);  // 3.33 + 0.51 truncated, plus 1
  EXPECT_EQ(CountParameterTests(Lines({"1/A|10|20|5|", "2/B|10|20|3|"}), nullptr), 12);
  // 0.49 of a step left over still counts as one more value: (1 / 2.04) + 0.51 = 1.0002.
  EXPECT_EQ(CountParameterTests(Lines({"1/A|0|1|2.04|"}), nullptr), 2);
  EXPECT_EQ(CountParameterTests(Lines({"1/A|0|1|2.1|"}), nullptr), 1);
}

TEST(ParameterTests, FixedValuesAndInputsTheDriverIgnoresCountOnce) {
  EXPECT_EQ(CountParameterTests(Lines({"1/A|7|", "2/B|1|5|1|"}), nullptr), 5);
  EXPECT_EQ(CountParameterTests(Lines({"0/A|1|100|1|", "101/B|1|100|1|", "3/C|1|2|1|"}), nullptr), 2);
  EXPECT_EQ(CountParameterTests(CTxtArray(), nullptr), 1);
}

TEST(ParameterTests, RefusedRangesAreNamedAndCountOnce) {
  CTxt invalid;
  EXPECT_EQ(CountParameterTests(Lines({"1/A|10|20|0|", "2/B|5|1|1|", "3/C|1|3|1|"}), nullptr, &invalid), 3);
  EXPECT_STREQ(invalid, "1/A|10|20|0|");
}

TEST(ParameterTests, GeneticStepsRunGenerationsTimesPopulation) {
  CTxtArray lines = Lines({"1/A|1|1000|1|", "2/B|1|1000|1|"});
  EXPECT_EQ(CountParameterTests(lines, "20|0.10|50|0.50|"), 1000);
  EXPECT_EQ(CountParameterTests(lines, "0|0.10|-5|0.50|"), 1);  // clamped to 1 and 1
  EXPECT_EQ(CountParameterTests(lines, ""), 1000000);
}

TEST(ParameterTests, HugeRangesSaturateInsteadOfOverflowing) {
  CTxtArray lines = Lines({"1/A|0|1e15|1|", "2/B|0|1e15|1|", "3/C|0|1e300|1e-300|"});
  EXPECT_EQ(CountParameterTests(lines, nullptr), std::numeric_limits<int64_t>::max());
}

// --- Steps of a definition -----------------------------------------------------------------------------

class DefinitionSizing : public DefinitionFolders {
 protected:
  // Steps as the run script builder expands the same file (lists expanded).
  int BuilderSteps(const std::string& path) {
    RunScript script;
    CTxt error;
    int runOpt = 1;
    return script.BuildRunScript(path.c_str(), error, runOpt, 1);
  }
  DefinitionSize Size(const std::string& path, int expectedResult) {
    DefinitionSize size;
    CTxt error;
    EXPECT_EQ(ComputeDefinitionSize(path.c_str(), size, error), expectedResult) << error.GetData();
    return size;
  }
};

TEST_F(DefinitionSizing, StepsMatchTheBuilderWithListsSkipListAndNamedSections) {
  InWork("SP.lst", {"AAA", "BBB", "", "CCC"});
  InWork("Skip.txt", {"bbb"});
  std::string path =
      Definition("Mixed", "@ES,List:SP,List:Missing,NQ/Fast/Big,",
                 {"Template=", "Daily", "Intra/5|10 Days", "", "Fast=", "Intra/1|2 Days", "",
                  "OptSet=", "1/Len|10|20|5|", "", "Big=", "1/Len|1|100|1|", "2/Stop|1|10|1|"});
  int builder = BuilderSteps(path);
  ASSERT_EQ(builder, 7);  // @ES x2, AAA x2, CCC x2 (BBB skipped, Missing unreadable), NQ x1
  DefinitionSize size = Size(path, builder);
  EXPECT_EQ(size.steps, builder);
  EXPECT_EQ(size.largestStepTests, 1000);
  EXPECT_EQ(size.largestStep, 7);
  EXPECT_EQ(size.totalTests, 6 * 3 + 1000);
}

TEST_F(DefinitionSizing, MultiStreamDefinitionsHaveOneStepPerLine) {
  std::string path =
      Definition("Multi", "*MULTI,",
                 {"Template=", "ES|5 min;NQ|5 min", "ES|Daily;NQ|Daily", "", "OptSet=", "1/A|1|4|1|"});
  int builder = BuilderSteps(path);
  ASSERT_EQ(builder, 2);
  DefinitionSize size = Size(path, 2);
  EXPECT_EQ(size.largestStepTests, 4);
  EXPECT_EQ(size.largestStep, 1);
}

TEST_F(DefinitionSizing, TheFirstOfEquallyLargeStepsIsNamed) {
  std::string path = Definition("Equal", "AA,BB/Other/Wide,CC/Other/Wide,",
                                {"Template=", "Daily", "", "Other=", "Weekly", "Monthly", "",
                                 "OptSet=", "1/A|1|2|1|", "", "Wide=", "1/A|1|9|1|"});
  DefinitionSize size = Size(path, 5);
  EXPECT_EQ(size.largestStepTests, 9);
  EXPECT_EQ(size.largestStep, 2);
}

TEST_F(DefinitionSizing, SkipOrRunOptOffTestsEveryStepOnce) {
  std::string skip =
      Definition("Skip", "AA,BB/Template/Big,",
                 {"Template=", "Daily", "Weekly", "", "OptSet=", "SKIP", "", "Big=", "1/A|1|50|1|"});
  DefinitionSize size = Size(skip, 4);
  EXPECT_FALSE(size.optimizes);
  EXPECT_EQ(size.largestStepTests, 1);
  EXPECT_EQ(size.totalTests, 4);

  std::string plain = Definition("Plain", "AA,", {"Template=", "Daily", "", "OptSet=", "1/A|1|50|1|"});
  EXPECT_EQ(Size(plain, 1).largestStepTests, 50);
  Settings::WriteString("Tavrin", "RunOpt", "NO");
  EXPECT_EQ(Size(plain, 1).largestStepTests, 1);
}

TEST_F(DefinitionSizing, FailuresAreTheBuildersFailures) {
  std::string noSet =
      Definition("NoSet", "AA/Template/Gone,", {"Template=", "Daily", "", "OptSet=", "1/A|1|2|1|"});
  DefinitionSize size;
  CTxt error, builderError;
  EXPECT_EQ(ComputeDefinitionSize(noSet.c_str(), size, error), -5);
  RunScript script;
  int runOpt = 1;
  EXPECT_EQ(script.BuildRunScript(noSet.c_str(), builderError, runOpt, 1), -5);
  EXPECT_STREQ(error, builderError);

  std::string noSymbols =
      testsupport::WriteFile(program + "/NoSymbols.tvd", CrLf({"Workspace=" + workspace}));
  EXPECT_EQ(ComputeDefinitionSize(noSymbols.c_str(), size, error), -4);
  EXPECT_EQ(ComputeDefinitionSize((program + "/Absent.tvd").c_str(), size, error), -3);
  EXPECT_EQ(size.steps, 0);

  std::string list = testsupport::WriteFile(program + "/List.tvd", CrLf({"List=A|B", "Symbols=ES,"}));
  EXPECT_EQ(ComputeDefinitionSize(list.c_str(), size, error), 0);
  EXPECT_EQ(size.largestStep, 0);
}

TEST_F(DefinitionSizing, AnEditedDefinitionSizesAsItWouldBeSaved) {
  SequenceDefinition def;
  def.SetFilePath((program + "/Edited.tvd").c_str());
  def.workspace = workspace.c_str();
  def.symbols.Add("ES");
  def.symbols.Add("NQ");
  def.endDate = "3/5/2017";
  def.templateLines.Add("Daily|2 Years");
  def.templateLines.Add("Intra/5|10 Days");
  def.templateLines.Add("Weekly|5 Years");
  def.optSet.Add("1/Len|10|100|10|");
  def.optSet.Add("2/Stop|1|3|1|");
  def.genetic = GeneticSettings::Parse("5|0.10|20|0.50|");

  DefinitionSize edited;
  CTxt error;
  EXPECT_EQ(ComputeDefinitionSize(def, edited, error), 6);
  EXPECT_TRUE(edited.genetic);
  EXPECT_EQ(edited.largestStepTests, 100);
  def.genetic.reset();
  EXPECT_EQ(ComputeDefinitionSize(def, edited, error), 6);
  EXPECT_EQ(edited.largestStepTests, 30);

  CTxt msg;
  ASSERT_EQ(def.Save(msg), 0) << msg.GetData();
  DefinitionSize saved = Size(def.filePath.GetData(), 6);
  EXPECT_EQ(saved.totalTests, edited.totalTests);
  EXPECT_EQ(saved.largestStep, edited.largestStep);
}
