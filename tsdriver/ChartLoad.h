// The chart load signals beside the driver's own operations: chart pictures kept as files, and the symbol of
// a download log line. (FullChartLoadWaits, the driver's default load waits, is declared in TsDriver.h.)
#pragma once

#include <windows.h>

#include "foundation/Txt.h"
#include "tsdriver/TsDriver.h"

// Saves a picture of the chart's parent into `file` (a bitmap, its folder created) and runs the picture
// converter of the settings on it (ChartPictureConverter, ChartPictureConverterArgs). Returns the
// converter's result, 0 without a converter, negative when the picture could not be taken or written.
int SaveChartPicture(TsDriver& driver, HWND chart, const char* file);

// The symbol that a download log line of the form "..., request for SYMBOL, ..." names (blanks skipped,
// up to ',' or '(', trimmed of blanks and a final '.'); empty without "request for".
CTxt DownloadLogSymbol(const char* line);

// The seconds a loaded chart's data must have stood still (WaitForSymbolToLoad): ChartWaitForLoad (10), at
// least ChartLoadMinSec (10; lower only where a test's stand-in loads in milliseconds).
int ChartLoadWaitSeconds();
