// The stand-in TradeStation's workspace commands under Wine: "More Workspaces", the "Open Workspace"
// and "Save Workspace As" file dialogs, saving in place, the "Save Workspace" prompt, load error boxes.
#include <windows.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

const char kIbmTitle[] =
    "TradeStation 9.5 - Desktop - Sample IBM Daily - [Chart Analysis - IBM Daily [NYSE] International "
    "Business "
    "Machines Corp]";
const char kMsftTitle[] =
    "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp]";

std::string Backslashed(std::string p) {
  for (char& c : p)
    if (c == '/') c = '\\';
  return p;
}

// The file name control of a file dialog: 1152, else 1148.
HWND FileNameControl(HWND dialog) {
  HWND h = GetDlgItem(dialog, 1152);
  return h ? h : GetDlgItem(dialog, 1148);
}

void ExpectFileDialogControls(HWND dialog) {
  EXPECT_TRUE(GetDlgItem(dialog, 1136)) << "file type combo";
  EXPECT_TRUE(FileNameControl(dialog)) << "file name control";
  EXPECT_TRUE(GetDlgItem(dialog, IDOK));
  EXPECT_TRUE(GetDlgItem(dialog, IDCANCEL));
}

HWND OpenWorkspaceDialog(StandIn& ts) {
  PostCommand(ts.Main(), 17530);
  return WaitTop(ts.Pid(), "#32770", "Open Workspace", 10000);
}

}  // namespace

TEST(StandInWorkspaces, MoreWorkspacesListsOpenWorkspacesAndActivatesTheChosenOne) {
  StartOptions start;
  start.workspace = "Tavrin Sample|Sample IBM Daily";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());

  PostCommand(ts.Main(), 17529);
  HWND dialog = WaitTop(ts.Pid(), "", "More Workspaces");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ClassOf(dialog), "#32770") << "an ordinary dialog unless told otherwise";
  EXPECT_EQ(GetParent(dialog), ts.Main());
  EXPECT_EQ(GetWindow(dialog, GW_OWNER), ts.Main());
  HWND list = GetDlgItem(dialog, 17169);
  ASSERT_TRUE(list);
  EXPECT_EQ(ClassOf(list), "ListBox");
  ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(ListBoxText(list, 0), "Tavrin Sample");
  EXPECT_EQ(ListBoxText(list, 1), "Sample IBM Daily");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), "OK");

  SendMessageA(list, LB_SETCURSEL, 0, 0);
  SendMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << TextOf(ts.Main());
  EXPECT_EQ(ChartWindows(ts.Pid(), ts.Main()).size(), 1u)
      << "only the active workspace's charts have windows";
}

TEST(StandInWorkspaces, OnVersion88TheWorkspaceDialogsAreOrdinaryDialogs) {
  StartOptions start;
  start.version = "8.8";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17529);
  HWND dialog = WaitTop(ts.Pid(), "", "More Workspaces");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ClassOf(dialog), "#32770");
  PostCommand(dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(dialog));

  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("IBM 5 min") != std::string::npos; }));
  PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "", "Save Workspace");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(ClassOf(prompt), "#32770");
}

TEST(StandInWorkspaces, OnVersion95TheWorkspaceDialogsCanCarryTheirResourceClasses) {
  StartOptions start;
  start.control = "WorkspaceDialogClasses95=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17529);
  HWND dialog = WaitTop(ts.Pid(), "", "More Workspaces");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(ClassOf(dialog), "TS_IDD_CURRENT_WORKSPACES_DIALOG");
  EXPECT_FALSE(FindTop(ts.Pid(), "#32770", "More Workspaces"));
  PostCommand(dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(dialog));

  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("IBM 5 min") != std::string::npos; }));
  PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "", "Save Workspace");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(ClassOf(prompt), "TS_IDD_PROMPT_SAVE");
  PostClick(prompt, 17213);
  EXPECT_TRUE(WaitGone(prompt));
}

