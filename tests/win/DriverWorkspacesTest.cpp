// Workspace operations against the stand-in: activating, listing, opening with its error boxes and load
// confirmation, closing with and without the prompt, saving under a result name; aborts and a TradeStation
// that stops answering.
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <thread>

#include "DriverTestSupport.h"
#include "foundation/SysUtil.h"
#include "foundation/TxtArray.h"
#include "tsdriver/TitleParse.h"

namespace fs = std::filesystem;
using drivertest::DriverTest;
using drivertest::StartStandIn;

namespace {

std::string ShownWorkspace(HWND main) {
  CTxt desktop, workspace, symbol, interval;
  SplitTSMainTitle(standin::TextOf(main).c_str(), desktop, workspace, symbol, interval);
  return workspace.ToStd();
}

bool MoreWorkspacesShown(const standin::StandIn& ts) {
  for (HWND w : standin::TopWindows(ts.Pid()))
    if (standin::TextOf(w).rfind("More Workspaces", 0) == 0) return true;
  return false;
}

standin::StartOptions TwoWorkspaces(const char* version = "9.5") {
  standin::StartOptions options;
  options.version = version;
  options.workspace = "Tavrin Sample|Sample IBM Daily";
  return options;
}

// Age of a file's last write by the system's clock, in milliseconds; -1 when it is missing.
long long FileAgeMs(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER written{}, current{};
  written.LowPart = data.ftLastWriteTime.dwLowDateTime;
  written.HighPart = data.ftLastWriteTime.dwHighDateTime;
  current.LowPart = now.dwLowDateTime;
  current.HighPart = now.dwHighDateTime;
  return static_cast<long long>(current.QuadPart - written.QuadPart) / 10000;
}

class DriverWorkspaces : public DriverTest {};

TEST_F(DriverWorkspaces, ActiveWorkspaceNeedsNoListDialog) {
  auto ts = StartStandIn();
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  CTxt err;
  EXPECT_EQ(driver.ActivateWorkspace("tavrin sample", err), 0) << err.ToStd();
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_FALSE(MoreWorkspacesShown(*ts));
  EXPECT_EQ(ts->ActivityLog().find("More Workspaces"), std::string::npos);
}

TEST_F(DriverWorkspaces, ListsEveryOpenWorkspaceAndClosesTheList) {
  for (const char* classes : {"0", "1"}) {
    standin::StartOptions options = TwoWorkspaces();
    options.control = std::string("WorkspaceDialogClasses95=") + classes;
    auto ts = StartStandIn(options);
    TsDriver driver;
    CTxtArray names;
    CTxt err;
    ASSERT_EQ(driver.ListOpenWorkspaces(names, err), 2) << classes << " " << err.ToStd();
    EXPECT_GE(names.FindString("Tavrin Sample"), 0);
    EXPECT_GE(names.FindString("Sample IBM Daily"), 0);
    EXPECT_TRUE(standin::WaitFor([&] { return !MoreWorkspacesShown(*ts); }, 3000));
  }
}

TEST_F(DriverWorkspaces, ActivatesAnotherOpenWorkspace) {
  auto ts = StartStandIn(TwoWorkspaces());
  std::string shown;
  ASSERT_TRUE(standin::WaitFor([&] { return !(shown = ShownWorkspace(ts->Main())).empty(); }));
  std::string other = shown == "Tavrin Sample" ? "Sample IBM Daily" : "Tavrin Sample";
  TsDriver driver;
  CTxt err;
  ASSERT_EQ(driver.ActivateWorkspace(other.c_str(), err), 0) << err.ToStd();
  EXPECT_EQ(ShownWorkspace(ts->Main()), other);
  EXPECT_FALSE(MoreWorkspacesShown(*ts));
  EXPECT_EQ(driver.ActivateWorkspace("Not Open", err), -4);
  EXPECT_STREQ(err, "Cannot find Workspace(not activated yet): Not Open");
  EXPECT_TRUE(standin::WaitFor([&] { return !MoreWorkspacesShown(*ts); }, 3000));
}

TEST_F(DriverWorkspaces, MissingListDialogIsReported) {
  standin::StartOptions options = TwoWorkspaces();
  options.control = "MissingDialogs=MoreWorkspaces";
  auto ts = StartStandIn(options);
  TsDriver driver;
  CTxt err;
  EXPECT_EQ(driver.ActivateWorkspace("Not Shown", err), -2);
  EXPECT_STREQ(err, "Cannot find WorkSpace Selection Box");
  CTxtArray names;
  EXPECT_EQ(driver.ListOpenWorkspaces(names, err), -2);
  EXPECT_STREQ(err, "Cannot find WorkSpace Selection Box");
}

TEST_F(DriverWorkspaces, MissingFileTouchesNothing) {
  auto ts = StartStandIn();
  TsDriver driver;
  CTxt err;
  std::string path = ts->Folder() + "/MyWork/Nowhere.tsw";
  EXPECT_EQ(driver.OpenWorkspace(path.c_str(), err, 0, 0), -1);
  EXPECT_EQ(err.ToStd(), "Workspace not found: " + path);
  EXPECT_EQ(driver.MainWindow(), nullptr);  // TradeStation was not even looked for
}

TEST_F(DriverWorkspaces, OpensAWorkspaceAndConfirmsItsChart) {
  standin::StartOptions options;
  options.workspace = "";
  auto ts = StartStandIn(options);
  TsDriver driver;
  CTxt err;
  std::string path = ts->WorkspacePath("Tavrin Sample");
  ASSERT_EQ(driver.OpenWorkspace(path.c_str(), err, 1, 1), 0) << err.ToStd();
  EXPECT_EQ(ShownWorkspace(ts->Main()), "Tavrin Sample");
  EXPECT_NE(driver.ChartWindow(), nullptr);
}

TEST_F(DriverWorkspaces, OpeningWaitsForTheRealLoadSignalsByDefault) {
  Set("ChartWaitForLoad", "2");
  Set("TavrinMinimize", "0");
  for (const char* version : {"8.8", "9.5"}) {
    standin::StartOptions options;
    options.version = version;
    options.workspace = "";
    auto ts = StartStandIn(options);
    drivertest::LogLines log;
    TsDriver driver;  // no load waits put in: the driver's own
    driver.SetBaseFolder(ts->Folder().c_str());
    CTxt err;
    long long start = tsdriver::SteadyMs();
    ASSERT_EQ(driver.OpenWorkspace(ts->WorkspacePath("Tavrin Sample").c_str(), err, 0, 0), 0)
        << version << " " << err.ToStd();
    long long took = tsdriver::SteadyMs() - start;
    EXPECT_TRUE(log.Has("WSOpen: Wait for Chart to complete loading")) << version;
    if (std::string(version) == "8.8") {
      std::string done = log.Find("WaitForDownloadToComplete: ");
      EXPECT_NE(log.Find("Done: ").find("request for MSFT"), std::string::npos)
          << "the download log's success line was waited for: " << done;
      EXPECT_TRUE(log.Has("WaitForSymbolToLoad: Loaded MSFT")) << version;
      long long age = FileAgeMs(ts->Folder() + "/Program/Cache/M/MSFT.min");
      EXPECT_GT(age, 2000) << "the cache file had stood still for ChartWaitForLoad seconds";
    } else {
      EXPECT_TRUE(log.Has("WaitForSymbolToLoad: TS95 hidden cache(Wait=2)")) << version;
      EXPECT_GE(took, 2000) << "the hidden cache is given ChartWaitForLoad seconds";
    }
  }
}

TEST_F(DriverWorkspaces, MarkedPathSkipsTheLoadWaits) {
  standin::StartOptions options;
  options.workspace = "";
  options.control = "NeverLoad=1";  // the picture never completes: only the marked path can succeed
  auto ts = StartStandIn(options);
  Set("WSOpenChartWaitSec", "20");
  TsDriver driver;
  CTxt err;
  std::string path = "!" + ts->WorkspacePath("Tavrin Sample");
  long long start = tsdriver::SteadyMs();
  ASSERT_EQ(driver.OpenWorkspace(path.c_str(), err, 0, 0), 0) << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 15000);
  EXPECT_EQ(ShownWorkspace(ts->Main()), "Tavrin Sample");
}

