// The stand-in TradeStation's strategy dialogs under Wine: "Format Analysis Techniques & Strategies" with its
// pages, status and method controls per version; "Format Strategy:" with the inputs list, its keyboard
// selection and in-place editor; the "Optimize" range dialog and its "Chart Analysis" errors; the setup kept
// in the workspace.
#include <windows.h>
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include "StandInStrategyHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> out;
  int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out.push_back(ComboText(combo, i));
  return out;
}

int SelectedRow(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Saves the active workspace in place and returns the file's text.
std::string SavedWorkspace(const StandIn& ts) {
  size_t saves = Count(ts.ActivityLog(), "workspace saved:");
  PostCommand(ts.Main(), 17531);
  WaitFor([&] { return Count(ts.ActivityLog(), "workspace saved:") > saves; }, 3000);
  return testsupport::ReadFile(ts.WorkspacePath("Tavrin Sample"));
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

TEST(StandInStrategyDialogs, Version95PagesListAndAdvancedButton) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.dialog);
  EXPECT_EQ(TextOf(s.dialog), "Format Analysis Techniques & Strategies");
  EXPECT_EQ(GetParent(s.dialog), ts.Main());
  EXPECT_FALSE(IsWindowEnabled(ts.Main())) << "modal over the main window";
  ASSERT_TRUE(s.page);
  EXPECT_EQ(ClassOf(s.page), "TS_IDD_PAGE_FORMATSTRATEGY");
  EXPECT_TRUE(ChildrenOfClass(s.dialog, "#32770").empty()) << "on 9.5 the pages have classes of their own";
  EXPECT_EQ(ChildrenOfClass(s.dialog, "TS_IDD_PAGE_FORMATSTRATEGY").size(), 2u);
  EXPECT_FALSE(GetDlgItem(s.page, 7080));
  ASSERT_TRUE(s.list);
  EXPECT_EQ(GetDlgItem(s.dialog, 12320), s.list);
  EXPECT_EQ(ClassOf(s.list), "SysListView32");
  EXPECT_EQ(ListRows(s.list, 2), (std::vector<std::string>{"MovAvg Cross|On|"}));
  EXPECT_EQ(ClassOf(GetDlgItem(s.page, 6575)), "Button");
  HWND format = GetDlgItem(s.page, 6635);
  ASSERT_TRUE(format);
  EXPECT_EQ(TextOf(format), "&Format");
  EXPECT_TRUE(IsWindowEnabled(format));
  ASSERT_TRUE(s.method) << "a #32770 sub-page with the optimisation method";
  EXPECT_EQ(ClassOf(GetDlgItem(s.method, 7539)), "Button");
  HWND combo = GetDlgItem(s.method, 6673);
  ASSERT_TRUE(combo);
  EXPECT_EQ(ClassOf(combo), "ComboBox");
  EXPECT_EQ(ComboEntries(combo), (std::vector<std::string>{"Exhaustive", "Genetic"}));
  EXPECT_FALSE(GetDlgItem(s.method, 7588)) << "9.5 keeps the genetic fields behind a button";
  ASSERT_TRUE(GetDlgItem(s.method, 7598));

  PostClick(s.method, 7598);
  HWND advanced = WaitOwned(ts.Pid(), s.dialog, "Advanced Settings");
  ASSERT_TRUE(advanced);
  for (int id : {7588, 7589, 7590, 7591}) EXPECT_EQ(ClassOf(GetDlgItem(advanced, id)), "Edit") << id;
  const std::pair<int, const char*> values[] = {{7588, "5"}, {7590, "0.30"}, {7589, "8"}, {7591, "0.70"}};
  for (auto [id, text] : values)
    SendMessageA(GetDlgItem(advanced, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  PostClick(advanced, IDOK);
  ASSERT_TRUE(WaitGone(advanced));
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  PostClick(s.dialog, IDOK);
  ASSERT_TRUE(WaitGone(s.dialog));
  std::string saved = SavedWorkspace(ts);
  EXPECT_TRUE(Contains(saved, "OptMethod=Genetic\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "Genetic=5|0.30|8|0.70\r\n")) << saved;
  EXPECT_FALSE(FindAbortButton(ts)) << "no range, no optimisation";
}

TEST(StandInStrategyDialogs, Version91PagesAndGeneticFieldsOnTheSubPage) {
  StartOptions start;
  start.version = "9.1";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page);
  EXPECT_EQ(ClassOf(s.page), "#32770");
  EXPECT_EQ(ChildrenOfClass(s.dialog, "#32770").size(), 2u);
  EXPECT_FALSE(GetDlgItem(s.dialog, 12320));
  ASSERT_TRUE(s.list);
  EXPECT_EQ(GetDlgItem(s.page, 7080), s.list);
  ASSERT_TRUE(s.method);
  for (int id : {7588, 7589, 7590, 7591}) EXPECT_EQ(ClassOf(GetDlgItem(s.method, id)), "Edit") << id;
  EXPECT_FALSE(GetDlgItem(s.method, 7598));

  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.page);
  EXPECT_EQ(ClassOf(in.page), "#32770");
}

TEST(StandInStrategyDialogs, StrategySwitchedOffTurnsOnWithOneStatusClick) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("StrategyOff=1\n");
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page);
  HWND format = GetDlgItem(s.page, 6635);
  EXPECT_FALSE(IsWindowEnabled(format)) << "&Format is disabled while the status is OFF";
  EXPECT_EQ(ListRows(s.list, 2), (std::vector<std::string>{"MovAvg Cross|Off|"}));
  PostClick(s.page, 6635);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(FindTop(ts.Pid(), "#32770", "Format Strategy:")) << "a disabled button opens nothing";
  PostClick(s.page, 6575);
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(format) != FALSE; }, 2000));
  EXPECT_EQ(ListRows(s.list, 2), (std::vector<std::string>{"MovAvg Cross|On|"}));
}

