// Shared set-up of the chart and strategy tests: the stand-in with a chart, and settings that make the chart
// setup's waits short (the load floor down to one second, no minimising of windows).
#pragma once

#include <windows.h>

#include <fstream>
#include <memory>
#include <string>

#include "DriverTestSupport.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/TsDriver.h"

namespace drivertest {

class ChartTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    Set("ChartLoadMinSec", "1");
    Set("ChartWaitForLoad", "1");
    Set("ChartLoadConfirm", "1");
    Set("TavrinMinimize", "0");
    Set("FmtNextWait", "250");
    Set("FmtOKWait", "100");
    Set("FmtWaitLoadWaitSec", "30");
    Set("WaitStratInput", "2");
  }

  // The stand-in of a version with the sample workspace, and a driver that knows its folder (with its own
  // load signals: picture, download log, cache file).
  std::unique_ptr<standin::StandIn> Start(const char* version, const std::string& control = "",
                                          const std::string& workspace = "Tavrin Sample") {
    standin::StartOptions options;
    options.version = version;
    options.control = control;
    options.workspace = workspace;
    auto ts = StartStandIn(options);
    if (ts->Main()) {
      standin::WaitFor([&] { return !standin::ChartWindows(ts->Pid(), ts->Main()).empty(); });
      ts->WaitSettled();
    }
    driver_ = std::make_unique<TsDriver>();
    driver_->SetBaseFolder(ts->Folder().c_str());
    driver_->SetInteraction(&answers_);
    return ts;
  }

  // Writes a workspace file into the stand-in's MyWork folder; returns its path.
  static std::string WriteWorkspace(const std::string& folder, const std::string& name,
                                    const std::string& body) {
    std::string path = folder + "/MyWork/" + name + ".tsw";
    std::ofstream out(path, std::ios::binary);
    out << "Format=orchart workspace 1\r\n" << body;
    return path;
  }

  std::unique_ptr<TsDriver> driver_;
  tsdriver::FixedAnswerInteraction answers_{true};
};

}  // namespace drivertest
