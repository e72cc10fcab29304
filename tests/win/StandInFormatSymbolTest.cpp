// The stand-in TradeStation's Format Symbol and Format Symbols dialogs under Wine, driven the way the
// driver drives them: command 17556 to the chart view, clicks at list box entries, typed dates, OK.
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>
#include <gtest/gtest.h>

#include "StandInHarness.h"
#include "TestSupport.h"

using namespace standin;

namespace {

// The format dialog of a running stand-in: the dialog, its symbol page (the page with list box 7272).
struct FormatDialog {
  HWND dialog = nullptr;
  HWND page = nullptr;
};

FormatDialog OpenFormatSymbol(StandIn& ts) {
  FormatDialog f;
  HWND view = FirstChartView(ts);
  if (!view) return f;
  PostCommand(view, 17556);
  f.dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  if (!f.dialog) return f;
  for (HWND page : ChildrenOfClass(f.dialog, "#32770")) {
    HWND list = GetDlgItem(page, 7272);
    if (list && ClassOf(list) == "ListBox") {
      f.page = page;
      break;
    }
  }
  return f;
}

// The visible interval edit among the page's sub-pages, and the text of its label.
struct IntervalField {
  HWND edit = nullptr;
  std::string label;
};

IntervalField VisibleIntervalField(HWND page) {
  IntervalField out;
  for (HWND sub : Descendants(page)) {
    if (ClassOf(sub) != "#32770") continue;
    for (int id : {6544, 7562}) {
      HWND edit = GetDlgItem(sub, id);
      if (!edit || ClassOf(edit) != "Edit" || !IsWindowVisible(edit)) continue;
      out.edit = edit;
      for (int labelId : {6574, 7145, 6572, 7577}) {
        HWND label = GetDlgItem(sub, labelId);
        if (label && IsWindowVisible(label)) {
          out.label = TextOf(label);
          break;
        }
      }
      return out;
    }
  }
  return out;
}

std::vector<std::string> ListBoxEntries(HWND list) {
  std::vector<std::string> out;
  int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out.push_back(ListBoxText(list, i));
  return out;
}

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> out;
  int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) out.push_back(ComboText(combo, i));
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  for (const auto& x : v)
    if (x == s) return true;
  return false;
}

// A "Chart Analysis" error box of the process.
HWND WaitChartAnalysisBox(StandIn& ts) {
  return WaitTop(ts.Pid(), "#32770", "Chart Analysis");
}

}  // namespace

TEST(StandInFormatSymbol, DialogOwnerPagesAndControls) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.dialog);
  EXPECT_EQ(TextOf(f.dialog), "Format Symbol - MSFT 5 min");
  EXPECT_EQ(GetParent(f.dialog), ts.Main());
  EXPECT_EQ(TextOf(GetDlgItem(f.dialog, IDOK)), "OK");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(f.dialog, IDCANCEL)));
  EXPECT_GE(ChildrenOfClass(f.dialog, "#32770").size(), 2u) << "pages are #32770 children";
  ASSERT_TRUE(f.page) << "a page holds the bar kind list 7272";
  HWND page = f.page;

  HWND zone = GetDlgItem(page, 6589);
  ASSERT_TRUE(zone);
  EXPECT_EQ(ClassOf(zone), "ComboBox");
  EXPECT_EQ(ComboEntries(zone), (std::vector<std::string>{"Exchange", "Local"}));
  HWND apply = GetDlgItem(page, 7427);
  ASSERT_TRUE(apply);
  EXPECT_EQ(ClassOf(apply), "Button");
  HWND symbol = GetDlgItem(page, 6629);
  ASSERT_TRUE(symbol);
  EXPECT_EQ(ClassOf(symbol), "ComboBox");
  HWND symbolEdit = GetDlgItem(symbol, 1001);
  ASSERT_TRUE(symbolEdit);
  EXPECT_EQ(ClassOf(symbolEdit), "Edit");
  EXPECT_EQ(TextOf(symbolEdit), "MSFT");
  for (int id : {6531, 6675, 7252, 7251, 7254}) EXPECT_TRUE(GetDlgItem(page, id)) << id;
  EXPECT_EQ(ClassOf(GetDlgItem(page, 7254)), "Edit");
  EXPECT_EQ(ClassOf(GetDlgItem(page, 7251)), "Button");
  EXPECT_EQ(ClassOf(GetDlgItem(page, 7252)), "Button");
  LONG firstDateType = GetWindowLongA(GetDlgItem(page, 7252), GWL_STYLE) & BS_TYPEMASK;
  EXPECT_TRUE(firstDateType == BS_CHECKBOX || firstDateType == BS_AUTOCHECKBOX) << "7252 is a check box";
  EXPECT_EQ(SendMessageA(GetDlgItem(page, 7252), BM_GETCHECK, 0, 0), BST_CHECKED)
      << "the sample has a first date";
  EXPECT_EQ(TextOf(GetDlgItem(page, 6531)), "12/14/2012");

  HWND kinds = GetDlgItem(page, 7272);
  std::vector<std::string> entries = ListBoxEntries(kinds);
  EXPECT_TRUE(Contains(entries, "Minute"));
  EXPECT_FALSE(Contains(entries, "Intra-day"));
  EXPECT_EQ(ListBoxText(kinds, static_cast<int>(SendMessageA(kinds, LB_GETCURSEL, 0, 0))), "Minute");
  IntervalField field = VisibleIntervalField(page);
  ASSERT_TRUE(field.edit);
  EXPECT_EQ(GetDlgCtrlID(field.edit), 6544);
  EXPECT_EQ(field.label, "Minute Bar");
  EXPECT_EQ(TextOf(field.edit), "5");

  PostClick(f.dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(f.dialog));
  EXPECT_TRUE(IsWindowEnabled(ts.Main()));
}

