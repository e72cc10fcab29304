// CZELDateTime: parsing and its failure codes, the text forms and their round trips, calendar and
// market-day arithmetic, elapsed-time texts, names, local, UTC and Eastern time, and file times.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "foundation/DateTime.h"
#include "foundation/Log.h"
#include "foundation/Txt.h"

#if defined(_WIN32)
#include <windows.h>
#include <sys/utime.h>
#else
#include <utime.h>
#endif

namespace {

CZELDateTime At(int date, int time = 0) {
  return CZELDateTime(date, time);
}

std::string Text(const CZELDateTime& d, int mode) {
  CTxt out;
  d.GetTxt(out, mode);
  return out.ToStd();
}

// Collects what the value logs (through the log's status sink) while a test runs.
class LogCapture {
 public:
  LogCapture() { SetLogStatusSink(&LogCapture::Take, this); }
  ~LogCapture() { SetLogStatusSink(nullptr, nullptr); }
  const std::vector<std::string>& Lines() const { return m_lines; }

 private:
  static void Take(void* self, const char* category, const char* text, int) {
    static_cast<LogCapture*>(self)->m_lines.push_back(std::string(category ? category : "") + "|" + text);
  }
  std::vector<std::string> m_lines;
};

int Today() {
  CZELDateTime now;
  now.SetNow();
  return now.GetDate();
}

// --- Parsing ----------------------------------------------------------------------------------------------

TEST(DateTimeParse, DateWithTwelveHourTime) {
  CZELDateTime d;
  EXPECT_EQ(0, d.SetDT("12/31/06 9:30 PM"));
  EXPECT_EQ(20061231, d.GetDate());
  EXPECT_EQ(213000, d.GetTime());
  EXPECT_EQ(0, d.SetDT("  1/15/2007   12:05:30 pm\t"));
  EXPECT_EQ(20070115120530LL, d.GetDT());
  EXPECT_EQ(0, d.SetDT("3/4/2007 9:30:15 am"));
  EXPECT_EQ(93015, d.GetTime());
}

TEST(DateTimeParse, DateFormsGiveTheSameDay) {
  for (const char* text : {"2006-12-31", "20061231", "12/31/2006", "12/31/06", "061231"}) {
    CZELDateTime d;
    EXPECT_EQ(0, d.SetDT(text)) << text;
    EXPECT_EQ(20061231, d.GetDate()) << text;
    EXPECT_EQ(0, d.GetTime()) << text;
  }
}

TEST(DateTimeParse, MonthAndDayOnlyTakeTheCurrentYear) {
  CZELDateTime d;
  ASSERT_EQ(0, d.SetDT("1/2"));
  int year = Today() / 10000;
  EXPECT_TRUE(d.GetDate() == year * 10000 + 102 ||
              d.GetDate() == (year + 1) * 10000 + 102);  // midnight on 31 Dec
}

TEST(DateTimeParse, BadDatesFailAndLeaveTheValue) {
  CZELDateTime d = At(20010203, 40506);
  EXPECT_EQ(-1, d.SetDT("13/01/2006"));
  EXPECT_EQ(-1, d.SetDT("2/30/2006"));
  EXPECT_EQ(-1, d.SetDT("2/29/2006"));
  EXPECT_EQ(-3, d.SetDT("hello"));
  EXPECT_EQ(-2, d.SetDT("1/2/2006 25:00"));
  EXPECT_EQ(20010203040506LL, d.GetDT());
  EXPECT_EQ(0, d.SetDT("2/29/2008"));  // a leap year
  EXPECT_EQ(20080229, d.GetDate());
}

// The value holds the years 1900 to 2155: a date beyond them is refused by every parser and setter, never
// stored modulo 256 (1/1/2355 as 1/1/2099, 12/31/2999 as 12/31/1975), and arithmetic stops at the ends.
TEST(DateTimeParse, YearsBeyondTheRangeAreRefusedNotWrapped) {
  CZELDateTime d = At(20010203, 40506);
  for (const char* text : {"1/1/2355", "12/31/2999", "1/2/2156", "2156-01-01", "21560101", "1/1/1899"})
    EXPECT_GT(0, d.SetDT(text)) << text;
  EXPECT_GT(0, CZELDateTime::ParseDate("12/31/2999"));
  EXPECT_EQ(-1, d.SetDate(21560101));
  EXPECT_EQ(-1, d.SetDate(2156, 1, 1));
  EXPECT_EQ(-1, d.SetDTFloat(1e12));
  EXPECT_EQ(-1, d.SetDTFloat(95000.0));  // a spreadsheet day in 2160
  EXPECT_EQ(20010203, d.GetDate());      // (a numeric date sets its time before the date is refused)
  EXPECT_EQ(0, d.SetDT("12/31/2155"));
  EXPECT_EQ(21551231, d.GetDate());

  d.ShiftMonth(1);
  EXPECT_EQ(21551231, d.GetDate());
  d.ShiftYear(5);
  EXPECT_EQ(2155, d.GetYear());
  d.ShiftDate(400, 0);
  EXPECT_EQ(21551231, d.GetDate());
  d.SetDT("1/15/1900");
  d.ShiftMonth(-3);
  EXPECT_EQ(19000101, d.GetDate());
  d.ShiftDate(-30, 0);
  EXPECT_EQ(19000101, d.GetDate());
}

TEST(DateTimeParse, ParseDateCodes) {
  EXPECT_EQ(-2, CZELDateTime::ParseDate("13/01/2006"));
  EXPECT_EQ(-3, CZELDateTime::ParseDate("2/30/2006"));
  EXPECT_EQ(-3, CZELDateTime::ParseDate("2/29/1900"));  // 1900 is no leap year
  EXPECT_EQ(20000229, CZELDateTime::ParseDate("2/29/2000"));
  EXPECT_EQ(-1, CZELDateTime::ParseDate("1/1/3000"));
  EXPECT_EQ(-1, CZELDateTime::ParseDate("x11206"));
  EXPECT_EQ(-2, CZELDateTime::ParseDate("x1/1/2000"));  // the month field is no number
  EXPECT_EQ(-2, CZELDateTime::ParseDate("2006-13-01"));
  // Two-digit years: below 70 in the 2000s, else the 1900s.
  EXPECT_EQ(20690101, CZELDateTime::ParseDate("1/1/69"));
  EXPECT_EQ(19700101, CZELDateTime::ParseDate("1/1/70"));
  EXPECT_EQ(19991231, CZELDateTime::ParseDate("991231"));
  EXPECT_EQ(20061231, CZELDateTime::ParseDate("20061231"));
}

TEST(DateTimeParse, ParseTimeForms) {
  EXPECT_EQ(93000, CZELDateTime::ParseTime("9:30"));
  EXPECT_EQ(213015, CZELDateTime::ParseTime("9:30:15 pm"));
  EXPECT_EQ(121500, CZELDateTime::ParseTime("12:15 PM"));
  EXPECT_EQ(-1, CZELDateTime::ParseTime("24:00"));
  EXPECT_EQ(-2, CZELDateTime::ParseTime("9:60"));
  EXPECT_EQ(-3, CZELDateTime::ParseTime("9:30:61"));
  EXPECT_EQ(90000, CZELDateTime::ParseTime("9"));      // hours
  EXPECT_EQ(93000, CZELDateTime::ParseTime("930"));    // HHMM
  EXPECT_EQ(93015, CZELDateTime::ParseTime("93015"));  // HHMMSS
  // Damaged cells of a report are no clock readings, and must not overflow on the way.
  EXPECT_LT(CZELDateTime::ParseTime("-961097"), 0);
  EXPECT_LT(CZELDateTime::ParseTime("99999999999"), 0);
}

TEST(DateTimeParse, LoneTimeKeepsTheDateAndReportsIt) {
  LogCapture log;
  CZELDateTime d = At(20061231);
  EXPECT_EQ(-1, d.SetDT("9:30 PM"));
  EXPECT_EQ(20061231213000LL, d.GetDT());
  ASSERT_FALSE(log.Lines().empty());
  EXPECT_EQ("DateTime|Invalid Date: 0", log.Lines().back());
}

TEST(DateTimeParse, NumericSettersCheckTimeBeforeDate) {
  LogCapture log;
  CZELDateTime d = At(20010203, 40506);
  EXPECT_EQ(-2, d.SetDT(20061231, 250000));
  EXPECT_EQ(20010203040506LL, d.GetDT());
  EXPECT_EQ("DateTime|Invalid Time: 250000", log.Lines().back());
  EXPECT_EQ(-1, d.SetDT(18991231, 120000));  // the time is set, the date not
  EXPECT_EQ(20010203120000LL, d.GetDT());
  EXPECT_EQ("DateTime|Invalid Date: 18991231", log.Lines().back());
}

TEST(DateTimeParse, SetTimeAppliesPMOnceAndWraps) {
  CZELDateTime d = At(20061231);
  EXPECT_EQ(0, d.SetTime("9:30 PM"));
  EXPECT_EQ(213000, d.GetTime());
  EXPECT_EQ(0, d.SetTime("12:30 PM"));
  EXPECT_EQ(123000, d.GetTime());
  EXPECT_EQ(0, d.SetTime("9 pm"));
  EXPECT_EQ(210000, d.GetTime());
  EXPECT_EQ(0, d.SetTime(""));
  EXPECT_EQ(0, d.GetTime());
  EXPECT_EQ(-2, d.SetTime("25:00"));
  EXPECT_EQ(20061231, d.GetDate());
}

TEST(DateTimeParse, SetTimeHMSCodes) {
  CZELDateTime d;
  EXPECT_EQ(-1, d.SetTimeHMS(250000));
  EXPECT_EQ(-2, d.SetTimeHMS(236000));
  EXPECT_EQ(-4, d.SetTimeHMS(240100));
  EXPECT_EQ(0, d.SetTimeHMS(240000));
  EXPECT_EQ(0, d.SetTimeHMS(235999));  // seconds are not tested
}

TEST(DateTimeParse, SixtyFourBitAndCheckedForms) {
  CZELDateTime d;
  EXPECT_EQ(0, d.SetDT64("20061231213005"));
  EXPECT_EQ(20061231213005LL, d.GetDT());
  EXPECT_EQ(-1, d.SetDT64("0"));
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_EQ(0, d.SetDT("20061332"));  // an eight-digit number is taken as it is ...
  EXPECT_FALSE(d.IsValid());
  EXPECT_EQ(-1, d.SetDTCheck("20061332"));  // ... and only the checked form refuses it
  EXPECT_EQ(0, d.SetDTCheck("20061231"));
}

TEST(DateTimeParse, EmptyTextEmptiesTheValue) {
  CZELDateTime d = At(20061231, 10203);
  EXPECT_EQ(0, d.SetDT(" \t "));
  EXPECT_TRUE(d.IsEmpty());
  EXPECT_FALSE(d.IsValid());
}

// --- Keywords and clocks
// ------------------------------------------------------------------------------------

TEST(DateTimeClock, TodayAndNowKeywords) {
  CZELDateTime before, d, after;
  before.SetNow();
  ASSERT_EQ(0, d.SetDT("today"));
  after.SetNow();
  EXPECT_TRUE(d.GetDate() == before.GetDate() || d.GetDate() == after.GetDate());
  EXPECT_EQ(0, d.GetTime());
  ASSERT_EQ(0, d.SetDT("NOW"));
  EXPECT_LE(std::llabs(d.GetDiffSecBig(&after)), 2);
}

TEST(DateTimeClock, EasternIsUtcMinusFiveOrFour) {
  CZELDateTime gmt, est;
  gmt.SetNowGMT();
  est.SetNowEST();
  int64_t diff = gmt.GetDiffSecBig(&est);
  EXPECT_TRUE(std::llabs(diff + 18000) <= 2 || std::llabs(diff + 14400) <= 2) << diff;
  // The offset from local time agrees with the two clocks.
  CZELDateTime local;
  local.SetNow();
  EXPECT_LE(std::llabs(local.GetDiffSecBig(&est) - CZELDateTime::GetESTOffsetSec()), 2);
}

TEST(DateTimeClock, EasternKeywords) {
  CZELDateTime est, d;
  est.SetNowEST();
  ASSERT_EQ(0, d.SetDT("TodayEST"));
  EXPECT_EQ(est.GetDate(), d.GetDate());
  EXPECT_EQ(0, d.GetTime());
  ASSERT_EQ(0, d.SetDT("live"));
  EXPECT_EQ(0, d.GetTime());
  ASSERT_EQ(0, d.SetDT("NowEST"));
  EXPECT_LE(std::llabs(est.GetDiffSecBig(&d)), 2);
  CZELDateTime t = At(20000101);
  ASSERT_EQ(0, t.SetTime("NowEST"));
  EXPECT_EQ(20000101, t.GetDate());
  int apart = std::abs(t.GetTimeSec() - est.GetTimeSec());
  EXPECT_TRUE(apart <= 2 || apart >= 86398) << apart;  // a second may pass, even midnight
}

#if !defined(_WIN32)
// The C library's zone rules decide the Eastern offset natively: POSIX zone strings need no zone files.
class ZoneScope {
 public:
  explicit ZoneScope(const char* tz) {
    const char* old = std::getenv("TZ");
    m_had = old != nullptr;
    if (old) m_old = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneScope() {
    if (m_had)
      setenv("TZ", m_old.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool m_had = false;
  std::string m_old;
};

TEST(DateTimeClock, EasternOffsetFollowsLocalDaylightSaving) {
  {
    ZoneScope zone("UTC0");
    EXPECT_EQ(-18000, CZELDateTime::GetESTOffsetSec());
  }
  {
    ZoneScope zone("EST5EDT,M3.2.0,M11.1.0");  // Eastern itself: no offset, summer or winter
    EXPECT_EQ(0, CZELDateTime::GetESTOffsetSec());
  }
  {
    ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");  // one hour east, daylight saving in step: always 6 hours
    EXPECT_EQ(-21600, CZELDateTime::GetESTOffsetSec());
  }
  {
    ZoneScope zone("ZZZ-3");  // no daylight saving at all
    EXPECT_EQ(-8 * 3600, CZELDateTime::GetESTOffsetSec());
  }
}

TEST(DateTimeClock, UnixSecondsUseTheRuleOfTheirOwnDate) {
  ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
  CZELDateTime d;
  d.SetDTUnix(1152014400);  // 2006-07-04 12:00 UTC, summer
  EXPECT_EQ(20060704140000LL, d.GetDT());
  d.SetDTUnix(1167611405);  // 2007-01-01 00:30:05 UTC, winter
  EXPECT_EQ(20070101013005LL, d.GetDT());
}
#endif

TEST(DateTimeClock, UnixSecondsAreLocalTime) {
  CZELDateTime fromUnix, now;
  fromUnix.SetDTUnix(static_cast<int64_t>(std::time(nullptr)));
  now.SetNow();
  EXPECT_LE(std::llabs(fromUnix.GetDiffSecBig(&now)), 2);
}

TEST(DateTimeClock, CurrentTimeTexts) {
  std::string date = CZELDateTime::GetCurrDateStr();
  CZELDateTime parsed;
  ASSERT_EQ(0, parsed.SetDT(date.c_str())) << date;  // MM/DD/YYYY
  EXPECT_LE(std::abs(parsed.GetJulian() - At(Today()).GetJulian()), 1);
  CTxt stamp;
  CZELDateTime::GetCurrDateTimemSecCTxt(stamp);
  ASSERT_EQ(19, stamp.GetLength()) << stamp.ToStd();
  EXPECT_EQ('|', stamp[6]);
  EXPECT_EQ('.', stamp[15]);
  CZELDateTime::GetFileTimeStamp(stamp);
  EXPECT_EQ(15, stamp.GetLength());
  EXPECT_EQ('_', stamp[8]);
}

// --- File times -------------------------------------------------------------------------------------------

TEST(DateTimeFile, TimesOfAFreshFileAreNow) {
  std::string path = testsupport::WriteFile(testsupport::ScratchFolder() + "/fresh.txt", "x");
  CZELDateTime now, d;
  now.SetNow();
  for (char which : {'M', 'S', 'C', 'A'}) {
    ASSERT_EQ(0, d.SetDTFile(path.c_str(), which)) << which;
    EXPECT_LE(std::llabs(d.GetDiffSecBig(&now)), 5) << which;
  }
}

TEST(DateTimeFile, SetFileTimeReadsBackInLocalTimeOfThatDate) {
  std::string path = testsupport::WriteFile(testsupport::ScratchFolder() + "/old.txt", "x");
  // Summer and winter dates, so that a conversion with today's daylight-saving rule would show.
  for (int64_t seconds :
       {int64_t{1152014400} /* 2006-07-04 12:00 UTC */, int64_t{1167611405} /* 2007-01-01 00:30:05 */}) {
#if defined(_WIN32)
    struct _utimbuf times = {static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(0, _utime(path.c_str(), &times));
#else
    struct utimbuf times = {static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    ASSERT_EQ(0, utime(path.c_str(), &times));
#endif
    CZELDateTime expected, modified, status;
    expected.SetDTUnix(seconds);
    ASSERT_EQ(0, modified.SetDTFile(path.c_str(), 'M'));
    ASSERT_EQ(0, status.SetDTFile(path.c_str(), 's'));
    EXPECT_EQ(expected.GetDT(), modified.GetDT());
    EXPECT_EQ(expected.GetDT(), status.GetDT());
    // Whatever the zone, local time is UTC shifted by whole quarter hours of at most 14 hours.
    CZELDateTime utc = At(19700101);
    utc.ShiftTime(seconds);
    int64_t shift = utc.GetDiffSecBig(&expected);
    EXPECT_LE(std::llabs(shift), 14 * 3600);
    EXPECT_EQ(0, shift % 900);
  }
}

TEST(DateTimeFile, FailuresLeaveTheValueEmpty) {
  CZELDateTime d = At(20061231);
  EXPECT_EQ(-2, d.SetDTFile((testsupport::ScratchFolder() + "/missing.txt").c_str(), 'M'));
  EXPECT_TRUE(d.IsEmpty());
  d = At(20061231);
  std::string path = testsupport::WriteFile(testsupport::ScratchFolder() + "/x.txt", "x");
  EXPECT_EQ(-1, d.SetDTFile(path.c_str(), 'X'));
  EXPECT_TRUE(d.IsEmpty());
}

#if defined(_WIN32)
TEST(DateTimeFile, SystemTimeRecordsAndFileTimes) {
  const CZELDateTime d = At(20061231, 213005);
  SYSTEMTIME st;
  d.GetSYSTEMTIME(&st);
  EXPECT_EQ(2006, st.wYear);
  EXPECT_EQ(12, st.wMonth);
  EXPECT_EQ(31, st.wDay);
  EXPECT_EQ(0, st.wDayOfWeek);
  EXPECT_EQ(21, st.wHour);
  EXPECT_EQ(5, st.wSecond);
  EXPECT_EQ(0, st.wMilliseconds);
  CZELDateTime back;
  ASSERT_EQ(0, back.SetDT(&st));
  EXPECT_EQ(d.GetDT(), back.GetDT());
  // A file time is UTC; the value is the local time of that moment, as for Unix seconds.
  SYSTEMTIME utc = {2006, 7, 2, 4, 12, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
  CZELDateTime fromFileTime, fromUnix;
  ASSERT_EQ(0, fromFileTime.SetDT(&ft));
  fromUnix.SetDTUnix(1152014400);
  EXPECT_EQ(fromUnix.GetDT(), fromFileTime.GetDT());
}
#endif

// --- Text forms
// ---------------------------------------------------------------------------------------------

TEST(DateTimeText, EveryMode) {
  const CZELDateTime d = At(20061231, 210509);
  const std::vector<std::pair<int, const char*>> expected = {
      {0, "20061231 21:05:09"},
      {1, "20061231"},
      {2, "21:05:09"},
      {3, "12/31/06 21:05:09"},
      {4, "12/31/06"},
      {5, "21:05"},
      {6, "12/31/2006"},
      {7, "09:05:09PM"},
      {8, "09:05PM"},
      {9, "12/31/2006 21:05:09"},
      {10, "20061231_210509"},
      {11, "210509"},
      {12, "12/31/2006"},
      {13, "12/31/2006 21:05"},
      {14, "12/31"},
      {15, "12/31/2006 09:05PM"},
      {16, "12/31/2006 09:05:09PM"},
      {17, "12/31/2006 21:05:09"},
      {18, "12/31/2006,21:05:09"},
      {19, "12/31/2006|21:05:09"},
      {20, "12/2006"},
      {21, "2006-Q4"},
      {22, "Dec/2006"},
      {23, "Dec/06"},
      {24, "12/31/2006,21:05:09"},
      {25, "12/31/2006,21:05"},
      {26, "12/31"},
      {27, "12/31/2006 21:05"},
      {28, "Dec+31%2C+2006"},
      {29, "Dec/31/2006 21:05:09"},
      {30, "2006/12/31"},
  };
  for (const auto& e : expected) EXPECT_EQ(e.second, Text(d, e.first)) << "mode " << e.first;
  std::string viaStd;
  d.GetStr(viaStd, 17);
  EXPECT_EQ("12/31/2006 21:05:09", viaStd);
}

TEST(DateTimeText, LeadingZerosAndShortYears) {
  const CZELDateTime d = At(20070102, 30405);
  EXPECT_EQ("1/2/07 03:04:05", Text(d, 3));
  EXPECT_EQ("01/02/2007", Text(d, 12));
  EXPECT_EQ("2007-Q1", Text(d, 21));
  EXPECT_EQ("Jan+2%2C+2007", Text(d, 28));
  EXPECT_EQ("1/2/99", Text(At(19990102), 4));
  EXPECT_EQ("3/1/00", Text(At(20000301), 4));
}

TEST(DateTimeText, UnknownModeLeavesTheTextAlone) {
  CTxt out("keep");
  At(20061231).GetTxt(out, 31);
  EXPECT_EQ("keep", out.ToStd());
  At(20061231).GetTxt(out, -1);
  EXPECT_EQ("keep", out.ToStd());
}

TEST(DateTimeText, TwelveHourFormsAroundMidnightAndNoon) {
  EXPECT_EQ("00:30:00AM", Text(At(20061231, 3000), 7));
  EXPECT_EQ("12:30:00PM", Text(At(20061231, 123000), 7));
  EXPECT_EQ("11:59AM", Text(At(20061231, 115900), 8));
  EXPECT_EQ("01:00PM", Text(At(20061231, 130000), 8));
}

// Every text form that a parser reads gives back the value it came from (the date forms at midnight, the
// time forms on the same day). Hours cover AM, noon, PM and midnight.
TEST(DateTimeText, RoundTripOfEveryParsedMode) {
  const int dateModes[] = {0, 1, 3, 4, 6, 9, 12, 13, 15, 16, 17, 27};
  const int timeModes[] = {2, 5, 7, 8, 11};  // 11 (HHMMSS) reads back only from 00:24:00 on, or 00:00:00
  const int dayModes[] = {14, 26};           // month and day: the current year
  const int currentYear = Today() / 10000;
  for (int time : {0, 3005, 93015, 120000, 123045, 213059, 235959}) {
    const CZELDateTime d = At(20061231, time);
    for (int mode : dateModes) {
      CZELDateTime back;
      ASSERT_EQ(0, back.SetDT(Text(d, mode).c_str())) << mode << " " << Text(d, mode);
      CZELDateTime expected = d;
      if (mode == 1 || mode == 4 || mode == 6 || mode == 12) expected.SetTime(0, 0, 0);
      if (mode == 13 || mode == 15 || mode == 27) expected.SetTime(d.GetHour(), d.GetMinute(), 0);
      EXPECT_EQ(expected.GetDT(), back.GetDT()) << "mode " << mode << " " << Text(d, mode);
    }
    for (int mode : timeModes) {
      CZELDateTime back = At(20061231);
      ASSERT_EQ(0, back.SetTime(Text(d, mode).c_str())) << mode;
      int expected = (mode == 5 || mode == 8) ? time / 100 * 100 : time;
      EXPECT_EQ(expected, back.GetTime()) << "mode " << mode << " " << Text(d, mode);
    }
    for (int mode : dayModes) {
      CZELDateTime back;
      ASSERT_EQ(0, back.SetDT(Text(At(20060704), mode).c_str()));
      EXPECT_EQ(704, back.GetDate() % 10000) << mode;
      EXPECT_LE(std::abs(back.GetYear() - currentYear), 1);
    }
  }
  // The numeric forms and their setters.
  CZELDateTime d = At(20061231, 213005), back;
  ASSERT_EQ(0, back.SetDT64(std::to_string(d.GetDT()).c_str()));
  EXPECT_EQ(d.GetDT(), back.GetDT());
  back.SetDTJul(d.GetJulian());
  EXPECT_EQ(d.GetDate(), back.GetDate());
  CZELDateTime today = At(Today());
  EXPECT_EQ(5, back.SetDTJul(today.GetJulian() + 5));
  back.Reset();
  back.SetDT(d.GetDate(), 0);
  back.SetTimeSec(d.GetTimeSec());
  EXPECT_EQ(d.GetDT(), back.GetDT());
}

// --- Reading the value
// ----------------------------------------------------------------------------------------

TEST(DateTimeRead, CenturyDateAndValidity) {
  EXPECT_EQ(1061231, At(20061231).GetDate(1));
  EXPECT_EQ(991231, At(19991231).GetDate(1));
  EXPECT_EQ(1000101, At(20000101).GetDate(1));
  CZELDateTime bad = At(20060230);  // numbers are taken as they are
  EXPECT_EQ(0, bad.GetDate(0));
  EXPECT_EQ(0, bad.GetDate(1));
  EXPECT_EQ(1060230, bad.GetDate(-1));
  EXPECT_EQ(20060230, bad.GetDate(-2));
}

TEST(DateTimeRead, JulianDaysAndWeekdays) {
  EXPECT_EQ(2451545, At(20000101).GetJulian());
  EXPECT_EQ(2415021, At(19000101).GetJulian());
  CZELDateTime sunday = At(20061231);
  EXPECT_EQ(0, sunday.GetWeekDay());
  EXPECT_EQ(6, sunday.GetWeekDay(1));
  EXPECT_EQ(1, At(20070101).GetWeekDay());
  EXPECT_EQ(0, CZELDateTime::Jan1(2006));
  EXPECT_EQ(1, CZELDateTime::Jan1(2007));
  EXPECT_EQ(6, CZELDateTime::Jan1(2000));
  // Every day of a leap year and the next maps to Julian days without gaps.
  CZELDateTime d = At(20040101);
  for (int i = 0; i < 731; ++i) {
    CZELDateTime next = d;
    next.ShiftDate(1);
    ASSERT_EQ(d.GetJulian() + 1, next.GetJulian()) << d.GetDate();
    ASSERT_TRUE(next.IsValid()) << next.GetDate();
    d = next;
  }
  EXPECT_EQ(20060101, d.GetDate());
}

TEST(DateTimeRead, WeeksMonthsAndQuarters) {
  CZELDateTime wed = At(20070103);
  EXPECT_EQ(20061231, wed.GetWeekStart());
  EXPECT_EQ(20070101, wed.GetWeekStart(1));
  EXPECT_EQ(20070101, wed.GetMonthDate());
  EXPECT_EQ(20070101, wed.GetQtrDate(0));
  EXPECT_EQ(20070331, wed.GetQtrDate(1));
  EXPECT_EQ(20061001, At(20061115).GetQtrDate(0));
  EXPECT_EQ(20061231, At(20061115).GetQtrDate(1));
  EXPECT_EQ(20080630, At(20080401).GetQtrDate(1));
  // Running week numbers step by one from one week start to the next.
  EXPECT_EQ(At(20061231).GetJulianWeek() + 1, At(20070107).GetJulianWeek());
  EXPECT_EQ(At(20070106).GetJulianWeek(), At(20061231).GetJulianWeek());
  EXPECT_EQ(At(20070101).GetJulianWeek(1), At(20070107).GetJulianWeek(1));
  EXPECT_EQ(At(20070101).GetJulianWeek(1) + 1, At(20070108).GetJulianWeek(1));
}

TEST(DateTimeRead, WeekOfTheYear) {
  EXPECT_EQ(200601, At(20060101).GetWeekSeq());  // a Sunday: the week starts that day
  EXPECT_EQ(200601, At(20060107).GetWeekSeq());
  EXPECT_EQ(200602, At(20060108).GetWeekSeq());
  EXPECT_EQ(200653, At(20061231).GetWeekSeq());
  EXPECT_EQ(200601, At(20060101).GetWeekSeq(1));  // its Monday week started in 2005
  EXPECT_EQ(200601, At(20060102).GetWeekSeq(1));
  EXPECT_EQ(200602, At(20060109).GetWeekSeq(1));
  EXPECT_EQ(200701, At(20070106).GetWeekSeq());  // week started on 31 December
}

TEST(DateTimeRead, CompareSameDateAndRanges) {
  CZELDateTime a = At(20061231, 120000), b = At(20061231, 120001);
  EXPECT_EQ(-1, a.Compare(&b));
  EXPECT_EQ(1, b.Compare(&a));
  EXPECT_EQ(0, a.Compare(&b, 5));
  EXPECT_EQ(-1, a.Compare(nullptr));  // 2006 is before now
  EXPECT_EQ(0, a.SameDate(b));
  EXPECT_EQ(3, a.SameDate(At(20061230)));
  EXPECT_EQ(2, a.SameDate(At(20061131)));
  EXPECT_EQ(1, a.SameDate(At(20071231)));
  CZELDateTime from = At(20060101), to = At(20061231, 120000), open;
  EXPECT_TRUE(a.IsDTRange(&from, &to));
  EXPECT_FALSE(b.IsDTRange(&from, &to));
  EXPECT_TRUE(b.IsDTRange(&from, &open));
  EXPECT_TRUE(b.IsDTRange(nullptr, nullptr));
  EXPECT_FALSE(At(20060230).IsDTRange(nullptr, nullptr));
}

TEST(DateTimeRead, DifferencesInSecondsAndDays) {
  CZELDateTime a = At(20061231, 230000), b = At(20070101, 10000);
  EXPECT_EQ(7200, a.GetDiffSec(&b));
  EXPECT_EQ(-7200, b.GetDiffSec(&a));
  EXPECT_DOUBLE_EQ(2.0 / 24, a.GetDiffDays(&b));
  CZELDateTime y2k = At(20000101);
  EXPECT_EQ(int64_t{100 * 365 + 24} * 86400, At(19000101).GetDiffSecBig(&y2k));  // 1900 is no leap year
  CZELDateTime empty;
  EXPECT_GT(a.GetDiffSecBig(&empty), 0);  // an empty other means now
}

// --- Elapsed-time texts
// ---------------------------------------------------------------------------------------

std::pair<int, std::string> Dur(int64_t seconds, bool hms = false) {
  CZELDateTime from = At(20061231, 120000), to = from;
  to.ShiftTime(seconds);
  CTxt out;
  int rc = hms ? from.GetDurTxtHMS(out, &to) : from.GetDurTxt(out, &to);
  return {rc, out.ToStd()};
}

TEST(DateTimeDuration, DurTxtForms) {
  EXPECT_EQ(std::make_pair(1, std::string("1.50 Mins")), Dur(90));
  EXPECT_EQ(std::make_pair(1, std::string("2 Mins")), Dur(120));
  EXPECT_EQ(std::make_pair(1, std::string("1 Min")), Dur(60));
  EXPECT_EQ(std::make_pair(1, std::string("59.98 Mins")), Dur(3599));
  EXPECT_EQ(std::make_pair(2, std::string("2.00 Hrs")), Dur(7200));
  EXPECT_EQ(std::make_pair(2, std::string("1.00 Hrs")), Dur(3600));
  EXPECT_EQ(std::make_pair(0, std::string("45 Secs")), Dur(45));
  EXPECT_EQ(std::make_pair(0, std::string("05 Secs")), Dur(5));
  EXPECT_EQ(std::make_pair(0, std::string("-5 Secs")), Dur(-5));
  EXPECT_EQ(std::make_pair(3, std::string("1.000 Days")), Dur(86400));
  EXPECT_EQ(std::make_pair(3, std::string("1.500 Days")), Dur(129600));
}

TEST(DateTimeDuration, DurTxtHMSForms) {
  EXPECT_EQ(std::make_pair(1, std::string("01:02:05")), Dur(3725, true));
  EXPECT_EQ(std::make_pair(1, std::string("23:59:59")), Dur(86399, true));
  EXPECT_EQ(std::make_pair(1, std::string("00:00:00")), Dur(0, true));
  EXPECT_EQ(std::make_pair(2, std::string("2.000 Days")), Dur(172800, true));
}

// --- Arithmetic
// -----------------------------------------------------------------------------------------------

TEST(DateTimeShift, MarketDaysSkipWeekends) {
  CZELDateTime d = At(20061229);  // Friday
  d.ShiftMktDate(1);
  EXPECT_EQ(20070101, d.GetDate());  // Monday, across the year end
  d.ShiftMktDate(-1);
  EXPECT_EQ(20061229, d.GetDate());
  d.ShiftMktDate(5);
  EXPECT_EQ(20070105, d.GetDate());  // a whole working week
  d.ShiftMktDate(-10);
  EXPECT_EQ(20061222, d.GetDate());
  CZELDateTime saturday = At(20061230);
  saturday.ShiftMktDate(1);
  EXPECT_EQ(20070101, saturday.GetDate());
  saturday = At(20061230);
  saturday.ShiftMktDate(-1);
  EXPECT_EQ(20061229, saturday.GetDate());
  CZELDateTime sunday = At(20061231);
  sunday.ShiftMktDate(0);
  EXPECT_EQ(1, sunday.GetWeekDay());
}

TEST(DateTimeShift, ShiftDateWithAndWithoutMarketDays) {
  CZELDateTime d = At(20061227, 153000);  // Wednesday
  d.ShiftDate(10, 1);
  EXPECT_EQ(20070110, d.GetDate());
  EXPECT_EQ(153000, d.GetTime());
  d.ShiftDate(-10, 1);
  EXPECT_EQ(20061227, d.GetDate());
  d.ShiftDate(5);
  EXPECT_EQ(20070101, d.GetDate());
  CZELDateTime leap = At(20000301);
  leap.ShiftDate(-1);
  EXPECT_EQ(20000229, leap.GetDate());
  CZELDateTime notLeap = At(19000301);
  notLeap.ShiftDate(-1);
  EXPECT_EQ(19000228, notLeap.GetDate());
  CZELDateTime half = At(20061231, 180000);
  half.ShiftDate(1.25);
  EXPECT_EQ(20070102000000LL, half.GetDT());
  half.ShiftDate(-0.5);
  EXPECT_EQ(20070101120000LL, half.GetDT());
}

TEST(DateTimeShift, MonthsForwardRollOnAndBackwardClamp) {
  struct Case {
    int from, months, to;
  };
  const Case cases[] = {
      {20060331, -1, 20060228},  {20040331, -1, 20040229}, {20060131, 1, 20060301}, {20060130, 1, 20060301},
      {20060129, 1, 20060301},   {20040129, 1, 20040229},  {20061231, 1, 20070131}, {20061215, 12, 20071215},
      {20060115, -13, 20041215}, {20060531, -3, 20060228}, {20060831, 1, 20061001}, {20060115, 0, 20060115},
  };
  for (const Case& c : cases) {
    CZELDateTime d = At(c.from, 101010);
    d.ShiftMonth(c.months);
    EXPECT_EQ(c.to, d.GetDate()) << c.from << " " << c.months;
    EXPECT_EQ(101010, d.GetTime());
  }
  CZELDateTime midnight = At(20060115, 0);
  ASSERT_EQ(midnight.SetTimeHMS(240000), 0);
  midnight.ShiftMonth(1);
  EXPECT_EQ(midnight.GetDate(-2), 20060215) << "an existing day stays, whatever the time";
}

TEST(DateTimeShift, TimeCarriesIntoTheDate) {
  CZELDateTime d = At(20070101);
  d.ShiftTime(-1);
  EXPECT_EQ(20061231235959LL, d.GetDT());
  d.ShiftTime(2 * 86400 + 2);
  EXPECT_EQ(20070103000001LL, d.GetDT());
  d.ShiftTime(-3 * 86400);
  EXPECT_EQ(20061231000001LL, d.GetDT());
}

TEST(DateTimeShift, YearOnlyAndFixDate) {
  CZELDateTime d = At(20040229);
  d.ShiftYear(1);
  EXPECT_FALSE(d.IsValid());
  d.FixDate();
  EXPECT_EQ(20050228, d.GetDate());
  CZELDateTime empty;
  empty.FixDate();
  EXPECT_EQ(19000101, empty.GetDate());
}

TEST(DateTimeShift, SpreadsheetSerialDates) {
  CZELDateTime d;
  d.SetDTFloat(39082.875);
  EXPECT_EQ(20061231210000LL, d.GetDT());
  d.SetDTFloat(39083.0 + 1.0 / 86400 * 0.6);  // rounded to the second
  EXPECT_EQ(20070101000001LL, d.GetDT());
  d.SetDTFloat(36526.5);
  EXPECT_EQ(20000101120000LL, d.GetDT());
}

// --- Calendar facts and names
// ----------------------------------------------------------------------------------

TEST(DateTimeNames, CalendarFacts) {
  EXPECT_EQ(365, CZELDateTime::DayYear(1900));
  EXPECT_EQ(366, CZELDateTime::DayYear(2000));
  EXPECT_EQ(366, CZELDateTime::DayYear(2004));
  EXPECT_EQ(365, CZELDateTime::DayYear(2100));
  EXPECT_EQ(29, CZELDateTime::DayMonth(2000, 2));
  EXPECT_EQ(28, CZELDateTime::DayMonth(1900, 2));
  EXPECT_EQ(30, CZELDateTime::DayMonth(2006, 11));
  EXPECT_EQ(0, CZELDateTime::DayMonth(2006, 13));
  EXPECT_TRUE(CZELDateTime::IsDate(19000101));
  EXPECT_FALSE(CZELDateTime::IsDate(18991231));
  EXPECT_FALSE(CZELDateTime::IsDate(29991232));
  EXPECT_TRUE(CZELDateTime::IsTime(240000));
  EXPECT_FALSE(CZELDateTime::IsTime(240001));
}

TEST(DateTimeNames, MonthAndWeekdayNames) {
  CTxt out;
  CZELDateTime::GetWeekDayTxt(3, out);
  EXPECT_EQ("Wednsday", out.ToStd());
  CZELDateTime::GetWeekDayTxt(5, out, 0, 1);
  EXPECT_EQ("Saturday", out.ToStd());
  CZELDateTime::GetWeekDayTxt(6, out, 1, 1);
  EXPECT_EQ("Sun", out.ToStd());
  CZELDateTime::GetWeekDayTxt(7, out);
  EXPECT_EQ("?7", out.ToStd());
  CZELDateTime::GetMonthTxt(9, out);
  EXPECT_EQ("September", out.ToStd());
  CZELDateTime::GetMonthTxt(12, out, 1);
  EXPECT_EQ("Dec", out.ToStd());
  CZELDateTime::GetMonthTxt(0, out);
  EXPECT_EQ("?0", out.ToStd());
  EXPECT_EQ(3, CZELDateTime::GetWeekDayVal("wednesday"));
  EXPECT_EQ(2, CZELDateTime::GetWeekDayVal("WED", 1));
  EXPECT_EQ(0, CZELDateTime::GetWeekDayVal("Sunday"));
  EXPECT_EQ(6, CZELDateTime::GetWeekDayVal("sun", 1));
  EXPECT_EQ(-1, CZELDateTime::GetWeekDayVal("Xyz"));
  EXPECT_EQ(-1, CZELDateTime::GetWeekDayVal("Mo"));
  // Names and numbers agree for every day of one week.
  for (int day = 0; day < 7; ++day) {
    CZELDateTime::GetWeekDayTxt(day, out, 0, 1);
    EXPECT_EQ(day, CZELDateTime::GetWeekDayVal(out, 1));
  }
}

}  // namespace
