// Tab pages and page classes.
#include "TabPages.h"

// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include "StandIn.h"

namespace orchart {

bool DialogClasses95() {
  App& app = App::Get();
  return app.version >= 95 && app.options.Flag("DialogClasses95");
}

void RegisterDialogClass(const char* name) {
  WNDCLASSA dc{};
  dc.lpfnWndProc = DefDlgProcA;
  dc.cbWndExtra = DLGWINDOWEXTRA;
  dc.hInstance = App::Get().instance;
  dc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  dc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dc.lpszClassName = name;
  RegisterClassA(&dc);
}

void AddTabs(HWND tab, std::initializer_list<const char*> names) {
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  for (const char* name : names) {
    item.pszText = const_cast<char*>(name);
    SendMessageA(tab, TCM_INSERTITEMA, SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0),
                 reinterpret_cast<LPARAM>(&item));
  }
}

void PlaceInTab(HWND dialog, HWND tab, HWND page) {
  RECT rc;
  GetWindowRect(tab, &rc);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&rc));
  SetWindowPos(page, HWND_TOP, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOACTIVATE);
}

}  // namespace orchart
