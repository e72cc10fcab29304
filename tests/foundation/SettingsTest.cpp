// The settings store: private-profile semantics, normal forms written back, colours, paths, and
// concurrent writers that lose nothing.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"

using namespace testsupport;

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  std::string ini = ScratchFolder() + "/Tavrin.ini";
  std::string Contents() const { return ReadFile(ini); }
  void Given(const std::string& text) { WriteFile(ini, text); }
  std::string Get(const char* section, const char* key, const char* def = "") {
    CTxt out;
    Settings::GetString(section, key, def, out, ini.c_str());
    return out.ToStd();
  }
};

TEST_F(SettingsFile, MatchesSectionsAndKeysWithoutCaseAndTrimsValues) {
  Given("; comment\r\n[Tavrin]\r\n  SeqRetry =  3  \r\nQuoted=\"a b \"\r\n[sys]\r\nEDITOR=vi\r\n");
  EXPECT_EQ(Get("TAVRIN", "seqretry"), "3");
  EXPECT_EQ(Get("Tavrin", "Quoted"), "a b ");
  EXPECT_EQ(Get("SYS", "editor"), "vi");
  EXPECT_EQ(Get("SYS", "Missing", "dflt"), "dflt");
  EXPECT_EQ(Get("Nowhere", "EDITOR", "x"), "x");
}

// The getters search the text as read and the writer edits it as lines: both must take the same line for a
// key, or a getter's write-back would go to another line than the one it read, again on every call.
TEST_F(SettingsFile, ReaderAndWriterAgreeOnWhichLineHoldsAKey) {
  const std::string file =
      "[Tavrin] ; the first of two\nA=first\n;B=comment\nC\n = no key\n"
      "[Other\r\nB=open header\r\n"
      "  [ tavrin ]\r\nA=second\nB=second\n"
      "[Last]\nK=\"quoted\"\nL=no line end";
  Given(file);
  EXPECT_EQ(Get("TAVRIN", "A"), "first");
  EXPECT_EQ(Get("Tavrin", "B", "none"), "none") << "only the first section of a name counts";
  EXPECT_EQ(Get("Tavrin", ";B", "none"), "none") << "a comment is no key";
  EXPECT_EQ(Get("Tavrin", "C", "none"), "none");
  EXPECT_EQ(Get("Tavrin", "", "none"), "none") << "an empty key is no key";
  EXPECT_EQ(Get("Other", "B"), "open header");
  EXPECT_EQ(Get("Last", "K"), "quoted");
  EXPECT_EQ(Get("Last", "L"), "no line end");
  EXPECT_EQ(Contents(), file) << "reading writes nothing";

  const char* const keys[][2] = {
      {"Tavrin", "A"}, {"Tavrin", "B"}, {"Other", "B"}, {"Last", "L"}, {"New", "N"}};
  for (const auto& key : keys) {
    std::string value = std::string("set-") + key[0] + "-" + key[1];
    ASSERT_TRUE(Settings::WriteString(key[0], key[1], value.c_str(), ini.c_str()));
    EXPECT_EQ(Get(key[0], key[1]), value) << key[0] << "/" << key[1];
  }
  EXPECT_EQ(Get("Tavrin", "A"), "set-Tavrin-A") << "still one line per key";
  EXPECT_NE(Contents().find("A=second"), std::string::npos) << "the second section is left alone";
}

TEST_F(SettingsFile, ATextEndsAtANulByteAsItDoesInTheFile) {
  static const char kFile[] = "[Tav\0rin]\r\nA=1\r\n[SYS]\r\nKey\0Tail=2\r\nV=ab\0cd\r\n";
  Given(std::string(kFile, sizeof kFile - 1));
  EXPECT_EQ(Get("Tav", "A"), "1");
  EXPECT_EQ(Get("SYS", "Key"), "2");
  EXPECT_EQ(Get("SYS", "V"), "ab");
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndStringsAreNeverWrittenBack) {
  EXPECT_EQ(Get("Tavrin", "CurrDef", "DJ30"), "DJ30");
  std::string plain;
  EXPECT_EQ(Settings::GetString("Tavrin", "CurrDef", "DJ30", plain, ini.c_str()), 4);
  EXPECT_EQ(plain, "DJ30");
  EXPECT_FALSE(FileExists(ini));
  char raw[4];
  EXPECT_EQ(Settings::GetStringRaw("Tavrin", "CurrDef", "LONGER", raw, sizeof raw, ini.c_str()), 3);
  EXPECT_STREQ(raw, "LON");
}

