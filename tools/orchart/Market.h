// What a chart shows: dates, bar intervals and their texts, date ranges, and the symbols the stand-in knows.
#pragma once

#include <string>
#include <vector>

namespace orchart {

struct Date {
  int y = 0, m = 0, d = 0;

  bool Valid() const;
  int Serial() const;  // days since 1970-01-01
  static Date FromSerial(int serial);
  static Date Today();
  static int DaysInMonth(int y, int m);
  int Weekday() const;  // 0 Sunday .. 6 Saturday
  int Number() const { return y * 10000 + m * 100 + d; }
  Date AddDays(int n) const { return FromSerial(Serial() + n); }
  Date AddMonths(int n) const;  // the day is clamped to the month's length
  std::string Text() const;     // M/D/YYYY
  // Reads M/D/YYYY (also MM/DD/YYYY); false when it is not a valid date.
  static bool Parse(const std::string& text, Date& out);
  bool operator==(const Date& o) const { return y == o.y && m == o.m && d == o.d; }
};

enum class BarKind {
  Tick,
  Volume,
  Minute,
  Daily,
  Weekly,
  Monthly,
  Kase,
  Kagi,
  PointFigure,
  LineBreak,
  Momentum,
  Range,
  Renko
};

struct Interval {
  BarKind kind = BarKind::Minute;
  double value = 5;     // bars of `value` minutes, ticks or shares; Kase target range; Kagi reversal;
                        // box size, lines, momentum, range or brick size of the other kinds
  char kaseUnit = 'M';  // Kase bars built on minutes ('M') or ticks ('T')

  bool HasValue() const;
  // As TradeStation shows it in titles: "5 min", "100 Tick Bar", "1000 Share Bar", "Daily", "0.5 Kase Bar",
  // "2 Kagi Bar", "3 Point & Figure", "3 Line Break", "2 Momentum", "3 Range", "4 Renko".
  std::string Text() const;
  // Extension of the symbol cache file: "tik", "eod" or "min".
  std::string CacheExtension() const;
  bool operator==(const Interval& o) const {
    return kind == o.kind && value == o.value && kaseUnit == o.kaseUnit;
  }
};

// A number as the dialogs write it: whole numbers without decimals, others shortest.
std::string FormatNumber(double v);

// Reads an interval from words: "5 min", "5 minutes", "100 Tick Bar", "100 ticks", "1000 shares",
// "1000 Share Bar", "Daily", "weekly", "0.5 Kase Bar", "0.5 kase tick", "2 Kagi Bar", "3 Point & Figure"
// (also "3 pf"), "3 Line Break", "2 Momentum", "3 Range", "4 Renko". Consumes words from
// `pos` on; false (and `pos` unchanged) when the words there are no interval.
bool ParseInterval(const std::vector<std::string>& words, size_t& pos, Interval& out);
bool ParseInterval(const std::string& text, Interval& out);

// Splits at blanks, and splits a word like "5min" into "5" and "min".
std::vector<std::string> SplitWords(const std::string& text);

// The chart's date range: the last date (invalid = today) and either a number of bars back or a first date.
struct DateRange {
  Date last;
  bool barsBack = false;
  int bars = 0;
  Date first;

  Date LastOrToday() const { return last.Valid() ? last : Date::Today(); }
};

// Reads "10 days", "2 weeks", "3 months", "1 year", "500 bars" from `pos` on into `range` (the last date
// is kept); false when the words there are no range.
bool ParseRange(const std::vector<std::string>& words, size_t& pos, DateRange& range);

struct SymbolInfo {
  std::string exchange;
  std::string description;
  double basePrice = 50;
};
SymbolInfo LookupSymbol(const std::string& symbol);
// Letters, digits and @ $ . # _ - / only, 1 to 20 characters.
bool LooksLikeSymbol(const std::string& symbol);
std::string Upper(std::string s);
std::string Lower(std::string s);
bool EqualNoCase(const std::string& a, const std::string& b);
// Without leading and trailing blanks, tabs and line ends.
std::string Trimmed(const std::string& s);

}  // namespace orchart
