// Tavrin.exe's main window driven the way a user drives it: the real program started in a scratch program
// folder beside the stand-in TradeStation, its controls clicked by id, its texts, bars and boxes read back.
// Also the window's arithmetic (bars, stored position, time left) and the protected login, in-process.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "DriverTestSupport.h"
#include "StandInHarness.h"
#include "TestSupport.h"
#include "ToolSupport.h"
#include "app/Dialogs/DlgList.h"
#include "app/Dialogs/DlgPrompt.h"
#include "app/MainDialog.h"
#include "app/RunnerApp.h"
#include "app/resources/resource.h"
#include "tsdriver/TsFacts.h"

namespace {

using standin::StaticTexts;
using toolsupport::WindowText;

// ---- The window's arithmetic ----

TEST(AppMainWindowArithmetic, BarsMeasureDoneAgainstTotal) {
  EXPECT_EQ(ProgressPosition(1, 3), 3333);
  EXPECT_EQ(ProgressPosition(3, 3), 10000);
  EXPECT_EQ(ProgressPosition(0, 3), 0);
  EXPECT_EQ(ProgressPosition(2, 0), 0);   // a script not built yet
  EXPECT_EQ(ProgressPosition(-1, 5), 0);  // idle runner
  EXPECT_EQ(ProgressPosition(7, 5), 10000);
  EXPECT_EQ(ProgressPosition(2000000, 2147483647), 9);  // no overflow on the way
}

TEST(AppMainWindowArithmetic, StepTimeBarIsFullAfterADay) {
  EXPECT_EQ(StepTimeBarPosition(12 * 3600), 5000);
  EXPECT_EQ(StepTimeBarPosition(6 * 3600), 2500);
  EXPECT_EQ(StepTimeBarPosition(24 * 3600), 10000);
  EXPECT_EQ(StepTimeBarPosition(30 * 3600), 10000);
  EXPECT_EQ(StepTimeBarPosition(8), 0);
  EXPECT_EQ(StepTimeBarPosition(9), 1);
}

TEST(AppMainWindowArithmetic, StoredPositionNeedsLeftWidthAndHeightOnScreen) {
  StoredWindowPos pos;
  ASSERT_TRUE(ParseMainWindowPos("30,400,40,300", pos));
  EXPECT_EQ(pos.left, 30);
  EXPECT_EQ(pos.width, 400);
  EXPECT_EQ(pos.top, 40);
  EXPECT_EQ(pos.height, 300);
  EXPECT_TRUE(ParseMainWindowPos("30,400,-40,300", pos));  // the top is not checked
  EXPECT_EQ(pos.top, -40);
  EXPECT_FALSE(ParseMainWindowPos("-5,400,40,300", pos));
  EXPECT_FALSE(ParseMainWindowPos("30,5000,40,300", pos));
  EXPECT_FALSE(ParseMainWindowPos("30,400,40,-1", pos));
  EXPECT_FALSE(ParseMainWindowPos("30,400,40", pos));
  EXPECT_FALSE(ParseMainWindowPos("30;400;40;300", pos));
  EXPECT_FALSE(ParseMainWindowPos("", pos));
  EXPECT_FALSE(ParseMainWindowPos(nullptr, pos));
}

TEST(AppMainWindowArithmetic, TimeLeftFollowsTheAverageOfFinishedSteps) {
  EXPECT_EQ(EstimateSecondsLeft(0, 0, 5, 10), -1);  // nothing finished yet: no estimate
  // Two steps took 100 s in all; four are left, the current one has run 20 s: 4 * 50 - 20.
  EXPECT_EQ(EstimateSecondsLeft(2, 100, 4, 20), 180);
  EXPECT_EQ(EstimateSecondsLeft(2, 100, 1, 80), 0);  // the last step overran the average
  EXPECT_EQ(EstimateSecondsLeft(1, 2000000000, 2000, 0), 0x7fffffff);
  EXPECT_EQ(FormatDuration(3 * 3600 + 4 * 60 + 5), "03:04:05");
  EXPECT_EQ(FormatDuration(-3), "00:00:00");
}

TEST(AppMainWindowLogin, ProtectedForTheUserAndReadBack) {
  CTxt hex;
  ASSERT_TRUE(ProtectForCurrentUser("trader7", hex));
  EXPECT_EQ(hex.ToStd().find("747261646572"), std::string::npos);  // "trader" in hex is not in the store
  CTxt back;
  ASSERT_TRUE(UnprotectForCurrentUser(hex, back));
  EXPECT_EQ(back.ToStd(), "trader7");
  EXPECT_FALSE(UnprotectForCurrentUser(hex.ToStd().substr(0, 40).c_str(), back));  // a cut store
  EXPECT_FALSE(UnprotectForCurrentUser("ABC", back));                              // odd length
  EXPECT_FALSE(UnprotectForCurrentUser("ZZ", back));
}

// ---- Tavrin.exe at work ----

std::string TavrinExe() {
  return toolsupport::TestProgramFolder() + "\\..\\app\\Tavrin.exe";
}

// The settings of a fast run against the stand-in.
std::string FastSettings(const std::string& tsFolder) {
  return "[Tavrin]\r\nImportAlert=NO\r\nTSHome=" + tsFolder +
         "\r\nFmtCmdWait=150\r\nWaitForWSOpenMs=100\r\nCloseWait=5\r\nChartLoadConfirm=1\r\nWaitTSCmd=300\r\n"
         "TsAnswerWaitMs=1500\r\nChartLoadMinSec=1\r\nChartWaitForLoad=1\r\nTavrinMinimize=0\r\nFmtNextWait="
         "250\r\n"
         "FmtOKWait=100\r\nFmtWaitLoadWaitSec=30\r\nWaitStratInput=2\r\nWaitForOpt=0\r\nWaitStartOpt=0\r\n"
         "WaitResultsSave=1\r\nReportFindSec=3\r\nSaveDialogWaitMs=1500\r\nChartMinColors=3\r\n"
         "FmtNextSymWait=100\r\nCheckChartMaximized=NO\r\nCurrDef=Beta\r\n"
         "[SYS]\r\nStayOnTop=NO\r\nTabulonType=N\r\n";
}

std::string Definition(const std::string& workspace, const std::string& symbols) {
  return "Workspace=" + workspace + "\r\nSymbols=" + symbols +
         "\r\nEndDate=12/31/2012\r\n\r\nTemplate=\r\nIntra/5|30 "
         "Days\r\n\r\nOptSet=\r\n1/FastLength|4|12|4\r\n";
}

// One Tavrin.exe in a program folder of its own (also its current folder); killed if still running at the
// end.
class Tavrin {
 public:
  // waitForMain = false: the caller expects a box before the window shows.
  explicit Tavrin(const std::string& folder, bool waitForMain = true) : folder_(folder) {
    std::string exe = folder + "/Tavrin.exe";
    CopyFileA(TavrinExe().c_str(), exe.c_str(), FALSE);
    std::string command = "\"" + exe + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessA(exe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                       &startup, &info)) {
      process_ = info.hProcess;
      pid_ = info.dwProcessId;
      CloseHandle(info.hThread);
    }
    if (waitForMain) FindMain();
  }
  void FindMain() {
    main_ = toolsupport::WaitForTopWindow(
        [this](HWND w) {
          std::string title = WindowText(w);
          const std::string end = ") Tavrinex (Tavrin)";
          return Owns(w) && IsWindowVisible(w) && title.size() > end.size() &&
                 title.compare(title.size() - end.size(), end.size(), end) == 0;
        },
        20000);
  }
  ~Tavrin() {
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 9);
      WaitForSingleObject(process_, 5000);
    }
    if (process_) CloseHandle(process_);
  }
  Tavrin(const Tavrin&) = delete;
  Tavrin& operator=(const Tavrin&) = delete;

  HWND Main() const { return main_; }
  HWND Control(int id) const { return GetDlgItem(main_, id); }
  std::string Text(int id) const { return WindowText(Control(id)); }
  int Bar(int id) const { return static_cast<int>(SendMessageA(Control(id), PBM_GETPOS, 0, 0)); }
  void Click(int id) const { standin::PostClick(main_, id); }
  // A click that is handled before the call returns; false when the window did not finish within 5 s
  // (it opened something modal).
  bool ClickAndReturn(int id) const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(main_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                               reinterpret_cast<LPARAM>(Control(id)), SMTO_NORMAL, 5000, &ignored) != 0;
  }
  std::string ComboEntry(int index) const { return standin::ComboText(Control(IDC_DEFINITIONS), index); }
  int ComboCount() const {
    return static_cast<int>(SendMessageA(Control(IDC_DEFINITIONS), CB_GETCOUNT, 0, 0));
  }
  std::string Selected() const {
    int index = static_cast<int>(SendMessageA(Control(IDC_DEFINITIONS), CB_GETCURSEL, 0, 0));
    return index < 0 ? "" : ComboEntry(index);
  }

  // A visible dialog of this process titled exactly `title` (message boxes carry the application title)
  // whose texts contain `part`.
  HWND WaitDialog(const std::string& title, const std::string& part, int ms = 10000) const {
    return toolsupport::WaitForTopWindow(
        [&](HWND w) {
          return Owns(w) && w != main_ && IsWindowVisible(w) && toolsupport::ClassOf(w) == "#32770" &&
                 WindowText(w) == title && StaticTexts(w).find(part) != std::string::npos;
        },
        static_cast<DWORD>(ms));
  }
  HWND WaitBox(const std::string& part, int ms = 10000) const { return WaitDialog(kAppTitle, part, ms); }
  // Any other visible dialog of the process, e.g. a prompt.
  HWND WaitTitled(const std::string& title, int ms = 10000) const {
    return toolsupport::WaitForTopWindow(
        [&](HWND w) { return Owns(w) && w != main_ && IsWindowVisible(w) && WindowText(w) == title; },
        static_cast<DWORD>(ms));
  }
  static void Answer(HWND box, int button) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
    standin::WaitGone(box, 5000);
  }
  static void Type(HWND prompt, const char* text) {
    SendMessageA(GetDlgItem(prompt, kPromptFirstInputId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  }
  int WaitExit(int ms) const {
    if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
  }
  std::string Settings() const { return testsupport::ReadFile(folder_ + "/Tavrin.ini"); }

 private:
  bool Owns(HWND w) const {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    return pid == pid_ && pid_ != 0;
  }

  std::string folder_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// Saves the screen as a BMP into the folder named by TAVRIN_SCREENSHOTS (nothing when unset). Under Wine
// without a window manager TradeStation's windows may end up above the topmost main window in the X stacking,
// so `raise` is brought up again and repainted first (its clock shows the next second).
void Screenshot(const char* name, HWND raise = nullptr) {
  const char* folder = std::getenv("TAVRIN_SCREENSHOTS");
  if (!folder || !*folder) return;
  if (raise) {
    for (HWND order : {HWND_NOTOPMOST, HWND_TOPMOST})
      SetWindowPos(raise, order, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RedrawWindow(raise, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    std::string clock = WindowText(GetDlgItem(raise, IDC_CLOCK));
    toolsupport::WaitUntil([&] { return WindowText(GetDlgItem(raise, IDC_CLOCK)) != clock; }, 2000);
  }
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  int stride = (width * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * height);
  GetDIBits(memory, picture, 0, static_cast<UINT>(height), pixels.data(),
            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof header + pixels.size()),
                        0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
  std::ofstream out(std::string(folder) + "/" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

// ---- Without TradeStation ----
// These run before the suite below starts its stand-in: no TradeStation window may exist.

bool TradeStationRuns() {
  return !toolsupport::TopWindows([](HWND w) {
            return toolsupport::ClassOf(w) == tsfacts::kMainWindowClass;
          }).empty();
}

class AppMainWindowWithoutTradeStation : public testing::Test {
 protected:
  void SetUp() override {
    if (TradeStationRuns()) GTEST_SKIP() << "a TradeStation window exists";
    folder_ = testsupport::ScratchFolder();
  }
  std::string folder_;
};

TEST_F(AppMainWindowWithoutTradeStation, RunDoesNothingBeforeDetectionAndTheFailureEndsTheProgram) {
  testsupport::WriteFile(folder_ + "/Tavrin.ini", "[Tavrin]\r\nImportAlert=NO\r\n[SYS]\r\nStayOnTop=NO\r\n");
  testsupport::WriteFile(folder_ + "/Alpha.tvd", Definition("C:/nowhere.tsw", "MSFT"));
  Tavrin app(folder_);
  ASSERT_TRUE(app.Main());
  HWND failure = app.WaitBox("TradeStation not opened");
  ASSERT_TRUE(failure) << "no box saying TradeStation was not found";
  // The click is handled at once and opens no confirmation.
  EXPECT_TRUE(app.ClickAndReturn(IDOK));
  EXPECT_FALSE(app.WaitBox("Are you sure to start", 300));
  Tavrin::Answer(failure, IDOK);
  EXPECT_EQ(app.WaitExit(10000), 2);
}

TEST_F(AppMainWindowWithoutTradeStation, StoredPositionWithNegativeLeftIsIgnoredNegativeTopIsKept) {
  testsupport::WriteFile(
      folder_ + "/Tavrin.ini",
      "[Tavrin]\r\nImportAlert=NO\r\n[SYS]\r\nStayOnTop=NO\r\nMainWindowPos=-60,500,120,400\r\n");
  {
    Tavrin app(folder_);
    ASSERT_TRUE(app.Main());
    HWND failure = app.WaitBox("TradeStation not opened");
    RECT r{};
    GetWindowRect(app.Main(), &r);
    EXPECT_GE(r.left, 0);
    EXPECT_NE(r.top, 120) << "the stored position was used";
    std::string stored = "MainWindowPos=" + std::to_string(r.left) + "," + std::to_string(r.right - r.left) +
                         "," + std::to_string(r.top) + "," + std::to_string(r.bottom - r.top);
    EXPECT_NE(app.Settings().find(stored), std::string::npos) << app.Settings();
    if (failure) Tavrin::Answer(failure, IDOK);
    app.WaitExit(10000);
  }
  testsupport::WriteFile(
      folder_ + "/Tavrin.ini",
      "[Tavrin]\r\nImportAlert=NO\r\n[SYS]\r\nStayOnTop=NO\r\nMainWindowPos=70,500,-30,400\r\n");
  Tavrin app(folder_);
  ASSERT_TRUE(app.Main());
  HWND failure = app.WaitBox("TradeStation not opened");
  RECT r{};
  GetWindowRect(app.Main(), &r);
  EXPECT_EQ(r.left, 70);
  EXPECT_EQ(r.top, -30);
  if (failure) Tavrin::Answer(failure, IDOK);
  app.WaitExit(10000);
}

TEST_F(AppMainWindowWithoutTradeStation, NoDefinitionsLeaveTheComboEmptyAndTheStoredNameAlone) {
  testsupport::WriteFile(folder_ + "/Tavrin.ini",
                         "[Tavrin]\r\nImportAlert=NO\r\nCurrDef=Zeta\r\n[SYS]\r\nStayOnTop=NO\r\n");
  Tavrin app(folder_);
  ASSERT_TRUE(app.Main());
  HWND failure = app.WaitBox("TradeStation not opened");
  EXPECT_EQ(app.ComboCount(), 0);
  EXPECT_NE(app.Settings().find("CurrDef=Zeta"), std::string::npos) << app.Settings();
  if (failure) Tavrin::Answer(failure, IDOK);
  app.WaitExit(10000);
}

// ---- Beside the stand-in ----

class AppMainWindow : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    standin::StartOptions options;
    ts_ = drivertest::StartStandIn(options).release();
    if (ts_->Main()) {
      standin::WaitFor([] { return !standin::ChartWindows(ts_->Pid(), ts_->Main()).empty(); });
      ts_->WaitSettled();
    }
  }
  static void TearDownTestSuite() {
    delete ts_;
    ts_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(ts_ && ts_->Main()) << "the stand-in did not start";
    folder_ = testsupport::ScratchFolder();
    testsupport::WriteFile(folder_ + "/Tavrin.ini", FastSettings(ts_->Folder()));
  }
  void WriteDefinition(const std::string& name, const std::string& symbols) const {
    testsupport::WriteFile(folder_ + "/" + name + ".tvd",
                           Definition(ts_->WorkspacePath("Tavrin Sample"), symbols));
  }
  // Tavrin started and done detecting TradeStation.
  std::unique_ptr<Tavrin> StartReady() const {
    auto app = std::make_unique<Tavrin>(folder_);
    if (app->Main())
      toolsupport::WaitUntil(
          [&] { return app->Text(IDC_BOTTOM_LINE).find("Current TradeStation Location") == 0; }, 20000);
    return app;
  }

  static standin::StandIn* ts_;
  std::string folder_;
};
standin::StandIn* AppMainWindow::ts_ = nullptr;

// Whole runs are a suite of their own (they take minutes).
class AppRunMainWindow : public AppMainWindow {};

TEST_F(AppMainWindow, ListsTheDefinitionsSelectsTheStoredOneAndKeepsTheChoice) {
  WriteDefinition("Gamma", "IBM");
  WriteDefinition("Alpha", "MSFT");
  WriteDefinition("Beta", "CSCO");
  testsupport::WriteFile(folder_ + "/notes.txt", "not a definition");
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  EXPECT_EQ(WindowText(app->Main()), "(1.5b Jan 11 2017 17:26:19) Tavrinex (Tavrin)");
  EXPECT_EQ(app->Text(IDC_BOTTOM_LINE), "Current TradeStation Location: " + ts_->Folder());
  ASSERT_EQ(app->ComboCount(), 3);
  EXPECT_EQ(app->ComboEntry(0), "Alpha");
  EXPECT_EQ(app->ComboEntry(2), "Gamma");
  EXPECT_EQ(app->Selected(), "Beta");
  EXPECT_EQ(app->Text(IDC_SUMMARY), "&Summary");
  EXPECT_FALSE(IsWindowVisible(app->Control(IDC_SET_PASSWORD)));
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return !app->Text(IDC_CLOCK).empty(); }, 3000));
  SendMessageA(app->Control(IDC_DEFINITIONS), CB_SETCURSEL, 2, 0);
  SendMessageA(app->Main(), WM_COMMAND, MAKEWPARAM(IDC_DEFINITIONS, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(app->Control(IDC_DEFINITIONS)));
  EXPECT_NE(app->Settings().find("CurrDef=Gamma"), std::string::npos) << app->Settings();
  Screenshot("main-idle");
  app->Click(IDCANCEL);
  HWND exit = app->WaitBox("Are you sure you want to exit?");
  ASSERT_TRUE(exit);
  Tavrin::Answer(exit, IDYES);
  EXPECT_EQ(app->WaitExit(15000), 0);
}

TEST_F(AppMainWindow, NewRefusesTheUnchangedAndATakenNameThenCreatesTheDefinition) {
  WriteDefinition("Alpha", "MSFT");
  WriteDefinition("Beta", "CSCO");
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  app->Click(IDC_NEW);
  HWND prompt = app->WaitTitled("Enter New Sequence Name");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(WindowText(GetDlgItem(prompt, kPromptFirstInputId)), "(NewDef)");
  Tavrin::Answer(prompt, IDOK);
  HWND refusal = app->WaitBox("Choose a different name!");
  ASSERT_TRUE(refusal);
  Tavrin::Answer(refusal, IDOK);
  prompt = app->WaitTitled("Enter New Sequence Name");
  ASSERT_TRUE(prompt);
  Tavrin::Type(prompt, "alpha");
  Tavrin::Answer(prompt, IDOK);
  refusal = app->WaitBox("exists already - choose a different name");
  ASSERT_TRUE(refusal);
  Tavrin::Answer(refusal, IDOK);
  prompt = app->WaitTitled("Enter New Sequence Name");
  ASSERT_TRUE(prompt);
  Tavrin::Type(prompt, "Delta");
  Tavrin::Answer(prompt, IDOK);
  HWND copy = app->WaitBox("Do you want to copy the new Sequence from current sequence (Beta)?");
  ASSERT_TRUE(copy);
  Tavrin::Answer(copy, IDYES);
  // Whatever the editor shows next is closed unchanged.
  HWND next = toolsupport::WaitForTopWindow(
      [&](HWND w) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        return w != app->Main() && IsWindowVisible(w) && toolsupport::ClassOf(w) == "#32770" &&
               GetWindow(w, GW_OWNER) == app->Main();
      },
      10000);
  ASSERT_TRUE(next);
  Tavrin::Answer(next, IDCANCEL);
  EXPECT_EQ(testsupport::ReadFile(folder_ + "/Delta.tvd"), testsupport::ReadFile(folder_ + "/Beta.tvd"));
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->Selected() == "Delta"; }, 5000));
  EXPECT_EQ(app->ComboCount(), 3);
}