TEST(StandInStrategyDialogs, StrategyThatStaysOff) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ts.SetControl("StrategyOff=1\nStrategyStaysOff=1\n");
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page);
  PostClick(s.page, 6575);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s.page, 6635)));
  EXPECT_EQ(ListRows(s.list, 2), (std::vector<std::string>{"MovAvg Cross|Off|"}));
  PostClick(s.dialog, IDCANCEL);
  ASSERT_TRUE(WaitGone(s.dialog));
  EXPECT_TRUE(Contains(SavedWorkspace(ts), "StrategyStatus=OFF\r\n")) << "the status is the chart's at once";
}

TEST(StandInStrategyInputs, DialogPagesListAndHeader) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.dialog);
  EXPECT_EQ(TextOf(in.dialog), "Format Strategy: MovAvg Cross");
  EXPECT_EQ(GetParent(in.dialog), s.dialog);
  ASSERT_TRUE(in.page);
  EXPECT_EQ(ClassOf(in.page), "TS_IDD_PAGE_STRAT_INPUTS");
  ASSERT_TRUE(in.list);
  EXPECT_EQ(GetDlgCtrlID(in.list), 8311);
  EXPECT_EQ(ClassOf(in.list), "SysListView32");
  EXPECT_TRUE(FindDescendant(in.list, "SysHeader32")) << "the list has a header";
  EXPECT_EQ(ListRows(in.list, 2),
            (std::vector<std::string>{"FastLength|9|", "SlowLength|18|", "Price|Close|", "StopLoss|250|"}));
  EXPECT_EQ(TextOf(GetDlgItem(in.page, 8330)), "&Optimize");
}

TEST(StandInStrategyInputs, OtherListIdentifier) {
  StartOptions start;
  start.extraArgs = {"--InputsListId=6608"};
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.page);
  EXPECT_FALSE(GetDlgItem(in.page, 8311));
  ASSERT_TRUE(GetDlgItem(in.page, 6608));
  EXPECT_EQ(ListRows(GetDlgItem(in.page, 6608), 2).size(), 4u);
}

TEST(StandInStrategyInputs, KeysSelectRowsAndF2EditsInPlace) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 3);
  EXPECT_EQ(SelectedRow(in.list), 3);
  SelectRowByKeys(in.list, 0);
  EXPECT_EQ(SelectedRow(in.list), 0) << "VK_HOME goes back to the first row";
  SelectRowByKeys(in.list, 3);
  ASSERT_TRUE(TypeInPlace(in.list, "100"));
  SelectRowByKeys(in.list, 2);
  ASSERT_TRUE(TypeInPlace(in.list, "High"));
  SelectRowByKeys(in.list, 1);
  ASSERT_TRUE(TypeInPlace(in.list, "slow")) << "the editor comes and goes";
  EXPECT_EQ(ListRows(in.list, 2),
            (std::vector<std::string>{"FastLength|9|", "SlowLength|18|", "Price|High|", "StopLoss|100|"}))
      << "a numeric input refuses a text";
  EXPECT_TRUE(IsWindow(in.dialog)) << "Enter in the editor does not close the dialog";

  // Escape leaves the value alone.
  SelectRowByKeys(in.list, 0);
  PostMessageA(in.list, WM_KEYDOWN, VK_F2, 1);
  HWND edit = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (edit = FindWindowExA(in.list, nullptr, "Edit", nullptr)) != nullptr; }));
  EXPECT_EQ(TextOf(edit), "9");
  SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("44"));
  PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_TRUE(WaitGone(edit));
  EXPECT_EQ(ListRows(in.list, 2)[0], "FastLength|9|");

  StrategiesDialog s{GetParent(in.dialog), nullptr, nullptr, nullptr};
  ConfirmStrategies(in, s);
  std::string saved = SavedWorkspace(ts);
  EXPECT_TRUE(Contains(saved, "Input.StopLoss=100\r\n")) << saved;
  EXPECT_TRUE(Contains(saved, "Input.Price=High\r\n")) << saved;
}