TEST(StandInWorkspaces, OpenWorkspaceDialogOpensTheChosenFile) {
  StartOptions start;
  start.workspace = "";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenWorkspaceDialog(ts);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(GetParent(dialog), ts.Main());
  ExpectFileDialogControls(dialog);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(Backslashed(ts.WorkspacePath("Sample IBM Daily")).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  ASSERT_EQ(ChartWindows(ts.Pid(), ts.Main()).size(), 1u);
}

TEST(StandInWorkspaces, MissingFileRaisesABoxInsideTheFileDialog) {
  StartOptions start;
  start.workspace = "";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenWorkspaceDialog(ts);
  ASSERT_TRUE(dialog);
  std::string missing = Backslashed(ts.Folder() + "/MyWork/No Such Workspace.tsw");
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(missing.c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  HWND box = WaitOwned(ts.Pid(), dialog, "Open Workspace");
  ASSERT_TRUE(box) << "a #32770 child of the file dialog titled Open Workspace";
  EXPECT_NE(StaticTexts(box).find("not found"), std::string::npos) << StaticTexts(box);
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(IsWindow(dialog)) << "the file dialog stays open";
  PostCommand(dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_EQ(TextOf(ts.Main()), "TradeStation 9.5 - Desktop");
}

TEST(StandInWorkspaces, InjectedOpenErrorInsideTheFileDialog) {
  StartOptions start;
  start.workspace = "";
  start.control = "WorkspaceOpenError=dialog\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenWorkspaceDialog(ts);
  ASSERT_TRUE(dialog);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(Backslashed(ts.WorkspacePath("Tavrin Sample")).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = WaitOwned(ts.Pid(), dialog, "Open Workspace");
  ASSERT_TRUE(box);
  EXPECT_FALSE(IsWindowEnabled(dialog)) << "the box is modal over the file dialog";
  SendMessageA(box, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(dialog) != FALSE; }));
}

TEST(StandInWorkspaces, FileThatIsNoWorkspaceRaisesATradeStationBoxUnderTheMainWindow) {
  StartOptions start;
  start.workspace = "";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  std::string bad = ts.Folder() + "/MyWork/Broken.tsw";
  testsupport::WriteFile(bad, "this is not a workspace\r\n");
  HWND dialog = OpenWorkspaceDialog(ts);
  ASSERT_TRUE(dialog);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(bad).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitGone(dialog));
  HWND box = WaitTop(ts.Pid(), "#32770", "TradeStation");
  ASSERT_TRUE(box);
  EXPECT_TRUE(DescendsFrom(box, ts.Main()));
  HWND ok = GetDlgItem(box, 0);
  ASSERT_TRUE(ok);
  EXPECT_EQ(ClassOf(ok), "Button");
  EXPECT_EQ(TextOf(ok), "OK");
  SendMessageA(box, WM_COMMAND, 0, reinterpret_cast<LPARAM>(ok));
  EXPECT_TRUE(WaitGone(box));
}

TEST(StandInWorkspaces, InjectedOpenErrorAfterTheFileDialog) {
  StartOptions start;
  start.workspace = "";
  start.control = "WorkspaceOpenError=main\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND dialog = OpenWorkspaceDialog(ts);
  ASSERT_TRUE(dialog);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(Backslashed(ts.WorkspacePath("Tavrin Sample")).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  HWND box = WaitTop(ts.Pid(), "#32770", "TradeStation");
  ASSERT_TRUE(box);
  EXPECT_TRUE(DescendsFrom(box, ts.Main()));
  EXPECT_TRUE(GetDlgItem(box, 0));
}

TEST(StandInWorkspaces, SaveInPlaceWritesTheChangedChart) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM 15 min"));
  ASSERT_TRUE(
      WaitFor([&] { return TextOf(ts.Main()).find("[Chart Analysis - IBM 15 min") != std::string::npos; }));
  PostCommand(ts.Main(), 17531);
  std::string path = ts.WorkspacePath("Tavrin Sample");
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(path).find("Symbol=IBM\r\n") != std::string::npos;
  })) << testsupport::ReadFile(path);
  EXPECT_NE(testsupport::ReadFile(path).find("Interval=15 min\r\n"), std::string::npos);
}

TEST(StandInWorkspaces, SaveWorkspaceAsWritesANewFileAndRenamesTheWorkspace) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  PostCommand(ts.Main(), 17793);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Save Workspace As", 10000);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(GetParent(dialog), ts.Main());
  ExpectFileDialogControls(dialog);
  EXPECT_NE(TextOf(GetDlgItem(dialog, IDOK)).find("Save"), std::string::npos)
      << TextOf(GetDlgItem(dialog, IDOK));
  std::string copy = ts.Folder() + "/MyWork/MSFT_5min_0001.tsw";
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(copy).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  EXPECT_TRUE(WaitGone(dialog));
  EXPECT_TRUE(WaitFor([&] { return testsupport::FileExists(copy); }));
  EXPECT_TRUE(WaitFor([&] {
    return TextOf(ts.Main()).rfind("TradeStation 9.5 - Desktop - MSFT_5min_0001 - [", 0) == 0;
  })) << TextOf(ts.Main());
}