TEST_F(DriverWorkspaces, LateDialogIsWaitedFor) {
  standin::StartOptions options;
  options.workspace = "";
  options.control = "LateDialogs=OpenWorkspace";
  auto ts = StartStandIn(options);
  TsDriver driver;
  CTxt err;
  ASSERT_EQ(driver.OpenWorkspace(("!" + ts->WorkspacePath("Tavrin Sample")).c_str(), err, 0, 0), 0)
      << err.ToStd();
}

TEST_F(DriverWorkspaces, MissingOpenDialogIsReported) {
  standin::StartOptions options;
  options.workspace = "";
  options.control = "MissingDialogs=OpenWorkspace";
  auto ts = StartStandIn(options);
  TsDriver driver;
  CTxt err;
  EXPECT_EQ(driver.OpenWorkspace(ts->WorkspacePath("Tavrin Sample").c_str(), err, 0, 0), -2);
  EXPECT_STREQ(err, "Internal Error1: Didnt find 'Open Workspace' Dialog Box");
}

TEST_F(DriverWorkspaces, LoadErrorBoxesOfBothKinds) {
  struct Case {
    const char* where;
    int code;
    const char* text;
  };
  for (const Case& c :
       {Case{"dialog", -5, "Workspace load error1:\r\n"}, Case{"main", -6, "Workspace load error2:\r\n"}}) {
    standin::StartOptions options;
    options.workspace = "";
    options.control = std::string("WorkspaceOpenError=") + c.where;
    auto ts = StartStandIn(options);
    TsDriver driver;
    CTxt err;
    EXPECT_EQ(driver.OpenWorkspace(ts->WorkspacePath("Tavrin Sample").c_str(), err, 0, 0), c.code) << c.where;
    EXPECT_EQ(err.ToStd().rfind(c.text, 0), 0u) << err.ToStd();
    EXPECT_GT(err.GetLength(), static_cast<int>(strlen(c.text))) << "the box's text is kept";
    // Box and file dialog are closed again.
    EXPECT_TRUE(standin::WaitFor(
        [&] {
          for (HWND w : standin::TopWindows(ts->Pid()))
            if (IsWindowVisible(w) && standin::ClassOf(w) == "#32770") return false;
          return true;
        },
        5000));
  }
}

