// A window with a report-style list view of known rows: the other process whose list view the cross-process
// reader is tested against (built 64-bit, and 32-bit where a 32-bit compiler is at hand).
#include <windows.h>
// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <string>

#include "tools/listviewhost/ListViewHostRows.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

void FillList(HWND list) {
  for (int c = 0; c < listviewhost::kColumnCount; ++c) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<char*>(listviewhost::kColumnTitles[c]);
    SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
  }
  for (int r = 0; r < listviewhost::kRowCount; ++r) {
    std::string first = listviewhost::Cell(r, 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<char*>(first.c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    for (int c = 1; c < listviewhost::kColumnCount; ++c) {
      std::string text = listviewhost::Cell(r, c);
      LVITEMA sub{};
      sub.iSubItem = c;
      sub.pszText = const_cast<char*>(text.c_str());
      SendMessageA(list, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&sub));
    }
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                  0, 0, 480, 200, hwnd,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(listviewhost::kListId)),
                                  GetModuleHandleA(nullptr), nullptr);
      if (!list) return -1;
      FillList(list);
      SetTimer(hwnd, kLifetimeTimer, listviewhost::kLifetimeMs, nullptr);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kLifetimeTimer) DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = listviewhost::kWindowClass;
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window =
      CreateWindowExA(0, listviewhost::kWindowClass, listviewhost::kWindowTitle, WS_OVERLAPPEDWINDOW,
                      CW_USEDEFAULT, CW_USEDEFAULT, 500, 260, nullptr, nullptr, instance, nullptr);
  if (!window) return 2;
  ShowWindow(window, show);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
