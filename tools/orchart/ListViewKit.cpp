// List view helpers.
#include "ListViewKit.h"

// commctrl.h needs the types of windows.h
#include <commctrl.h>

#include <set>
#include <string>

namespace orchart {

HWND CreateListViewNamed(const char* className, HWND parent, int id, const RECT& area, DWORD style) {
  // A class is looked up by name and module: registered for kernel32's module (which makes no windows),
  // it is found only by windows created for that module, never by a dialog template's controls.
  static const HINSTANCE owner = GetModuleHandleA("kernel32.dll");
  static std::set<std::string> registered;
  if (!registered.count(className)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, WC_LISTVIEWA, &wc)) return nullptr;
    wc.hInstance = owner;
    wc.lpszClassName = className;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    if (!RegisterClassExA(&wc)) return nullptr;
    registered.insert(className);
  }
  return CreateWindowExA(WS_EX_CLIENTEDGE, className, "", style | WS_CHILD, area.left, area.top,
                         area.right - area.left, area.bottom - area.top, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), owner, nullptr);
}

void SetListColumns(HWND list, const std::vector<std::pair<std::string, int>>& columns) {
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<char*>(columns[i].first.c_str());
    col.cx = columns[i].second;
    SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
  }
}

void SetListRow(HWND list, int row, const std::vector<std::string>& cells) {
  if (cells.empty()) return;
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  if (row >= static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0))) {
    item.pszText = const_cast<char*>(cells[0].c_str());
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
  for (size_t c = 0; c < cells.size(); ++c) {
    item.iSubItem = static_cast<int>(c);
    item.pszText = const_cast<char*>(cells[c].c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  }
}

void SetListRows(HWND list, const std::vector<std::vector<std::string>>& rows) {
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  for (size_t r = 0; r < rows.size(); ++r) SetListRow(list, static_cast<int>(r), rows[r]);
}

int SelectedListRow(HWND list) {
  int row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (row < 0)
    row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
  return row;
}

void SelectListRow(HWND list, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace orchart
