// The deterministic synthetic prices of a symbol, as bars of any interval over a date range.
// The same symbol, interval and range always give the same bars; every interval is built from one
// underlying path per symbol (daily closes, and a minute path per trading day inside them).
#pragma once

#include <string>
#include <vector>

#include "Market.h"

namespace orchart {

struct Bar {
  int date = 0;  // YYYYMMDD
  int time = 0;  // HHMM at the bar's close; 0 for daily, weekly and monthly bars
  double open = 0, high = 0, low = 0, close = 0;
  double volume = 0;
};

// Bars of `interval` ending on the range's last date (today when unset), starting on its first date or
// `bars` bars back. At most `maxBars` bars (the latest ones) are returned. Trading days are Monday to
// Friday; intraday bars cover the session 09:30 to 16:00.
std::vector<Bar> BuildBars(const std::string& symbol, const Interval& interval, const DateRange& range,
                           size_t maxBars = 100000);

}  // namespace orchart
