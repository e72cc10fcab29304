// CZELDateTime: a calendar date and time of day to the second (years 1900 to 2155), with text parsing and
// formatting, day, market-day and month arithmetic, US Eastern time and elapsed-time texts.
#pragma once

#include <cstdint>
#include <string>

class CTxt;

#if defined(_WIN32)
struct _SYSTEMTIME;
struct _FILETIME;
#endif

class CZELDateTime {
 public:
  // A reading of a clock to the millisecond (local or UTC).
  struct Clock {
    int year, month, day, hour, minute, second, millisecond;
  };
  static Clock ReadLocalClock();
  static Clock ReadUtcClock();

  CZELDateTime() = default;  // empty
  CZELDateTime(int date, int time) { SetDT(date, time); }

  // --- State -------------------------------------------------------------------------------------
  void Reset() { *this = CZELDateTime(); }
  bool IsEmpty() const;  // all six fields zero
  bool IsFilled() const { return !IsEmpty(); }
  bool IsValid() const;  // month 1-12, day within the month, hour <= 23, minute and second <= 59
  // The years a value can hold; every parser and setter refuses a date outside them, and arithmetic stops
  // at their ends instead of wrapping around.
  static constexpr int kFirstYear = 1900;
  static constexpr int kLastYear = 2155;
  static bool IsDate(int yyyymmdd) {
    return yyyymmdd >= kFirstYear * 10000 + 101 && yyyymmdd <= kLastYear * 10000 + 1231;
  }
  static bool IsTime(int hhmmss) { return hhmmss >= 0 && hhmmss < 240001; }
  void Copy(const CZELDateTime& other) { *this = other; }
  // Forces the value into range (empty becomes 1 January 1900, day beyond the month its last day, ...).
  void FixDate();

  // --- Setting (0 success, negative failure) ----------------------------------------------------------
  // A date-time text: "" empties; "Today", "Now", "TodayEST", "LIVE", "NowEST" (any case); a date (M/D[/Y],
  // Y-M-D, YYYYMMDD, YYMMDD) optionally followed by a time (H:M[:S] [PM]); a lone time keeps the date.
  // -1 bad date, -2 bad time, -3 not a number.
  int SetDT(const char* text);
  int SetDTCheck(const char* text);  // SetDT, then -1 unless the result is valid
  // YYYYMMDD and HHMMSS: -2 (and the log line "Invalid Time: %d") when the time fails IsTime, nothing set;
  // -1 ("Invalid Date: %d") when the date fails IsDate, the time then stays set.
  int SetDT(int date, int time);
  int SetDate(int year, int month, int day);  // year below 100 is 2000 + year; -1 unless valid
  int SetDate(int yyyymmdd);                  // keeps the time
  int SetDate(const char* text);              // ParseDate; time 00:00:00
  int SetTime(int hour, int minute, int second);
  int SetTimeSec(int secondsSinceMidnight);
  // Only the time: null/"" 00:00:00; "TodayEST", "LIVE", "NowEST" Eastern time of day now; "Today", "Now"
  // local time of day now; else ParseTime, then a trailing "PM" adds 12 hours (wrapping at 24).
  int SetTime(const char* text);
  int SetTimeHMS(int hhmmss);  // -1 hours above 24, -2 minutes above 59, -4 24 with minutes or seconds
  int SetDT64(const char* yyyymmddhhmmss);  // a date part below 1 empties the value and gives -1
  // A file's time in local time: 'A' access, 'C' creation, 'M' last write, 'S' modification time from the
  // file status. The value is empty and the result -1 for another letter, -2 when the times cannot be read.
  int SetDTFile(const char* path, char which);
  int SetDTUnix(int64_t secondsSince1970);  // converted to local time
  int SetDTFloat(double serial);            // spreadsheet serial date (days since 30 December 1899)
  int SetDTJul(int julianDay);              // time 00:00:00; returns the days moved from today
  int SetDTJul(const char* julianDay);
  int SetNow();     // local now
  int SetNowGMT();  // UTC now
  int SetNowEST();  // US Eastern now: UTC - 5 h, + 1 h while the local computer is on daylight-saving time
  static int GetESTOffsetSec();  // seconds from local now to Eastern now (negative when Eastern is behind)
#if defined(_WIN32)
  int SetDT(const _SYSTEMTIME* st);
  int SetDT(const _FILETIME* ft);  // a UTC file time, converted to local time
  void GetSYSTEMTIME(_SYSTEMTIME* st) const;
#endif

  // Text to YYYYMMDD (-1 bad year or form, -2 bad month, -3 bad day) and to HHMMSS (-1 hour, -2 minute,
  // -3 second).
  static int ParseDate(const char* text);
  static int ParseTime(const char* text);