TEST(StandInFormatSymbol, ClickingABarKindShowsItsSubPage) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND kinds = GetDlgItem(f.page, 7272);
  struct Expect {
    const char* kind;
    int edit;
    const char* label;
  };
  for (Expect e : {Expect{"Tick", 6544, "Tick Bar"}, Expect{"Volume", 6544, "Share Bar"},
                   Expect{"Kase", 7562, "Target Range:"}, Expect{"Kagi", 7562, "Reversal:"},
                   Expect{"Minute", 6544, "Minute Bar"}}) {
    ASSERT_TRUE(ClickListBoxEntry(kinds, e.kind)) << e.kind;
    IntervalField field;
    EXPECT_TRUE(WaitFor([&] { return (field = VisibleIntervalField(f.page)).label == e.label; })) << e.kind;
    EXPECT_EQ(GetDlgCtrlID(field.edit), e.edit) << e.kind;
    if (std::string(e.kind) == "Kase") {
      HWND unit = GetDlgItem(GetParent(field.edit), 7563);
      ASSERT_TRUE(unit);
      EXPECT_EQ(ComboEntries(unit), (std::vector<std::string>{"1  Minute", "1  Tick"}));
    }
  }
  ASSERT_TRUE(ClickListBoxEntry(kinds, "Daily"));
  EXPECT_TRUE(WaitFor([&] { return VisibleIntervalField(f.page).edit == nullptr; }))
      << "daily bars have no value";
}

TEST(StandInFormatSymbol, EveryBarKindOfTheTimeframesIsOfferedWithItsValue) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  ASSERT_TRUE(ts.WaitFirstChartLoaded());
  struct Kind {
    const char* entry;
    const char* value;
    const char* shown;  // the interval as the chart title shows it
    const char* label;  // of its value edit
  };
  for (Kind k :
       {Kind{"Line Break", "3", "3 Line Break", "Lines:"}, Kind{"Momemntum", "2", "2 Momentum", "Momentum:"},
        Kind{"Range", "3", "3 Range", "Range:"}, Kind{"Renko", "4", "4 Renko", "Brick Size:"},
        Kind{"Point & Figure", "2", "2 Point & Figure", "Box Size:"}}) {
    FormatDialog f = OpenFormatSymbol(ts);
    ASSERT_TRUE(f.page) << k.entry;
    HWND list = GetDlgItem(f.page, 7272);
    RECT client{}, last{};
    GetClientRect(list, &client);
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    SendMessageA(list, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
    EXPECT_LE(last.bottom, client.bottom) << "every entry is visible without scrolling";
    ASSERT_TRUE(ClickListBoxEntry(list, k.entry)) << k.entry;
    IntervalField field;
    ASSERT_TRUE(WaitFor([&] { return (field = VisibleIntervalField(f.page)).label == k.label; })) << k.entry;
    SendMessageA(field.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(k.value));
    PostClick(f.dialog, IDOK);
    EXPECT_TRUE(WaitGone(f.dialog)) << k.entry;
    std::string want = std::string("Chart Analysis - MSFT ") + k.shown + " [NASDAQ] Microsoft Corp";
    EXPECT_TRUE(WaitFor([&] { return FirstChartTitle(ts) == want; })) << FirstChartTitle(ts);
  }
  EXPECT_TRUE(WaitFor([&] { return CountColours(FirstChartView(ts)) >= 3; })) << "the chart loads";
  PostCommand(ts.Main(), 17531);
  std::string path = ts.WorkspacePath("Tavrin Sample");
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(path).find("Interval=2 Point & Figure\r\n") != std::string::npos;
  })) << testsupport::ReadFile(path);
}

