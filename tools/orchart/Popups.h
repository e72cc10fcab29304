// The boxes and pop-ups TradeStation raises outside its dialogs' own flow.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orchart {

// "Chart Analysis" error box (text names the fault: "not a valid symbol", "different time zones"),
// modal over `owner`; `onClose` runs when it is closed.
void ShowChartAnalysisError(HWND owner, const std::string& text, std::function<void()> onClose = {});
// "TradeStation" box with an OK button of identifier 0, modal over `owner`.
void ShowTradeStationError(HWND owner, const std::string& text);
// "TradeStation Charting" box with button 1010 (ChartingBox fault); one at a time.
void ShowChartingBox(const std::string& symbol);
// "Symbol Lookup" pop-up (SymbolLookup fault); one at a time.
void ShowSymbolLookup(const std::string& symbol);
// With ModalPopups: true while the "TradeStation Charting" box or "Symbol Lookup" is open; chart loading
// waits for it to close.
bool PopupHoldsChartLoading();
// "Command Line Error" box: the text in control 3509, an OK button.
void ShowCommandLineError(const std::string& text);

std::string InvalidSymbolText(const std::string& symbol);
// True when the symbol would raise "not a valid symbol": malformed, or listed in InvalidSymbols.
bool IsInvalidSymbol(const std::string& symbol);

}  // namespace orchart
