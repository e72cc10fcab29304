// A date field like TradeStation's: month, day and year fields shown as MM/DD/YYYY. A click selects the
// field under the mouse (left of the first field: the month); typed digits fill the selected field
// (two for month and day, four for the year; one digit more starts the field again); VK_RIGHT and
// VK_LEFT move between fields (wrapping), VK_UP and VK_DOWN step the field. WM_GETTEXT gives
// "MM/DD/YYYY"; WM_SETTEXT takes M/D/YYYY. The field keeps keyboard input inside dialogs
// (DLGC_WANTARROWS | DLGC_WANTCHARS).
#pragma once

#include <windows.h>

#include "Market.h"

namespace orchart {

constexpr char kDateFieldClass[] = "ORDateField";

void RegisterDateField(HINSTANCE instance);
Date GetDateField(HWND field);
void SetDateField(HWND field, const Date& date);

}  // namespace orchart
