// The date field control.
#include "DateField.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "StandIn.h"

namespace orchart {
namespace {

struct FieldState {
  Date date{2012, 12, 14};
  int field = 0;      // 0 month, 1 day, 2 year
  std::string typed;  // digits typed into the selected field so far
  HFONT font = nullptr;
};

FieldState* StateOf(HWND hwnd) {
  return reinterpret_cast<FieldState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

HGDIOBJ FontOf(HWND hwnd) {
  FieldState* s = StateOf(hwnd);
  return s && s->font ? static_cast<HGDIOBJ>(s->font) : GetStockObject(DEFAULT_GUI_FONT);
}

std::string Format(const Date& d) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.m, d.d, d.y);
  return buf;
}

// The date with its day limited to the month's length.
Date Normalized(Date d) {
  int days = Date::DaysInMonth(d.y, d.m);
  if (d.d > days) d.d = days;
  if (d.d < 1) d.d = 1;
  return d;
}

void Store(HWND hwnd, FieldState* s) {
  DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Format(s->date).c_str()));
  InvalidateRect(hwnd, nullptr, TRUE);
}

void TypeDigit(FieldState* s, char c) {
  size_t width = s->field == 2 ? 4 : 2;
  if (s->typed.size() >= width) s->typed.clear();
  s->typed += c;
  int v = std::atoi(s->typed.c_str());
  if (s->field == 0 && v >= 1 && v <= 12) s->date.m = v;
  if (s->field == 1 && v >= 1 && v <= 31) s->date.d = v;
  if (s->field == 2 && s->typed.size() == 4 && v >= 1900 && v <= 2200) s->date.y = v;
}

void Step(FieldState* s, int delta) {
  Date d = Normalized(s->date);
  if (s->field == 0) d = d.AddMonths(delta);
  if (s->field == 1) d = d.AddDays(delta);
  if (s->field == 2) d = d.AddMonths(12 * delta);
  s->date = d;
}

int FieldAt(HWND hwnd, int x) {
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(dc, FontOf(hwnd));
  SIZE monthEnd, dayEnd;
  GetTextExtentPoint32A(dc, "00/", 3, &monthEnd);
  GetTextExtentPoint32A(dc, "00/00/", 6, &dayEnd);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  x -= 3;  // text margin
  return x < monthEnd.cx ? 0 : x < dayEnd.cx ? 1 : 2;
}

void Paint(HWND hwnd, FieldState* s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  bool enabled = IsWindowEnabled(hwnd) != FALSE;
  FillRect(dc, &rc, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, FontOf(hwnd));
  SetBkMode(dc, TRANSPARENT);
  std::string text = Format(s->date);
  const int starts[] = {0, 3, 6}, lengths[] = {2, 2, 4};
  int x = 3;
  for (int f = 0; f < 3; ++f) {
    std::string part = text.substr(starts[f], lengths[f]);
    SIZE sz;
    GetTextExtentPoint32A(dc, part.c_str(), static_cast<int>(part.size()), &sz);
    bool selected = f == s->field && GetFocus() == hwnd;
    if (selected) {
      RECT r{x, 2, x + sz.cx, rc.bottom - 2};
      FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    SetTextColor(dc, GetSysColor(selected  ? COLOR_HIGHLIGHTTEXT
                                 : enabled ? COLOR_WINDOWTEXT
                                           : COLOR_GRAYTEXT));
    TextOutA(dc, x, (rc.bottom - sz.cy) / 2, part.c_str(), static_cast<int>(part.size()));
    x += sz.cx;
    if (f < 2) {
      SetTextColor(dc, GetSysColor(enabled ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
      TextOutA(dc, x, (rc.bottom - sz.cy) / 2, "/", 1);
      SIZE slash;
      GetTextExtentPoint32A(dc, "/", 1, &slash);
      x += slash.cx;
    }
  }
  SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK DateFieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  FieldState* s = StateOf(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      s = new FieldState;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
      break;
    case WM_CREATE:
      Store(hwnd, s);
      return 0;
    case WM_NCDESTROY:
      delete s;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wp);
      if (lp) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s ? s->font : nullptr);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETTEXT: {
      // DateFieldsTypedOnly: a text sent by another thread or program is refused; only typed digits
      // (and the stand-in's own settings) change the date.
      if (App::Get().options.Flag("DateFieldsTypedOnly") && InSendMessageEx(nullptr) != ISMEX_NOSEND) {
        App::Get().Log("date field: text from outside ignored");
        return FALSE;
      }
      Date d;
      if (!s || !lp || !Date::Parse(reinterpret_cast<const char*>(lp), d)) return FALSE;
      s->date = d;
      s->typed.clear();
      Store(hwnd, s);
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      s->field = FieldAt(hwnd, static_cast<short>(LOWORD(lp)));
      s->typed.clear();
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_CHAR:
      if (wp >= '0' && wp <= '9') {
        TypeDigit(s, static_cast<char>(wp));
        Store(hwnd, s);
      }
      return 0;
    case WM_KEYDOWN:
      // Moving between fields keeps the day as typed: the year may still come (02/29 then 2024); the
      // day is limited to the month's length when the field loses the focus or is read.
      if (wp == VK_RIGHT || wp == VK_LEFT) {
        s->field = (s->field + (wp == VK_RIGHT ? 1 : 2)) % 3;
        s->typed.clear();
        Store(hwnd, s);
        return 0;
      }
      if (wp == VK_UP || wp == VK_DOWN) {
        Step(s, wp == VK_UP ? 1 : -1);
        s->typed.clear();
        Store(hwnd, s);
        return 0;
      }
      break;
    case WM_KILLFOCUS:
      if (s) {
        s->date = Normalized(s->date);
        s->typed.clear();
        Store(hwnd, s);
      }
      break;
    case WM_SETFOCUS:
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(hwnd, s);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

void RegisterDateField(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DateFieldProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
  wc.lpszClassName = kDateFieldClass;
  RegisterClassA(&wc);
}

Date GetDateField(HWND field) {
  FieldState* s = StateOf(field);
  return s ? Normalized(s->date) : Date{};
}

void SetDateField(HWND field, const Date& date) {
  if (date.Valid()) SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(date.Text().c_str()));
}

}  // namespace orchart
