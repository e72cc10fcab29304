// Timeframe lines: the kind and range tables, reading and composing, validation, the chart parser, the
// bar-type tables and the per-symbol step queries.
#include "sequence/Timeframe.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "foundation/Settings.h"
#include "foundation/TxtArray.h"

namespace {

// atoi as the Windows runtime has it: a number beyond int's range is clamped at its limit. The C library
// leaves that case undefined (glibc turns "99999999999999999999" into -1: a range count then reads back as
// another line, and a tick count falls back to the default natively but not on Windows).
int ClampedInt(const char* text) {
  long long v = std::strtoll(text, nullptr, 10);
  return v > INT_MAX ? INT_MAX : (v < INT_MIN ? INT_MIN : static_cast<int>(v));
}

struct KindInfo {
  const char* name;
  const char* label;       // "" for kinds without a value
  const char* defaultKey;  // section "SYS"; null without a value
  const char* defaultValue;
};

const KindInfo kKinds[kTimeframeKindCount] = {
    {"Ticks", "Ticks:", "TFDfltTicks", "100"},
    {"Intra", "Minutes:", "TFDfltIntra", "15"},
    {"Daily", "", nullptr, nullptr},
    {"Weekly", "", nullptr, nullptr},
    {"Monthly", "", nullptr, nullptr},
    {"Volume", "Shares:", "TFDfltVol", "1000"},
    {"Kase", "Target Range:", "TFDfltKase", "0.5"},
};

struct UnitInfo {
  const char* dialogText;
  const char* word;
};

const UnitInfo kUnits[kRangeUnitCount] = {
    {"Days back", "Days"},   {"Weeks back", "Weeks"}, {"Months back", "Months"},
    {"Years back", "Years"}, {"Bars back", "Bars"},
};

struct BarTypeInfo {
  int barType;
  const char* name;
  const char* codeFormat;  // null: no code
  char argument;           // 'n' integer value, 'x' floating value, 's' value text, 0 none
};

const BarTypeInfo kBarTypes[] = {
    {kBarTick, "Tick", "Tick%05d", 'n'},
    {kBarIntraday, "Intra-day", "Intra%04d", 'n'},
    {kBarDaily, "Daily", "Daily", 0},
    {kBarWeekly, "Weekly", "Weekly", 0},
    {kBarMonthly, "Monthly", "Monthly", 0},
    {kBarPointFigure, "Point & Figure", "PF%04d", 'n'},
    {kBarKase, "Kase", "KASE%s", 's'},
    {kBarLineBreak, "Line Break", "LinBrk%04d", 'n'},
    {kBarMomentum, "Momemntum", "Mom%.2f", 'x'},
    {kBarRange, "Range", "Range%.2f", 'x'},
    {kBarVolume, "Volume", "Volume%05d", 'n'},
    {kBarRenko, "Renko", nullptr, 0},
    {kBarKagi, "Kagi", "KAGI%s", 's'},
};

constexpr int kMaxTicksPerBar = 4000;
constexpr int kMaxMinutesPerBar = 1440;
constexpr int kDefaultMinutes = 15;
constexpr int kDefaultTicks = 100;
constexpr int kDefaultShares = 1000;
constexpr int kDefaultDailyVolume = 10000;
constexpr int kBarsPerDayWhenUnset = 40;
constexpr int kMinVolumePerBar = 10;

const KindInfo& Info(TimeframeKind kind) {
  int i = static_cast<int>(kind);
  return kKinds[i >= 0 && i < kTimeframeKindCount ? i : static_cast<int>(TimeframeKind::Intra)];
}

const BarTypeInfo* FindBarType(int barType) {
  for (const BarTypeInfo& info : kBarTypes)
    if (info.barType == barType) return &info;
  return nullptr;
}

CTxt Field(const char* text, char delim, int first, int last = 0) {
  CTxt out("");
  strfld(text, delim, first, last, out);
  return out;
}

CTxt Trimmed(CTxt text) {
  text.Trim(' ');
  return text;
}

// The per-bar volume of a "~n" interval: the symbol's daily volume from the settings section, n bars a day.
int VolumePerBar(const char* section, const char* symbol, const char* barsPerDay) {
  int bars = ClampedInt(barsPerDay);
  if (bars < 1) bars = kBarsPerDayWhenUnset;
  // Without a symbol there is no key to read or write: the default daily volume applies.
  int daily =
      symbol && *symbol ? Settings::GetInt(section, symbol, kDefaultDailyVolume) : kDefaultDailyVolume;
  int perBar = daily / bars;
  return perBar < kMinVolumePerBar ? kMinVolumePerBar : perBar;
}

// Ticks and shares per bar: a whole number, or "~n" bars a day.
int CountPerBar(const char* field, const char* section, const char* symbol, int fallback) {
  CTxt text = Trimmed(CTxt(field));
  if (text.GetLength() > 0 && text[0] == '~')
    return VolumePerBar(section, symbol, static_cast<const char*>(text) + 1);
  int n = ClampedInt(text);
  return n < 1 ? fallback : n;
}

// Field 1 of a step text: its symbol.
CTxt StepSymbol(const CTxtArray& steps, int index) {
  return Field(steps.GetAtTxt(index) ? steps.GetAtTxt(index) : "", '|', 1);
}

// Whether StepSymbol(steps, index) equals symbol ignoring case, compared in place (the per-symbol queries
// run it on every step of the list): field 1 is the text up to the first '|', none on a line of blanks.
bool IsStepOf(const CTxtArray& steps, int index, const char* symbol) {
  const char* text = steps.GetAtTxt(index) ? steps.GetAtTxt(index) : "";
  size_t length = text[std::strspn(text, " ")] ? std::strcspn(text, "|") : 0;
  return std::strlen(symbol) == length && CompareNoCase(symbol, text, 2) == 0;
}

}  // namespace

