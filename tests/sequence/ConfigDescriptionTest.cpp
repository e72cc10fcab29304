// The configuration description: load codes and messages, every item kind's checks and normal forms, the
// strategy-input value lists, and the write-back of applied values (settings file and registry) with the
// count of values changed.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "TestSupport.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"
#include "sequence/ConfigDescription.h"

using namespace testsupport;

namespace {

// The registry's application data as a map, so registry items can be told from settings items.
class MapStore : public ConfigStore {
 public:
  explicit MapStore(const std::string& ini) : ConfigStore(ini.c_str()) {}
  std::map<std::string, std::string> registry;

 protected:
  bool ReadRegistry(const std::string& name, const std::string& def, std::string& out) override {
    auto found = registry.find(name);
    out = found == registry.end() ? def : found->second;
    return true;
  }
  bool WriteRegistry(const std::string& name, const std::string& text) override {
    registry[name] = text;
    return true;
  }
};

std::string Document(const std::string& groups, const std::string& cfgAttrs = "SectionName=\"Tavrin\"") {
  return "<?xml version=\"1.0\"?>\r\n<Cfg>\r\n <SysDef><Title>Test "
         "Setup</Title><AppName>Tavrin</AppName></SysDef>\r\n"
         " <CfgDef " +
         cfgAttrs + " TreeWidth=\"30\" Size=\"50,60\">\r\n" + groups + " </CfgDef>\r\n</Cfg>\r\n";
}

class ConfigFixture : public ::testing::Test {
 protected:
  std::string folder = ScratchFolder();
  std::string ini = folder + "/Tavrin.ini";
  std::string xml = folder + "/Tavrin.xml";
  MapStore store{ini};
  ConfigDescription description;
  CTxt message;

