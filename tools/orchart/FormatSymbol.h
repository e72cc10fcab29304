// Format Symbol (command 17556 posted to a chart view): "Format Symbol - SYMBOL INTERVAL" for a chart
// with one data track, "Format Symbols" (data track list 6528, remove 6547, format 6635, "Close") for a
// chart with several. Both are owned by the main window. The symbol page (the page holding the bar kind
// list 7272) carries the symbol, interval, date range and time zone controls; OK changes the chart,
// which then reloads.
#pragma once

namespace orchart {

void RegisterFormatSymbolCommands();

}  // namespace orchart
