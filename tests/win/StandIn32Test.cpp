// The 32-bit stand-in TradeStation, as users' machines have it: a 32-bit process installed under
// "Program Files (x86)", whose list views this 64-bit test program reads across the bitness boundary.
#include <windows.h>
// commctrl.h and psapi.h need the types of windows.h
#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include "StandInHarness.h"
#include "StandInStrategyHarness.h"

using namespace standin;

namespace {

std::string ModulePath(HANDLE process) {
  char path[MAX_PATH] = "";
  GetModuleFileNameExA(process, nullptr, path, MAX_PATH);
  std::string out = path;
  for (char& c : out)
    if (c == '\\') c = '/';
  return out;
}

bool RunsAs32Bit(HANDLE process) {
  BOOL wow64 = FALSE;
  return IsWow64Process(process, &wow64) && wow64;
}

}  // namespace

// Fails when the 32-bit stand-in was not built; skips where 32-bit programs cannot run at all.
#define REQUIRE_32_BIT_STAND_IN()                                                \
  do {                                                                           \
    ASSERT_FALSE(StandIn32Exe().empty()) << "the 32-bit stand-in was not built"; \
    if (!Runs32BitPrograms()) GTEST_SKIP() << "32-bit programs do not run here"; \
  } while (0)

TEST(StandIn32, StartsAsA32BitProcessFromItsInstallationUnderProgramFilesX86) {
  REQUIRE_32_BIT_STAND_IN();
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  EXPECT_TRUE(RunsAs32Bit(ts.Process()));
  EXPECT_EQ(ts.Folder().rfind(ProgramFilesX86() + "/TradeStation 9.5", 0), 0u) << ts.Folder();
  std::string module = ModulePath(ts.Process());
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, module.c_str(), -1,
                           (ts.Folder() + "/Program/orchart.exe").c_str(), -1),
            CSTR_EQUAL)
      << module;
  EXPECT_TRUE(WaitTitle(ts.Main(),
                        "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - MSFT 5 min "
                        "[NASDAQ] Microsoft Corp]"))
      << TextOf(ts.Main());
}

TEST(StandIn32, InstallationFolderGoesWithTheStandIn) {
  REQUIRE_32_BIT_STAND_IN();
  std::string folder;
  {
    StandIn ts;
    ASSERT_TRUE(ts.Main());
    folder = ts.Folder();
    EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  }
  EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder;
}

TEST(StandIn32, TheSixtyFourBitBuildIsStillThereForTheStandInsOwnChecks) {
  StartOptions start;
  start.bits = 64;
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  EXPECT_EQ(ts.Bits(), 64);
  EXPECT_FALSE(RunsAs32Bit(ts.Process()));
}

TEST(StandIn32, InputsListOfThe32BitStandInReadsWholeFromA64BitProgram) {
  REQUIRE_32_BIT_STAND_IN();
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunsAs32Bit(ts.Process()));
  StrategiesDialog strategies = OpenStrategies(ts);
  ASSERT_TRUE(strategies.page);
  InputsDialog inputs = OpenInputs(ts, strategies);
  ASSERT_TRUE(inputs.list);
  ASSERT_EQ(SendMessageA(inputs.list, LVM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(ListRows(inputs.list, 2),
            (std::vector<std::string>{"FastLength|9|", "SlowLength|18|", "Price|Close|", "StopLoss|250|"}));
  // An optimisation range typed into a row reads back across the boundary as well.
  SelectRowByKeys(inputs.list, 3);
  HWND range = OptimizeSelectedRow(ts, inputs, "50", "250", "100");
  ASSERT_TRUE(range);
  EXPECT_TRUE(WaitFor([&] { return ListRows(inputs.list, 2).at(3) == "StopLoss|50..250:100|"; }))
      << ListRows(inputs.list, 2).at(3);
}