TEST(StandInFormatSymbol, SelectingWithoutAClickDoesNotSwitchTheSubPage) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND kinds = GetDlgItem(f.page, 7272);
  SendMessageA(kinds, LB_SETCURSEL, 0, 0);  // "Tick", without the click
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_EQ(VisibleIntervalField(f.page).label, "Minute Bar");
}

TEST(StandInFormatSymbol, Version90SaysIntradayAnd91SaysMinute) {
  for (const char* version : {"9.0", "9.1"}) {
    StartOptions start;
    start.version = version;
    StandIn ts(start);
    ASSERT_TRUE(ts.Main());
    FormatDialog f = OpenFormatSymbol(ts);
    ASSERT_TRUE(f.page) << version;
    std::vector<std::string> entries = ListBoxEntries(GetDlgItem(f.page, 7272));
    bool early = std::string(version) == "9.0";
    EXPECT_EQ(Contains(entries, "Intra-day"), early) << version;
    EXPECT_EQ(Contains(entries, "Minute"), !early) << version;
  }
}

TEST(StandInFormatSymbol, Version88HasIntradayAndNoSubPages) {
  StartOptions start;
  start.version = "8.8";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  std::vector<std::string> entries = ListBoxEntries(GetDlgItem(f.page, 7272));
  EXPECT_TRUE(Contains(entries, "Intra-day"));
  EXPECT_FALSE(Contains(entries, "Minute"));
  EXPECT_EQ(FindDescendant(f.page, "#32770"), nullptr) << "no sub-pages";
  for (int id : {6543, 6544, 7146, 7562}) {
    HWND edit = GetDlgItem(f.page, id);
    ASSERT_TRUE(edit) << id;
    EXPECT_EQ(ClassOf(edit), "Edit");
  }
  EXPECT_EQ(TextOf(GetDlgItem(f.page, 6543)), "5");
}

TEST(StandInFormatSymbol, DateFieldsTakeDigitsFieldByField) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND last = GetDlgItem(f.page, 6531);
  TypeDate(last, 3, 7, 2011);
  EXPECT_TRUE(WaitFor([&] { return TextOf(last) == "03/07/2011"; })) << TextOf(last);
  HWND first = GetDlgItem(f.page, 6675);
  TypeDate(first, 12, 31, 2009);
  EXPECT_TRUE(WaitFor([&] { return TextOf(first) == "12/31/2009"; })) << TextOf(first);

  // The day is kept until the year is typed: 02/29/2024 over a field that shows a year without 29 February.
  SendMessageA(first, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("3/15/2023"));
  TypeDate(first, 2, 29, 2024);
  EXPECT_TRUE(WaitFor([&] { return TextOf(first) == "02/29/2024"; })) << TextOf(first);
  // ... and a day the month does not have is cut to the month's length when the field is left.
  TypeDate(first, 2, 31, 2023);
  EXPECT_TRUE(WaitFor([&] { return TextOf(first) == "02/31/2023"; })) << TextOf(first);
  PostMessageA(last, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
  PostMessageA(last, WM_LBUTTONUP, 0, MAKELPARAM(1, 1));
  EXPECT_TRUE(WaitFor([&] { return TextOf(first) == "02/28/2023"; })) << TextOf(first);
}