TEST_F(DriverWorkspaces, ChartNotMaximisedAsksOnce) {
  for (bool yes : {false, true}) {
    standin::StartOptions options;
    options.workspace = "";
    options.control = "NotMaximized=1";
    auto ts = StartStandIn(options);
    TsDriver driver;
    tsdriver::FixedAnswerInteraction answer(yes);
    driver.SetInteraction(&answer);
    CTxt err;
    int r = driver.OpenWorkspace(("!" + ts->WorkspacePath("Tavrin Sample")).c_str(), err, 0, 1);
    EXPECT_EQ(answer.Asked(), 1);
    if (yes) {
      EXPECT_EQ(r, 0) << err.ToStd();
    } else {
      EXPECT_EQ(r, -12);
      EXPECT_NE(err.ToStd().find("continue anyway?"), std::string::npos) << err.ToStd();
    }
  }
}

TEST_F(DriverWorkspaces, AbortDuringTheLoadConfirmationEndsWithinASecond) {
  standin::StartOptions options;
  options.workspace = "";
  options.control = "NeverLoad=1";
  auto ts = StartStandIn(options);
  Set("WSOpenChartWaitSec", "60");
  TsDriver driver;
  CTxt err;
  long long abortedAt = 0;
  std::thread runner([&] {
    // Abort once the driver is inside the load confirmation (the chart's title is being read).
    SPtrArray charts;
    standin::WaitFor([&] { return driver.MainWindow() && FindChartWindows(charts) > 0; }, 20000);
    std::this_thread::sleep_for(std::chrono::milliseconds(3000));
    abortedAt = tsdriver::SteadyMs();
    driver.AbortRequest() = 1;
  });
  int r = driver.OpenWorkspace(ts->WorkspacePath("Tavrin Sample").c_str(), err, 0, 0);
  long long returnedAt = tsdriver::SteadyMs();
  runner.join();
  EXPECT_EQ(r, -14) << err.ToStd();
  EXPECT_STREQ(err, "Abort requested");
  EXPECT_LT(returnedAt - abortedAt, 1000);
}

TEST_F(DriverWorkspaces, ChartThatNeverLoadsEndsAfterTheBound) {
  standin::StartOptions options;
  options.workspace = "";
  options.control = "NeverLoad=1";
  auto ts = StartStandIn(options);
  Set("WSOpenChartWaitSec", "4");
  TsDriver driver;
  CTxt err;
  long long start = tsdriver::SteadyMs();
  EXPECT_EQ(driver.OpenWorkspace(ts->WorkspacePath("Tavrin Sample").c_str(), err, 0, 0), -13);
  EXPECT_NE(err.ToStd().find("WSOpenChartWaitSec"), std::string::npos) << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 20000);
}