TEST_F(SettingsFile, WritingCreatesFileAndSectionAndKeepsOtherLines) {
  EXPECT_TRUE(Settings::WriteString("Tavrin", "CurrDef", "ES", ini.c_str()));
  EXPECT_EQ(Contents(), "[Tavrin]\r\nCurrDef=ES\r\n");
  Given("; keep me\r\n[Tavrin]\r\nA=1\r\n\r\n[SYS]\r\nB=2\r\n");
  Settings::WriteString("tavrin", "C", "3", ini.c_str());
  Settings::WriteString("SYS", "b", "22", ini.c_str());
  Settings::WriteString("New", "D", "4", ini.c_str());
  EXPECT_EQ(Contents(), "; keep me\r\n[Tavrin]\r\nA=1\r\nC=3\r\n\r\n[SYS]\r\nb=22\r\n\r\n[New]\r\nD=4\r\n");
}

TEST_F(SettingsFile, NullValueRemovesTheKeyOnly) {
  Given("[Tavrin]\r\nA=1\r\nB=2\r\n");
  Settings::WriteString("Tavrin", "A", nullptr, ini.c_str());
  EXPECT_EQ(Contents(), "[Tavrin]\r\nB=2\r\n");
  EXPECT_EQ(Get("Tavrin", "A", "gone"), "gone");
  Settings::WriteString("Other", "X", nullptr, ini.c_str());
  EXPECT_EQ(Contents(), "[Tavrin]\r\nB=2\r\n");
}

TEST_F(SettingsFile, BooleansNormaliseToYesOrNo) {
  EXPECT_TRUE(Settings::GetBool("Tavrin", "SaveWS", true, ini.c_str()));
  EXPECT_EQ(Get("Tavrin", "SaveWS"), "YES");
  Given("[Tavrin]\r\nA=TRUE\r\nB=1\r\nC=yes\r\nD=\r\nE=\r\n");
  EXPECT_TRUE(Settings::GetBool("Tavrin", "A", false, ini.c_str()));
  EXPECT_FALSE(Settings::GetBool("Tavrin", "B", true, ini.c_str()));  // "1" is not a yes
  EXPECT_TRUE(Settings::GetBool("Tavrin", "C", false, ini.c_str()));
  EXPECT_FALSE(Settings::GetBool("Tavrin", "D", false, ini.c_str()));
  // A key that is there but empty is not missing: the default does not apply, its empty text is a no.
  EXPECT_FALSE(Settings::GetBool("Tavrin", "E", true, ini.c_str()));
  EXPECT_EQ(Contents(), "[Tavrin]\r\nA=YES\r\nB=NO\r\nC=yes\r\nD=NO\r\nE=NO\r\n");
}

TEST_F(SettingsFile, IntegersAndFloatsNormaliseTheirText) {
  Given("[Tavrin]\r\nA=007\r\nB=12abc\r\nC=-4\r\nF=2.5\r\n");
  EXPECT_EQ(Settings::GetInt("Tavrin", "A", 0, ini.c_str()), 7);
  EXPECT_EQ(Settings::GetInt("Tavrin", "B", 0, ini.c_str()), 12);
  EXPECT_EQ(Settings::GetInt("Tavrin", "C", 0, ini.c_str()), -4);
  EXPECT_EQ(Settings::GetInt("Tavrin", "SeqRetry", 3, ini.c_str()), 3);
  EXPECT_FLOAT_EQ(Settings::GetFloat("Tavrin", "F", 0, ini.c_str()), 2.5f);
  EXPECT_FLOAT_EQ(Settings::GetFloat("Tavrin", "G", 0.25f, ini.c_str()), 0.25f);
  EXPECT_EQ(Contents(), "[Tavrin]\r\nA=7\r\nB=12\r\nC=-4\r\nF=2.5000\r\nSeqRetry=3\r\nG=0.2500\r\n");
}

TEST_F(SettingsFile, IntegersBeyondThirtyTwoBitsClampAlikeOnEveryPlatform) {
  Given("[Tavrin]\r\nBig=99999999999\r\nSmall=-99999999999\r\nEmpty=\r\n");
  EXPECT_EQ(Settings::GetInt("Tavrin", "Big", 0, ini.c_str()), 2147483647);
  EXPECT_EQ(Settings::GetInt("Tavrin", "Small", 0, ini.c_str()), -2147483647 - 1);
  EXPECT_EQ(Settings::GetInt("Tavrin", "Empty", 5, ini.c_str()), 5) << "an empty number takes the default";
  EXPECT_EQ(Contents(), "[Tavrin]\r\nBig=2147483647\r\nSmall=-2147483648\r\nEmpty=5\r\n");
}