// "Beta" is the first entry and "BetaTwo" begins with it too: the stored name selects the first one.
TEST_F(AppMainWindow, DeleteAsksFirst) {
  WriteDefinition("Beta", "CSCO");
  WriteDefinition("BetaTwo", "MSFT");
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  ASSERT_EQ(app->Selected(), "Beta");
  app->Click(IDC_DELETE);
  HWND question = app->WaitBox("Are you sure you want to delete Backtesting Sequence 'Beta'?");
  ASSERT_TRUE(question);
  Tavrin::Answer(question, IDNO);
  EXPECT_TRUE(testsupport::FileExists(folder_ + "/Beta.tvd"));
  EXPECT_EQ(app->ComboCount(), 2);
  app->Click(IDC_DELETE);
  question = app->WaitBox("Are you sure you want to delete Backtesting Sequence 'Beta'?");
  ASSERT_TRUE(question);
  Tavrin::Answer(question, IDYES);
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->ComboCount() == 1; }, 5000));
  EXPECT_FALSE(testsupport::FileExists(folder_ + "/Beta.tvd"));
  EXPECT_TRUE(testsupport::FileExists(folder_ + "/BetaTwo.tvd"));
  EXPECT_EQ(app->ComboEntry(0), "BetaTwo");
}

TEST_F(AppMainWindow, FirstStartOffersTheSampleImportOnce) {
  WriteDefinition("Beta", "MSFT");
  std::string settings = FastSettings(ts_->Folder());
  settings.replace(settings.find("ImportAlert=NO"), 14, "ImportAlert=YES");
  testsupport::WriteFile(folder_ + "/Tavrin.ini", settings);
  auto app = std::make_unique<Tavrin>(folder_, false);
  HWND welcome = app->WaitBox("Welcome to the new Tavrinex (Tavrin)", 20000);
  ASSERT_TRUE(welcome);
  Tavrin::Answer(welcome, IDOK);
  EXPECT_TRUE(
      toolsupport::WaitUntil([&] { return app->Settings().find("ImportAlert=NO") != std::string::npos; }));
}