TEST_F(DriverWorkspaces, CloseAsksAndAnswersThePrompt) {
  auto ts = StartStandIn();
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  CTxt err;
  EXPECT_GE(driver.CloseWorkspace(0, err), 0) << err.ToStd();
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()).empty(); }, 5000));
  EXPECT_EQ(driver.CloseWorkspace(0, err), 100);
  EXPECT_EQ(err.ToStd().rfind("No Workspaces loaded (", 0), 0u) << err.ToStd();
}

TEST_F(DriverWorkspaces, CloseWithoutPromptClosesOnlyTheActiveWorkspace) {
  standin::StartOptions options = TwoWorkspaces();
  options.control = "UnchangedCloseNoPrompt=1";
  auto ts = StartStandIn(options);
  std::string shown;
  ASSERT_TRUE(standin::WaitFor([&] { return !(shown = ShownWorkspace(ts->Main())).empty(); }));
  TsDriver driver;
  CTxt err;
  EXPECT_GE(driver.CloseWorkspace(0, err), 0) << err.ToStd();
  CTxtArray names;
  ASSERT_EQ(driver.ListOpenWorkspaces(names, err), 1) << err.ToStd();
  EXPECT_LT(names.FindString(shown.c_str()), 0);
}

TEST_F(DriverWorkspaces, ResultNameFromWorkspaceFolderSymbolIntervalAndStep) {
  TsDriver driver;
  driver.SetCurrentWorkspace("C:\\Runs\\SEQ_0001\\Tavrin Sample.tsw");
  driver.SetCurrentStep(2);
  CTxt name;
  EXPECT_EQ(driver.MakeResultFileName("@ES", 1, "5", name), 0);
  EXPECT_STREQ(name, "C:/Runs/SEQ_0001/@ES_Intra0005_0003");
  EXPECT_EQ(driver.MakeResultFileName("MSFT", 9, "0.5/M", name), 0);
  EXPECT_EQ(name.ToStd().find('/', strlen("C:/Runs/SEQ_0001/")), std::string::npos) << name.ToStd();
}

TEST_F(DriverWorkspaces, SaveAsOverwritesAReadOnlyEarlierFile) {
  auto ts = StartStandIn();
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  driver.SetCurrentWorkspace((ts->Folder() + "/MyWork/Tavrin Sample.tsw").c_str());
  driver.SetCurrentStep(0);
  CTxt name;
  driver.MakeResultFileName("MSFT", 2, "Daily", name);
  std::string file = name.ToStd() + ".tsw";
  testsupport::WriteFile(file, "old");
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
  CTxt out;
  ASSERT_EQ(driver.SaveWorkspaceAs("MSFT", 2, "Daily", nullptr, out), 0) << out.ToStd();
  EXPECT_EQ(out.ToStd(), file);
  EXPECT_NE(testsupport::ReadFile(file), "old");
}

TEST_F(DriverWorkspaces, SaveAsWriteFailureIsReadAndClosed) {
  standin::StartOptions options;
  options.control = "OverwritePrompt=0";
  auto ts = StartStandIn(options);
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  driver.SetCurrentWorkspace((ts->Folder() + "/MyWork/Tavrin Sample.tsw").c_str());
  CTxt name;
  driver.MakeResultFileName("MSFT", 2, "Daily", name);
  // The result file is held open without sharing: it can be neither deleted nor written.
  std::string file = testsupport::WriteFile(name.ToStd() + ".tsw", "held");
  HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CTxt out;
  EXPECT_EQ(driver.SaveWorkspaceAs("MSFT", 2, "Daily", nullptr, out), -5);
  EXPECT_EQ(out.ToStd().rfind("Workspace load error:\r\n", 0), 0u) << out.ToStd();
  EXPECT_GT(out.GetLength(), static_cast<int>(strlen("Workspace load error:\r\n")))
      << "the box's text is kept";
  EXPECT_TRUE(standin::WaitFor(
      [&] {
        for (HWND w : standin::TopWindows(ts->Pid()))
          if (IsWindowVisible(w) && standin::TextOf(w).rfind("Save Workspace As", 0) == 0) return false;
        return true;
      },
      5000));
  CloseHandle(held);
}

TEST_F(DriverWorkspaces, SaveAsCopyOfTheSource) {
  auto ts = StartStandIn();
  TsDriver driver;
  std::string source = ts->WorkspacePath("Tavrin Sample");
  driver.SetCurrentWorkspace(source.c_str());
  CTxt out;
  ASSERT_EQ(driver.SaveWorkspaceAs("MSFT", 2, "Daily", source.c_str(), out), 0) << out.ToStd();
  CTxt name;
  driver.MakeResultFileName("MSFT", 2, "Daily", name);
  EXPECT_EQ(testsupport::ReadFile(name.ToStd() + ".tsw"), testsupport::ReadFile(source));
}