const char* TimeframeKindName(TimeframeKind kind) {
  return Info(kind).name;
}

bool TimeframeKindHasValue(TimeframeKind kind) {
  return Info(kind).defaultKey != nullptr;
}

const char* TimeframeKindValueLabel(TimeframeKind kind) {
  return Info(kind).label;
}

int GetTimeframeDefaultValue(TimeframeKind kind, CTxt& out) {
  const KindInfo& info = Info(kind);
  if (!info.defaultKey) {
    out = "";
    return 0;
  }
  return Settings::GetString("SYS", info.defaultKey, info.defaultValue, out);
}

const char* RangeUnitDialogText(RangeUnit unit) {
  int i = static_cast<int>(unit);
  return kUnits[i >= 0 && i < kRangeUnitCount ? i : 0].dialogText;
}

const char* RangeUnitWord(RangeUnit unit) {
  int i = static_cast<int>(unit);
  return kUnits[i >= 0 && i < kRangeUnitCount ? i : 0].word;
}

int ReadTimeframeLine(const char* line, TimeframeSpec& spec) {
  const char* text = line ? line : "";
  CTxt interval = Field(text, '|', 1);
  CTxt kindText = Trimmed(Field(interval, '/', 1));
  spec.kind = TimeframeKind::Intra;
  for (int i = 0; i < kTimeframeKindCount; ++i)
    if (CompareNoCase(kindText, kKinds[i].name, 1) == 0) spec.kind = static_cast<TimeframeKind>(i);
  spec.value = Trimmed(Field(interval, '/', 2));
  CTxt unit = Trimmed(Field(interval, '/', 3));
  spec.kaseUnit =
      spec.kind == TimeframeKind::Kase && unit.GetLength() > 0 && std::toupper(unit[0]) == 'T' ? 'T' : 'M';

  CTxt range = Field(text, '|', 2);
  const char* p = range;
  while (*p && (std::isdigit(static_cast<unsigned char>(*p)) || *p == ' ')) ++p;
  spec.rangeUnit = RangeUnit::Days;
  char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  for (int i = 0; letter && i < kRangeUnitCount; ++i)
    if (kUnits[i].dialogText[0] == letter) {
      spec.rangeUnit = static_cast<RangeUnit>(i);
      break;
    }
  spec.rangeCount = ClampedInt(range);
  spec.endDate = Trimmed(Field(text, '|', 3));
  return 0;
}

int ComposeTimeframeLine(const TimeframeSpec& spec, CTxt& line, CTxt* label) {
  const char* kind = TimeframeKindName(spec.kind);
  const char* word = RangeUnitWord(spec.rangeUnit);
  if (label) *label = TimeframeKindValueLabel(spec.kind);
  if (!TimeframeKindHasValue(spec.kind)) {
    line.Format("%s|%d %s", kind, spec.rangeCount, word);
  } else {
    CTxt value = Trimmed(spec.value);
    if (value.IsEmpty()) GetTimeframeDefaultValue(spec.kind, value);
    if (spec.kind == TimeframeKind::Kase)
      line.Format("%s/%s/%c|%d %s", kind, static_cast<const char*>(value), spec.kaseUnit == 'T' ? 'T' : 'M',
                  spec.rangeCount, word);
    else
      line.Format("%s/%s|%d %s", kind, static_cast<const char*>(value), spec.rangeCount, word);
  }
  // A line read with an end date keeps it: editing the interval must not drop the user's date.
  if (spec.endDate.IsFilled()) {
    line += "|";
    line += spec.endDate;
  }
  return line.GetLength();
}

