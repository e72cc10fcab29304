// Timeframe lines "interval|range[|end date]" (for example Intra/5|10 Days|3/5/2017): reading them into
// fields and composing them back, their validation, the chart parser of an interval text into a bar type
// and value, bar-type names and file-name codes, and the per-symbol timeframe queries on a step list.
#pragma once

#include "foundation/Txt.h"

class CTxtArray;

// In the order of the timeframe dialog's list; the index is the value the dialog stores.
enum class TimeframeKind { Ticks = 0, Intra = 1, Daily = 2, Weekly = 3, Monthly = 4, Volume = 5, Kase = 6 };
constexpr int kTimeframeKindCount = 7;

// In the order of the dialog's range list.
enum class RangeUnit { Days = 0, Weeks = 1, Months = 2, Years = 3, Bars = 4 };
constexpr int kRangeUnitCount = 5;

// The line a new timeframe starts as.
constexpr const char* kNewTimeframeLine = "Daily|2 Years";

// The parsed form of a timeframe line.
struct TimeframeSpec {
  TimeframeKind kind = TimeframeKind::Daily;
  CTxt value;           // interval value text (ticks, minutes, shares, Kase target range); may be empty
  char kaseUnit = 'M';  // Kase only: 'M' minute, 'T' tick
  int rangeCount = 2;
  RangeUnit rangeUnit = RangeUnit::Years;
  CTxt endDate;  // month/day/year, may be empty
};

const char* TimeframeKindName(TimeframeKind kind);  // "Ticks", "Intra", ... as written in lines
bool TimeframeKindHasValue(TimeframeKind kind);
const char* TimeframeKindValueLabel(TimeframeKind kind);  // "Ticks:", "Minutes:", ...; "" without a value
// The kind's default interval value from the settings (section "SYS"; not written back); "" without one.
int GetTimeframeDefaultValue(TimeframeKind kind, CTxt& out);
const char* RangeUnitDialogText(RangeUnit unit);  // "Days back", ...
const char* RangeUnitWord(RangeUnit unit);        // "Days", ... as written in lines

// Reads a line into its fields. An unknown kind reads as Intra and an unknown range unit as Days; a
// missing end date leaves it empty. Returns 0.
int ReadTimeframeLine(const char* line, TimeframeSpec& spec);
// Composes the line of the fields, as the timeframe dialog shows and stores it: an empty value takes the
// kind's default; an end date is kept when the fields hold one. label receives the value field's label.
// Returns the line's length.
int ComposeTimeframeLine(const TimeframeSpec& spec, CTxt& line, CTxt* label = nullptr);
// The dialog's check before it accepts a line: ticks 1..4000, minutes 1..1440. 0, or -1 with
// "Tick Interval %s out of Range in: %s" / "Intraday Interval %s out of Range in: %s" in msg.
int ValidateTimeframeLine(const char* line, CTxt& msg);

// Bar types of the chart setup.
enum BarType {
  kBarTick = 0,
  kBarIntraday = 1,
  kBarDaily = 2,
  kBarWeekly = 3,
  kBarMonthly = 4,
  kBarPointFigure = 5,
  kBarKase = 9,
  kBarLineBreak = 10,
  kBarMomentum = 11,
  kBarRange = 12,
  kBarVolume = 13,
  kBarRenko = 14,
  kBarKagi = 15,
  kBarInvalid = 99,
};

// Parses the interval field of a step for the chart: the bar type (kBarInvalid when unrecognised) and the
// value text ("5" minutes, "100" ticks, "0.5/M" Kase, "Daily" ...). "~n" for ticks and shares means n bars
// a day of the symbol's daily volume (settings sections "TickDailyVolume" and "SharesDailyVolume", default
// 10000, written back when missing).
int ParseChartInterval(const char* interval, const char* symbol, CTxt& value);

// Display name of a bar type ("Intra-day", ...); empty for a bar type without one. Returns the length.
int GetBarTypeName(int barType, CTxt& name);
// The interval's code in report and result file names ("Intra0005", "KASE0.5/M", ...), or -1 with
// "Invalid BarType %d (Int %d)" in code for a bar type without one. Returns the length.
int GetBarTypeCode(int barType, const char* value, CTxt& code);

// --- Per-symbol queries on a step list (step text SYMBOL|OPTSET|INTERVAL|DURATION|ENDDATE|) ------------

// The step's text, or "" and -1 when the index is outside the list; else the length.
int GetStepText(const CTxtArray& steps, int index, CTxt& out);
// Fields 3 and 4 ("interval|range") of every step of the same symbol (field 1, ignoring case) as the step
// index (the current step when index is negative), in step order, into out. The count, or -1 when that
// step does not exist.
int CollectSymbolTimeframes(const CTxtArray& steps, int index, int current, CTxtArray& out);
// 1-based position of the current step among the steps of its symbol, with the number of those steps in
// count; -1 when there is no current step.
int GetSymbolStepPosition(const CTxtArray& steps, int current, int* count = nullptr);
