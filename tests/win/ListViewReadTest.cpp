// The control readers of CTxtArray on real windows: combo and list boxes of this process, list views of this
// process and of the list-view host started as a second process, 64-bit and (where it runs) 32-bit.
#include <windows.h>
#include <gtest/gtest.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/TxtArray.h"
#include "tools/listviewhost/ListViewHostRows.h"

namespace {

constexpr DWORD kStartWaitMs = 30000;  // the first 32-bit program of a Wine prefix starts slowly
constexpr DWORD kPollMs = 100;
constexpr DWORD kExitWaitMs = 5000;

std::vector<std::string> Elements(const CTxtArray& a) {
  std::vector<std::string> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(a.GetAtTxt(i) ? a.GetAtTxt(i) : "<null>");
  return out;
}

// The rows of the host as LoadFromLC gives them with every column: each cell followed by '|', cells cut to
// the 511 characters that one read returns.
std::vector<std::string> ExpectedHostRows(int columns) {
  std::vector<std::string> rows;
  for (int r = 0; r < listviewhost::kRowCount; ++r) {
    std::string row;
    for (int c = 0; c < columns; ++c) {
      row += listviewhost::Cell(r, c).substr(0, 511);
      if (columns > 1) row += '|';
    }
    rows.push_back(row);
  }
  return rows;
}

// A top-level window of this process holding one control.
class OwnWindow {
 public:
  OwnWindow() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    m_frame = CreateWindowExA(0, "STATIC", "reader test", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                              nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~OwnWindow() { DestroyWindow(m_frame); }
  HWND Child(const char* className, DWORD style) {
    return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 300, 200, m_frame, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  HWND Frame() const { return m_frame; }

 private:
  HWND m_frame = nullptr;
};

void AddListViewRow(HWND list, int row, const std::vector<std::string>& cells) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.pszText = const_cast<char*>(cells[0].c_str());
  SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  for (size_t c = 1; c < cells.size(); ++c) {
    LVITEMA sub{};
    sub.iSubItem = static_cast<int>(c);
    sub.pszText = const_cast<char*>(cells[c].c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&sub));
  }
}

HWND NewReportList(OwnWindow& window, int columns) {
  HWND list = window.Child(WC_LISTVIEWA, LVS_REPORT);
  for (int c = 0; c < columns; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH;
    column.cx = 80;
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  return list;
}

// Committed private memory of this process, in regions: what a leaked remote block would add to.
size_t CommittedPrivateRegions() {
  size_t regions = 0;
  MEMORY_BASIC_INFORMATION info;
  for (const char* p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) ++regions;
    if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < p) break;
  }
  return regions;
}

// The list-view host running as a second process; closed (and if need be ended) when the test is done.
class HostProcess {
 public:
  // False with the reason in error when the program is missing or shows no list view in time.
  bool Start(const std::string& exe, std::string& error) {
    if (GetFileAttributesA(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
      error = "missing " + exe + " (build the listviewhost target)";
      return false;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &m_info)) {
      error = "cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    for (DWORD waited = 0; waited < kStartWaitMs && !m_list; waited += kPollMs) {
      if (WaitForSingleObject(m_info.hProcess, kPollMs) == WAIT_OBJECT_0) break;
      EnumWindows(&FindOwnWindow, reinterpret_cast<LPARAM>(this));
    }
    if (!m_list) error = exe + " showed no list view within " + std::to_string(kStartWaitMs) + " ms";
    return m_list != nullptr;
  }
  ~HostProcess() {
    if (!m_info.hProcess) return;
    if (m_window) PostMessageA(m_window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_info.hProcess, kExitWaitMs) != WAIT_OBJECT_0)
      TerminateProcess(m_info.hProcess, 1);
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
  }
  HWND List() const { return m_list; }
  DWORD Pid() const { return m_info.dwProcessId; }

 private:
  static BOOL CALLBACK FindOwnWindow(HWND hwnd, LPARAM context) {
    HostProcess* self = reinterpret_cast<HostProcess*>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    if (pid != self->m_info.dwProcessId || std::string(name) != listviewhost::kWindowClass) return TRUE;
    self->m_window = hwnd;
    self->m_list = GetDlgItem(hwnd, listviewhost::kListId);
    return self->m_list ? FALSE : TRUE;
  }

  PROCESS_INFORMATION m_info{};
  HWND m_window = nullptr;
  HWND m_list = nullptr;
};

std::string HostPath(const char* exeName) {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string folder(self);
  folder = folder.substr(0, folder.find_last_of("\\/"));  // .../tests
  folder = folder.substr(0, folder.find_last_of("\\/"));  // the build folder
  return folder + "\\tools\\listviewhost\\" + exeName;
}

// Reads every host row with and without columns and applies a selection wish; checks the other process saw
// it.
void ReadHostRows(HostProcess& host) {
  CTxtArray rows;
  CTxt msg;
  ASSERT_EQ(rows.LoadFromLC(host.List(), msg, listviewhost::kColumnCount), listviewhost::kRowCount)
      << msg.ToStd();
  EXPECT_EQ(Elements(rows), ExpectedHostRows(listviewhost::kColumnCount));
  ASSERT_EQ(rows.LoadFromLC(host.List(), msg, 1), listviewhost::kRowCount) << msg.ToStd();
  EXPECT_EQ(Elements(rows), ExpectedHostRows(1)) << "a single column has no separators";

  msg = "2";  // select the second row
  ASSERT_EQ(rows.LoadFromLC(host.List(), msg, 2), listviewhost::kRowCount) << msg.ToStd();
  for (int r = 0; r < listviewhost::kRowCount; ++r)
    EXPECT_EQ(SendMessageA(host.List(), LVM_GETITEMSTATE, r, LVIS_SELECTED), r == 1 ? LVIS_SELECTED : 0u)
        << r;
  msg = "4";
  rows.LoadFromLC(host.List(), msg, 2);
  EXPECT_EQ(SendMessageA(host.List(), LVM_GETITEMSTATE, 1, LVIS_SELECTED), 0u)
      << "the wish clears other rows";
  EXPECT_EQ(SendMessageA(host.List(), LVM_GETITEMSTATE, 3, LVIS_SELECTED),
            static_cast<LRESULT>(LVIS_SELECTED));

  rows.SetOwnerProcessId(host.Pid());  // a given process id is used instead of the window's
  msg = "";
  EXPECT_EQ(rows.LoadFromLC(host.List(), msg, 1), listviewhost::kRowCount) << msg.ToStd();
}

}  // namespace

