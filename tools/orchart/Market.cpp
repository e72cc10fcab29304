// Dates, intervals, ranges and the symbol table of the stand-in.
#include "Market.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace orchart {

// ---- Dates -------------------------------------------------------------------------------------

bool Date::Valid() const {
  return y >= 1900 && y <= 2200 && m >= 1 && m <= 12 && d >= 1 && d <= DaysInMonth(y, m);
}

int Date::DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (m < 1 || m > 12) return 0;
  bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return days[m - 1] + (m == 2 && leap ? 1 : 0);
}

// Days from civil (proleptic Gregorian), after H. Hinnant's algorithm.
int Date::Serial() const {
  int yy = y - (m <= 2 ? 1 : 0);
  int era = (yy >= 0 ? yy : yy - 399) / 400;
  int yoe = yy - era * 400;
  int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

Date Date::FromSerial(int z) {
  z += 719468;
  int era = (z >= 0 ? z : z - 146096) / 146097;
  int doe = z - era * 146097;
  int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int mp = (5 * doy + 2) / 153;
  Date out;
  out.d = doy - (153 * mp + 2) / 5 + 1;
  out.m = mp < 10 ? mp + 3 : mp - 9;
  out.y = yoe + era * 400 + (out.m <= 2 ? 1 : 0);
  return out;
}

Date Date::Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return Date{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

int Date::Weekday() const {
  int s = Serial();  // 1970-01-01 was a Thursday
  return ((s % 7) + 7 + 4) % 7;
}

Date Date::AddMonths(int n) const {
  int total = y * 12 + (m - 1) + n;
  Date out{total / 12, total % 12 + 1, d};
  if (out.d > DaysInMonth(out.y, out.m)) out.d = DaysInMonth(out.y, out.m);
  return out;
}

std::string Date::Text() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d/%d/%04d", m, d, y);
  return buf;
}

bool Date::Parse(const std::string& text, Date& out) {
  int mm = 0, dd = 0, yy = 0;
  char tail = 0;
  if (std::sscanf(text.c_str(), " %d/%d/%d%c", &mm, &dd, &yy, &tail) != 3) return false;
  if (yy < 100) yy += yy < 50 ? 2000 : 1900;
  Date d{yy, mm, dd};
  if (!d.Valid()) return false;
  out = d;
  return true;
}

// ---- Texts -------------------------------------------------------------------------------------

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return Lower(a) == Lower(b);
}