TEST(StandInFormatSymbol, OkChangesSymbolIntervalAndDateRange) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND page = f.page;
  ASSERT_TRUE(ClickListBoxEntry(GetDlgItem(page, 7272), "Daily"));
  SendMessageA(GetDlgItem(page, 6629), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("IBM"));
  TypeDate(GetDlgItem(page, 6531), 12, 14, 2012);
  PostClick(page, 7252);
  TypeDate(GetDlgItem(page, 6675), 1, 3, 2011);
  ASSERT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(page, 6675)) == "01/03/2011"; }));
  PostClick(f.dialog, IDOK);
  EXPECT_TRUE(WaitGone(f.dialog));
  EXPECT_TRUE(WaitFor([&] {
    return FirstChartTitle(ts) == "Chart Analysis - IBM Daily [NYSE] International Business Machines Corp";
  })) << FirstChartTitle(ts);
  EXPECT_TRUE(WaitTitle(
      ts.Main(),
      "TradeStation 9.5 - Desktop - Tavrin Sample - [Chart Analysis - IBM Daily [NYSE] International "
      "Business Machines Corp]"))
      << TextOf(ts.Main());
  PostCommand(ts.Main(), 17531);
  std::string path = ts.WorkspacePath("Tavrin Sample");
  EXPECT_TRUE(WaitFor([&] { return testsupport::ReadFile(path).find("Symbol=IBM") != std::string::npos; }));
  std::string saved = testsupport::ReadFile(path);
  EXPECT_NE(saved.find("Interval=Daily\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("FirstDate=1/3/2011\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("LastDate=12/14/2012\r\n"), std::string::npos) << saved;
}

TEST(StandInFormatSymbol, ARangeWithoutBarsStillFinishesLoading) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  HWND page = f.page;
  ASSERT_TRUE(ClickListBoxEntry(GetDlgItem(page, 7272), "Daily"));
  TypeDate(GetDlgItem(page, 6531), 12, 16, 2012);  // a Sunday
  PostClick(page, 7252);
  TypeDate(GetDlgItem(page, 6675), 12, 15, 2012);  // the Saturday before
  ASSERT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(page, 6675)) == "12/15/2012"; }));
  PostClick(f.dialog, IDOK);
  ASSERT_TRUE(WaitGone(f.dialog));
  ASSERT_TRUE(WaitFor([&] {
    return ts.ActivityLog().find("MSFT Daily [NASDAQ] Microsoft Corp (0 bars)") != std::string::npos;
  })) << ts.ActivityLog();
  EXPECT_TRUE(WaitFor([&] { return CountColours(FirstChartView(ts)) >= 3; }))
      << CountColours(FirstChartView(ts));
}

TEST(StandInFormatSymbol, BarsBackAndMinuteInterval) {
  StandIn ts;
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  IntervalField field = VisibleIntervalField(f.page);
  ASSERT_TRUE(field.edit);
  SendMessageA(field.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("15"));
  PostClick(f.page, 7251);
  SendMessageA(GetDlgItem(f.page, 7254), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2001"));
  PostClick(f.dialog, IDOK);
  EXPECT_TRUE(WaitGone(f.dialog));
  EXPECT_TRUE(WaitFor([&] {
    return FirstChartTitle(ts) == "Chart Analysis - MSFT 15 min [NASDAQ] Microsoft Corp";
  })) << FirstChartTitle(ts);
  PostCommand(ts.Main(), 17531);
  std::string path = ts.WorkspacePath("Tavrin Sample");
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(path).find("BarsBack=2001\r\n") != std::string::npos;
  })) << testsupport::ReadFile(path);
}

