// The dialog base class: object lookup, dispatch with every exception caught, and the application's boxes.
#include "app/Dialogs/Dialog.h"

#include <algorithm>
#include <exception>

#include "foundation/Log.h"

namespace {

constexpr const char* kLogCategory = "Tavrin";

void LogException(const char* what) {
  LogTrace(kLogCategory, 0, "Unexpected error in a dialog: %s", what);
}

}  // namespace

INT_PTR Dialog::RunModal(HWND owner, const DLGTEMPLATE* dialogTemplate) {
  if (!dialogTemplate) return -1;
  return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate, owner, Proc,
                                 reinterpret_cast<LPARAM>(this));
}

INT_PTR Dialog::RunModal(HWND owner, int resourceId) {
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), owner, Proc,
                         reinterpret_cast<LPARAM>(this));
}

std::string Dialog::ItemText(int id) const {
  HWND item = Item(id);
  int length = item ? GetWindowTextLengthA(item) : 0;
  std::string text(static_cast<size_t>(length) + 1, '\0');
  if (length > 0) GetWindowTextA(item, &text[0], length + 1);
  text.resize(std::char_traits<char>::length(text.c_str()));
  return text;
}

void Dialog::End(INT_PTR result) {
  if (m_hwnd) EndDialog(m_hwnd, result);
}

POINT Dialog::ItemCentre(int id) const {
  RECT r{};
  GetWindowRect(Item(id), &r);
  return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
    self->m_hwnd = hwnd;
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  try {
    return self->Handle(msg, wp, lp);
  } catch (const std::exception& e) {
    LogException(e.what());
  } catch (...) {
    LogException("unknown exception");
  }
  return FALSE;
}

INT_PTR Dialog::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      return OnInit() ? TRUE : FALSE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (OnCommand(id, HIWORD(wp), reinterpret_cast<HWND>(lp))) return TRUE;
      if (id == IDCANCEL) {
        End(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      LRESULT result = OnNotify(reinterpret_cast<NMHDR*>(lp));
      SetWindowLongPtrA(m_hwnd, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_TIMER:
      OnTimer(wp);
      return TRUE;
    case WM_NCDESTROY:
      m_hwnd = nullptr;
      return FALSE;
    default: {
      INT_PTR result = 0;
      if (OnMessage(msg, wp, lp, result)) return result;
      return FALSE;
    }
  }
}

void MoveOntoWorkArea(HWND window, int x, int y) {
  RECT r{};
  GetWindowRect(window, &r);
  int width = r.right - r.left, height = r.bottom - r.top;
  POINT at{x, y};
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &info)) {
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  const RECT& work = info.rcWork;
  width = std::min<int>(width, work.right - work.left);
  height = std::min<int>(height, work.bottom - work.top);
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