TEST_F(DriverWorkspaces, HungTradeStationFailsWithTheNotRespondingText) {
  auto ts = StartStandIn(TwoWorkspaces());
  ts->SetControl("HangMs=20000\nHangAt=Now");
  TsDriver driver;
  CTxtArray names;
  CTxt err;
  long long start = tsdriver::SteadyMs();
  EXPECT_EQ(driver.ListOpenWorkspaces(names, err), kTsNotResponding);
  EXPECT_NE(err.ToStd().find("TradeStation is not responding"), std::string::npos) << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 15000);
}

TEST_F(DriverWorkspaces, VanishedTradeStationIsAFailureNotAHang) {
  auto ts = StartStandIn(TwoWorkspaces());
  TsDriver driver;
  CTxt err;
  ASSERT_NE(driver.FindMainWindow(err), nullptr);
  ts->SetControl("CrashAt=MoreWorkspaces");
  long long start = tsdriver::SteadyMs();
  int r = driver.ActivateWorkspace("Somewhere Else", err);
  EXPECT_LT(r, 0);
  EXPECT_TRUE(r == -1 || r == kTsNotResponding) << r << " " << err.ToStd();
  EXPECT_LT(tsdriver::SteadyMs() - start, 15000);
}

}  // namespace

// The strict stand-in: charts of a background workspace keep their windows, a workspace without changes
// closes without a prompt, and file dialogs ask before overwriting.
class DriverWorkspacesStrict : public DriverTest {};

TEST_F(DriverWorkspacesStrict, OpeningASecondWorkspaceConfirmsItsOwnChart) {
  standin::StartOptions options;
  options.control = "Strict=1";
  auto ts = StartStandIn(options);
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  CTxt err;
  ASSERT_EQ(driver.OpenWorkspace(ts->WorkspacePath("Sample IBM Daily").c_str(), err, 0, 0), 0) << err.ToStd();
  EXPECT_EQ(ShownWorkspace(ts->Main()), "Sample IBM Daily");
  SPtrArray charts;
  EXPECT_EQ(FindChartWindows(charts), 2) << "both workspaces' charts are windows";
  CTxt desktop, workspace, symbol, interval, chartSymbol, chartInterval;
  SplitTSMainTitle(standin::TextOf(ts->Main()).c_str(), desktop, workspace, symbol, interval);
  SplitChartTitle(standin::TextOf(driver.ChartWindow()).c_str(), chartSymbol, chartInterval);
  EXPECT_EQ(chartSymbol.ToStd(), symbol.ToStd()) << "the confirmed chart is the active workspace's";
}

TEST_F(DriverWorkspacesStrict, ClosingLeavesTheOtherWorkspaceOpen) {
  standin::StartOptions options = TwoWorkspaces();
  options.control = "Strict=1";
  auto ts = StartStandIn(options);
  std::string shown;
  ASSERT_TRUE(standin::WaitFor([&] { return !(shown = ShownWorkspace(ts->Main())).empty(); }));
  TsDriver driver;
  CTxt err;
  EXPECT_GE(driver.CloseWorkspace(1, err), 0) << err.ToStd();
  CTxtArray names;
  ASSERT_EQ(driver.ListOpenWorkspaces(names, err), 1) << err.ToStd();
  EXPECT_LT(names.FindString(shown.c_str()), 0);
}

TEST_F(DriverWorkspacesStrict, SaveAsReplacesAnEarlierResultWithoutTheOverwriteQuestion) {
  standin::StartOptions options;
  options.control = "Strict=1";
  auto ts = StartStandIn(options);
  ASSERT_TRUE(standin::WaitFor([&] { return ShownWorkspace(ts->Main()) == "Tavrin Sample"; }));
  TsDriver driver;
  driver.SetCurrentWorkspace(ts->WorkspacePath("Tavrin Sample").c_str());
  CTxt out;
  ASSERT_EQ(driver.SaveWorkspaceAs("MSFT", 2, "Daily", nullptr, out), 0) << out.ToStd();
  ASSERT_EQ(driver.SaveWorkspaceAs("MSFT", 2, "Daily", nullptr, out), 0) << out.ToStd();
}
