// Shared set-up of the driver's window-level tests: a scratch program folder whose settings make the driver's
// waits short, and the stand-in TradeStation started the way TradeStation is installed (32-bit under
// "Program Files (x86)"), or as the 64-bit build where this machine cannot run 32-bit programs.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "StandInHarness.h"
#include "TestSupport.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/WindowQuery.h"

namespace drivertest {

// Starts the 32-bit stand-in; when it does not come up (no 32-bit support), the 64-bit one.
inline std::unique_ptr<standin::StandIn> StartStandIn(
    standin::StartOptions options = standin::StartOptions()) {
  auto ts = std::make_unique<standin::StandIn>(options);
  if (ts->Main() || options.bits != 32) return ts;
  ts.reset();
  options.bits = 64;
  return std::make_unique<standin::StandIn>(options);
}

// A driver test: settings in a scratch program folder, with the waits of the fast stand-in.
class DriverTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = testsupport::ScratchFolder();
    Settings::OverrideAppFolder(folder_.c_str());
    Set("FmtCmdWait", "150");
    Set("WaitForWSOpenMs", "100");
    Set("CloseWait", "5");
    Set("ChartLoadConfirm", "1");
    Set("WaitTSCmd", "300");
    Set("TsAnswerWaitMs", "1500");
  }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
  static void Set(const char* key, const char* value) { Settings::WriteString("Tavrin", key, value); }
  std::string folder_;
};

inline std::string Text(const CTxt& t) {
  return t.ToStd();
}

}  // namespace drivertest
