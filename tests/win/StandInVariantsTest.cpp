// The stand-in TradeStation's variants of its dialogs under Wine: other last date identifiers, the
// "Report best test only" box on the strategies page, an inputs list that calls itself "SysTabControl32",
// the "Incorrect symbol" wording, load error boxes that follow a closed Format Symbol dialog, and the
// time zone combo that decides whether the "different time zones" box comes, and date fields that take
// only typed digits.
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "StandInStrategyHarness.h"
#include "TestSupport.h"
#include "foundation/TxtArray.h"

using namespace standin;

namespace {

const char kMsftChart[] = "Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp";

struct FormatDialog {
  HWND dialog = nullptr;
  HWND page = nullptr;  // the page holding bar kind list 7272
};

FormatDialog OpenFormatSymbol(const StandIn& ts) {
  FormatDialog f;
  PostCommand(FirstChartView(ts), 17556);
  f.dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!f.dialog) return f;
  for (HWND page : ChildrenOfClass(f.dialog, "#32770"))
    if (ClassOf(GetDlgItem(page, 7272)) == "ListBox") f.page = page;
  return f;
}

StartOptions WithArgs(std::vector<std::string> args, const std::string& control = "") {
  StartOptions start;
  start.extraArgs = std::move(args);
  start.control = control;
  return start;
}

std::string SavedWorkspace(const StandIn& ts) {
  PostCommand(ts.Main(), 17531);
  std::string path = ts.WorkspacePath("Tavrin Sample");
  std::string text;
  WaitFor(
      [&] { return (text = testsupport::ReadFile(path)).find("LastDate=12/10/2012") != std::string::npos; });
  return text;
}

// A visible "Chart Analysis" box of the process, now (no wait).
HWND ChartAnalysisBox(const StandIn& ts) {
  for (HWND h : TopWindows(ts.Pid()))
    if (IsWindowVisible(h) && ClassOf(h) == "#32770" && TextOf(h).rfind("Chart Analysis", 0) == 0) return h;
  return nullptr;
}

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Types XYZ (listed as invalid) into the symbol combo and clicks OK.
void EnterInvalidSymbol(const FormatDialog& f) {
  SendMessageA(GetDlgItem(f.page, 6629), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("XYZ"));
  PostClick(f.dialog, IDOK);
}

}  // namespace

TEST(StandInVariants, LastDateFieldUnderEachOtherIdentifier) {
  for (int id : {3585, 7279}) {
    SCOPED_TRACE(id);
    StandIn ts(WithArgs({"--LastDateId=" + std::to_string(id)}));
    ASSERT_TRUE(ts.Main());
    FormatDialog f = OpenFormatSymbol(ts);
    ASSERT_TRUE(f.page);
    EXPECT_FALSE(GetDlgItem(f.page, 6531)) << "one last date field only";
    HWND last = GetDlgItem(f.page, id);
    ASSERT_TRUE(last);
    EXPECT_EQ(TextOf(last), "12/14/2012");
    TypeDate(last, 12, 10, 2012);
    ASSERT_TRUE(WaitFor([&] { return TextOf(last) == "12/10/2012"; })) << TextOf(last);
    PostClick(f.dialog, IDOK);
    ASSERT_TRUE(WaitGone(f.dialog));
    EXPECT_NE(SavedWorkspace(ts).find("LastDate=12/10/2012\r\n"), std::string::npos)
        << "the typed date is the one the chart takes";
  }
}

TEST(StandInVariants, BestTestOnlyCheckBoxOnTheStrategiesPageItself) {
  StandIn ts(WithArgs({"--MethodCheckOnPage=1"}));
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page);
  HWND check = GetDlgItem(s.page, 7539);
  ASSERT_TRUE(check) << "7539 is a control of the strategies page";
  EXPECT_EQ(ClassOf(check), "Button");
  ASSERT_TRUE(s.method);
  EXPECT_FALSE(GetDlgItem(s.method, 7539)) << "and not of the method sub-page";
  EXPECT_EQ(ClassOf(GetDlgItem(s.method, 6673)), "ComboBox");
  SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
  PostClick(s.dialog, IDOK);
  EXPECT_TRUE(WaitGone(s.dialog));
}