TEST(StandInStrategyInputs, OptimizeRangeDialogShowsTheRangeInTheList) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  PostClick(in.page, 8330);
  HWND range = WaitOwned(ts.Pid(), in.dialog, "Optimize");
  ASSERT_TRUE(range) << "a child of the inputs dialog";
  EXPECT_EQ(TextOf(GetDlgItem(range, 8280)), "9");
  EXPECT_EQ(TextOf(GetDlgItem(range, 8281)), "9");
  EXPECT_EQ(TextOf(GetDlgItem(range, 8282)), "1");
  PostClick(range, IDCANCEL);
  ASSERT_TRUE(WaitGone(range));

  ASSERT_TRUE(OptimizeSelectedRow(ts, in, "5", "25", "5"));
  SelectRowByKeys(in.list, 3);
  HWND second = OptimizeSelectedRow(ts, in, "50", "250", "100");
  ASSERT_TRUE(second);
  EXPECT_FALSE(IsWindow(second));
  EXPECT_EQ(ListRows(in.list, 2), (std::vector<std::string>{"FastLength|5..25:5|", "SlowLength|18|",
                                                            "Price|Close|", "StopLoss|50..250:100|"}));
}

TEST(StandInStrategyInputs, InvalidRangesRaiseBlockingChartAnalysisBoxes) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  struct Case {
    const char *start, *stop, *increment;
  };
  for (Case c : {Case{"20", "10", "5"}, Case{"5", "25", "0"}, Case{"5", "x", "5"}}) {
    HWND range = OptimizeSelectedRow(ts, in, c.start, c.stop, c.increment);
    ASSERT_TRUE(range);
    EXPECT_TRUE(IsWindow(range)) << "the range dialog stays open";
    HWND box = WaitOwned(ts.Pid(), range, "Chart Analysis");
    ASSERT_TRUE(box) << c.start << ".." << c.stop << ":" << c.increment;
    EXPECT_FALSE(IsWindowEnabled(range)) << "the box blocks the range dialog";
    EXPECT_EQ(StaticTexts(box).find("too large for the current MaxBar"), std::string::npos);
    PostClick(box, IDOK);
    ASSERT_TRUE(WaitGone(box));
    PostClick(range, IDCANCEL);
    ASSERT_TRUE(WaitGone(range));
  }
  EXPECT_EQ(ListRows(in.list, 2)[0], "FastLength|9|");
}

TEST(StandInStrategyInputs, LengthBeyondMaxBarsBackAsksAndButton6Accepts) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 1);
  HWND range = OptimizeSelectedRow(ts, in, "20", "60", "10");
  ASSERT_TRUE(range);
  HWND box = WaitOwned(ts.Pid(), range, "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_NE(StaticTexts(box).find("too large for the current MaxBar"), std::string::npos) << StaticTexts(box);
  ASSERT_TRUE(GetDlgItem(box, 6));
  PostClick(box, 7);  // No: the range dialog stays
  ASSERT_TRUE(WaitGone(box));
  EXPECT_TRUE(IsWindow(range));
  PostClick(range, IDOK);
  box = WaitOwned(ts.Pid(), range, "Chart Analysis");
  ASSERT_TRUE(box);
  PostClick(box, 6);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitGone(range)) << "button 6 takes the range";
  EXPECT_EQ(ListRows(in.list, 2)[1], "SlowLength|20..60:10|");

  // A range within MaxBarsBack of a length, and any range of another input, asks nothing.
  SelectRowByKeys(in.list, 3);
  HWND stop = OptimizeSelectedRow(ts, in, "100", "500", "100");
  ASSERT_TRUE(stop);
  EXPECT_FALSE(IsWindow(stop));
}