TEST_F(SettingsFile, ColoursReadNamesHexAndNumbersAndWriteNumbers) {
  Given("[SYS]\r\nA=RED\r\nB=0x0000FF\r\nC=300,20,20\r\nD=10,300,20\r\nE=10,20,300\r\nF=nosuch\r\n");
  EXPECT_EQ(Settings::GetColour("SYS", "A", "BLACK", ini.c_str()), Settings::MakeColour(255, 0, 0));
  EXPECT_EQ(Settings::GetColour("SYS", "B", "BLACK", ini.c_str()), Settings::MakeColour(255, 0, 0));
  EXPECT_EQ(Settings::GetColour("SYS", "C", "BLACK", ini.c_str()), Settings::MakeColour(0, 20, 20));
  EXPECT_EQ(Settings::GetColour("SYS", "D", "BLACK", ini.c_str()), Settings::MakeColour(10, 0, 20));
  EXPECT_EQ(Settings::GetColour("SYS", "E", "BLACK", ini.c_str()), Settings::MakeColour(10, 20, 0));
  EXPECT_EQ(Settings::GetColour("SYS", "F", "WHITE", ini.c_str()), 0u);
  EXPECT_EQ(Settings::GetColour("SYS", "G", "orange", ini.c_str()), Settings::MakeColour(255, 128, 0));
  EXPECT_EQ(Settings::GetColour("SYS", "H", "1,2,3", ini.c_str()), Settings::MakeColour(1, 2, 3));
  EXPECT_EQ(Contents(),
            "[SYS]\r\nA=255,0,0\r\nB=255,0,0\r\nC=0,20,20\r\nD=10,0,20\r\nE=10,20,0\r\nF=0,0,0\r\n"
            "G=255,128,0\r\nH=1,2,3\r\n");
}

TEST(ParseColour, KnowsEveryNamedColour) {
  EXPECT_EQ(Settings::ParseColour("lightgrey"), Settings::ParseColour("LIGHTGRAY"));
  EXPECT_EQ(Settings::ParseColour("Grey"), Settings::MakeColour(192, 192, 192));
  EXPECT_EQ(Settings::ParseColour("DARKMAGENTA"), Settings::MakeColour(128, 0, 64));
  EXPECT_EQ(Settings::ParseColour("OLIVE"), Settings::MakeColour(0, 178, 0));
  EXPECT_EQ(Settings::ParseColour("BROWN"), Settings::MakeColour(128, 128, 0));
  EXPECT_EQ(Settings::ParseColour("DARKCYAN"), Settings::MakeColour(64, 128, 128));
  EXPECT_EQ(Settings::ParseColour("5"), Settings::MakeColour(5, 0, 0));
  EXPECT_NE(Settings::ParseColour("MENU"), 0u);
}

TEST_F(SettingsFile, SetDefaultCopiesIntoTheProgramFileOnlyWhenAsked) {
  std::string other = ScratchFolder() + "/Other.ini";
  Settings::SetDefault("Tavrin", "X", "5", 1, other.c_str());
  CTxt out;
  Settings::GetString("Tavrin", "X", "", out, other.c_str());
  EXPECT_EQ(out.ToStd(), "5");
}

TEST(SettingsPaths, ABuildOutputFolderUsesTheProjectFolder) {
  CTxt folder, ini;
  Settings::ProgramPathsOf("C:\\Work\\Tavrin\\Release\\TavrinRelease.exe", folder, ini);
  EXPECT_EQ(folder.ToStd(), "C:/Work/Tavrin");
  EXPECT_EQ(ini.ToStd(), "C:/Work/Tavrin/Tavrin.ini");
  Settings::ProgramPathsOf("/opt/tavrin/debug/TavrinDebug", folder, ini);
  EXPECT_EQ(folder.ToStd(), "/opt/tavrin");
  EXPECT_EQ(ini.ToStd(), "/opt/tavrin/Tavrin.ini");
  Settings::ProgramPathsOf("D:/Apps/Tavrin.exe", folder, ini);
  EXPECT_EQ(folder.ToStd(), "D:/Apps");
  EXPECT_EQ(ini.ToStd(), "D:/Apps/Tavrin.ini");
}

TEST(SettingsPaths, OverrideMovesTheSettingsFile) {
  std::string dir = ScratchFolder();
  Settings::OverrideAppFolder(dir.c_str());
  CTxt folder, ini;
  Settings::GetAppFolder(folder);
  Settings::GetIniPath(ini);
  Settings::WriteString("Tavrin", "K", "V");
  Settings::OverrideAppFolder(nullptr);
  EXPECT_EQ(folder.ToStd(), dir);
  EXPECT_EQ(ini.ToStd(), dir + "/Tavrin.ini");
  EXPECT_NE(ReadFile(ini.ToStd()).find("K=V"), std::string::npos);
}

