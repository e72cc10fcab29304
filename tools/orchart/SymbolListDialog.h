// "Insert Symbol List" (owned by the main window), as RadarScreen shows it for a named symbol list: list
// control 21536 (one column: the list's name, then its symbols), or control 23709 on the dialog's first
// "#32770" page with SymbolListInPage=1. Opened whenever the option SymbolList=NAME changes (DJIA,
// Futures; any other name shows a list holding only its name).
#pragma once

namespace orchart {

void RegisterSymbolListDialog();

}  // namespace orchart