TEST(StandInVariants, BestTestOnlyCheckBoxOnTheMethodSubPageByDefault) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  ASSERT_TRUE(s.page && s.method);
  EXPECT_FALSE(GetDlgItem(s.page, 7539));
  EXPECT_TRUE(GetDlgItem(s.method, 7539));
}

TEST(StandInVariants, InputsListNamedSysTabControl32AnswersAndEditsLikeAListView) {
  StandIn ts(WithArgs({}, "InputsListClass=SysTabControl32\n"));
  ASSERT_TRUE(ts.Main());
  StrategiesDialog s = OpenStrategies(ts);
  InputsDialog in = OpenInputs(ts, s);
  ASSERT_TRUE(in.list);
  EXPECT_EQ(ClassOf(in.list), "SysTabControl32");
  EXPECT_EQ(GetDlgCtrlID(in.list), 8311);
  HWND header = FindDescendant(in.list, "SysHeader32");
  ASSERT_TRUE(header) << "the list has a header";
  EXPECT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(in.list, LVM_GETITEMCOUNT, 0, 0), 4) << "list view messages work";
  CTxtArray read;
  CTxt msg;
  EXPECT_EQ(read.LoadFromLC(in.list, msg, 2), 4) << "the list reader takes it too: " << msg.ToStd();
  SelectRowByKeys(in.list, 1);
  ASSERT_TRUE(TypeInPlace(in.list, "21"));
  // The dialogs' real tab controls are still tab controls.
  std::vector<HWND> tabs = ChildrenOfClass(in.dialog, "SysTabControl32");
  ASSERT_EQ(tabs.size(), 1u);
  HWND tab = tabs[0];
  EXPECT_NE(tab, in.list);
  EXPECT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 2) << "Inputs and Properties";
  ConfirmStrategies(in, s);
  ASSERT_TRUE(WaitGone(s.dialog));

  // Read back through an ordinary list: the value typed into the variant list was taken.
  ts.SetControl("");
  InputsDialog again = OpenInputs(ts, OpenStrategies(ts));
  ASSERT_TRUE(again.list);
  EXPECT_EQ(ClassOf(again.list), "SysListView32");
  std::vector<std::string> rows = ListRows(again.list, 2);
  ASSERT_GE(rows.size(), 2u);
  EXPECT_EQ(rows[1], "SlowLength|21|");
}