std::string Trimmed(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

std::string FormatNumber(double v) {
  char buf[64];
  if (std::fabs(v - std::round(v)) < 1e-9 && std::fabs(v) < 1e15)
    std::snprintf(buf, sizeof buf, "%.0f", v);
  else
    std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::vector<std::string> SplitWords(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  auto flush = [&] {
    if (!word.empty()) out.push_back(word);
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      flush();
      continue;
    }
    // "5min" -> "5" "min": a letter right after a number starts a new word.
    bool letter = std::isalpha(static_cast<unsigned char>(c)) != 0;
    if (letter && !word.empty()) {
      bool numeric = true;
      for (char w : word)
        if (!std::isdigit(static_cast<unsigned char>(w)) && w != '.') numeric = false;
      if (numeric) flush();
    }
    word += c;
  }
  flush();
  return out;
}

// ---- Intervals ---------------------------------------------------------------------------------

bool Interval::HasValue() const {
  return kind != BarKind::Daily && kind != BarKind::Weekly && kind != BarKind::Monthly;
}

std::string Interval::Text() const {
  switch (kind) {
    case BarKind::Tick:
      return FormatNumber(value) + " Tick Bar";
    case BarKind::Volume:
      return FormatNumber(value) + " Share Bar";
    case BarKind::Minute:
      return FormatNumber(value) + " min";
    case BarKind::Daily:
      return "Daily";
    case BarKind::Weekly:
      return "Weekly";
    case BarKind::Monthly:
      return "Monthly";
    case BarKind::Kase:
      return FormatNumber(value) + " Kase Bar";
    case BarKind::Kagi:
      return FormatNumber(value) + " Kagi Bar";
    case BarKind::PointFigure:
      return FormatNumber(value) + " Point & Figure";
    case BarKind::LineBreak:
      return FormatNumber(value) + " Line Break";
    case BarKind::Momentum:
      return FormatNumber(value) + " Momentum";
    case BarKind::Range:
      return FormatNumber(value) + " Range";
    case BarKind::Renko:
      return FormatNumber(value) + " Renko";
  }
  return "";
}

std::string Interval::CacheExtension() const {
  switch (kind) {
    case BarKind::Tick:
      return "tik";
    case BarKind::Daily:
    case BarKind::Weekly:
    case BarKind::Monthly:
      return "eod";
    default:
      return "min";
  }
}

namespace {

bool IsNumber(const std::string& w, double& v) {
  if (w.empty()) return false;
  char* end = nullptr;
  v = std::strtod(w.c_str(), &end);
  return end && *end == 0;
}

bool WordIn(const std::string& w, std::initializer_list<const char*> names) {
  std::string l = Lower(w);
  for (const char* n : names)
    if (l == n) return true;
  return false;
}

}  // namespace

bool ParseInterval(const std::vector<std::string>& words, size_t& pos, Interval& out) {
  if (pos >= words.size()) return false;
  const std::string& first = words[pos];
  BarKind wordKind = BarKind::Minute;
  if (WordIn(first, {"daily", "day"}))
    wordKind = BarKind::Daily;
  else if (WordIn(first, {"weekly", "week"}))
    wordKind = BarKind::Weekly;
  else if (WordIn(first, {"monthly", "month"}))
    wordKind = BarKind::Monthly;
  if (wordKind != BarKind::Minute) {
    out = Interval{wordKind, 1, 'M'};
    ++pos;
    return true;
  }
  double v = 0;
  if (!IsNumber(first, v) || v <= 0 || pos + 1 >= words.size()) return false;
  const std::string& unit = words[pos + 1];
  Interval iv;
  iv.value = v;
  if (WordIn(unit, {"min", "mins", "minute", "minutes", "intra", "intra-day", "intraday"}))
    iv.kind = BarKind::Minute;
  else if (WordIn(unit, {"tick", "ticks"}))
    iv.kind = BarKind::Tick;
  else if (WordIn(unit, {"share", "shares", "volume"}))
    iv.kind = BarKind::Volume;
  else if (WordIn(unit, {"kase"}))
    iv.kind = BarKind::Kase;
  else if (WordIn(unit, {"kagi"}))
    iv.kind = BarKind::Kagi;
  else if (WordIn(unit, {"pf", "p&f"}))
    iv.kind = BarKind::PointFigure;
  else if (WordIn(unit, {"momentum", "momemntum"}))
    iv.kind = BarKind::Momentum;
  else if (WordIn(unit, {"range"}))
    iv.kind = BarKind::Range;
  else if (WordIn(unit, {"renko"}))
    iv.kind = BarKind::Renko;
  else if (WordIn(unit, {"point"}) && pos + 3 < words.size() && words[pos + 2] == "&" &&
           WordIn(words[pos + 3], {"figure"}))
    iv.kind = BarKind::PointFigure;
  else if (WordIn(unit, {"line"}) && pos + 2 < words.size() && WordIn(words[pos + 2], {"break"}))
    iv.kind = BarKind::LineBreak;
  else if (WordIn(unit, {"linebreak"}))
    iv.kind = BarKind::LineBreak;
  else
    return false;
  size_t next = pos + 2;
  if (WordIn(unit, {"point"})) next = pos + 4;
  if (WordIn(unit, {"line"})) next = pos + 3;
  if (next < words.size() && WordIn(words[next], {"bar", "bars"})) ++next;
  if (iv.kind == BarKind::Kase && next < words.size()) {
    bool tick = WordIn(words[next], {"tick", "t"});
    if (tick || WordIn(words[next], {"minute", "m"})) {
      iv.kaseUnit = tick ? 'T' : 'M';
      ++next;
    }
  }
  out = iv;
  pos = next;
  return true;
}

bool ParseInterval(const std::string& text, Interval& out) {
  std::vector<std::string> words = SplitWords(text);
  size_t pos = 0;
  return ParseInterval(words, pos, out) && pos == words.size();
}

bool ParseRange(const std::vector<std::string>& words, size_t& pos, DateRange& range) {
  double v = 0;
  if (pos + 1 >= words.size() || !IsNumber(words[pos], v) || v < 1) return false;
  std::string unit = Lower(words[pos + 1]);
  int n = static_cast<int>(v);
  Date last = range.LastOrToday();
  DateRange r = range;
  r.barsBack = false;
  if (unit == "bar" || unit == "bars") {
    r.barsBack = true;
    r.bars = n;
  } else if (unit == "day" || unit == "days") {
    r.first = last.AddDays(-n);
  } else if (unit == "week" || unit == "weeks") {
    r.first = last.AddDays(-7 * n);
  } else if (unit == "month" || unit == "months") {
    r.first = last.AddMonths(-n);
  } else if (unit == "year" || unit == "years") {
    r.first = last.AddMonths(-12 * n);
  } else {
    return false;
  }
  range = r;
  pos += 2;
  return true;
}

// ---- Symbols -----------------------------------------------------------------------------------

SymbolInfo LookupSymbol(const std::string& symbol) {
  struct Known {
    const char* symbol;
    const char* exchange;
    const char* description;
    double price;
  };
  static const Known known[] = {
      {"MSFT", "NASDAQ", "Microsoft Corp", 27},
      {"IBM", "NYSE", "International Business Machines Corp", 190},
      {"AAPL", "NASDAQ", "Apple Inc", 75},
      {"CSCO", "NASDAQ", "Cisco Systems Inc", 19},
      {"INTC", "NASDAQ", "Intel Corp", 21},
      {"SPY", "ARCX", "SPDR S&P 500 ETF Trust", 142},
      {"GE", "NYSE", "General Electric Co", 21},
      {"@ES", "CME", "E-mini S&P 500 Continuous Contract", 1420},
      {"@NQ", "CME", "E-mini Nasdaq-100 Continuous Contract", 2650},
      {"@YM", "CBOT", "E-mini Dow ($5) Continuous Contract", 13200},
      {"@ER2", "ICE", "Russell 2000 Mini Continuous Contract", 830},
      {"@CL", "NYMEX", "Crude Oil Continuous Contract", 86},
      {"@GC", "COMEX", "Gold Continuous Contract", 1700},
      {"@EC", "CME", "Euro FX Continuous Contract", 1.31},
      {"@US", "CBOT", "U.S. T-Bond Continuous Contract", 148},
      {"@FDAX", "EUREX", "DAX Futures Continuous Contract", 7600},
  };
  std::string up = Upper(symbol);
  for (const Known& k : known)
    if (up == k.symbol) return SymbolInfo{k.exchange, k.description, k.price};
  SymbolInfo info;
  info.exchange = !up.empty() && up[0] == '@' ? "CME" : "NYSE";
  info.description = up + " Synthetic Series";
  unsigned h = 2166136261u;
  for (char c : up) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  info.basePrice = 10 + (h % 19000) / 100.0;
  return info;
}

bool LooksLikeSymbol(const std::string& symbol) {
  if (symbol.empty() || symbol.size() > 20) return false;
  for (char c : symbol) {
    if (std::isalnum(static_cast<unsigned char>(c))) continue;
    if (c == '@' || c == '$' || c == '.' || c == '#' || c == '_' || c == '-' || c == '/') continue;
    return false;
  }
  return true;
}

}  // namespace orchart
