// Parsers of TradeStation's window titles: the main title (desktop, workspace, symbol, interval) and a chart
// window's title (symbol, interval), and the interval kind of a chart's interval text. Portable: the native
// tests run them without Windows.
#pragma once

#include "foundation/Txt.h"

// Splits the main window's title after stripping the product prefixes ("TradeStation 9.5 - " ...). Returns
// how many of the four parts were found (0 to 4); -1 when the title has no " - " ("Desktop name is missing
// (TITLE)" in desktop), -2 when the workspace part does not end ("Workspace name is missing (TITLE)").
int SplitTSMainTitle(const char* title, CTxt& desktop, CTxt& workspace, CTxt& symbol, CTxt& interval);

// The same without stripping the prefixes; a first segment beginning with "Tradestation 8." is returned in
// product (empty otherwise).
int SplitTSMainTitleNoPrefix(const char* title, CTxt& desktop, CTxt& workspace, CTxt& symbol, CTxt& interval,
                             CTxt& product);

// A chart window's title "Chart Analysis - SYMBOL INTERVAL [EXCHANGE] ...": -1 without "Chart Analysis - ",
// else 1, plus 1 when a non-empty interval was found.
int SplitChartTitle(const char* title, CTxt& symbol, CTxt& interval);

// The interval kind of a chart's interval text with its blanks removed ("5min", "100TickBar", "Daily"):
// 2 daily, 3 weekly, 4 monthly, 0 ticks, 13 shares, 9 Kase, 1 (minutes) for anything else.
int IntervalKindFromName(const char* interval);