  // --- Reading ---------------------------------------------------------------------------------------
  int GetYear() const {
    return 1900 + m_year;
  }
  int GetMonth() const {
    return m_month;
  }
  int GetDay() const {
    return m_day;
  }
  int GetHour() const {
    return m_hour;
  }
  int GetMinute() const {
    return m_minute;
  }
  int GetSecond() const {
    return m_second;
  }
  // 0: YYYYMMDD, 1: century date ((year - 1900) * 10000 + MMDD), both 0 when not valid; -1: century date,
  // -2 or less: YYYYMMDD, both without the validity test.
  int GetDate(int mode = 0) const;
  int GetTime() const;                          // HHMMSS
  int GetTimeSec() const;                       // seconds since midnight
  int64_t GetDT() const;                        // YYYYMMDD * 1,000,000 + HHMMSS
  int GetJulian() const;                        // Julian day number (1 January 2000 is 2451545)
  int GetWeekDay(int mondayBased = 0) const;    // 0 Sunday .. 6 Saturday; mondayBased: 0 Monday .. 6 Sunday
  int GetWeekStart(int mondayBased = 0) const;  // YYYYMMDD of the week's first day
  int GetMonthDate() const;                     // YYYYMMDD of the month's first day
  int GetQtrDate(int end = 0) const;            // YYYYMMDD of the quarter's first (or last) day
  int GetJulianWeek(int mondayBased = 0) const;
  int GetWeekSeq(int mondayBased = 0) const;  // year * 100 + week of the year
  // Text form by mode (0-30, see DateTime.cpp); an unknown mode leaves out unchanged. Returns out's length.
  int GetTxt(CTxt& out, int mode) const;
  int GetStr(std::string& out, int mode) const;
  // -1, 0, 1 comparing from the year down to depth (1 year .. 6 second); null other compares with now.
  int Compare(const CZELDateTime* other, int depth = 6) const;
  int SameDate(const CZELDateTime& other) const;  // 0 same, 3 day, 2 month, 1 year differs
  // Valid and from <= value <= to; an empty or null bound is open.
  bool IsDTRange(const CZELDateTime* from, const CZELDateTime* to) const;
  int IsHoliday() const {
    return 0;
  }
  // Seconds from this value to other (positive when other is later); null or empty other means now.
  int GetDiffSec(const CZELDateTime* other = nullptr) const;
  int64_t GetDiffSecBig(const CZELDateTime* other = nullptr) const;
  double GetDiffDays(const CZELDateTime* other = nullptr) const;
  // "%.3f Days" (3), "%.2f Hrs" (2), "1 Min", "%.0f Mins", "%.2f Mins" (1), "%02lld Secs" (0).
  int GetDurTxt(CTxt& out, const CZELDateTime* other = nullptr) const;
  // "%.3f Days" (2) or "HH:MM:SS" (1).
  int GetDurTxtHMS(CTxt& out, const CZELDateTime* other = nullptr) const;

  bool operator==(const CZELDateTime& o) const {
    return Compare(&o, 6) == 0;
  }
  bool operator!=(const CZELDateTime& o) const {
    return !(*this == o);
  }
  bool operator<(const CZELDateTime& o) const {
    return Compare(&o, 6) < 0;
  }

  // --- Arithmetic -----------------------------------------------------------------------------------
  void ShiftYear(int n);                      // year only (29 February may become invalid)
  void ShiftMonth(int n);                     // forward: an invalid day rolls on; backward: day moves back
  void ShiftDate(int n, int marketDays = 0);  // marketDays = 1: Saturdays and Sundays do not count
  void ShiftDate(double days);                // whole days, then the fraction rounded to seconds
  void ShiftMktDate(int n);                   // Monday to Friday only; always ends on a weekday
  void ShiftTime(int64_t seconds);            // carries whole days into the date

  // --- Calendar facts and names ------------------------------------------------------------------------
  static int DayYear(int year);
  static int DayMonth(int year, int month);  // 0 for a month outside 1-12
  static int Jan1(int year);                 // weekday of 1 January (0 Sunday)
  static int GetDateMDY(int month, int day, int year) {
    return year * 10000 + month * 100 + day;
  }
  static int GetTimeHMS(int hour, int minute, int second) {
    return hour * 10000 + minute * 100 + second;
  }
  static int GetMonthTxt(int month, CTxt& out, int shortName = 0);  // "?%d" outside 1-12
  static int GetWeekDayTxt(int day, CTxt& out, int shortName = 0, int mondayBased = 0);
  static int GetWeekDayVal(const char* name, int mondayBased = 0);  // by the first three letters; -1 none
  // Texts of now: form 12, form 9, form 10, "YYMMDD|hh:mm:ss.mmm".
  static int GetCurrDateCTxt(CTxt& out);
  static int GetCurrDateTimeCTxt(CTxt& out);
  static int GetFileTimeStamp(CTxt& out);
  static int GetCurrDateTimemSecCTxt(CTxt& out);
  static std::string GetCurrDateStr();
  static std::string GetCurrDateTimeStr();

 private:
  bool SetFromClock(const Clock& c);  // false, value unchanged, for a year outside the range
  bool SetFromJulian(int julianDay);  // false for a day outside the range, the value then its nearest end
  void StepDays(int n);
  bool SetCheckedTime(int hhmmss);  // false (logged, value unchanged) unless a time of day               // n
                                    // days, one at a time across month and year ends
  int64_t SecondsSinceEpoch() const;  // on the proleptic Gregorian calendar, no time zone

  unsigned char m_year = 0;  // year - 1900
  unsigned char m_month = 0;
  unsigned char m_day = 0;
  unsigned char m_hour = 0;
  unsigned char m_minute = 0;
  unsigned char m_second = 0;
};