TEST(StandInVariants, IncorrectSymbolWording) {
  StandIn ts(WithArgs({}, "InvalidSymbols=XYZ\nIncorrectSymbolWording=1\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EnterInvalidSymbol(f);
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box);
  std::string text = StaticTexts(box);
  EXPECT_NE(text.find("Incorrect symbol"), std::string::npos) << text;
  EXPECT_EQ(text.find("not a valid symbol"), std::string::npos) << text;
}

TEST(StandInLoadErrorAfterClose, InvalidSymbolBoxFollowsTheClosedDialogUnderTheMainWindow) {
  StandIn ts(WithArgs({},
                      "InvalidSymbols=XYZ\nLoadErrorAfterClose=1\nLateDialogs=ChartLoadError\n"
                      "LateDialogMs=2000\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EnterInvalidSymbol(f);
  ASSERT_TRUE(WaitGone(f.dialog)) << "OK closes the dialog";
  EXPECT_FALSE(ChartAnalysisBox(ts)) << "the box is not there yet when the dialog goes";
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box) << "it comes afterwards";
  EXPECT_EQ(GetWindow(box, GW_OWNER), ts.Main());
  EXPECT_NE(StaticTexts(box).find("not a valid symbol"), std::string::npos) << StaticTexts(box);
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_EQ(FirstChartTitle(ts), kMsftChart) << "the chart keeps its symbol";
}

TEST(StandInLoadErrorAfterClose, StrictPresetClosesFirstAndAMissingBoxNeverComes) {
  StandIn ts(WithArgs({}, "Strict=1\nInvalidSymbols=XYZ\nMissingDialogs=ChartLoadError\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EnterInvalidSymbol(f);
  ASSERT_TRUE(WaitGone(f.dialog));
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(ChartAnalysisBox(ts));
  EXPECT_EQ(FirstChartTitle(ts), kMsftChart);
}

TEST(StandInLoadErrorAfterClose, WithoutTheOptionTheBoxIsModalOverTheOpenDialog) {
  StandIn ts(WithArgs({}, "InvalidSymbols=XYZ\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EnterInvalidSymbol(f);
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_EQ(GetWindow(box, GW_OWNER), f.dialog);
  EXPECT_TRUE(IsWindow(f.dialog));
}

TEST(StandInTimeZone, TheComboDecidesWhetherTheTimeZonesBoxComes) {
  StandIn ts(WithArgs({}, "TimeZoneError=1\nTimeZoneFromCombo=1\n"));
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitFirstChartLoaded()) << "only the load the test asks for may be counted below";
  // Left at "Local", the clash is reported.
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND zone = GetDlgItem(f.page, 6589);
  EXPECT_EQ(SendMessageA(zone, CB_GETCURSEL, 0, 0), 1) << "the data stream shows Local";
  PostClick(f.dialog, IDOK);
  HWND box = WaitTop(ts.Pid(), "#32770", "Chart Analysis");
  ASSERT_TRUE(box);
  EXPECT_NE(StaticTexts(box).find("different time zones"), std::string::npos) << StaticTexts(box);
  PostClick(box, IDOK);
  ASSERT_TRUE(WaitGone(box));

  // "Exchange" chosen the way the driver chooses it (no notification): the chart loads.
  LRESULT exchange =
      SendMessageA(zone, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("Exchange"));
  ASSERT_EQ(exchange, 0);
  SendMessageA(zone, CB_SETCURSEL, static_cast<WPARAM>(exchange), 0);
  size_t loads = Occurrences(ts.ActivityLog(), "chart loaded");
  PostClick(f.dialog, IDOK);
  ASSERT_TRUE(WaitGone(f.dialog));
  EXPECT_TRUE(WaitFor([&] { return Occurrences(ts.ActivityLog(), "chart loaded") > loads; }));
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_FALSE(ChartAnalysisBox(ts));
}

TEST(StandInTimeZone, WithoutTheComboOptionEveryOkClashes) {
  StandIn ts(WithArgs({}, "TimeZoneError=1\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  SendMessageA(GetDlgItem(f.page, 6589), CB_SETCURSEL, 0, 0);
  PostClick(f.dialog, IDOK);
  EXPECT_TRUE(WaitTop(ts.Pid(), "#32770", "Chart Analysis"));
}

TEST(StandInDateFields, TextsFromOutsideAreRefusedOnlyTypedDigitsCount) {
  StandIn ts(WithArgs({}, "Strict=1\n"));
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND last = GetDlgItem(f.page, 6531);
  ASSERT_TRUE(last);
  EXPECT_EQ(TextOf(last), "12/14/2012");
  EXPECT_EQ(SendMessageA(last, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12/10/2012")), FALSE);
  EXPECT_EQ(TextOf(last), "12/14/2012") << "WM_SETTEXT from another program changes nothing";
  TypeDate(last, 12, 10, 2012);
  EXPECT_TRUE(WaitFor([&] { return TextOf(last) == "12/10/2012"; })) << TextOf(last);
}

TEST(StandInDateFields, WithoutTheOptionATextFromOutsideSetsTheDate) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND last = GetDlgItem(f.page, 6531);
  EXPECT_EQ(SendMessageA(last, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12/10/2012")), TRUE);
  EXPECT_EQ(TextOf(last), "12/10/2012");
}
