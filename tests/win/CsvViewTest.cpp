// The CSV viewer: its reading of CSV text, and the real Tabulon.exe showing a file as a read-only,
// resizable table.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "tools/csvview/CsvTable.h"
#include "win/ToolSupport.h"

using namespace toolsupport;

namespace {

TEST(CsvParseTest, QuotedFieldsKeepSeparatorsQuotesAndLineEnds) {
  std::vector<CsvRow> rows =
      ParseCsv("Step,Symbol,Note\r\n1,\"ES, mini\",\"say \"\"hi\"\"\"\r\n2,NQ,\"two\r\nlines\"\r\n");
  ASSERT_EQ(3u, rows.size());
  EXPECT_EQ((CsvRow{"Step", "Symbol", "Note"}), rows[0]);
  EXPECT_EQ((CsvRow{"1", "ES, mini", "say \"hi\""}), rows[1]);
  EXPECT_EQ((CsvRow{"2", "NQ", "two\r\nlines"}), rows[2]);
}

TEST(CsvParseTest, LineEndsEmptyFieldsAndRaggedRows) {
  std::vector<CsvRow> rows = ParseCsv(
      "\xEF\xBB\xBF"
      "a,b\n,\r1,2,3\n\"\"");
  ASSERT_EQ(4u, rows.size());
  EXPECT_EQ((CsvRow{"a", "b"}), rows[0]);
  EXPECT_EQ((CsvRow{"", ""}), rows[1]);
  EXPECT_EQ((CsvRow{"1", "2", "3"}), rows[2]);
  EXPECT_EQ((CsvRow{""}), rows[3]);
  EXPECT_EQ(3u, CsvColumnCount(rows));
  EXPECT_EQ(2u, CsvColumnCount(ParseCsv("A,B,\r\n1,2,\r\n,,,\r\n")));
  EXPECT_TRUE(ParseCsv("").empty());
  EXPECT_EQ(1u, ParseCsv("last line without end").size());
}

TEST(CsvParseTest, UnterminatedQuoteTakesTheRest) {
  std::vector<CsvRow> rows = ParseCsv("a,\"open\nstill open");
  ASSERT_EQ(1u, rows.size());
  EXPECT_EQ((CsvRow{"a", "open\nstill open"}), rows[0]);
}

bool IsTableViewer(HWND w) {
  return ClassOf(w) == "TabulonWindow";
}

HWND ListOf(HWND viewer) {
  for (HWND child : ChildWindows(viewer))
    if (ClassOf(child) == "SysListView32") return child;
  return nullptr;
}

class TabulonTest : public testing::Test {
 protected:
  void TearDown() override {
    for (HWND w : TopWindows(IsTableViewer)) PostMessageA(w, WM_CLOSE, 0, 0);
    WaitUntil([] { return TopWindows(IsTableViewer).empty(); }, 5000);
  }
  // Starts the viewer on a file and returns its window (null when none appeared).
  HWND Open(const std::string& csv) {
    std::string command = "\"" + ToolPath("csvview", "Tabulon.exe") + "\" \"" + csv + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
      return nullptr;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return WaitForTopWindow(IsTableViewer);
  }
};

TEST_F(TabulonTest, ShowsEveryRowAndTheFirstLineAsColumns) {
  std::string csv = testsupport::WriteFile(testsupport::ScratchFolder() + "/ShowCmd.csv",
                                           "Step,Symbol,Interval,Range\r\n"
                                           "1,ES,15 min,\"5000 Bars\"\r\n"
                                           "2,NQ,\"Daily, adjusted\",2 Years\r\n"
                                           "3,YM,60 min,\"1000 Bars\"\r\n");
  HWND viewer = Open(csv);
  ASSERT_NE(nullptr, viewer);
  EXPECT_NE(std::string::npos, WindowText(viewer).find("ShowCmd.csv"));
  HWND list = ListOf(viewer);
  ASSERT_NE(nullptr, list);
  EXPECT_EQ(3, static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)));
  HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
  EXPECT_EQ(4, static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)));
  LONG style = GetWindowLongA(list, GWL_STYLE);
  EXPECT_EQ(LVS_REPORT, style & LVS_TYPEMASK);
  EXPECT_FALSE(style & LVS_EDITLABELS);  // read-only
  EXPECT_TRUE(GetWindowLongA(viewer, GWL_STYLE) & WS_THICKFRAME);
}

TEST_F(TabulonTest, TableFollowsTheWindowSize) {
  std::string csv = testsupport::WriteFile(testsupport::ScratchFolder() + "/s.csv", "A,B\r\n1,2\r\n");
  HWND viewer = Open(csv);
  ASSERT_NE(nullptr, viewer);
  SetWindowPos(viewer, nullptr, 0, 0, 640, 360, SWP_NOMOVE | SWP_NOZORDER);
  RECT client, table;
  EXPECT_TRUE(WaitUntil(
      [&] {
        GetClientRect(viewer, &client);
        GetWindowRect(ListOf(viewer), &table);
        return table.right - table.left == client.right && table.bottom - table.top == client.bottom;
      },
      3000));
}

}  // namespace