int ValidateTimeframeLine(const char* line, CTxt& msg) {
  TimeframeSpec spec;
  ReadTimeframeLine(line, spec);
  if (spec.kind != TimeframeKind::Ticks && spec.kind != TimeframeKind::Intra) return 0;
  CTxt value = spec.value;
  if (value.IsEmpty()) GetTimeframeDefaultValue(spec.kind, value);
  int n = ClampedInt(value);
  bool ticks = spec.kind == TimeframeKind::Ticks;
  int limit = ticks ? kMaxTicksPerBar : kMaxMinutesPerBar;
  if (n >= 1 && n <= limit) return 0;
  msg.Format(ticks ? "Tick Interval %s out of Range in: %s" : "Intraday Interval %s out of Range in: %s",
             static_cast<const char*>(value), line ? line : "");
  return -1;
}

int ParseChartInterval(const char* interval, const char* symbol, CTxt& value) {
  value = "";
  const char* text = interval ? interval : "";
  if (*text == '(') ++text;
  if (!*text) return kBarInvalid;
  CTxt field2 = Field(text, '/', 2);
  switch (std::toupper(static_cast<unsigned char>(*text))) {
    case 'I': {
      double minutes = std::atof(field2);
      if (minutes <= 0) minutes = kDefaultMinutes;
      value.Format("%.0f", minutes);
      return kBarIntraday;
    }
    case 'T':
      value.Format("%d", CountPerBar(field2, "TickDailyVolume", symbol, kDefaultTicks));
      return kBarTick;
    case 'V':
      value.Format("%d", CountPerBar(field2, "SharesDailyVolume", symbol, kDefaultShares));
      return kBarVolume;
    default:
      break;
  }
  if (StartsWithNoCase(text, "KASE") || StartsWithNoCase(text, "KAGI")) {
    CTxt upper(text);
    upper.MakeUpper();
    value.Format("%s/%s", static_cast<const char*>(Field(upper, '/', 2)),
                 static_cast<const char*>(Field(upper, '/', 3, 99)));
    // Kagi charts take a reversal amount, which the chart setup enters for bar type 15.
    return StartsWithNoCase(text, "KASE") ? kBarKase : kBarKagi;
  }
  switch (std::toupper(static_cast<unsigned char>(*text))) {
    case 'D':
      value = "Daily";
      return kBarDaily;
    case 'W':
      value = "Weekly";
      return kBarWeekly;
    case 'M':
      value = "Monthly";
      return kBarMonthly;
    default:
      return kBarInvalid;
  }
}

int GetBarTypeName(int barType, CTxt& name) {
  const BarTypeInfo* info = FindBarType(barType);
  name = info ? info->name : "";
  return name.GetLength();
}

int GetBarTypeCode(int barType, const char* value, CTxt& code) {
  const char* v = value ? value : "";
  int n = ClampedInt(v);
  const BarTypeInfo* info = FindBarType(barType);
  if (!info || !info->codeFormat) {
    code.Format("Invalid BarType %d (Int %d)", barType, n);
    return -1;
  }
  switch (info->argument) {
    case 'n':
      code.Format(info->codeFormat, n);
      break;
    case 'x':
      code.Format(info->codeFormat, std::atof(v));
      break;
    case 's':
      code.Format(info->codeFormat, v);
      break;
    default:
      code = info->codeFormat;
      break;
  }
  return code.GetLength();
}

int GetStepText(const CTxtArray& steps, int index, CTxt& out) {
  if (index < 0 || index >= steps.GetSize()) {
    out = "";
    return -1;
  }
  const char* text = steps.GetAtTxt(index);
  out = text ? text : "";
  return out.GetLength();
}

int CollectSymbolTimeframes(const CTxtArray& steps, int index, int current, CTxtArray& out) {
  out.RemoveAll();
  if (index < 0) index = current;
  if (index < 0 || index >= steps.GetSize()) return -1;
  CTxt symbol = StepSymbol(steps, index);
  for (int i = 0; i < steps.GetSize(); ++i) {
    if (!IsStepOf(steps, i, symbol)) continue;
    out.Add(Field(steps.GetAtTxt(i), '|', 3, 4));
  }
  return out.GetSize();
}

int GetSymbolStepPosition(const CTxtArray& steps, int current, int* count) {
  if (count) *count = 0;
  if (current < 0 || current >= steps.GetSize()) return -1;
  CTxt symbol = StepSymbol(steps, current);
  int position = 0, total = 0;
  for (int i = 0; i < steps.GetSize(); ++i) {
    if (!IsStepOf(steps, i, symbol)) continue;
    ++total;
    if (i <= current) position = total;
  }
  if (count) *count = total;
  return position;
}