TEST_F(SettingsFile, TwoThreadsWritingDifferentKeysLoseNone) {
  constexpr int kWrites = 1500;
  auto writer = [this](const char* section) {
    for (int i = 0; i < kWrites; ++i)
      Settings::WriteInt(section, ("K" + std::to_string(i % 50)).c_str(), i, ini.c_str());
  };
  std::thread a(writer, "First"), b(writer, "Second");
  a.join();
  b.join();
  for (const char* section : {"First", "Second"})
    for (int k = 0; k < 50; ++k)
      EXPECT_EQ(Settings::GetInt(section, ("K" + std::to_string(k)).c_str(), -1, ini.c_str()),
                kWrites - 50 + k)
          << section << " K" << k;
  EXPECT_FALSE(FileExists(ini + ".tmp~"));
}

// Collects what the store logs while it lives.
class SettingsLogLines {
 public:
  SettingsLogLines() { SetLogStatusSink(&Collect, this); }
  ~SettingsLogLines() { SetLogStatusSink(nullptr, nullptr); }
  std::string All() const {
    std::string all;
    for (const std::string& line : lines_) all += line + "\n";
    return all;
  }

 private:
  static void Collect(void* self, const char* category, const char* text, int) {
    if (category && std::string(category) == "Settings")
      static_cast<SettingsLogLines*>(self)->lines_.push_back(text ? text : "");
  }
  std::vector<std::string> lines_;
};

// A settings path that exists but cannot be read (here a folder of that name) is never taken for an empty
// file: getters give their defaults without writing back, writes fail with the reason logged, and what is
// there stays as it was.
TEST_F(SettingsFile, UnreadableFileIsNeverWrittenOver) {
  std::string folder = ScratchFolder() + "/Unreadable.ini";
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/inside.txt", "kept");
  const char* path = folder.c_str();
  SettingsLogLines log;
  EXPECT_EQ(Settings::GetInt("Tavrin", "SeqRetry", 3, path), 3);
  EXPECT_TRUE(Settings::GetBool("Tavrin", "Flag", true, path));
  EXPECT_FLOAT_EQ(Settings::GetFloat("Tavrin", "Ratio", 2.5f, path), 2.5f);
  EXPECT_EQ(Settings::GetColour("Tavrin", "Back", "RED", path), Settings::MakeColour(255, 0, 0));
  EXPECT_FALSE(Settings::WriteString("Tavrin", "CurrDef", "ES", path));
  EXPECT_FALSE(Settings::WriteInt("Tavrin", "SeqRetry", 5, path));
  EXPECT_EQ(ReadFile(folder + "/inside.txt"), "kept");
  EXPECT_FALSE(FileExists(folder + ".tmp~"));
  std::string lines = log.All();
  EXPECT_NE(lines.find("Cannot read the settings file " + folder), std::string::npos) << lines;
  EXPECT_NE(lines.find("Not written: Tavrin/CurrDef"), std::string::npos) << lines;
}

// The file could not be read (another program held it) but could be written: nothing is written back, so
// the user's configuration is not replaced by the one key asked for.
TEST_F(SettingsFile, ReadFailureOnAWritableFileWritesNothing) {
  const std::string original = "[Tavrin]\r\nCurrDef=NQ\r\nSeqRetry=7\r\n";
  Given(original);
  SetFileReadFailure(ini, EACCES);
  SettingsLogLines log;
  EXPECT_EQ(Settings::GetInt("Tavrin", "SeqRetry", 3, ini.c_str()), 3);
  EXPECT_FALSE(Settings::GetBool("Tavrin", "Missing", false, ini.c_str()));
  EXPECT_EQ(Get("Tavrin", "CurrDef", "ES"), "ES");
  EXPECT_FALSE(Settings::WriteString("Tavrin", "CurrDef", "ES", ini.c_str()));
  RemoveMemoryFiles();
  EXPECT_EQ(Contents(), original);
  EXPECT_NE(log.All().find(std::string("(") + std::strerror(EACCES) + ")"), std::string::npos) << log.All();
  EXPECT_EQ(Settings::GetInt("Tavrin", "SeqRetry", 3, ini.c_str()), 7);  // readable again: the stored value
}

// A file that cannot be replaced (its folder is gone) reports the writer's reason.
TEST_F(SettingsFile, FailedWriteIsLoggedWithTheSystemsReason) {
  std::string path = ScratchFolder() + "/missing-folder/Tavrin.ini";
  SettingsLogLines log;
  EXPECT_FALSE(Settings::WriteString("Tavrin", "CurrDef", "ES", path.c_str()));
  EXPECT_NE(log.All().find("Cannot write the settings file " + path + " ("), std::string::npos) << log.All();
}

}  // namespace
