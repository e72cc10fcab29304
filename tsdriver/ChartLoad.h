// The full chart load signals: the chart picture's colours, TradeStation's download log and the symbol's
// cache file (before 9.1). SetupChart and opening a workspace wait on these through ChartLoadWaits.
#pragma once

#include <windows.h>

#include "foundation/Txt.h"
#include "tsdriver/TsDriver.h"

// Calls the driver's own CountChartColours, WaitForDownloadToComplete and WaitForSymbolToLoad.
class FullChartLoadWaits : public ChartLoadWaits {
 public:
  int CountChartColours(TsDriver& driver, HWND chart, CTxt& err, const char* pattern, int limit) override {
    return driver.CountChartColours(chart, err, pattern, limit);
  }
  int WaitForDownloadToComplete(TsDriver& driver, const char* symbol, CTxt& err, int flag) override {
    return driver.WaitForDownloadToComplete(symbol, err, flag);
  }
  int WaitForSymbolToLoad(TsDriver& driver, const char* symbol, int kind, CTxt& err, int seconds) override {
    return driver.WaitForSymbolToLoad(symbol, kind, err, seconds);
  }
};

// Saves a picture of the chart's parent into `file` (a bitmap, its folder created) and runs the picture
// converter of the settings on it (ChartPictureConverter, ChartPictureConverterArgs). Returns the
// converter's result, 0 without a converter, negative when the picture could not be taken or written.
int SaveChartPicture(TsDriver& driver, HWND chart, const char* file);

// The symbol that a download log line of the form "..., request for SYMBOL, ..." names (blanks skipped,
// up to ',' or '(', trimmed of blanks and a final '.'); empty without "request for".
CTxt DownloadLogSymbol(const char* line);