TEST(StandInStrategyInputs, TextInputCannotBeOptimized) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  InputsDialog in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 2);
  PostClick(in.page, 8330);
  HWND box = WaitOwned(ts.Pid(), in.dialog, "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_FALSE(WaitOwned(ts.Pid(), in.dialog, "Optimize", 200));
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
}

TEST(StandInStrategyInputs, CancelKeepsTheChartsInputs) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.list);
  SelectRowByKeys(in.list, 0);
  ASSERT_TRUE(TypeInPlace(in.list, "12"));
  SendMessageA(in.dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitGone(in.dialog));
  PostClick(s.dialog, IDCANCEL);
  ASSERT_TRUE(WaitGone(s.dialog));
  std::string saved = SavedWorkspace(ts);
  EXPECT_TRUE(Contains(saved, "Input.FastLength=9\r\n") || !Contains(saved, "Input.FastLength")) << saved;

  // The same again, confirmed: the new value reaches the chart and, on the next opening, the list.
  s = OpenStrategies(ts);
  in = OpenInputs(ts, s);
  SelectRowByKeys(in.list, 0);
  ASSERT_TRUE(TypeInPlace(in.list, "12"));
  ConfirmStrategies(in, s);
  EXPECT_TRUE(Contains(SavedWorkspace(ts), "Input.FastLength=12\r\n"));
  in = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(in.list);
  EXPECT_EQ(ListRows(in.list, 2)[0], "FastLength|12|");
}

TEST(StandInStrategyDialogs, MethodComboTakesTheDriversSelectionSequence) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.method);
  HWND combo = GetDlgItem(s.method, 6673);
  ASSERT_TRUE(combo);
  // The sequence the driver sends to choose "Genetic".
  LRESULT index =
      SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Genetic"));
  ASSERT_EQ(index, 1);
  SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Genetic"));
  SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Genetic"));
  PostMessageA(s.method, WM_NEXTDLGCTL, 0, 0);
  SendMessageA(combo, WM_CHAR, 38, 0);
  SendMessageA(combo, WM_CHAR, 13, 0);
  PostMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 30));
  PostMessageA(combo, WM_LBUTTONUP, 0, MAKELPARAM(10, 30));
  ASSERT_TRUE(ts.WaitSettled());  // the posted clicks come through before the drop-down closes
  SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
  PostClick(s.dialog, IDOK);
  ASSERT_TRUE(WaitGone(s.dialog));
  EXPECT_TRUE(Contains(SavedWorkspace(ts), "OptMethod=Genetic\r\n"));
}

TEST(StandInStrategyDialogs, WithComboChangesNotifiedOnlyAnAnnouncedMethodCounts) {
  StartOptions start;
  start.control = "ComboChangesNotified=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  {
    StrategiesDialog s = OpenStrategies(ts);
    ASSERT_TRUE(s.method);
    HWND combo = GetDlgItem(s.method, 6673);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);  // set from outside: the combo announces nothing
    PostClick(s.dialog, IDOK);
    ASSERT_TRUE(WaitGone(s.dialog));
    EXPECT_TRUE(Contains(SavedWorkspace(ts), "OptMethod=Exhaustive\r\n"));
  }
  {
    StrategiesDialog s = OpenStrategies(ts);
    ASSERT_TRUE(s.method);
    HWND combo = GetDlgItem(s.method, 6673);
    ASSERT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
    // A key, as a user chooses: the combo says its selection changed.
    SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(combo, WM_KEYUP, VK_DOWN, 0);
    EXPECT_TRUE(WaitFor([&] { return Contains(ts.ActivityLog(), "optimization method chosen: genetic"); }))
        << ts.ActivityLog();
    PostClick(s.dialog, IDOK);
    ASSERT_TRUE(WaitGone(s.dialog));
    EXPECT_TRUE(Contains(SavedWorkspace(ts), "OptMethod=Genetic\r\n"));
  }
}

TEST(StandInStrategyDialogs, WithoutComboChangesNotifiedTheSelectionIsReadAtOk) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.method);
  SendMessageA(GetDlgItem(s.method, 6673), CB_SETCURSEL, 1, 0);
  PostClick(s.dialog, IDOK);
  ASSERT_TRUE(WaitGone(s.dialog));
  EXPECT_TRUE(Contains(SavedWorkspace(ts), "OptMethod=Genetic\r\n"));
}