TEST(ComboAndListBoxReaders, ItemsWithDataAndSelection) {
  OwnWindow window;
  HWND combo = window.Child("COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS);
  for (const char* text : {"Minute", "Tick"})
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(combo, CB_SETITEMDATA, 1, 0x1F);
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  CTxtArray items;
  CTxt msg;
  EXPECT_EQ(items.LoadFromCB(combo, msg), 2);
  EXPECT_EQ(Elements(items), (std::vector<std::string>{"Minute\t00000000\t", "Tick\t0000001F\t*\t"}));
  EXPECT_EQ(items.LoadFromCB(nullptr, msg), 0);

  HWND box = window.Child("LISTBOX", LBS_HASSTRINGS);
  std::string longItem(150, 'x');
  for (const char* text : {"ES", "NQ", longItem.c_str()})
    SendMessageA(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  SendMessageA(box, LB_SETITEMDATA, 0, 7);
  SendMessageA(box, LB_SETCURSEL, 0, 0);
  int height = static_cast<int>(SendMessageA(box, LB_GETITEMHEIGHT, 0, 0));
  ASSERT_EQ(items.LoadFromLB(box, msg), 3);
  std::string h = std::to_string(height);
  EXPECT_EQ(Elements(items),
            (std::vector<std::string>{"ES\t00000007\t" + h + "\t*\t", "NQ\t00000000\t" + h + "\t\t",
                                      std::string(99, 'x') + "\t00000000\t" + h + "\t\t"}));
  EXPECT_NE(msg.ToStd().find(" Cnt=3, iCurr=0, ''"), std::string::npos) << msg.ToStd();
  EXPECT_EQ(items.LoadFromLB(nullptr, msg), -1);
  EXPECT_STREQ(msg, "Missing HWND");
  EXPECT_EQ(items.LoadFromLB(combo, msg), -1);
  EXPECT_NE(msg.ToStd().find(" not ListBox"), std::string::npos);
}

TEST(ListViewReader, OwnProcessRowsEmptyListAndWrongWindows) {
  OwnWindow window;
  HWND list = NewReportList(window, 2);
  AddListViewRow(list, 0, {"ES", "5 min"});
  AddListViewRow(list, 1, {"", "Daily"});
  CTxtArray rows;
  CTxt msg;
  ASSERT_EQ(rows.LoadFromLC(list, msg, 2), 2) << msg.ToStd();
  EXPECT_EQ(Elements(rows), (std::vector<std::string>{"ES|5 min|", "|Daily|"}));

  HWND empty = NewReportList(window, 1);
  EXPECT_EQ(rows.LoadFromLC(empty, msg, 1), 1000) << "a list view without rows is read as 1,000 rows";
  int filled = 0;
  for (int i = 0; i < rows.GetSize(); ++i) filled += rows.GetAt(i)->IsFilled();
  EXPECT_EQ(filled, 0);

  EXPECT_EQ(rows.LoadFromLC(window.Frame(), msg, 1), -1);
  EXPECT_NE(msg.ToStd().find(" not SysListView32"), std::string::npos) << msg.ToStd();
  EXPECT_EQ(rows.GetSize(), 0);
  EXPECT_EQ(rows.LoadFromLC(nullptr, msg, 1), -1);

  rows.SetOwnerProcessId(0x7FFFFFF0);  // no such process
  EXPECT_EQ(rows.LoadFromLC(list, msg, 1), -3);
  EXPECT_EQ(msg.ToStd().rfind("Cannot access PID " + std::to_string(0x7FFFFFF0) + " for HWND ", 0), 0u)
      << msg.ToStd();
}

TEST(ListViewReader, RemoteBlocksAreReleasedAfterEveryRead) {
  OwnWindow window;
  HWND list = NewReportList(window, 1);
  AddListViewRow(list, 0, {"ES"});
  CTxtArray rows;
  CTxt msg;
  rows.LoadFromLC(list, msg, 1);
  size_t before = CommittedPrivateRegions();
  for (int i = 0; i < 200; ++i) ASSERT_EQ(rows.LoadFromLC(list, msg, 1), 1);
  EXPECT_LT(CommittedPrivateRegions(), before + 50) << "400 leaked blocks would show here";
}

TEST(ListViewReader, RowsOfA64BitProcess) {
  HostProcess host;
  std::string error;
  ASSERT_TRUE(host.Start(HostPath("listviewhost.exe"), error)) << error;
  ReadHostRows(host);
}

TEST(ListViewReader, RowsOfA32BitProcess) {
  std::string exe = HostPath("listviewhost32.exe");
  // TradeStation is a 32-bit program: a machine that cannot build or run the host cannot test the driver.
  ASSERT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES)
      << "no 32-bit host built: the i686 compiler is missing (./dev setup installs it)";
  HostProcess host;
  std::string error;
  // A kernel without 32-bit support (some containers) cannot run it under Wine at all.
  if (!host.Start(exe, error)) GTEST_SKIP() << "32-bit programs do not run here: " << error;
  ReadHostRows(host);
}
