// The settings file held open without sharing by another process (an editor, a backup program, a virus
// scanner): the store reads defaults, refuses to write, says why in the log, and leaves the file as it was.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "ToolSupport.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"

namespace {

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// filehold.exe holding one file until released (or, at the latest, when the test ends).
class FileHolder {
 public:
  explicit FileHolder(const std::string& file) : ready_(file + ".ready"), release_(file + ".release") {
    std::string command = "\"" + toolsupport::ToolPath("filehold", "filehold.exe") + "\" \"" + file +
                          "\" \"" + ready_ + "\" \"" + release_ + "\" 60";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> line(command.begin(), command.end());
    line.push_back(0);
    started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_) != 0;
    if (started_) CloseHandle(process_.hThread);
  }
  ~FileHolder() {
    Release();
    if (started_) CloseHandle(process_.hProcess);
  }
  // Whether the other process holds the file, waited for at most 20 seconds.
  bool Holding() const {
    for (int i = 0; started_ && i < 400; ++i) {
      if (Exists(ready_)) return true;
      if (WaitForSingleObject(process_.hProcess, 50) == WAIT_OBJECT_0) return false;
    }
    return false;
  }
  // Lets go of the file; true once the other process has ended.
  bool Release() {
    if (!started_) return false;
    testsupport::WriteFile(release_, "");
    return WaitForSingleObject(process_.hProcess, 20000) == WAIT_OBJECT_0;
  }

 private:
  std::string ready_, release_;
  PROCESS_INFORMATION process_{};
  bool started_ = false;
};

void CollectSettingsLines(void* lines, const char* category, const char* text, int) {
  if (category && std::string(category) == "Settings")
    static_cast<std::vector<std::string>*>(lines)->push_back(text ? text : "");
}

TEST(SettingsLock, FileHeldWithoutSharingByAnotherProcessIsLeftAsItWas) {
  const std::string ini = testsupport::ScratchFolder() + "/Tavrin.ini";
  const std::string original = "; the user's settings\r\n[Tavrin]\r\nSeqRetry=7\r\nCurrDef=NQ\r\n";
  testsupport::WriteFile(ini, original);
  FileHolder holder(ini);
  ASSERT_TRUE(holder.Holding()) << "filehold.exe did not take the file";

  std::vector<std::string> lines;
  SetLogStatusSink(&CollectSettingsLines, &lines);
  EXPECT_EQ(3, Settings::GetInt("Tavrin", "SeqRetry", 3, ini.c_str()));
  EXPECT_TRUE(Settings::GetBool("Tavrin", "Missing", true, ini.c_str()));
  CTxt text;
  Settings::GetString("Tavrin", "CurrDef", "DJ30", text, ini.c_str());
  EXPECT_EQ("DJ30", text.ToStd());
  EXPECT_FALSE(Settings::WriteString("Tavrin", "CurrDef", "ES", ini.c_str()));
  SetLogStatusSink(nullptr, nullptr);

  ASSERT_TRUE(holder.Release());
  EXPECT_EQ(original, testsupport::ReadFile(ini));
  EXPECT_FALSE(Exists(ini + ".tmp~"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(0u, lines[0].rfind("Cannot read the settings file " + ini + " (", 0)) << lines[0];
  EXPECT_EQ(7, Settings::GetInt("Tavrin", "SeqRetry", 3, ini.c_str()));  // readable again
}

}  // namespace
