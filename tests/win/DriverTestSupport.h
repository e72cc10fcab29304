// Shared set-up of the driver's window-level tests: a scratch program folder whose settings make the driver's
// waits short, and the stand-in TradeStation started the way TradeStation is installed (32-bit under
// "Program Files (x86)"), or as the 64-bit build where this machine cannot run 32-bit programs.
#pragma once

#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "StandInHarness.h"
#include "TestSupport.h"
#include "foundation/Log.h"
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
    // Chart loads of the fast stand-in take milliseconds: a second of standing still is plenty.
    Set("ChartLoadMinSec", "1");
    Set("ChartWaitForLoad", "1");
  }
  void TearDown() override { Settings::OverrideAppFolder(nullptr); }
  static void Set(const char* key, const char* value) { Settings::WriteString("Tavrin", key, value); }
  std::string folder_;
};

// Every log line of the process (all threads) while it exists, to check what the driver said.
class LogLines {
 public:
  LogLines() { SetLogStatusSink(&Collect, this); }
  ~LogLines() { SetLogStatusSink(nullptr, nullptr); }
  LogLines(const LogLines&) = delete;
  LogLines& operator=(const LogLines&) = delete;
  // The first line that contains part; empty when none does.
  std::string Find(const std::string& part) const {
    std::lock_guard<std::mutex> guard(lock_);
    for (const std::string& line : lines_)
      if (line.find(part) != std::string::npos) return line;
    return std::string();
  }
  bool Has(const std::string& part) const { return !Find(part).empty(); }

 private:
  static void Collect(void* self, const char*, const char* text, int) {
    auto* lines = static_cast<LogLines*>(self);
    std::lock_guard<std::mutex> guard(lines->lock_);
    lines->lines_.push_back(text ? text : "");
  }
  mutable std::mutex lock_;
  std::vector<std::string> lines_;
};

inline std::string Text(const CTxt& t) {
  return t.ToStd();
}

}  // namespace drivertest