TEST_F(AppMainWindow, IdleWindowSaysWhatARunWouldDo) {
  WriteDefinition("Beta", "MSFT");
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  app->Click(IDC_CURRENT_SYMBOL);
  HWND notYet = app->WaitBox("Sequence not running yet!");
  ASSERT_TRUE(notYet);
  Tavrin::Answer(notYet, IDOK);
  SendMessageA(app->Control(IDC_CHARTS_ONLY), BM_SETCHECK, BST_CHECKED, 0);
  app->Click(IDOK);
  HWND confirm = app->WaitBox("Are you sure to start Backtesting Sequence:");
  ASSERT_TRUE(confirm);
  EXPECT_NE(StaticTexts(confirm).find("Beta (LOADING CHARTS ONLY MODE!)?"), std::string::npos)
      << StaticTexts(confirm);
  Tavrin::Answer(confirm, IDNO);
  EXPECT_TRUE(IsWindowEnabled(app->Control(IDC_EDIT)));
}

TEST_F(AppMainWindow, ShowStepsSetsTheStartingStep) {
  WriteDefinition("Beta", "MSFT,CSCO,IBM");
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  app->Click(IDC_SHOW_STEPS);
  // The listing is written to the current folder and shown in the text editor, closed again here.
  HWND skip = app->WaitBox("Do you want to skip ahead in this Sequence on the next run?", 15000);
  ASSERT_TRUE(skip);
  EXPECT_NE(testsupport::ReadFile(folder_ + "/ShowCmd.csv").find("3,IBM,"), std::string::npos);
  Tavrin::Answer(skip, IDYES);
  HWND prompt = app->WaitTitled("Set Starting Step");
  ASSERT_TRUE(prompt);
  Tavrin::Type(prompt, "9");
  Tavrin::Answer(prompt, IDOK);
  HWND refusal = app->WaitBox("The Step# has to be between 2 and 3");
  ASSERT_TRUE(refusal);
  Tavrin::Answer(refusal, IDOK);
  prompt = app->WaitTitled("Set Starting Step");
  ASSERT_TRUE(prompt);
  Tavrin::Type(prompt, "2");
  Tavrin::Answer(prompt, IDOK);
  HWND confirm = app->WaitBox("Start Run next time at Step#2?");
  ASSERT_TRUE(confirm);
  EXPECT_NE(StaticTexts(confirm).find("CSCO"), std::string::npos) << StaticTexts(confirm);
  Tavrin::Answer(confirm, IDYES);
  HWND done = toolsupport::WaitForTopWindow(
      [&](HWND w) {
        return IsWindowVisible(w) && WindowText(w) == kAppTitle && GetWindow(w, GW_OWNER) == app->Main();
      },
      10000);
  ASSERT_TRUE(done);
  Tavrin::Answer(done, IDOK);
  std::string definition = testsupport::ReadFile(folder_ + "/Beta.tvd");
  EXPECT_NE(definition.find("Abort=2="), std::string::npos) << definition;
  EXPECT_NE(definition.find("Manual Entry"), std::string::npos) << definition;
  for (HWND editor : toolsupport::TopWindows([](HWND w) { return toolsupport::ClassOf(w) == "Notepad"; }))
    PostMessageA(editor, WM_CLOSE, 0, 0);
}

