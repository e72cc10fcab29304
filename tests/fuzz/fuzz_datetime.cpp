// Fuzz target: date and time texts through every text parser of CZELDateTime, and every text form of what
// they accepted.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "foundation/DateTime.h"
#include "foundation/Txt.h"

namespace {

// A value the parsers accepted is one the type can hold and show in every form.
void CheckAccepted(const CZELDateTime& value) {
  if (!value.IsValid()) std::abort();
  if (value.GetYear() < 1900 || value.GetYear() > 2155) std::abort();
  CTxt out;
  for (int mode = 0; mode <= 31; ++mode) value.GetTxt(out, mode);
  value.GetJulian();
  value.GetWeekDay(1);
  value.GetWeekSeq();
  value.GetQtrDate(1);
  CZELDateTime shifted = value;
  shifted.ShiftMktDate(3);
  shifted.ShiftMonth(-13);
  shifted.ShiftTime(-86401);
  value.GetDiffSecBig(&shifted);
  value.GetDurTxt(out, &shifted);
  value.GetDurTxtHMS(out, &shifted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::ProgramFolder();
  std::string text = fuzzsupport::Text(data, size);
  const char* t = text.c_str();

  CZELDateTime value;
  if (value.SetDTCheck(t) == 0) CheckAccepted(value);
  CZELDateTime plain;
  if (plain.SetDT(t) == 0 && plain.IsFilled() && plain.IsValid()) CheckAccepted(plain);

  // A number is taken as YYYYMMDD as it is (month and day unchecked; the checked forms refuse it).
  int date = CZELDateTime::ParseDate(t);
  if (date > 0) {
    CZELDateTime fromDate;
    if (fromDate.SetDate(date) == 0 && fromDate.IsValid()) {
      CheckAccepted(fromDate);
      // The stored date is the parsed one: a year the type cannot hold must be refused, never wrapped.
      if (fromDate.GetDate(0) != date) std::abort();
    }
  }
  // A number is taken as HHMMSS as it is; the setter then refuses what is no time of day.
  int time = CZELDateTime::ParseTime(t);
  CZELDateTime probe;
  if (time >= 0 && !CZELDateTime::IsTime(time) && probe.SetTime(t) >= 0) std::abort();

  CZELDateTime other;
  if (other.SetTime(t) == 0 && other.IsFilled() && other.IsValid()) CheckAccepted(other);
  if (other.SetDT64(t) == 0 && other.IsValid()) CheckAccepted(other);
  other.SetDTJul(t);
  if (other.SetDate(t) == 0 && other.IsValid()) CheckAccepted(other);
  CZELDateTime::GetWeekDayVal(t);
  return 0;
}
