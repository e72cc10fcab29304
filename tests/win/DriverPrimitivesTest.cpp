// The control primitives against the stand-in: dialogs by class and title, buttons, list boxes, the command
// line, file dialogs, stray pop-ups and the bounded waits.
#include <windows.h>

#include "DriverTestSupport.h"
#include "foundation/TxtArray.h"

using drivertest::DriverTest;
using drivertest::StartStandIn;

namespace {

class DriverPrimitives : public DriverTest {
 protected:
  // Opens "More Workspaces" through the driver's menu command and waits for it.
  HWND OpenMoreWorkspaces(TsDriver& driver, const standin::StandIn& ts) {
    driver.SendTsMenuCommand(17529, 0);
    return standin::WaitTop(ts.Pid(), "", "More Workspaces");
  }
};

TEST_F(DriverPrimitives, MenuCommandNeedsTheMainWindow) {
  TsDriver driver;
  EXPECT_EQ(driver.SendTsMenuCommand(17529, 0), -1);
}

TEST_F(DriverPrimitives, WorkspaceListFoundByTitleWhateverItsClass) {
  for (const char* classes : {"0", "1"}) {
    standin::StartOptions options;
    options.control = std::string("WorkspaceDialogClasses95=") + classes;
    auto ts = StartStandIn(options);
    TsDriver driver;
    HWND dialog = OpenMoreWorkspaces(driver, *ts);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(driver.FindTsDialog("More Workspaces", nullptr, "TS_IDD_CURRENT_WORKSPACES_DIALOG", 0), dialog);
    EXPECT_EQ(driver.FindTsDialog("More Workspaces", nullptr, nullptr, 0) == dialog, classes[0] == '0');
    EXPECT_EQ(driver.FindTsDialog("More", nullptr, "TS_IDD_CURRENT_WORKSPACES_DIALOG", 1), nullptr);
    EXPECT_EQ(
        driver.CloseDialogsByTitle(nullptr, "More Workspaces", 0, "TS_IDD_CURRENT_WORKSPACES_DIALOG", 0), 1);
    EXPECT_TRUE(standin::WaitGone(dialog));
  }
}

TEST_F(DriverPrimitives, CloseByTitleKeepsWindowsOfOtherParents) {
  auto ts = StartStandIn();
  TsDriver driver;
  HWND dialog = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(dialog, nullptr);
  HWND other = GetDlgItem(dialog, 17169);  // any window that is not the dialog's parent
  EXPECT_EQ(driver.CloseDialogsByTitle(other, "More Workspaces", 0, nullptr, 0), 0);
  EXPECT_TRUE(IsWindow(dialog));
  EXPECT_EQ(driver.CloseDialogsByTitle(GetParent(dialog), "More Workspaces", 0, nullptr, 0), 1);
  EXPECT_TRUE(standin::WaitGone(dialog));
}

TEST_F(DriverPrimitives, ButtonChecksAndRepeatsUntilTheDialogCloses) {
  auto ts = StartStandIn();
  TsDriver driver;
  HWND dialog = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(dialog, nullptr);
  CTxt err;
  EXPECT_EQ(ClickButton(dialog, 4711, "Nope", err, 1), -5);
  EXPECT_NE(err.ToStd().find("Internal Error: Cannot find Nope Control"), std::string::npos) << err.ToStd();
  EXPECT_EQ(ClickButton(dialog, 17169, nullptr, err, 1), -10);  // the list is not a button
  EXPECT_EQ(ClickButton(dialog, 1, "Cancel", err, 1), -10);     // OK does not say Cancel
  long long start = tsdriver::SteadyMs();
  EXPECT_GE(ClickButton(dialog, -2, nullptr, err, 5), 0) << err.ToStd();
  // Ten posts would take five seconds; the dialog closes after the first.
  EXPECT_LT(tsdriver::SteadyMs() - start, 2500);
  EXPECT_TRUE(standin::WaitGone(dialog));
}

TEST_F(DriverPrimitives, OkNeedsAnOkButton) {
  auto ts = StartStandIn();
  TsDriver driver;
  HWND dialog = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(dialog, nullptr);
  CTxt err;
  EXPECT_EQ(ClickOk(GetDlgItem(dialog, 17169), err), -1);
  EXPECT_STREQ(err, "Internal Error6: (Cannot find OK Control)");
  EXPECT_EQ(ClickOk(dialog, err), 0) << err.ToStd();
  EXPECT_TRUE(standin::WaitGone(dialog));
}

TEST_F(DriverPrimitives, ListBoxSelectionByTextAndByClick) {
  standin::StartOptions options;
  options.workspace = "Tavrin Sample|Sample IBM Daily";
  auto ts = StartStandIn(options);
  TsDriver driver;
  HWND dialog = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(dialog, nullptr);
  HWND list = GetDlgItem(dialog, 17169);
  CTxt err;
  EXPECT_EQ(SelectListBoxItem(dialog, "x", err, 0), -2);
  EXPECT_EQ(SelectListBoxItem(list, "No Such Workspace", err, 0), -3);
  EXPECT_STREQ(err, "Selection No Such Workspace not found in ListBox");
  auto selected = [&] {
    return standin::ListBoxText(list, static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)));
  };
  // The active workspace is selected when the list opens; the other one is chosen first.
  std::string active = selected();
  std::string other = active == "Tavrin Sample" ? "Sample IBM Daily" : "Tavrin Sample";
  EXPECT_EQ(SelectListBoxItem(list, other.c_str(), err, 0), 0) << err.ToStd();
  EXPECT_EQ(selected(), other);
  CTxt upper = other.c_str();
  upper.MakeUpper();
  EXPECT_EQ(SelectListBoxItem(list, upper, err, 0), 1);  // already selected: nothing sent
  EXPECT_EQ(SelectListBoxItem(list, active.c_str(), err, 1), 0) << err.ToStd();
  EXPECT_EQ(selected(), active);
  driver.CloseDialogsByTitle(nullptr, "More Workspaces", 0, nullptr, 0);
}