// A run from the Run button: its progress, the stop list ending it after the step, the resume prompt next
// time.
TEST_F(AppRunMainWindow, RunShowsProgressStopsAfterTheStepAndOffersToResume) {
  WriteDefinition("Beta", "MSFT,CSCO,IBM");
  // As traders have it: the window on top, here in the screen's lower right corner.
  std::string settings = FastSettings(ts_->Folder());
  settings.replace(settings.find("StayOnTop=NO"), 12, "StayOnTop=YES\r\nMainWindowPos=760,510,600,412");
  testsupport::WriteFile(folder_ + "/Tavrin.ini", settings);
  auto app = StartReady();
  ASSERT_TRUE(app->Main());
  EXPECT_NE(GetWindowLongA(app->Main(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  HBITMAP startPicture =
      reinterpret_cast<HBITMAP>(SendMessageA(app->Control(IDOK), BM_GETIMAGE, IMAGE_BITMAP, 0));
  app->Click(IDOK);
  HWND confirm = app->WaitBox("Are you sure to start Backtesting Sequence:");
  ASSERT_TRUE(confirm);
  EXPECT_NE(StaticTexts(confirm).find("Beta?"), std::string::npos) << StaticTexts(confirm);
  Tavrin::Answer(confirm, IDYES);

  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return app->Text(IDC_STEP_LINE).find("Step 1 of 3: ") == 0; }, 60000))
      << app->Text(IDC_STEP_LINE) << " / " << app->Text(IDC_STATUS);
  EXPECT_EQ(app->Text(IDC_SEQUENCE_GROUP), "Beta");
  EXPECT_EQ(app->Bar(IDC_STEP_BAR), 3333);
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->Text(IDC_SYMBOL_POS) == "(1 of 3)"; }, 5000));
  EXPECT_EQ(app->Text(IDC_CURRENT_SYMBOL), "MSFT");
  EXPECT_EQ(app->Bar(IDC_SYMBOL_BAR), 3333);
  EXPECT_EQ(app->Text(IDC_TIMEFRAME_POS), "(1 of 1)");
  EXPECT_EQ(app->Bar(IDC_TIMEFRAME_BAR), 10000);
  EXPECT_EQ(app->Text(IDC_CURRENT_TIMEFRAME), "Intra/5");
  EXPECT_FALSE(IsWindowEnabled(app->Control(IDC_EDIT)));
  EXPECT_FALSE(IsWindowEnabled(app->Control(IDC_NEW)));
  HBITMAP stopPicture =
      reinterpret_cast<HBITMAP>(SendMessageA(app->Control(IDOK), BM_GETIMAGE, IMAGE_BITMAP, 0));
  EXPECT_NE(stopPicture, startPicture);
  // The step's own clock moves.
  std::string stepTime;
  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return !(stepTime = app->Text(IDC_STEP_ELAPSED)).empty(); }, 10000));
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->Text(IDC_STEP_ELAPSED) != stepTime; }, 5000));

  // Once a step has finished the step line adds the time left.
  ASSERT_TRUE(
      toolsupport::WaitUntil([&] { return app->Text(IDC_STEP_LINE).find("Step 2 of 3: ") == 0; }, 120000))
      << app->Text(IDC_STEP_LINE) << " / " << app->Text(IDC_STATUS);
  EXPECT_TRUE(toolsupport::WaitUntil(
      [&] { return app->Text(IDC_STEP_LINE).find(" left)") != std::string::npos; }, 3000))
      << app->Text(IDC_STEP_LINE);
  EXPECT_EQ(app->Bar(IDC_STEP_BAR), 6666);
  EXPECT_EQ(app->Text(IDC_CURRENT_SYMBOL), "CSCO");
  Screenshot("main-running", app->Main());
  app->Click(IDC_CURRENT_SYMBOL);
  HWND symbols = app->WaitTitled("Current Symbols");
  ASSERT_TRUE(symbols);
  EXPECT_EQ(SendMessageA(GetDlgItem(symbols, kListControlId), LB_GETCOUNT, 0, 0), 3);
  Tavrin::Answer(symbols, IDCANCEL);
  EXPECT_NE(testsupport::ReadFile(folder_ + "/Symbols.txt").find("CSCO"), std::string::npos);

  app->Click(IDOK);
  HWND stop = app->WaitTitled("Abort Sequence Beta?");
  ASSERT_TRUE(stop);
  HWND list = GetDlgItem(stop, kListControlId);
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 5);
  EXPECT_EQ(standin::ListBoxText(list, 0), "Abort immediately");
  EXPECT_EQ(standin::ListBoxText(list, 4), "Continue");
  EXPECT_EQ(WindowText(GetDlgItem(stop, kListHeadingId)), "Select how to Stop:");
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  Screenshot("main-stop-list");
  Tavrin::Answer(stop, IDOK);
  EXPECT_NE(reinterpret_cast<HBITMAP>(SendMessageA(app->Control(IDOK), BM_GETIMAGE, IMAGE_BITMAP, 0)),
            stopPicture);

  // The step ends, the run stops and says so.
  HWND final = app->WaitBox("Backtest Sequence Folder for this run", 240000);
  ASSERT_TRUE(final) << app->Text(IDC_STATUS);
  Tavrin::Answer(final, IDOK);
  HWND log = app->WaitBox("Errors occured - do you want to see the Log for details?", 5000);
  if (log) Tavrin::Answer(log, IDNO);
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->Text(IDC_SEQUENCE_GROUP) == "Aborted: Beta"; }, 5000));
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return app->Bar(IDC_STEP_BAR) == 0; }, 5000));
  EXPECT_TRUE(toolsupport::WaitUntil([&] { return IsWindowEnabled(app->Control(IDC_EDIT)) != FALSE; }, 5000));
  std::string definition = testsupport::ReadFile(folder_ + "/Beta.tvd");
  EXPECT_NE(definition.find("Abort=3="), std::string::npos) << definition;

  // The next Run offers to continue there; Cancel starts nothing.
  app->Click(IDOK);
  confirm = app->WaitBox("Are you sure to start Backtesting Sequence");
  ASSERT_TRUE(confirm);
  Tavrin::Answer(confirm, IDYES);
  HWND resume = app->WaitBox("Step#3 (");
  ASSERT_TRUE(resume);
  Tavrin::Answer(resume, IDCANCEL);
  app->Click(IDOK);
  confirm = app->WaitBox("Are you sure to start Backtesting Sequence");
  ASSERT_TRUE(confirm) << "Run should ask to start again, not offer to stop a run";
  Tavrin::Answer(confirm, IDNO);
  EXPECT_NE(testsupport::ReadFile(folder_ + "/Beta.tvd").find("Abort=3="), std::string::npos);
}

}  // namespace
