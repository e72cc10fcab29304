// A whole 20-step run (5 symbols x 4 timeframe lines, each step an optimisation of 3 tests) of the sequence
// runner and the real driver against the stand-in TradeStation in fast mode, with the settings of the demo.
// Splits the run's wall time into the sleeps the settings impose, the time spent waiting for TradeStation
// (bounded polls for its windows and bounded messages to them) and the driver's own time (the rest), and
// gives the process's CPU time beside it. Usage: bench_run [ORCHART.EXE]; by default the stand-in built
// beside this program. Needs the source tree's samples/run/Tavrin.ini (TAVRIN_SOURCE_DIR).
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "execution/SequenceRunner.h"
#include "foundation/Settings.h"
#include "tsdriver/ChartLoad.h"
#include "tsdriver/RunnerBinding.h"
#include "tsdriver/TsDriver.h"
#include "tsdriver/Waits.h"

namespace {

std::string DefaultStandIn() {
  char self[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string dir = self;
  dir = dir.substr(0, dir.find_last_of("\\/"));
  return dir + "\\..\\tools\\orchart\\orchart.exe";
}

PROCESS_INFORMATION StartStandIn(const std::string& exe, const std::string& folder) {
  std::string command = "\"" + exe + "\" --fast \"--Folder=" + folder + "\" \"--Workspace=Tavrin Sample\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string buffer = command;
  CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  return pi;
}

double CpuSeconds() {
  FILETIME created, ended, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Row(const char* what, double seconds, double total, int steps) {
  std::printf("  %-38s %8.1f s %6.1f %%  %6.2f s per step\n", what, seconds, 100.0 * seconds / total,
              seconds / steps);
}

}  // namespace

int main(int argc, char** argv) {
  std::string exe = argc > 1 ? argv[1] : DefaultStandIn();
  std::filesystem::path scratch = std::filesystem::temp_directory_path() / "tavrin-bench-run";
  std::filesystem::remove_all(scratch);
  std::filesystem::create_directories(scratch);
  std::string program = scratch.string();
  std::string tsFolder = program + "\\TradeStation 9.5";
  std::string settings = ReadAll(std::string(TAVRIN_SOURCE_DIR) + "/samples/run/Tavrin.ini");
  std::ofstream(program + "\\Tavrin.ini", std::ios::binary) << settings << "TSHome=" << tsFolder << "\r\n";
  Settings::OverrideAppFolder(program.c_str());
  std::string definition = program + "\\Bench.tvd";
  std::ofstream(definition, std::ios::binary)
      << "Workspace=" << tsFolder << "\\MyWork\\Tavrin Sample.tsw\r\nSymbols=MSFT,CSCO,IBM,INTC,ORCL\r\n"
      << "EndDate=12/31/2012\r\n\r\nTemplate=\r\nIntra/5|30 Days\r\nIntra/15|60 Days\r\nIntra/60|90 Days\r\n"
      << "Daily|1 Years\r\n\r\nOptSet=\r\n1/FastLength|4|12|4\r\n";

  PROCESS_INFORMATION ts = StartStandIn(exe, tsFolder);
  if (!ts.hProcess) {
    std::printf("cannot start the stand-in %s\n", exe.c_str());
    return 1;
  }
  TsDriver driver;
  FullChartLoadWaits loadWaits;
  driver.SetChartLoadWaits(&loadWaits);
  tsdriver::FixedAnswerInteraction answers(true);
  driver.SetInteraction(&answers);
  CTxt title;
  bool up = tsdriver::WaitUntil(
      [&] { return driver.FindMainWindow(title) && FindChartWindow(title, 0) != nullptr; }, 60000, 100,
      nullptr);
  if (!up) {
    std::printf("the stand-in did not show its chart\n");
    TerminateProcess(ts.hProcess, 1);
    return 1;
  }
  driver.Wait(2000);  // the chart's first load

  TsStepDriver steps(driver);
  SequenceRunner runner(steps);
  tsdriver::ResetWaitTotals();
  double cpuBefore = CpuSeconds();
  long long start = tsdriver::SteadyMs();
  CTxt text;
  int result = runner.Run(definition.c_str(), program.c_str(), text);
  double wall = (tsdriver::SteadyMs() - start) / 1000.0;
  double cpu = CpuSeconds() - cpuBefore;
  tsdriver::WaitTotals totals = tsdriver::CurrentWaitTotals();
  TerminateProcess(ts.hProcess, 0);

  const int kSteps = 20;
  double slept = totals.sleptMs / 1000.0, polled = totals.polledMs / 1000.0, sent = totals.sentMs / 1000.0;
  double own = wall - slept - polled - sent;
  std::printf("bench_run: %d steps against the stand-in in fast mode, result %d\n", kSteps, result);
  if (result != kRunCompleted) std::printf("%s\n", static_cast<const char*>(text));
  Row("whole run (wall time)", wall, wall, kSteps);
  Row("sleeps the settings impose", slept, wall, kSteps);
  Row("waiting for TradeStation: polls", polled, wall, kSteps);
  Row("waiting for TradeStation: messages", sent, wall, kSteps);
  Row("the driver's own time (the rest)", own, wall, kSteps);
  Row("CPU time of runner and driver", cpu, wall, kSteps);
  std::printf("  goal: the driver's own time at most 5 %% of the step time: %s\n",
              own <= 0.05 * wall ? "met" : "NOT met");
  return result == kRunCompleted ? 0 : 1;
}