TEST(StandInFormatSymbol, TheFirstDateCheckBoxAloneDecidesTheRange) {
  StartOptions start;
  start.workspace = "Sample ES Ticks";  // bars back
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  std::string path = ts.WorkspacePath("Sample ES Ticks");
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EXPECT_EQ(SendMessageA(GetDlgItem(f.page, 7252), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageA(GetDlgItem(f.page, 7251), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(GetDlgItem(f.page, 7252), BM_SETCHECK, BST_CHECKED, 0);  // no click, no notification
  TypeDate(GetDlgItem(f.page, 6675), 12, 3, 2012);
  ASSERT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(f.page, 6675)) == "12/03/2012"; }));
  PostClick(f.dialog, IDOK);
  ASSERT_TRUE(WaitGone(f.dialog));
  PostCommand(ts.Main(), 17531);
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(path).find("FirstDate=12/3/2012\r\n") != std::string::npos;
  })) << testsupport::ReadFile(path);
  EXPECT_EQ(testsupport::ReadFile(path).find("BarsBack="), std::string::npos);

  f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  EXPECT_EQ(SendMessageA(GetDlgItem(f.page, 7252), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageA(GetDlgItem(f.page, 7252), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageA(GetDlgItem(f.page, 7254), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("3000"));
  PostClick(f.dialog, IDOK);
  ASSERT_TRUE(WaitGone(f.dialog));
  PostCommand(ts.Main(), 17531);
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(path).find("BarsBack=3000\r\n") != std::string::npos;
  })) << testsupport::ReadFile(path);

  // Clicks choose the mode as well: the check box, then the option.
  f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  PostClick(f.page, 7252);
  EXPECT_TRUE(
      WaitFor([&] { return SendMessageA(GetDlgItem(f.page, 7252), BM_GETCHECK, 0, 0) == BST_CHECKED; }));
  PostClick(f.page, 7252);
  ASSERT_TRUE(ts.WaitSettled());
  EXPECT_EQ(SendMessageA(GetDlgItem(f.page, 7252), BM_GETCHECK, 0, 0), BST_CHECKED)
      << "a click chooses, not toggles";
  PostClick(f.page, 7251);
  EXPECT_TRUE(
      WaitFor([&] { return SendMessageA(GetDlgItem(f.page, 7252), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }));
  PostClick(f.dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(f.dialog));
}

TEST(StandInFormatSymbol, Version88OkWritesDownloadLogAndCacheOfTheNewSymbol) {
  StartOptions start;
  start.version = "8.8";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  ASSERT_TRUE(ClickListBoxEntry(GetDlgItem(f.page, 7272), "Tick"));
  SendMessageA(GetDlgItem(f.page, 6544), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("100"));
  SendMessageA(GetDlgItem(f.page, 6629), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("@ES"));
  PostClick(f.page, 7251);
  SendMessageA(GetDlgItem(f.page, 7254), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("500"));
  PostClick(f.dialog, IDOK);
  EXPECT_TRUE(WaitGone(f.dialog));
  EXPECT_TRUE(WaitFor([&] {
    return FirstChartTitle(ts).rfind("Chart Analysis - @ES 100 Tick Bar [CME] ", 0) == 0;
  })) << FirstChartTitle(ts);
  std::string log = ts.Folder() + "/Logs/archmsgs.log";
  EXPECT_TRUE(WaitFor([&] {
    return testsupport::ReadFile(log).find("Success, request for @ES (500 bars).") != std::string::npos;
  })) << testsupport::ReadFile(log);
  EXPECT_NE(testsupport::ReadFile(log).find("Downloading, request for @ES, 100 Tick Bar, 500 bars."),
            std::string::npos);
  EXPECT_TRUE(testsupport::FileExists(ts.Folder() + "/Program/Cache/_/@ES.tik"))
      << "a symbol not starting A-Z goes under _";
}

TEST(StandInFormatSymbol, InvalidSymbolRaisesAChartAnalysisBoxAndKeepsTheDialog) {
  StartOptions start;
  start.control = "InvalidSymbols=XYZ\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.page);
  SendMessageA(GetDlgItem(f.page, 6629), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("XYZ"));
  PostClick(f.dialog, IDOK);
  HWND box = WaitChartAnalysisBox(ts);
  ASSERT_TRUE(box);
  EXPECT_NE(StaticTexts(box).find("not a valid symbol"), std::string::npos) << StaticTexts(box);
  EXPECT_EQ(GetDlgCtrlID(ChildrenOfClass(box, "Button").at(0)), IDOK) << "its first button";
  EXPECT_TRUE(IsWindow(f.dialog));
  EXPECT_FALSE(IsWindowEnabled(f.dialog)) << "the box is modal over the format dialog";
  PostClick(box, IDOK);
  EXPECT_TRUE(WaitGone(box));
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(f.dialog) != FALSE; }));
  PostClick(f.dialog, IDCANCEL);
  EXPECT_TRUE(WaitGone(f.dialog));
  EXPECT_EQ(FirstChartTitle(ts), "Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp");
}

TEST(StandInFormatSymbol, TimeZoneFaultRaisesTheDifferentTimeZonesBox) {
  StartOptions start;
  start.control = "TimeZoneError=1\n";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  FormatDialog f = OpenFormatSymbol(ts);
  ASSERT_TRUE(f.dialog);
  PostClick(f.dialog, IDOK);
  HWND box = WaitChartAnalysisBox(ts);
  ASSERT_TRUE(box);
  EXPECT_NE(StaticTexts(box).find("different time zones"), std::string::npos) << StaticTexts(box);
}