TEST(StandInWorkspaces, SaveWorkspaceAsWriteFailureShowsItsBoxInsideTheFileDialog) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  std::string locked = ts.Folder() + "/MyWork/Locked.tsw";
  testsupport::WriteFile(locked, "kept\r\n");
  // Held open without sharing: TradeStation cannot write it.
  HANDLE hold = CreateFileA(Backslashed(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(hold, INVALID_HANDLE_VALUE);
  PostCommand(ts.Main(), 17793);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Save Workspace As", 10000);
  ASSERT_TRUE(dialog);
  SendMessageA(FileNameControl(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Backslashed(locked).c_str()));
  PostMessageA(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  // The file exists: the dialog asks first whether to replace it.
  HWND box = WaitOwned(ts.Pid(), dialog, "Save Workspace As");
  ASSERT_TRUE(box);
  if (GetDlgItem(box, IDYES)) {
    PostClick(box, IDYES);
    EXPECT_TRUE(WaitGone(box));
    box = WaitOwned(ts.Pid(), dialog, "Save Workspace As");
    ASSERT_TRUE(box);
  }
  EXPECT_NE(StaticTexts(box).find("Unable to save the workspace"), std::string::npos) << StaticTexts(box);
  EXPECT_FALSE(FindTop(ts.Pid(), "#32770", "TradeStation")) << "no box under the main window";
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(IsWindow(dialog)) << "the file dialog stays open";
  PostCommand(dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(dialog));
  CloseHandle(hold);
  EXPECT_EQ(testsupport::ReadFile(locked), "kept\r\n");
  EXPECT_NE(TextOf(ts.Main()).find(" - Tavrin Sample - "), std::string::npos) << TextOf(ts.Main());
}

TEST(StandInWorkspaces, ClosingAChangedWorkspaceAsksAndNoKeepsTheFile) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  std::string path = ts.WorkspacePath("Tavrin Sample");
  std::string before = testsupport::ReadFile(path);
  ASSERT_TRUE(RunCommandLine(ts.Main(), "IBM"));
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("IBM 5 min") != std::string::npos; }));
  PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "", "Save Workspace");
  ASSERT_TRUE(prompt);
  EXPECT_EQ(ClassOf(prompt), "#32770") << "an ordinary dialog unless told otherwise";
  EXPECT_EQ(GetParent(prompt), ts.Main());
  ASSERT_TRUE(GetDlgItem(prompt, 17212));
  ASSERT_TRUE(GetDlgItem(prompt, 17213));
  EXPECT_EQ(ClassOf(GetDlgItem(prompt, 17213)), "Button");
  PostClick(prompt, 17213);
  EXPECT_TRUE(WaitGone(prompt));
  EXPECT_TRUE(WaitTitle(ts.Main(), "TradeStation 9.5 - Desktop")) << TextOf(ts.Main());
  EXPECT_TRUE(ChartWindows(ts.Pid(), ts.Main()).empty());
  EXPECT_EQ(testsupport::ReadFile(path), before);
}

TEST(StandInWorkspaces, ClosingAChangedWorkspaceWithYesSavesIt) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(RunCommandLine(ts.Main(), "CSCO"));
  ASSERT_TRUE(WaitFor([&] { return TextOf(ts.Main()).find("CSCO 5 min") != std::string::npos; }));
  PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "#32770", "Save Workspace");
  ASSERT_TRUE(prompt) << "the prompt is a #32770";
  PostClick(prompt, 17212);
  EXPECT_TRUE(WaitTitle(ts.Main(), "TradeStation 9.5 - Desktop"));
  EXPECT_NE(testsupport::ReadFile(ts.WorkspacePath("Tavrin Sample")).find("Symbol=CSCO\r\n"),
            std::string::npos);
}

TEST(StandInWorkspaces, ClosingAnUnchangedWorkspaceAsksTooAndRepeatedClosesCloseOnlyOne) {
  StartOptions start;
  start.workspace = "Tavrin Sample|Sample IBM Daily";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(WaitTitle(ts.Main(), kIbmTitle)) << TextOf(ts.Main());
  std::string path = ts.WorkspacePath("Sample IBM Daily");
  std::string before = testsupport::ReadFile(path);
  for (int i = 0; i < 3; ++i) PostCommand(ts.Main(), 17532);
  HWND prompt = WaitTop(ts.Pid(), "#32770", "Save Workspace");
  ASSERT_TRUE(prompt) << "the prompt comes for an unchanged workspace as well";
  ASSERT_TRUE(ts.WaitSettled());
  int prompts = 0;
  for (HWND h : TopWindows(ts.Pid()))
    if (IsWindowVisible(h) && TextOf(h) == "Save Workspace") ++prompts;
  EXPECT_EQ(prompts, 1);
  EXPECT_EQ(TextOf(ts.Main()), kIbmTitle) << "nothing closed before the answer";
  PostClick(prompt, 17213);
  EXPECT_TRUE(WaitGone(prompt));
  EXPECT_TRUE(WaitTitle(ts.Main(), kMsftTitle)) << TextOf(ts.Main());
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_EQ(TextOf(ts.Main()), kMsftTitle) << "one workspace closed, the other still open";
  EXPECT_FALSE(FindTop(ts.Pid(), "", "Save Workspace"));
  EXPECT_EQ(testsupport::ReadFile(path), before);
}
