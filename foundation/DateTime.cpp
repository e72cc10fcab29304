// CZELDateTime: parsing, text forms, calendar arithmetic and elapsed-time texts (portable part).
// The clocks, local-time conversion, file times and the Eastern offset live in DateTime_win/_posix.cpp.
#include "foundation/DateTime.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/DateTime_platform.h"
#include "foundation/Log.h"
#include "foundation/Txt.h"

namespace {

const char* const kMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                     "July",    "August",   "September", "October", "November", "December"};
const char* const kMonthShort[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
// "Wednsday" is the name users and result files have always seen; kept as it is.
const char* const kDayNames[7] = {"Sunday",   "Monday", "Tuesday", "Wednsday",
                                  "Thursday", "Friday", "Saturday"};
const char* const kDayShort[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

constexpr int kSecondsPerDay = 86400;
constexpr int kJulianUnixEpoch = 2440588;        // 1 January 1970
constexpr int kJulianSpreadsheetBase = 2415019;  // 30 December 1899

int JulianOf(int year, int month, int day) {
  int a = (14 - month) / 12;
  int y = year + 4800 - a;
  int m = month + 12 * a - 3;
  return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

void CivilOfJulian(int jdn, int& year, int& month, int& day) {
  int a = jdn + 32044;
  int b = (4 * a + 3) / 146097;
  int c = a - 146097 * b / 4;
  int d = (4 * c + 3) / 1461;
  int e = c - 1461 * d / 4;
  int m = (5 * e + 2) / 153;
  day = e - (153 * m + 2) / 5 + 1;
  month = m + 3 - 12 * (m / 10);
  year = 100 * b + d - 4800 + m / 10;
}

int WeekDayOfJulian(int jdn) {
  return (jdn + 1) % 7;
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string TrimmedBlanks(const char* text) {
  return TrimBlanks(text ? text : "");
}

// Blank- or tab-separated words.
std::string Word(const std::string& s, int index) {
  size_t pos = 0;
  for (int i = 0;; ++i) {
    while (pos < s.size() && IsBlank(s[pos])) ++pos;
    if (pos >= s.size()) return std::string();
    size_t end = pos;
    while (end < s.size() && !IsBlank(s[end])) ++end;
    if (i == index) return s.substr(pos, end - pos);
    pos = end;
  }
}

int CurrentLocalYear() {
  return CZELDateTime::ReadLocalClock().year;
}

bool YearInRange(int year) {
  return year >= CZELDateTime::kFirstYear && year <= CZELDateTime::kLastYear;
}

// Two-digit years: below 70 in the 2000s, below 100 in the 1900s; -1 outside the years a value holds.
int ExpandYear(int year) {
  if (year < 70) year += 2000;
  if (year < 100) year += 1900;
  return YearInRange(year) ? year : -1;
}

// A year moved by arithmetic stays within the range (the stored year is one byte).
int ClampedYear(int year) {
  return year < CZELDateTime::kFirstYear ? CZELDateTime::kFirstYear
                                         : (year > CZELDateTime::kLastYear ? CZELDateTime::kLastYear : year);
}

int CheckedDate(int year, int month, int day) {
  year = ExpandYear(year);
  if (year < 0) return -1;
  if (month < 1 || month > 12) return -2;
  if (day < 1 || day > CZELDateTime::DayMonth(year, month)) return -3;
  return year * 10000 + month * 100 + day;
}

std::string Field(const std::string& s, char delim, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    start = s.find(delim, start);
    if (start == std::string::npos) return std::string();
    ++start;
  }
  size_t end = s.find(delim, start);
  return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int CountChar(const std::string& s, char c) {
  int n = 0;
  for (char x : s) n += (x == c);
  return n;
}

bool EndsWithPM(const std::string& s) {
  if (s.size() < 2) return false;
  return std::toupper(static_cast<unsigned char>(s[s.size() - 2])) == 'P' &&
         std::toupper(static_cast<unsigned char>(s[s.size() - 1])) == 'M';
}

void LogInvalid(const char* what, int value) {
  LogTrace("DateTime", kLogNormal, "Invalid %s: %d", what, value);
}

}  // namespace

// --- State ----------------------------------------------------------------------------------------------

bool CZELDateTime::IsEmpty() const {
  return (m_year | m_month | m_day | m_hour | m_minute | m_second) == 0;
}

bool CZELDateTime::IsValid() const {
  return m_month >= 1 && m_month <= 12 && m_day >= 1 && m_day <= DayMonth(GetYear(), m_month) &&
         m_hour <= 23 && m_minute <= 59 && m_second <= 59;
}

void CZELDateTime::FixDate() {
  if (IsEmpty()) {
    m_month = 1;
    m_day = 1;
    return;
  }
  if (m_month == 0) m_month = 1;
  if (m_month > 12) m_month = 12;
  if (m_day == 0) m_day = 1;
  int last = DayMonth(GetYear(), m_month);
  if (m_day > last) m_day = static_cast<unsigned char>(last);
  if (m_hour > 24) {
    m_hour = 23;
    m_minute = 59;
    m_second = 59;
  }
  if (m_minute > 59) m_minute = 59;
  if (m_second > 59) m_second = 59;
}

// --- Setting -------------------------------------------------------------------------------------------

int CZELDateTime::SetDT(const char* text) {
  std::string s = TrimmedBlanks(text);
  if (s.empty()) {
    Reset();
    return 0;
  }
  if (EqualNoCase(s.c_str(), "Today")) {
    SetNow();
    return SetTime(0, 0, 0);
  }
  if (EqualNoCase(s.c_str(), "Now")) return SetNow();
  if (EqualNoCase(s.c_str(), "TodayEST") || EqualNoCase(s.c_str(), "LIVE")) {
    SetNowEST();
    return SetTime(0, 0, 0);
  }
  if (EqualNoCase(s.c_str(), "NowEST")) return SetNowEST();

  std::string first = Word(s, 0);
  if (std::atoi(first.c_str()) == 0) return -3;
  // A lone time keeps the date; the whole text is read so that a following "PM" counts.
  if (first.find(':') != std::string::npos) return SetDT(0, ParseTime(s.c_str()));

  int date = ParseDate(first.c_str());
  if (date < 0) return -1;
  std::string clock = Word(s, 1);
  std::string suffix = Word(s, 2);
  if (!suffix.empty()) clock += " " + suffix;
  int time = clock.empty() ? 0 : ParseTime(clock.c_str());
  if (time < 0) return -2;
  return SetDT(date, time);
}

int CZELDateTime::SetDTCheck(const char* text) {
  int rc = SetDT(text);
  if (rc < 0) return rc;
  return IsValid() ? rc : -1;
}

bool CZELDateTime::SetCheckedTime(int hhmmss) {
  if (!IsTime(hhmmss)) {
    LogInvalid("Time", hhmmss);
    return false;
  }
  m_hour = static_cast<unsigned char>(hhmmss / 10000);
  m_minute = static_cast<unsigned char>(hhmmss / 100 % 100);
  m_second = static_cast<unsigned char>(hhmmss % 100);
  return true;
}

int CZELDateTime::SetDT(int date, int time) {
  if (!SetCheckedTime(time)) return -2;
  return SetDate(date) < 0 ? -1 : 0;
}

int CZELDateTime::SetDate(int year, int month, int day) {
  if (year < 100) year += 2000;
  if (year < 1900 || year > 2155 || month < 1 || month > 12 || day < 1 || day > DayMonth(year, month))
    return -1;
  m_year = static_cast<unsigned char>(year - 1900);
  m_month = static_cast<unsigned char>(month);
  m_day = static_cast<unsigned char>(day);
  return 0;
}

int CZELDateTime::SetDate(int yyyymmdd) {
  if (!IsDate(yyyymmdd)) {
    LogInvalid("Date", yyyymmdd);
    return -1;
  }
  m_year = static_cast<unsigned char>(yyyymmdd / 10000 - 1900);
  m_month = static_cast<unsigned char>(yyyymmdd / 100 % 100);
  m_day = static_cast<unsigned char>(yyyymmdd % 100);
  return 0;
}

int CZELDateTime::SetDate(const char* text) {
  int date = ParseDate(text ? text : "");
  if (date < 0) return date;
  return SetDT(date, 0);
}

int CZELDateTime::SetTime(int hour, int minute, int second) {
  if (hour < 0 || hour > 24 || minute < 0 || minute > 59 || second < 0 || second > 59) return -1;
  m_hour = static_cast<unsigned char>(hour);
  m_minute = static_cast<unsigned char>(minute);
  m_second = static_cast<unsigned char>(second);
  return 0;
}

int CZELDateTime::SetTimeSec(int seconds) {
  int s = static_cast<int>(seconds - FloorDiv(seconds, kSecondsPerDay) * kSecondsPerDay);
  return SetTime(s / 3600, s / 60 % 60, s % 60);
}

int CZELDateTime::SetTime(const char* text) {
  std::string s = TrimmedBlanks(text);
  if (s.empty()) return SetTime(0, 0, 0);
  if (EqualNoCase(s.c_str(), "TodayEST") || EqualNoCase(s.c_str(), "LIVE") ||
      EqualNoCase(s.c_str(), "NowEST") || EqualNoCase(s.c_str(), "Today") || EqualNoCase(s.c_str(), "Now")) {
    CZELDateTime now;
    if (EqualNoCase(s.c_str(), "Today") || EqualNoCase(s.c_str(), "Now"))
      now.SetNow();
    else
      now.SetNowEST();
    return SetTime(now.m_hour, now.m_minute, now.m_second);
  }
  int time = ParseTime(s.c_str());
  if (!SetCheckedTime(time)) return -2;
  if (EndsWithPM(s)) {
    int h = m_hour + 12;
    if (h >= 24) h -= 12;
    m_hour = static_cast<unsigned char>(h);
  }
  return 0;
}

int CZELDateTime::SetTimeHMS(int hhmmss) {
  int h = hhmmss / 10000, m = hhmmss / 100 % 100, s = hhmmss % 100;
  if (h > 24) return -1;
  if (m > 59) return -2;
  if (h == 24 && (m != 0 || s != 0)) return -4;
  m_hour = static_cast<unsigned char>(h);
  m_minute = static_cast<unsigned char>(m);
  m_second = static_cast<unsigned char>(s);
  return 0;
}

int CZELDateTime::SetDT64(const char* text) {
  long long v = text ? std::atoll(text) : 0;
  int date = static_cast<int>(v / 1000000);
  if (date < 1) {
    Reset();
    return -1;
  }
  return SetDT(date, static_cast<int>(v % 1000000));
}

int CZELDateTime::SetDTUnix(int64_t secondsSince1970) {
  return SetFromClock(datetime_platform::LocalFromUnix(secondsSince1970)) ? 0 : -1;
}

int CZELDateTime::SetDTFloat(double serial) {
  constexpr double kLimit = 1e8;  // days: far beyond the range, and safe to round to an integer
  if (!(serial > -kLimit && serial < kLimit)) return -1;
  int64_t total = std::llround(serial * kSecondsPerDay);
  int64_t days = FloorDiv(total, kSecondsPerDay);
  CZELDateTime day;
  if (!day.SetFromJulian(static_cast<int>(kJulianSpreadsheetBase + days))) return -1;
  SetFromJulian(static_cast<int>(kJulianSpreadsheetBase + days));
  return SetTimeSec(static_cast<int>(total - days * kSecondsPerDay));
}

int CZELDateTime::SetDTJul(int julianDay) {
  SetFromJulian(julianDay);
  SetTime(0, 0, 0);
  CZELDateTime today;
  today.SetNow();
  // A day number near int's limits (a damaged text) must not overflow the difference.
  int64_t moved = static_cast<int64_t>(julianDay) - today.GetJulian();
  return static_cast<int>(moved < INT_MIN ? INT_MIN : (moved > INT_MAX ? INT_MAX : moved));
}

int CZELDateTime::SetDTJul(const char* julianDay) {
  return SetDTJul(julianDay ? std::atoi(julianDay) : 0);
}

int CZELDateTime::SetNow() {
  SetFromClock(ReadLocalClock());
  return 0;
}

int CZELDateTime::SetNowGMT() {
  SetFromClock(ReadUtcClock());
  return 0;
}

int CZELDateTime::SetNowEST() {
  SetNowGMT();
  ShiftTime(datetime_platform::EasternMinusUtcSeconds());
  return 0;
}

int CZELDateTime::GetESTOffsetSec() {
  return static_cast<int>(datetime_platform::EasternMinusUtcSeconds() -
                          datetime_platform::LocalMinusUtcSeconds());
}

int CZELDateTime::SetDTFile(const char* path, char which) {
  Reset();
  which = static_cast<char>(std::toupper(static_cast<unsigned char>(which)));
  if (which != 'A' && which != 'C' && which != 'M' && which != 'S') return -1;
  Clock c{};
  if (!path || !datetime_platform::FileTimeLocal(path, which, c)) return -2;
  return SetFromClock(c) ? 0 : -2;
}

CZELDateTime::Clock CZELDateTime::ReadLocalClock() {
  return datetime_platform::LocalNow();
}
CZELDateTime::Clock CZELDateTime::ReadUtcClock() {
  return datetime_platform::UtcNow();
}

bool CZELDateTime::SetFromClock(const Clock& c) {
  if (!YearInRange(c.year)) return false;
  m_year = static_cast<unsigned char>(c.year - 1900);
  m_month = static_cast<unsigned char>(c.month);
  m_day = static_cast<unsigned char>(c.day);
  m_hour = static_cast<unsigned char>(c.hour);
  m_minute = static_cast<unsigned char>(c.minute);
  m_second = static_cast<unsigned char>(c.second);
  return true;
}

bool CZELDateTime::SetFromJulian(int julianDay) {
  int first = JulianOf(kFirstYear, 1, 1), last = JulianOf(kLastYear, 12, 31);
  bool inRange = julianDay >= first && julianDay <= last;
  if (!inRange) julianDay = julianDay < first ? first : last;
  int y, m, d;
  CivilOfJulian(julianDay, y, m, d);
  m_year = static_cast<unsigned char>(y - 1900);
  m_month = static_cast<unsigned char>(m);
  m_day = static_cast<unsigned char>(d);
  return inRange;
}

// --- Parsers ------------------------------------------------------------------------------------------

int CZELDateTime::ParseDate(const char* text) {
  std::string s = TrimmedBlanks(text);
  long n = std::atol(s.c_str());
  // Taken as it is, month and day unchecked; a year the value cannot hold is refused here already.
  if (n >= 18000000 && n <= 29991231)
    return ExpandYear(static_cast<int>(n / 10000)) < 0 ? -1 : static_cast<int>(n);
  if (s.find('/') != std::string::npos) {
    int month = std::atoi(Field(s, '/', 0).c_str());
    int day = std::atoi(Field(s, '/', 1).c_str());
    int year = CountChar(s, '/') >= 2 ? std::atoi(Field(s, '/', 2).c_str()) : CurrentLocalYear();
    return CheckedDate(year, month, day);
  }
  if (CountChar(s, '-') == 2) {
    return CheckedDate(std::atoi(Field(s, '-', 0).c_str()), std::atoi(Field(s, '-', 1).c_str()),
                       std::atoi(Field(s, '-', 2).c_str()));
  }
  if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return -1;
  int year = ExpandYear(static_cast<int>(n / 10000));
  if (year < 0) return -1;
  return year * 10000 + static_cast<int>(n % 10000);
}

int CZELDateTime::ParseTime(const char* text) {
  std::string s = TrimmedBlanks(text);
  if (s.find(':') == std::string::npos) {
    long n = std::strtol(s.c_str(), nullptr, 10);
    if (n < 0 || n > 999999) return -1;  // no clock reading; also keeps the scaling below in range
    if (n < 24) return n * 10000;
    if (n < 2400) return n * 100;
    return n;
  }
  int h = std::atoi(Field(s, ':', 0).c_str());
  int m = std::atoi(Field(s, ':', 1).c_str());
  int sec = CountChar(s, ':') >= 2 ? std::atoi(Field(s, ':', 2).c_str()) : 0;
  if (h < 0 || h > 23) return -1;
  if (m < 0 || m > 59) return -2;
  if (sec < 0 || sec > 59) return -3;
  if (FindNoCase(s.c_str(), "PM") >= 0 && h < 12) h += 12;
  return h * 10000 + m * 100 + sec;
}

// --- Reading ------------------------------------------------------------------------------------------

int CZELDateTime::GetDate(int mode) const {
  int yyyymmdd = GetYear() * 10000 + m_month * 100 + m_day;
  int century = m_year * 10000 + m_month * 100 + m_day;
  if (mode == -1) return century;
  if (mode <= -2) return yyyymmdd;
  if (!IsValid()) return 0;
  return mode == 1 ? century : yyyymmdd;
}

int CZELDateTime::GetTime() const {
  return m_hour * 10000 + m_minute * 100 + m_second;
}
int CZELDateTime::GetTimeSec() const {
  return m_hour * 3600 + m_minute * 60 + m_second;
}
int64_t CZELDateTime::GetDT() const {
  return static_cast<int64_t>(GetDate(-2)) * 1000000 + GetTime();
}
int CZELDateTime::GetJulian() const {
  return JulianOf(GetYear(), m_month, m_day);
}

int CZELDateTime::GetWeekDay(int mondayBased) const {
  int wd = WeekDayOfJulian(GetJulian());
  return mondayBased ? (wd + 6) % 7 : wd;
}

int CZELDateTime::GetWeekStart(int mondayBased) const {
  CZELDateTime start(*this);
  start.SetFromJulian(GetJulian() - GetWeekDay(mondayBased));
  return start.GetDate(-2);
}

int CZELDateTime::GetMonthDate() const {
  return GetYear() * 10000 + m_month * 100 + 1;
}

int CZELDateTime::GetQtrDate(int end) const {
  int firstMonth = (m_month - 1) / 3 * 3 + 1;
  if (!end) return GetYear() * 10000 + firstMonth * 100 + 1;
  int lastMonth = firstMonth + 2;
  return GetYear() * 10000 + lastMonth * 100 + DayMonth(GetYear(), lastMonth);
}

int CZELDateTime::GetJulianWeek(int mondayBased) const {
  return (GetJulian() - GetWeekDay(mondayBased)) / 7;
}

int CZELDateTime::GetWeekSeq(int mondayBased) const {
  int startJulian = GetJulian() - GetWeekDay(mondayBased);
  int jan1 = JulianOf(GetYear(), 1, 1);
  int week = startJulian < jan1 ? 1 : 1 + (startJulian - jan1) / 7;
  return GetYear() * 100 + week;
}

int CZELDateTime::GetTxt(CTxt& out, int mode) const {
  const int Y = GetYear(), y = m_year % 100, M = m_month, D = m_day, h = m_hour, m = m_minute, s = m_second;
  // The 12-hour forms write 0:30 as 00:30AM and 12:30 as 12:30PM, so that the time parser reads them back.
  const int h12 = h > 12 ? h - 12 : h;
  const bool pm = h >= 12;
  const char* shortMonth = (M >= 1 && M <= 12) ? kMonthShort[M - 1] : "?";
  switch (mode) {
    case 0:
      return out.Format("%04d%02d%02d %02d:%02d:%02d", Y, M, D, h, m, s);
    case 1:
      return out.Format("%04d%02d%02d", Y, M, D);
    case 2:
      return out.Format("%02d:%02d:%02d", h, m, s);
    case 3:
      return out.Format("%d/%d/%02d %02d:%02d:%02d", M, D, y, h, m, s);
    case 4:
      return out.Format("%d/%d/%02d", M, D, y);
    case 5:
      return out.Format("%02d:%02d", h, m);
    case 6:
      return out.Format("%d/%d/%04d", M, D, Y);
    case 7:
      return out.Format("%02d:%02d:%02d%s", h12, m, s, pm ? "PM" : "AM");
    case 8:
      return out.Format("%02d:%02d%s", h12, m, pm ? "PM" : "AM");
    case 9:
      return out.Format("%d/%d/%04d %02d:%02d:%02d", M, D, Y, h, m, s);
    case 10:
      return out.Format("%04d%02d%02d_%02d%02d%02d", Y, M, D, h, m, s);
    case 11:
      return out.Format("%02d%02d%02d", h, m, s);
    case 12:
      return out.Format("%02d/%02d/%04d", M, D, Y);
    case 13:
      return out.Format("%02d/%02d/%04d %02d:%02d", M, D, Y, h, m);
    case 14:
      return out.Format("%02d/%02d", M, D);
    case 15:
      return out.Format("%02d/%02d/%04d %02d:%02d%s", M, D, Y, h12, m, pm ? "PM" : "AM");
    case 16:
      return out.Format("%02d/%02d/%04d %02d:%02d:%02d%s", M, D, Y, h12, m, s, pm ? "PM" : "AM");
    case 17:
      return out.Format("%02d/%02d/%04d %02d:%02d:%02d", M, D, Y, h, m, s);
    case 18:
      return out.Format("%d/%d/%04d,%02d:%02d:%02d", M, D, Y, h, m, s);
    case 19:
      return out.Format("%02d/%02d/%04d|%02d:%02d:%02d", M, D, Y, h, m, s);
    case 20:
      return out.Format("%d/%04d", M, Y);
    case 21:
      return out.Format("%04d-Q%d", Y, (M - 1) / 3 + 1);
    case 22:
      return out.Format("%s/%04d", shortMonth, Y);
    case 23:
      return out.Format("%s/%02d", shortMonth, y);
    case 24:
      return out.Format("%02d/%02d/%04d,%02d:%02d:%02d", M, D, Y, h, m, s);
    case 25:
      return out.Format("%02d/%02d/%04d,%02d:%02d", M, D, Y, h, m);
    case 26:
      return out.Format("%d/%d", M, D);
    case 27:
      return out.Format("%d/%d/%d %02d:%02d", M, D, Y, h, m);
    case 28:
      return out.Format("%s+%d%%2C+%04d", shortMonth, D, Y);
    case 29:
      return out.Format("%s/%d/%04d %02d:%02d:%02d", shortMonth, D, Y, h, m, s);
    case 30:
      return out.Format("%d/%d/%d", Y, M, D);
    default:
      return out.GetLength();
  }
}

int CZELDateTime::GetStr(std::string& out, int mode) const {
  CTxt t(out.c_str());
  GetTxt(t, mode);
  out = t.ToStd();
  return static_cast<int>(out.size());
}

int CZELDateTime::Compare(const CZELDateTime* other, int depth) const {
  CZELDateTime now;
  if (!other) {
    now.SetNow();
    other = &now;
  }
  const unsigned char mine[6] = {m_year, m_month, m_day, m_hour, m_minute, m_second};
  const unsigned char theirs[6] = {other->m_year, other->m_month,  other->m_day,
                                   other->m_hour, other->m_minute, other->m_second};
  for (int i = 0; i < depth && i < 6; ++i) {
    if (mine[i] != theirs[i]) return mine[i] < theirs[i] ? -1 : 1;
  }
  return 0;
}

int CZELDateTime::SameDate(const CZELDateTime& other) const {
  if (m_year != other.m_year) return 1;
  if (m_month != other.m_month) return 2;
  if (m_day != other.m_day) return 3;
  return 0;
}

bool CZELDateTime::IsDTRange(const CZELDateTime* from, const CZELDateTime* to) const {
  if (!IsValid()) return false;
  if (from && from->IsFilled() && Compare(from) < 0) return false;
  if (to && to->IsFilled() && Compare(to) > 0) return false;
  return true;
}

int64_t CZELDateTime::SecondsSinceEpoch() const {
  return static_cast<int64_t>(GetJulian() - kJulianUnixEpoch) * kSecondsPerDay + GetTimeSec();
}

int64_t CZELDateTime::GetDiffSecBig(const CZELDateTime* other) const {
  CZELDateTime now;
  if (!other || other->IsEmpty()) {
    now.SetNow();
    other = &now;
  }
  return other->SecondsSinceEpoch() - SecondsSinceEpoch();
}

int CZELDateTime::GetDiffSec(const CZELDateTime* other) const {
  return static_cast<int>(GetDiffSecBig(other));
}
double CZELDateTime::GetDiffDays(const CZELDateTime* other) const {
  return static_cast<double>(GetDiffSecBig(other)) / kSecondsPerDay;
}

int CZELDateTime::GetDurTxt(CTxt& out, const CZELDateTime* other) const {
  int64_t d = GetDiffSecBig(other);
  if (d >= kSecondsPerDay) {
    out.Format("%.3f Days", static_cast<double>(d) / kSecondsPerDay);
    return 3;
  }
  if (d >= 3600) {
    out.Format("%.2f Hrs", static_cast<double>(d) / 3600);
    return 2;
  }
  if (d == 60) {
    out = "1 Min";
    return 1;
  }
  if (d > 60) {
    out.Format(d % 60 == 0 ? "%.0f Mins" : "%.2f Mins", static_cast<double>(d) / 60);
    return 1;
  }
  out.Format("%02lld Secs", static_cast<long long>(d));
  return 0;
}

int CZELDateTime::GetDurTxtHMS(CTxt& out, const CZELDateTime* other) const {
  int64_t d = GetDiffSecBig(other);
  if (d >= kSecondsPerDay) {
    out.Format("%.3f Days", static_cast<double>(d) / kSecondsPerDay);
    return 2;
  }
  int s = static_cast<int>(d);
  out.Format("%02d:%02d:%02d", s / 3600, s / 60 % 60, s % 60);
  return 1;
}

// --- Arithmetic -----------------------------------------------------------------------------------------

void CZELDateTime::ShiftYear(int n) {
  m_year = static_cast<unsigned char>(ClampedYear(GetYear() + n) - kFirstYear);
}

void CZELDateTime::ShiftMonth(int n) {
  long long target = static_cast<long long>(GetYear()) * 12 + (m_month - 1) + n;
  if (target >= (kLastYear + 1) * 12LL) {  // past the last month: its last day
    m_year = static_cast<unsigned char>(kLastYear - kFirstYear);
    m_month = 12;
    m_day = 31;
    return;
  }
  if (target < kFirstYear * 12LL) {
    m_year = 0;
    m_month = 1;
    m_day = 1;
    return;
  }
  if (n > 0) {
    int months = m_month - 1 + n;
    m_year = static_cast<unsigned char>(m_year + months / 12);
    m_month = static_cast<unsigned char>(months % 12 + 1);
    // A day the target month lacks rolls on into the next month (31 January + 1 month = 1 March). Only the
    // day decides: a time of 24:00:00 (which SetTime accepts) must not move the date.
    for (int i = 0; i < 10 && m_day > DayMonth(GetYear(), m_month); ++i) {
      if (m_day + 1 > DayMonth(GetYear(), m_month)) {
        m_day = 1;
        if (++m_month > 12) {
          m_month = 1;
          ++m_year;
        }
      } else {
        ++m_day;
      }
    }
    return;
  }
  for (int i = 0; i < -n; ++i) {
    if (--m_month < 1) {
      m_month = 12;
      --m_year;
    }
    while (m_day > 1 && m_day > DayMonth(GetYear(), m_month)) --m_day;
  }
}

void CZELDateTime::StepDays(int n) {
  SetFromJulian(GetJulian() + n);
}

void CZELDateTime::ShiftDate(int n, int marketDays) {
  if (!marketDays) {
    StepDays(n);
    return;
  }
  int step = n < 0 ? -1 : 1;
  int julian = GetJulian();
  for (int left = n < 0 ? -n : n; left > 0;) {
    julian += step;
    int wd = WeekDayOfJulian(julian);
    if (wd != 0 && wd != 6) --left;
  }
  SetFromJulian(julian);
}

void CZELDateTime::ShiftDate(double days) {
  double whole = std::trunc(days);
  StepDays(static_cast<int>(whole));
  ShiftTime(std::llround((days - whole) * kSecondsPerDay));
}

void CZELDateTime::ShiftMktDate(int n) {
  ShiftDate(n, 1);
  // A weekend value shifted by nothing still has to end on a weekday: the next Monday.
  while (GetWeekDay() == 0 || GetWeekDay() == 6) StepDays(1);
}

void CZELDateTime::ShiftTime(int64_t seconds) {
  int64_t total = GetTimeSec() + seconds;
  int64_t days = FloorDiv(total, kSecondsPerDay);
  SetTimeSec(static_cast<int>(total - days * kSecondsPerDay));
  if (days) StepDays(static_cast<int>(days));
}

// --- Calendar facts and names -------------------------------------------------------------------------

int CZELDateTime::DayYear(int year) {
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return leap ? 366 : 365;
}

int CZELDateTime::DayMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return (month == 2 && DayYear(year) == 366) ? 29 : days[month - 1];
}

int CZELDateTime::Jan1(int year) {
  return WeekDayOfJulian(JulianOf(year, 1, 1));
}

int CZELDateTime::GetMonthTxt(int month, CTxt& out, int shortName) {
  if (month < 1 || month > 12) return out.Format("?%d", month);
  out = shortName ? kMonthShort[month - 1] : kMonthNames[month - 1];
  return out.GetLength();
}

int CZELDateTime::GetWeekDayTxt(int day, CTxt& out, int shortName, int mondayBased) {
  if (day < 0 || day > 6) return out.Format("?%d", day);
  int sundayBased = mondayBased ? (day + 1) % 7 : day;
  out = shortName ? kDayShort[sundayBased] : kDayNames[sundayBased];
  return out.GetLength();
}

int CZELDateTime::GetWeekDayVal(const char* name, int mondayBased) {
  if (!name || std::strlen(name) < 3) return -1;
  char head[4] = {name[0], name[1], name[2], 0};
  for (int i = 0; i < 7; ++i) {
    if (CompareNoCase(head, kDayShort[i], 1) == 0) return mondayBased ? (i + 6) % 7 : i;
  }
  return -1;
}

int CZELDateTime::GetCurrDateCTxt(CTxt& out) {
  CZELDateTime now;
  now.SetNow();
  return now.GetTxt(out, 12);
}

int CZELDateTime::GetCurrDateTimeCTxt(CTxt& out) {
  CZELDateTime now;
  now.SetNow();
  return now.GetTxt(out, 9);
}

int CZELDateTime::GetFileTimeStamp(CTxt& out) {
  CZELDateTime now;
  now.SetNow();
  return now.GetTxt(out, 10);
}

int CZELDateTime::GetCurrDateTimemSecCTxt(CTxt& out) {
  Clock c = ReadLocalClock();
  return out.Format("%02d%02d%02d|%02d:%02d:%02d.%03d", c.year % 100, c.month, c.day, c.hour, c.minute,
                    c.second, c.millisecond);
}

std::string CZELDateTime::GetCurrDateStr() {
  CTxt t;
  GetCurrDateCTxt(t);
  return t.ToStd();
}

std::string CZELDateTime::GetCurrDateTimeStr() {
  CTxt t;
  GetCurrDateTimeCTxt(t);
  return t.ToStd();
}
