// The sequence editor's checks of typed symbols, parameter lines, names, end dates and genetic fields, and
// the import of a strategy's inputs.
#include <gtest/gtest.h>

#include <string>

#include "sequence/DefinitionTestSupport.h"
#include "sequence/EditorRules.h"

using namespace definitiontest;

namespace {

CTxtArray Lines(std::initializer_list<const char*> lines) {
  CTxtArray out;
  for (const char* line : lines) out.Add(line);
  return out;
}

std::string Normal(const char* typed) {
  CTxt s(typed);
  NormalizeSymbol(s);
  return s.GetData();
}

}  // namespace

TEST(EditorSymbols, TypedSymbolsAreUpperCasedAndMasked) {
  EXPECT_EQ(Normal("es;x"), "ES_X");
  EXPECT_EQ(Normal("@es"), "@ES");
  EXPECT_EQ(Normal(" msft "), "MSFT");
  EXPECT_EQ(Normal("$spx.x:1"), "$SPX.X:1");
  EXPECT_EQ(Normal("a/b c"), "A_B_C");
}

TEST(EditorSymbols, TheInitialTextAndDuplicatesAreRefused) {
  CTxtArray symbols = Lines({"@ES", "MSFT"});
  CTxt msg;
  EXPECT_EQ(CheckNewSymbol(symbols, "(NewSymbol)", msg), -1);
  EXPECT_STREQ(msg, "Enter a different name!");
  EXPECT_EQ(CheckNewSymbol(symbols, "msft", msg), -2);
  EXPECT_STREQ(msg, "Symbol 'msft' already in List");
  EXPECT_EQ(CheckNewSymbol(symbols, "NQ", msg), 0);
}

TEST(EditorParameters, NumberRangeAndMinimumAreChecked) {
  CTxt msg;
  EXPECT_EQ(CheckParameterLine("0/Len|5", msg), -1);
  EXPECT_STREQ(msg, "Parameter Number 0 out of Range in: 0/Len|5");
  EXPECT_EQ(CheckParameterLine("101/Len|5", msg), -1);
  EXPECT_STREQ(msg, "Parameter Number 101 out of Range in: 101/Len|5");
  EXPECT_EQ(CheckParameterLine("1/Len|", msg), -1);
  EXPECT_STREQ(msg, "Parameter (minimum) Value is missing in: 1/Len|");
  EXPECT_EQ(CheckParameterLine("1/Len|  |5|1|", msg), -1);
  EXPECT_EQ(CheckParameterLine("100/Len|5", msg), 0);
  EXPECT_EQ(CheckParameterLine("1/Len|10|50|5|", msg), 0);
}

TEST(EditorParameters, AddRefusesTheInitialTextAndLinesAlreadyListed) {
  CTxtArray optSet = Lines({"2/Length|10|50|5|"});
  CTxt msg;
  EXPECT_EQ(CheckNewParameter(optSet, "Seq/Name|Min|Max|Incr", msg), -1);
  EXPECT_STREQ(msg, "Enter a different Parameter!");
  EXPECT_EQ(CheckNewParameter(optSet, "2/length|10|50|5|", msg), -1);
  EXPECT_STREQ(msg, "Parameter '2/length|10|50|5|' already in List");
  EXPECT_EQ(CheckNewParameter(optSet, "3/Stop|1", msg), 0);
}

TEST(EditorParameters, ImportSkipsNonNumericValuesAndKnownNamesWhenAddingOnlyNew) {
  CTxtArray rows = Lines({"Length|14", "UseFilter|true", "Stop|1e5", "Target|-2.5", " Mult |+3"});
  CTxtArray optSet = Lines({"7/length|10|20|1|"});
  EXPECT_EQ(ImportStrategyInputs(optSet, rows, true), 2);
  ASSERT_EQ(optSet.GetSize(), 3);
  EXPECT_STREQ(optSet.GetAtTxt(1), "4/Target|-2.5");
  EXPECT_STREQ(optSet.GetAtTxt(2), "5/Mult|+3");

  CTxtArray replaced;
  EXPECT_EQ(ImportStrategyInputs(replaced, rows, false), 3);
  EXPECT_STREQ(replaced.GetAtTxt(0), "1/Length|14");
  EXPECT_STREQ(ParameterName(" 3 / Stop |1|2|1|"), "Stop");
}

