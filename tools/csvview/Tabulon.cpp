// Tabulon.exe FILE.csv: shows a CSV file as a read-only table (a report list view), the first line as
// column titles. The window can be resized; nothing in it can be edited.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/csvview/CsvTable.h"

namespace {

constexpr const char* kWindowClass = "TabulonWindow";
constexpr const char* kCaption = "Tabulon";
constexpr int kListId = 100;
constexpr int kWidthSampleRows = 200;  // rows measured for the column widths
constexpr int kMinColumnWidth = 40;
constexpr int kMaxColumnWidth = 400;
constexpr int kCellPadding = 16;

struct Table {
  CsvRow titles;
  std::vector<CsvRow> rows;
  size_t columns = 0;
};

Table g_table;

bool LoadTable(const char* path, Table& table) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  std::vector<CsvRow> rows = ParseCsv(all.str());
  table.columns = CsvColumnCount(rows);
  if (!rows.empty()) {
    table.titles = rows.front();
    rows.erase(rows.begin());
  }
  table.titles.resize(table.columns);
  for (size_t c = 0; c < table.columns; ++c)
    if (table.titles[c].empty()) table.titles[c] = "(" + std::to_string(c + 1) + ")";
  table.rows = std::move(rows);
  return true;
}

int TextWidth(HWND list, const std::string& text) {
  return static_cast<int>(SendMessageA(list, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(text.c_str())));
}

void AddColumns(HWND list, const Table& table) {
  for (size_t c = 0; c < table.columns; ++c) {
    int width = TextWidth(list, table.titles[c]);
    size_t sample = std::min(table.rows.size(), static_cast<size_t>(kWidthSampleRows));
    for (size_t r = 0; r < sample; ++r)
      if (c < table.rows[r].size()) width = std::max(width, TextWidth(list, table.rows[r][c]));
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.cx = std::clamp(width + kCellPadding, kMinColumnWidth, kMaxColumnWidth);
    column.pszText = const_cast<char*>(table.titles[c].c_str());
    column.iSubItem = static_cast<int>(c);
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
}

HWND CreateTableView(HWND parent) {
  HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                              WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0,
                              0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                              GetModuleHandleA(nullptr), nullptr);
  if (!list) return nullptr;
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  AddColumns(list, g_table);
  SendMessageA(list, LVM_SETITEMCOUNT, g_table.rows.size(), 0);
  return list;
}

// The list view holds no texts of its own: it asks for each visible cell.
void FillCell(NMLVDISPINFOA* info) {
  if (!(info->item.mask & LVIF_TEXT) || info->item.iItem < 0) return;
  size_t row = static_cast<size_t>(info->item.iItem), column = static_cast<size_t>(info->item.iSubItem);
  const char* text = "";
  if (row < g_table.rows.size() && column < g_table.rows[row].size())
    text = g_table.rows[row][column].c_str();
  lstrcpynA(info->item.pszText, text, info->item.cchTextMax);
}

LRESULT CALLBACK MainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return CreateTableView(window) ? 0 : -1;
    case WM_SIZE:
      MoveWindow(GetDlgItem(window, kListId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
      SetFocus(GetDlgItem(window, kListId));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom == kListId && header->code == LVN_GETDISPINFOA)
        FillCell(reinterpret_cast<NMLVDISPINFOA*>(lParam));
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Fail(const std::string& text) {
  MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONSTOP);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  if (__argc != 2) return Fail("Usage: Tabulon.exe FILE.csv");
  const char* path = __argv[1];
  if (!LoadTable(path, g_table)) return Fail(std::string("Cannot open ") + path);
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = MainWindow;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);
  std::string title =
      std::string(kCaption) + " - " + path + " (" + std::to_string(g_table.rows.size()) + " rows)";
  HWND window = CreateWindowExA(0, kWindowClass, title.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 900, 500, nullptr, nullptr, instance, nullptr);
  if (!window) return Fail("Cannot create the window");
  ShowWindow(window, show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