namespace {
int VisibleTopsTitled(DWORD pid, const std::string& prefix) {
  int n = 0;
  for (HWND h : TopWindows(pid))
    if (IsWindowVisible(h) && TextOf(h).rfind(prefix, 0) == 0) ++n;
  return n;
}
}  // namespace

TEST(StandInFormatSymbol, RepeatedCommandsBringTheOpenDialogForward) {
  {
    StandIn ts;
    ASSERT_TRUE(ts.Main());
    HWND view = FirstChartView(ts);
    ASSERT_TRUE(view);
    for (int i = 0; i < 3; ++i) PostCommand(view, 17556);
    HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ts.WaitSettled());
    PostCommand(view, 17556);
    ASSERT_TRUE(ts.WaitSettled());
    EXPECT_EQ(VisibleTopsTitled(ts.Pid(), "Format Symbol -"), 1);
    EXPECT_TRUE(IsWindow(dialog));
    PostClick(dialog, IDCANCEL);
    EXPECT_TRUE(WaitGone(dialog));
  }
  {
    StartOptions start;
    start.workspace = "Sample Multi Data";
    StandIn ts(start);
    ASSERT_TRUE(ts.Main());
    HWND view = FirstChartView(ts);
    ASSERT_TRUE(view);
    for (int i = 0; i < 3; ++i) PostCommand(view, 17556);
    HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbols");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ts.WaitSettled());
    PostCommand(view, 17556);
    ASSERT_TRUE(ts.WaitSettled());
    EXPECT_EQ(VisibleTopsTitled(ts.Pid(), "Format Symbols"), 1);
    PostClick(dialog, 6635);
    HWND format = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
    ASSERT_TRUE(format);
    PostCommand(view, 17556);
    PostClick(dialog, 6635);
    ASSERT_TRUE(ts.WaitSettled());
    EXPECT_EQ(VisibleTopsTitled(ts.Pid(), "Format Symbol -"), 1);
    EXPECT_EQ(VisibleTopsTitled(ts.Pid(), "Format Symbols"), 1);
    PostClick(format, IDCANCEL);
    EXPECT_TRUE(WaitGone(format));
  }
}

TEST(StandInFormatSymbol, MultiDataChartOpensFormatSymbols) {
  StartOptions start;
  start.workspace = "Sample Multi Data";
  StandIn ts(start);
  ASSERT_TRUE(ts.Main());
  HWND view = FirstChartView(ts);
  ASSERT_TRUE(view);
  PostCommand(view, 17556);
  HWND dialog = WaitTop(ts.Pid(), "#32770", "Format Symbols");
  ASSERT_TRUE(dialog);
  EXPECT_EQ(TextOf(dialog), "Format Symbols");
  EXPECT_EQ(GetParent(dialog), ts.Main());
  HWND list = GetDlgItem(dialog, 6528);
  ASSERT_TRUE(list);
  EXPECT_EQ(ClassOf(list), "SysListView32");
  EXPECT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(ClassOf(GetDlgItem(dialog, 6547)), "Button");
  EXPECT_EQ(ClassOf(GetDlgItem(dialog, 6635)), "Button");
  EXPECT_EQ(TextOf(GetDlgItem(dialog, IDOK)), "Close");

  // The driver's way to format the first track: VK_HOME on the list, then the format button.
  PostMessageA(list, WM_KEYDOWN, VK_HOME, 0);
  PostMessageA(list, WM_KEYUP, VK_HOME, 0);
  PostClick(dialog, 6635);
  HWND format = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  ASSERT_TRUE(format);
  EXPECT_EQ(TextOf(format), "Format Symbol - MSFT 5 min");
  EXPECT_EQ(GetParent(format), ts.Main()) << "owned by the main window, not by Format Symbols";
  PostClick(format, IDCANCEL);
  EXPECT_TRUE(WaitGone(format));

  PostClick(dialog, 6547);
  EXPECT_TRUE(WaitFor([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 1; }));
  PostClick(dialog, IDOK);
  EXPECT_TRUE(WaitGone(dialog));
  PostCommand(view, 17556);
  HWND single = WaitTop(ts.Pid(), "#32770", "Format Symbol -");
  EXPECT_TRUE(single) << "one track left: the single-track dialog";
}