class EditorNames : public DefinitionFolders {};

TEST_F(EditorNames, ListNamesAreMadeSafeAndMayNotExistYet) {
  InWork("SP500.lst", {"AA"});
  CTxt name("(symbollist)"), path, msg;
  EXPECT_EQ(CheckNewSymbolListName(name, path, msg), -1);
  EXPECT_STREQ(msg, "Enter a different name!");
  name = "SP500";
  EXPECT_EQ(CheckNewSymbolListName(name, path, msg), -2);
  EXPECT_STREQ(msg, "SymbolList 'SP500' exists already (SP500.lst)");
  name = "my list";
  EXPECT_EQ(CheckNewSymbolListName(name, path, msg), 0);
  EXPECT_STREQ(name, "my_list");
  EXPECT_STREQ(path, "my_list.lst");

  InWork("Days.frm", {"Daily|2 Years"});
  name = "Days";
  EXPECT_EQ(CheckNewTimeframeListName(name, path, msg), -2);
  EXPECT_STREQ(msg, "TimeFrameList 'Days' exists already (Days.frm)");
  name = "(TimeFrameList)";
  EXPECT_EQ(CheckNewTimeframeListName(name, path, msg), -1);
}

TEST_F(EditorNames, DefinitionNamesLiveInTheProgramFolder) {
  Definition("DJ30", "AA,", {"Template=", "Daily", "", "OptSet=", "1/A|1|"});
  CTxt name("(NewDef)"), path, msg;
  EXPECT_EQ(CheckNewDefinitionName(name, path, msg), -1);
  EXPECT_STREQ(msg, "Choose a different name!");
  name = "DJ30";
  EXPECT_EQ(CheckNewDefinitionName(name, path, msg), -2);
  EXPECT_NE(
      std::string(msg.GetData()).find("Definintion 'DJ30' exists already - choose a different name\r\n("),
      std::string::npos);
  name = "New;One";
  EXPECT_EQ(CheckNewDefinitionName(name, path, msg), 0);
  EXPECT_EQ(std::string(path.GetData()), program + "/New_One.tvd");
}

TEST(EditorEndDate, ValidDatesAreWrittenWithoutLeadingZerosAndOthersRefused) {
  CTxt out, msg;
  EXPECT_EQ(NormalizeEndDate("03/05/2017", out, msg), 0);
  EXPECT_STREQ(out, "3/5/2017");
  EXPECT_EQ(NormalizeEndDate("2017-12-31", out, msg), 0);
  EXPECT_STREQ(out, "12/31/2017");
  for (const char* bad : {"13/45/2017", "soon", "", "2/30/2017"}) {
    EXPECT_EQ(NormalizeEndDate(bad, out, msg), -1) << bad;
    EXPECT_EQ(std::string(msg.GetData()), std::string("EndDate: ") + bad + " is not valid - reenter");
  }
}

TEST(EditorGenetic, FieldsAreClampedAndWrittenInNormalForm) {
  CTxt normal[4];
  GeneticSettings g = NormalizeGeneticFields("0", "1.5", "-3", "0.256", normal);
  EXPECT_EQ(g.generations, 1);
  EXPECT_EQ(g.population, 1);
  EXPECT_STREQ(normal[0], "1");
  EXPECT_STREQ(normal[1], "0.99");
  EXPECT_STREQ(normal[2], "1");
  EXPECT_STREQ(normal[3], "0.26");
  CTxt text;
  g.Format(text);
  EXPECT_STREQ(text, "1|0.99|1|0.26|");

  g = NormalizeGeneticFields("5|9", "-0.1", "20", "x", normal);
  EXPECT_EQ(g.generations, 59);
  EXPECT_STREQ(normal[1], "0.00");
  EXPECT_EQ(g.population, 20) << "a '|' typed into a field must not shift the others";
  EXPECT_STREQ(normal[3], "0.00");
}
