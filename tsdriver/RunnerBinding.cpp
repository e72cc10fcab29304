// The adapter's operations that need more than one call of the driver.
#include "tsdriver/RunnerBinding.h"

#include "foundation/SysUtil.h"
#include "sequence/Timeframe.h"

// The report-saving test names its files by a number: taken as the value of a daily interval, so the file
// names follow the driver's ordinary result names.
int TsStepDriver::SaveStrategyReport(const char* symbol, const char* name, int mode, CTxt& report,
                                     CTxt& err) {
  int r = m_driver.SaveStrategyReport(symbol, kBarDaily, name, err, mode);
  report = r >= 0 ? m_driver.LastReportPath() : CTxt();
  return r;
}

int TsStepDriver::SaveOptimizationList(const char* symbol, const char* name, CTxt& err) {
  return m_driver.SaveOptimizationList(symbol, kBarDaily, name, err);
}

double TsStepDriver::FreeSpaceGB(char drive) {
  return GetDiskFree(drive, 'G');
}