  int Load(const std::string& text) {
    WriteFile(xml, text);
    return description.Load(xml.c_str(), store, message);
  }
  ConfigItem& Item(const char* name) {
    ConfigItem* item = description.FindItem(name);
    EXPECT_NE(item, nullptr) << name;
    static ConfigItem none;
    return item ? *item : none;
  }
  std::string Stored(const char* section, const char* key) {
    CTxt out;
    Settings::GetString(section, key, "<none>", out, ini.c_str());
    return out.ToStd();
  }
  // Edits an item and applies it: the apply result.
  int Apply(const char* name, const std::string& text, std::string* old = nullptr) {
    ConfigItem& item = Item(name);
    EditConfigItem(item, text);
    std::string oldText;
    CTxt reason;
    int r = ApplyConfigItem(item, store, oldText, reason);
    if (old) *old = oldText;
    return r;
  }
};

// --- Loading
// ------------------------------------------------------------------------------------------------

using ConfigLoad = ConfigFixture;

TEST_F(ConfigLoad, ReadsTitleGroupsItemsAndTheirSections) {
  ASSERT_EQ(
      Load(Document(
          "  <Group Name=\"Timing\">\r\n"
          "   <Item Name=\"FmtCmdWait\" Dflt=\"500\">Wait after a command.</Item>\r\n"
          "   <Item Name=\"LogShowDate\" Sect=\"SYS\" Type=\"Bool\" Dflt=\"YES\"/>\r\n"
          "   <Item Dflt=\"1\">no name: skipped</Item>\r\n"
          "  </Group>\r\n"
          "  <Group><Item Name=\"Orphan\"/></Group>\r\n"
          "  <Group Name=\"Other\"><Item Name=\"Secret\" Reg=\"UserPwd\" Type=\"Text/pwd\"/></Group>\r\n")),
      0)
      << message.GetData();
  EXPECT_EQ(description.Title(), "Test Setup");
  EXPECT_EQ(description.AppName(), "Tavrin");
  EXPECT_EQ(description.SectionName(), "Tavrin");
  EXPECT_EQ(description.TreeWidthPercent(), 30);
  EXPECT_EQ(description.WidthPercent(), 50);
  EXPECT_EQ(description.HeightPercent(), 60);
  ASSERT_EQ(description.Groups().size(), 2u);  // the group without a name contributes nothing
  EXPECT_EQ(description.ItemCount(), 3);
  EXPECT_EQ(description.FindItem("Orphan"), nullptr);

  ConfigItem& wait = Item("FmtCmdWait");
  EXPECT_EQ(wait.section, "Tavrin");
  EXPECT_EQ(wait.group, "Timing");
  EXPECT_EQ(wait.kind, ConfigKind::kInt);  // "Int" when no type is given
  EXPECT_EQ(wait.currentText, "500");
  EXPECT_EQ(wait.description, "Wait after a command.");
  EXPECT_EQ(Item("LogShowDate").section, "SYS");
  EXPECT_EQ(Item("Secret").registryName, "UserPwd");
  EXPECT_TRUE(Item("Secret").inputStyle & kConfigPassword);
}

TEST_F(ConfigLoad, ReportsEachMissingPartWithItsCode) {
  EXPECT_EQ(Load("<Cfg><CfgDef SectionName=\"Tavrin\"/></Cfg>"), kConfigSysDefMissing);
  EXPECT_NE(std::string(message).find("SysDef missing"), std::string::npos);
  EXPECT_EQ(Load("<Cfg><SysDef><AppName>x</AppName></SysDef><CfgDef SectionName=\"T\"/></Cfg>"),
            kConfigTitleMissing);
  EXPECT_EQ(Load("<Cfg><SysDef><Title>t</Title></SysDef></Cfg>"), kConfigCfgDefMissing);
  EXPECT_NE(std::string(message).find("CfgDef Section missing"), std::string::npos);
  EXPECT_EQ(Load(Document("", "Intro=\"no section\"")), kConfigBadBaseOrSection);
  EXPECT_NE(std::string(message).find("SectionName"), std::string::npos);
  EXPECT_EQ(Load("<Cfg><SysDef><Title>t</Title><BaseDir>no/such/folder</BaseDir></SysDef>"
                 "<CfgDef SectionName=\"T\"/></Cfg>"),
            kConfigBadBaseOrSection);
  EXPECT_NE(std::string(message).find("Invalid Base Foldder"), std::string::npos);
  std::string missing = folder + "/none.xml";
  EXPECT_EQ(description.Load(missing.c_str(), store, message), kConfigReadError);
  EXPECT_NE(std::string(message).find("does not exist"), std::string::npos);
}

TEST_F(ConfigLoad, MalformedDescriptionNamesLineAndColumn) {
  EXPECT_EQ(Load("<Cfg>\r\n <SysDef>\r\n  <Title>t</Titel>\r\n</SysDef></Cfg>\r\n"), kConfigParseError);
  std::string text(message);
  EXPECT_NE(text.find("Parse Erorr in '" + xml + "'"), std::string::npos) << text;
  EXPECT_NE(text.find("Closing Tag mismatch"), std::string::npos) << text;
  EXPECT_NE(text.find("Line 3, Column"), std::string::npos) << text;
}

TEST_F(ConfigLoad, ItemsThatCannotLoadAreLeftOutAndListed) {
  ASSERT_EQ(Load(Document("<Group Name=\"G\">"
                          "<Item Name=\"Typo\" Type=\"Intt\"/>"
                          "<Item Name=\"BadModifier\" Type=\"Int/Uper\"/>"
                          "<Item Name=\"NoValues\" Type=\"ParInt\" Dflt=\"7&gt;5\"/>"
                          "<Item Name=\"BadLimit\" Min=\"low\"/>"
                          "<Item Name=\"Good\" Type=\"IntNeg\" Dflt=\"-3\"/></Group>")),
            0);
  EXPECT_EQ(description.ItemCount(), 1);
  ASSERT_EQ(description.ItemErrors().size(), 4u);
  EXPECT_EQ(description.ItemErrors()[0], "Unknown Type in Typo (Typo)");
  EXPECT_EQ(description.ItemErrors()[1], "Unknown Type in BadModifier (BadModifier)");
  EXPECT_EQ(description.ItemErrors()[2], "Missing Strategy Input Value(s) in NoValues (NoValues)");
  EXPECT_EQ(Item("Good").currentText, "-3");
}

TEST_F(ConfigLoad, EmptyDescriptionComesFromTheBaseFolderTextFile) {
  WriteFile(folder + "/Help.txt", "From the text file.");
  ASSERT_EQ(Load("<Cfg><SysDef><Title>t</Title><BaseDir>" + folder +
                 "</BaseDir></SysDef><CfgDef SectionName=\"T\"><G Name=\"g\"><I Name=\"Help\"/>"
                 "<I Name=\"Own\">Own words.</I></G></CfgDef></Cfg>"),
            0)
      << message.GetData();
  EXPECT_EQ(description.BaseDir(), folder + "/");
  EXPECT_EQ(Item("Help").description, "From the text file.");
  EXPECT_EQ(Item("Own").description, "Own words.");
}

TEST_F(ConfigLoad, StoredValuesShowInTheirNormalForm) {
  WriteFile(ini, "[Tavrin]\r\nRate=1.5\r\nName=abcdefgh\r\nFlag=true\r\nColour=RED\r\nList=10>20/5,3\r\n");
  ASSERT_EQ(
      Load(Document("<Group Name=\"G\"><Item Name=\"Rate\" Type=\"Float/2\"/>"
                    "<Item Name=\"Name\" Type=\"Txt/5\"/><Item Name=\"Flag\" Type=\"Bool\"/>"
                    "<Item Name=\"Colour\" Type=\"Color\"/><Item Name=\"List\" Type=\"ParInt\"/></Group>")),
      0);
  EXPECT_EQ(Item("Rate").currentText, "1.50");
  EXPECT_EQ(Stored("Tavrin", "Rate"), "1.5000");  // the floating getter wrote its normal form back
  EXPECT_EQ(Item("Name").currentText, "abcde");
  EXPECT_EQ(Item("Flag").currentText, "YES");
  EXPECT_EQ(Item("Colour").currentText, "255,0,0");
  EXPECT_EQ(Item("List").currentText, "3,10,15,20");
  EXPECT_EQ(Stored("Tavrin", "Name"), "abcdefgh");  // only floating values are rewritten by loading
}

// --- Values ---------------------------------------------------------------------------------------------

struct Case {
  const char* type;
  const char* limits;
  const char* text;
  const char* normal;  // null: refused
};

class ConfigValue : public ::testing::TestWithParam<Case> {};

TEST_P(ConfigValue, NormalFormOrRefusal) {
  const Case& c = GetParam();
  ConfigItem item;
  item.name = "X";
  CTxt reason;
  ASSERT_EQ(ParseConfigType(c.type, item, reason), 0) << c.type;
  std::string limits = c.limits;
  if (limits.find("min=") == 0) {
    item.hasMinimum = item.hasMaximum = true;
    item.minimum = std::atof(limits.c_str() + 4);
    item.maximum = std::atof(limits.c_str() + limits.find("max=") + 4);
  }
  if (limits.find("choices") == 0) item.choices = {"N", "S", "X"};
  std::string normal = "untouched";
  int r = NormaliseConfigValue(item, c.text, normal, reason);
  if (c.normal) {
    EXPECT_EQ(r, 0) << c.type << " '" << c.text << "': " << reason.GetData();
    EXPECT_EQ(normal, c.normal) << c.type << " '" << c.text << "'";
  } else {
    EXPECT_EQ(r, kConfigRefused) << c.type << " '" << c.text << "' gave " << normal;
    EXPECT_TRUE(reason.IsFilled());
  }
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, ConfigValue,
    ::testing::Values(
        Case{"Int", "", " 007 ", "7"}, Case{"Int", "", "-5", nullptr}, Case{"Int", "", "12abc", nullptr},
        Case{"Int", "", "99999999999", nullptr}, Case{"Int", "min=1 max=100", "0", nullptr},
        Case{"Int", "min=1 max=100", "101", nullptr}, Case{"Int", "min=1 max=100", "100", "100"},
        Case{"IntNeg", "", "-5", "-5"}, Case{"IntNeg", "min=-10 max=10", "-11", nullptr},
        Case{"Float/2", "", "1.5", "1.50"}, Case{"Flt", "", "2", "2.0000"},
        Case{"Float/2", "", "1,5", nullptr}, Case{"Float/2", "", "nan", nullptr},
        Case{"Float/1", "min=0 max=1", "1.05", nullptr}, Case{"Txt/5", "", "abcdefgh", "abcde"},
        Case{"Text", "", "  padded  ", "padded"}, Case{"Text/1/Upper", "", "d", "D"},
        Case{"Text/Lower", "", "ABC", "abc"}, Case{"Text/10/Number", "", "12a", nullptr},
        Case{"Text/1/Upper", "choices", "s", "S"}, Case{"Text/1/Upper", "choices", "Q", nullptr},
        Case{"Bool", "", "on", "YES"}, Case{"Bool", "", "Y", "YES"}, Case{"Bool", "", "2", "YES"},
        Case{"Bool", "", "off", "NO"}, Case{"Bool", "", "0", "NO"}, Case{"Bool", "", "maybe", nullptr},
        Case{"Date", "", "12/5/2026", "12/5/2026"}, Case{"Date", "", "2/30/2026", nullptr},
        Case{"Date", "", "soon", nullptr}, Case{"Color", "", "red", "255,0,0"},
        Case{"Color", "", "10,20,30", "10,20,30"}, Case{"Color", "", "0x0000FF", "255,0,0"},
        Case{"Color", "", "300,20,20", nullptr}, Case{"Color", "", "purplish", nullptr},
        Case{"Color", "", "black", "0,0,0"}, Case{"ParInt", "", "10>20/5,3", "3,10,15,20"},
        Case{"ParInt", "", "2.50,1", "1,2.5"}, Case{"ParInt", "", "5>5", "5"},
        Case{"ParInt", "", "1>2/-0.5", "1,1.5,2"}, Case{"ParInt", "", "1>3/0", "1,2,3"},
        Case{"ParInt", "", "7>5", nullptr}, Case{"ParInt", "", "1,x", nullptr},
        Case{"ParInt", "", "0>1000000/0.01", nullptr}, Case{"ParFlt/3", "", "0.25", "0.250"},
        Case{"ParTxt", "", "  some text ", "some text"}, Case{"ParSrc", "", "High(2)", "2"},
        Case{"ParSrc", "", "(H+L+C+O)/4(8)", "8"}, Case{"ParSrc", "", "3", "3"},
        Case{"ParSrc", "", "9", nullptr}, Case{"ParSrc", "", "Close", nullptr}));

TEST(ConfigType, WordsSetKindParametersAndStyles) {
  ConfigItem item;
  CTxt reason;
  ASSERT_EQ(ParseConfigType("txt/5/upper", item, reason), 0);
  EXPECT_EQ(item.kind, ConfigKind::kText);
  EXPECT_EQ(item.maxLength, 5);
  EXPECT_EQ(item.inputStyle, kConfigUpper);
  ConfigItem flt;
  ASSERT_EQ(ParseConfigType("Float/2", flt, reason), 0);
  EXPECT_EQ(flt.decimals, 2);
  ConfigItem par;
  ASSERT_EQ(ParseConfigType("ParInt", par, reason), 0);
  EXPECT_TRUE(par.inputStyle & kConfigHorizontalScroll);
  ConfigItem none;
  none.name = "Only";
  EXPECT_EQ(ParseConfigType("Upper", none, reason), -1);  // a modifier alone names no kind
  EXPECT_STREQ(reason, "Unknown Type in Only");
}

TEST(ConfigValueList, CountsBeforeExpandingAndSortsWithDuplicates) {
  std::string out;
  EXPECT_EQ(ExpandInputValueList("3,1>3,2", out), 5);
  EXPECT_EQ(out, "1,2,2,3,3");
  EXPECT_EQ(ExpandInputValueList("0>100000", out), -2);
  EXPECT_EQ(ExpandInputValueList("0>1/0.0000001", out), -2);
  EXPECT_EQ(ExpandInputValueList("1>0.9/0.1", out), 0);
  EXPECT_EQ(ExpandInputValueList("0>0.3/0.1", out), 4);  // the end is reached despite rounding
  EXPECT_EQ(out, "0,0.1,0.2,0.3");
}

// --- Write-back ----------------------------------------------------------------------------------------

class ConfigApply : public ConfigFixture {
 protected:
  void SetUp() override {
    WriteFile(ini, "[Tavrin]\r\nSeqRetry=3\r\nMode=abc\r\n[SYS]\r\nLogShowDate=YES\r\n");
    ASSERT_EQ(
        Load(Document("<Group Name=\"Run\"><Item Name=\"SeqRetry\" Dflt=\"3\" Min=\"1\" Max=\"100\"/>"
                      "<Item Name=\"Mode\" Type=\"Text\" Dflt=\"x\"/>"
                      "<Item Name=\"LogShowDate\" Sect=\"SYS\" Type=\"Bool\" Dflt=\"YES\"/>"
                      "<Item Name=\"Secret\" Reg=\"UserPwd\" Type=\"Txt/pwd\" Dflt=\"none\"/></Group>")),
        0)
        << message.GetData();
  }
};

TEST_F(ConfigApply, WritesTheNormalFormAndCountsChangedValues) {
  std::string old;
  EXPECT_EQ(Apply("SeqRetry", " 05", &old), kConfigAppliedChanged);
  EXPECT_EQ(old, "3");
  EXPECT_EQ(Stored("Tavrin", "SeqRetry"), "5");
  EXPECT_EQ(Item("SeqRetry").currentText, "5");
  EXPECT_EQ(Apply("LogShowDate", "off"), kConfigAppliedChanged);
  EXPECT_EQ(Stored("SYS", "LogShowDate"), "NO");
  EXPECT_EQ(description.ChangedCount(), 2);
}

TEST_F(ConfigApply, RegistryItemsGoToTheRegistryNotTheSettingsFile) {
  EXPECT_EQ(Item("Secret").currentText, "none");
  EXPECT_EQ(Apply("Secret", "hunter2"), kConfigAppliedChanged);
  EXPECT_EQ(store.registry["UserPwd"], "hunter2");
  EXPECT_EQ(Stored("Tavrin", "Secret"), "<none>");
  EXPECT_EQ(description.ChangedCount(), 1);
}

TEST_F(ConfigApply, ARefusedValueWritesNothing) {
  std::string before = ReadFile(ini);
  EditConfigItem(Item("SeqRetry"), "0");
  std::string old;
  CTxt reason;
  EXPECT_EQ(ApplyConfigItem(Item("SeqRetry"), store, old, reason), kConfigRefused);
  EXPECT_STREQ(reason, "SeqRetry must lie between 1 and 100");
  EXPECT_EQ(ReadFile(ini), before);
  EXPECT_EQ(Item("SeqRetry").storedText, "3");
  EXPECT_TRUE(Item("SeqRetry").changed);  // the typed text stays for the user to mend
  EXPECT_EQ(description.ChangedCount(), 0);
}

TEST_F(ConfigApply, ACaseOnlyChangeIsWrittenButNotCounted) {
  EXPECT_EQ(Apply("Mode", "ABC"), kConfigAppliedSame);
  EXPECT_EQ(Stored("Tavrin", "Mode"), "ABC");
  EXPECT_EQ(description.ChangedCount(), 0);
}

TEST_F(ConfigApply, RestoringTheLoadedValueLeavesItUncounted) {
  EXPECT_EQ(Apply("SeqRetry", "9"), kConfigAppliedChanged);
  EXPECT_EQ(description.ChangedCount(), 1);
  EXPECT_EQ(Apply("SeqRetry", Item("SeqRetry").loadedText), kConfigAppliedChanged);
  EXPECT_EQ(Stored("Tavrin", "SeqRetry"), "3");
  EXPECT_FALSE(Item("SeqRetry").changed);
  EXPECT_EQ(description.ChangedCount(), 0);
}

TEST_F(ConfigApply, EditsNeverAppliedWriteNothingAndCountNothing) {
  std::string before = ReadFile(ini);
  EditConfigItem(Item("SeqRetry"), "7");
  EditConfigItem(Item("Mode"), "other");
  EditConfigItem(Item("Secret"), "typed");
  EXPECT_TRUE(Item("SeqRetry").changed);
  EXPECT_EQ(description.ChangedCount(), 0);
  EXPECT_EQ(ReadFile(ini), before);
  EXPECT_TRUE(store.registry.empty());
}

TEST_F(ConfigApply, AFailedWriteIsReported) {
  class RefusingStore : public MapStore {
   public:
    using MapStore::MapStore;

   protected:
    bool WriteRegistry(const std::string&, const std::string&) override { return false; }
  } refusing(ini);
  EditConfigItem(Item("Secret"), "x");
  std::string old;
  CTxt reason;
  EXPECT_EQ(ApplyConfigItem(Item("Secret"), refusing, old, reason), kConfigWriteFailed);
  EXPECT_EQ(Item("Secret").storedText, "none");
  EXPECT_EQ(description.ChangedCount(), 0);
}

TEST(ConfigText, WrapsAtTheFirstBlankAfterEightyCharactersAndBreaksAtCR) {
  std::string word(78, 'a');
  auto lines = WrapConfigDescription(word + " bb cc\r\nsecond");
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], word + " bb");
  EXPECT_EQ(lines[1], "cc");
  EXPECT_EQ(lines[2], "second");
}

TEST(ConfigText, PictureIsTheFirstExistingOfGifJpgJpeg) {
  std::string folder = ScratchFolder();
  EXPECT_EQ(FindConfigPicture(folder, "chart"), "");
  WriteFile(folder + "/chart.jpeg", "x");
  EXPECT_EQ(FindConfigPicture(folder, "chart"), folder + "/chart.jpeg");
  WriteFile(folder + "/chart.gif", "x");
  EXPECT_EQ(FindConfigPicture(folder + "/", "chart"), folder + "/chart.gif");
}

}  // namespace