TEST_F(DriverPrimitives, DialogTextAndFirstButton) {
  standin::StartOptions options;
  options.workspace = "";
  auto ts = StartStandIn(options);
  TsDriver driver;
  CTxt err;
  // An unknown command raises "Command Line Error"; its text comes back and the box is closed.
  EXPECT_EQ(driver.SendTSCmd(".Frobnicate now", err), -5);
  EXPECT_NE(err.ToStd().find("Frobnicate"), std::string::npos) << err.ToStd();
  ASSERT_TRUE(ts->WaitSettled());
  for (HWND w : standin::TopWindows(ts->Pid()))
    EXPECT_NE(standin::TextOf(w).rfind("Command Line Error", 0), 0u) << "box left open";
}

TEST_F(DriverPrimitives, CommandLineListsACommandOnce) {
  auto ts = StartStandIn();
  standin::FirstChartView(*ts);
  TsDriver driver;
  CTxt err;
  HWND edit = driver.FindCommandLineEdit(err);
  ASSERT_NE(edit, nullptr) << err.ToStd();
  HWND combo = GetParent(edit);
  EXPECT_EQ(driver.SendTSCmd("IBM", err), 0) << err.ToStd();
  LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  EXPECT_EQ(driver.SendTSCmd("IBM", err), 0) << err.ToStd();
  EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), count);
  CTxt title;
  ASSERT_TRUE(standin::WaitFor([&] { return FindChartWindow(title, 0) && FindNoCase(title, "- IBM ") >= 0; }))
      << title.ToStd();
}

TEST_F(DriverPrimitives, FileDialogsAreFoundAndCancelledByThePopupSweep) {
  auto ts = StartStandIn();
  TsDriver driver;
  driver.SendTsMenuCommand(17530, 0);
  HWND dialog = standin::WaitTop(ts->Pid(), "#32770", "Open Workspace");
  ASSERT_NE(dialog, nullptr);
  SPtrArray found;
  ASSERT_EQ(FindFileDialogs(found), 1);
  EXPECT_EQ(found.GetAt(0), static_cast<void*>(dialog));
  EXPECT_EQ(driver.CloseTsPopups(1), 1);
  EXPECT_TRUE(standin::WaitGone(dialog));
  EXPECT_EQ(FindFileDialogs(found), 0);
}

TEST_F(DriverPrimitives, PopupSweepClosesStrayDialogs) {
  auto ts = StartStandIn();
  TsDriver driver;
  HWND list = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(list, nullptr);
  driver.SendTsMenuCommand(17793, 0);
  HWND saveAs = standin::WaitTop(ts->Pid(), "#32770", "Save Workspace As");
  ASSERT_NE(saveAs, nullptr);
  EXPECT_EQ(driver.CloseTsPopups(0), 0);
  EXPECT_TRUE(standin::WaitGone(list));
  EXPECT_TRUE(standin::WaitGone(saveAs));
}

TEST_F(DriverPrimitives, WaitForCloseCountsSecondsUntilTheWindowGoes) {
  auto ts = StartStandIn();
  TsDriver driver;
  HWND dialog = OpenMoreWorkspaces(driver, *ts);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WaitForClose(dialog, 2), 2);  // stays open: two rounds
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(standin::WaitGone(dialog));
  EXPECT_EQ(WaitForClose(dialog, 5), 0);
}

TEST_F(DriverPrimitives, WindowListingIsWritten) {
  auto ts = StartStandIn();
  TsDriver driver;
  driver.SetRunFolder(folder_.c_str());
  int count = driver.SaveWindowSnapshot("BEFORE FMT: Sym=%s", "MSFT");
  ASSERT_GT(count, 0);
  std::string listing = testsupport::ReadFile(folder_ + "/PS00000001.txt");
  EXPECT_EQ(listing.rfind("BEFORE FMT: Sym=MSFT\r\n HWND  PARENT THREAD    PID = CLASS:TITLE\r\n", 0), 0u);
  EXPECT_NE(listing.find("ORPLAT.EXE TRADESTATION:"), std::string::npos);
  ts.reset();
  TsDriver without;
  EXPECT_EQ(without.SaveWindowSnapshot("x"), -1);
}

TEST_F(DriverPrimitives, SearchesCountEachWindowOnceInHandleOrder) {
  auto ts = StartStandIn();
  standin::FirstChartView(*ts);
  std::vector<HWND> all = tsdriver::AllWindows();
  for (size_t i = 1; i < all.size(); ++i)
    EXPECT_LT(tsdriver::Low16(all[i - 1]), tsdriver::Low16(all[i]) + 1u);
  std::set<HWND> unique(all.begin(), all.end());
  EXPECT_EQ(unique.size(), all.size());
  SPtrArray listed;
  EXPECT_EQ(ListWindows(ts->Main(), listed, "ORInPlaceFrame", nullptr, 1), 1);
  EXPECT_EQ(ListWindows(ts->Main(), listed, "ORInPlaceFrame", nullptr, 0), 0);  // not a direct child
  EXPECT_EQ(FindWindowByClassTitle("ORPLAT.EXE TRADESTATION", "*Desktop", 2, 1), ts->Main());
  EXPECT_EQ(FindWindowByClassTitle("ORPLAT.EXE TRADESTATION", nullptr, 3, 2), nullptr);
}

}  // namespace
