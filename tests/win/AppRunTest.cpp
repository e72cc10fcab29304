// Tavrin.exe run unattended (/R with the quiet option) against the stand-in TradeStation: a whole sequence
// leaves every step's files and the summary, a STOP file ends the run after its step, and a run killed in the
// middle of a step leaves its files intact and is resumed at that step by the next run.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "StandInHarness.h"
#include "TestSupport.h"
#include "ToolSupport.h"
#include "app/RunnerApp.h"
#include "execution/AbortMarks.h"
#include "execution/RunState.h"
#include "execution/RunWorker.h"
#include "foundation/Txt.h"

namespace fs = std::filesystem;

namespace {

std::string TavrinExe() {
  return toolsupport::TestProgramFolder() + "\\..\\app\\Tavrin.exe";
}

// A started Tavrin.exe; killed when the object goes.
class TavrinProcess {
 public:
  TavrinProcess(const std::string& folder, const std::string& arguments, const std::string& outputFile) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    output_ =
        CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = output_;
    si.hStdError = output_;
    std::string exe = folder + "/Tavrin.exe";
    std::string command = "\"" + exe + "\" " + arguments;
    std::vector<char> buffer(command.begin(), command.end());
    buffer.push_back(0);
    PROCESS_INFORMATION pi{};
    if (CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &si,
                       &pi)) {
      CloseHandle(pi.hThread);
      process_ = pi.hProcess;
    }
  }
  ~TavrinProcess() {
    Kill();
    if (process_) CloseHandle(process_);
    if (output_ != INVALID_HANDLE_VALUE) CloseHandle(output_);
  }
  bool Started() const { return process_ != nullptr; }
  // The exit code, or -1 when it is still running after ms.
  int WaitExit(DWORD ms) {
    if (!process_ || WaitForSingleObject(process_, ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
  }
  // As abrupt as a crash: no handler of the program runs.
  void Kill() {
    if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_, 9);
      WaitForSingleObject(process_, 10000);
    }
  }

 private:
  HANDLE process_ = nullptr;
  HANDLE output_ = INVALID_HANDLE_VALUE;
};

class AppRun : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::StartOptions options;
    ts_ = std::make_unique<standin::StandIn>(options);
    ASSERT_TRUE(ts_->Main()) << "the stand-in did not start";
    standin::WaitFor([&] { return !standin::ChartWindows(ts_->Pid(), ts_->Main()).empty(); });
    ts_->WaitSettled();
    program_ = testsupport::ScratchFolder() + "/Tavrin";
    fs::create_directories(program_);
    ASSERT_TRUE(CopyFileA(TavrinExe().c_str(), (program_ + "/Tavrin.exe").c_str(), FALSE)) << TavrinExe();
    // The demo's settings: every wait cut short for the fast stand-in.
    std::string settings = testsupport::ReadFile(std::string(TAVRIN_SOURCE_DIR) + "/samples/run/Tavrin.ini");
    ASSERT_FALSE(settings.empty());
    testsupport::WriteFile(program_ + "/Tavrin.ini", settings + "TSHome=" + ts_->Folder() + "\r\n");
  }

  // A definition of the symbols on the given timeframe lines, optimising FastLength over 3 values.
  std::string Define(const std::string& name, const std::string& symbols, const std::string& lines) {
    return testsupport::WriteFile(program_ + "/" + name + ".tvd",
                                  "Workspace=" + ts_->WorkspacePath("Tavrin Sample") + "\r\nSymbols=" +
                                      symbols + "\r\nEndDate=12/31/2012\r\n\r\nTemplate=\r\n" + lines +
                                      "\r\n\r\nOptSet=\r\n1/FastLength|4|12|4\r\n");
  }
  std::unique_ptr<TavrinProcess> Start(const std::string& name, int run = 1) {
    return std::make_unique<TavrinProcess>(program_, "/R " + name + " /Q", Output(run));
  }
  std::string Output(int run) const { return program_ + "/output" + std::to_string(run) + ".txt"; }
  std::string RunFolder(const std::string& name, int n) const {
    char seq[16];
    snprintf(seq, sizeof seq, "SEQ_%04d", n);
    return program_ + "/" + name + "/" + seq;
  }
  static RunState StateOf(const std::string& folder) {
    RunState state;
    CTxt err;
    ReadRunState(folder.c_str(), state, err);
    return state;
  }
  // Waits until the run folder's state says the step is running (bounded by minutes: steps are slow).
  static bool WaitForStep(const std::string& folder, int step, const char* state = "Running") {
    return standin::WaitFor(
        [&] {
          RunState s = StateOf(folder);
          return s.step == step && s.state == state;
        },
        240000);
  }
  std::string Diagnostics(int run) const {
    return "output:\n" + testsupport::ReadFile(Output(run)) + "\nstand-in:\n" + ts_->ActivityLog();
  }

  std::unique_ptr<standin::StandIn> ts_;
  std::string program_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream in(line);
  for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
  return fields;
}

// The best net profit of an exported optimisation list (column "All: Net Profit").
double BestNetProfit(const std::string& listFile) {
  std::vector<std::string> lines = Lines(testsupport::ReadFile(listFile));
  if (lines.size() < 2) return -1e300;
  std::vector<std::string> header = Fields(lines[0]);
  size_t column = 0;
  while (column < header.size() && header[column] != "All: Net Profit") ++column;
  double best = -1e300;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields = Fields(lines[i]);
    if (column < fields.size()) best = std::max(best, std::stod(fields[column]));
  }
  return best;
}

int FilesEndingWith(const std::string& folder, const std::string& ending) {
  int n = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    n +=
        name.size() >= ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
  }
  return n;
}

}  // namespace

TEST_F(AppRun, WholeSequenceLeavesEveryStepsFilesAndASummaryOfTheBestTests) {
  Define("Four", "MSFT,CSCO", "Intra/5|30 Days\r\nDaily|1 Years");
  auto tavrin = Start("Four");
  ASSERT_TRUE(tavrin->Started()) << TavrinExe();
  ASSERT_EQ(kExitCompleted, tavrin->WaitExit(600000)) << Diagnostics(1);
  std::string output = testsupport::ReadFile(Output(1));
  EXPECT_NE(std::string::npos, output.find("Completed Sequence:")) << output;
  std::string folder = RunFolder("Four", 1);
  EXPECT_NE(std::string::npos, output.find(folder)) << "the final text names the run folder";
  EXPECT_EQ(4, FilesEndingWith(folder, ".MHT"));
  EXPECT_EQ(4, FilesEndingWith(folder, "-OptList.CSV"));
  EXPECT_TRUE(testsupport::FileExists(folder + "/Tavrin.ini"));
  EXPECT_TRUE(testsupport::FileExists(folder + "/Four.tvd"));

  std::vector<std::string> summary = Lines(testsupport::ReadFile(folder + "/_Summary.csv"));
  ASSERT_EQ(7u, summary.size()) << "Start, an empty line, the header and one line per step";
  std::vector<std::string> header = Fields(summary[2]);
  ASSERT_GE(header.size(), 4u);
  EXPECT_EQ("Profit/Loss$", header[3]);
  for (size_t i = 3; i < summary.size(); ++i) {
    std::vector<std::string> fields = Fields(summary[i]);
    std::string stepFile = fields.back();
    SCOPED_TRACE(stepFile);
    ASSERT_GT(stepFile.size(), 4u);
    std::string list = stepFile.substr(0, stepFile.size() - 4) + "-OptList.CSV";
    EXPECT_TRUE(testsupport::FileExists(stepFile));
    EXPECT_TRUE(testsupport::FileExists(stepFile.substr(0, stepFile.size() - 4) + ".MHT"));
    EXPECT_DOUBLE_EQ(BestNetProfit(list), std::stod(fields[3]));
  }
}

TEST_F(AppRun, StopFileEndsTheRunAfterItsStepAndMarksTheNextStep) {
  std::string definition = Define("Stop", "MSFT,CSCO", "Daily|1 Years");
  auto tavrin = Start("Stop");
  std::string folder = RunFolder("Stop", 1);
  ASSERT_TRUE(WaitForStep(folder, 1)) << Diagnostics(1);
  testsupport::WriteFile(folder + "/STOP", "");
  ASSERT_EQ(kExitAborted, tavrin->WaitExit(300000)) << Diagnostics(1);
  std::string output = testsupport::ReadFile(Output(1));
  EXPECT_NE(std::string::npos, output.find("Abort after this step requested by a STOP file")) << output;
  EXPECT_EQ(1, FilesEndingWith(folder, ".MHT")) << "the first step finished, the second never started";
  EXPECT_TRUE(testsupport::FileExists(folder + "/_Summary.csv"));
  CTxt mark;
  EXPECT_EQ(2, ReadAbortMark(definition.c_str(), mark)) << testsupport::ReadFile(definition);
}

TEST_F(AppRun, KilledInTheMiddleOfAStepLeavesItsFilesIntactAndTheNextRunResumesThere) {
  std::string definition = Define("Kill", "MSFT,CSCO", "Daily|1 Years");
  std::string definitionBefore = testsupport::ReadFile(definition);
  std::string settingsBefore = testsupport::ReadFile(program_ + "/Tavrin.ini");
  std::string folder = RunFolder("Kill", 1);
  {
    auto tavrin = Start("Kill");
    ASSERT_TRUE(WaitForStep(folder, 2)) << Diagnostics(1);
    // Into the step: the chart is being changed when the stand-in's Format Symbol dialog has come.
    standin::WaitFor([&] { return ts_->ActivityLog().find("CSCO") != std::string::npos; }, 60000);
    tavrin->Kill();
  }
  EXPECT_EQ(definitionBefore, testsupport::ReadFile(definition)) << "no mark or half-written definition";
  std::string settingsAfter = testsupport::ReadFile(program_ + "/Tavrin.ini");
  EXPECT_NE(std::string::npos, settingsAfter.find("TSHome=")) << settingsAfter;
  EXPECT_GE(settingsAfter.size(), settingsBefore.size() / 2) << "the settings were not cut short";
  RunState state = StateOf(folder);
  EXPECT_TRUE(state.Unfinished()) << state.state;
  EXPECT_EQ(2, state.ResumeStep());
  EXPECT_FALSE(testsupport::FileExists(folder + "/_Summary.csv")) << "no summary of a run that never ended";
  EXPECT_EQ(1, FilesEndingWith(folder, ".MHT"));

  ts_->WaitSettled();
  auto again = Start("Kill", 2);
  ASSERT_EQ(kExitCompleted, again->WaitExit(300000)) << Diagnostics(2);
  std::string second = RunFolder("Kill", 2);
  EXPECT_EQ(1, FilesEndingWith(second, ".MHT")) << "only the interrupted step ran again";
  EXPECT_EQ(0, FilesEndingWith(second, "MSFT_Daily_0001.MHT"));
  EXPECT_EQ(1, FilesEndingWith(second, "CSCO_Daily_0002.MHT"));
  EXPECT_EQ("Resumed", StateOf(folder).state) << "the interrupted run is taken over once";
  CTxt mark;
  EXPECT_EQ(-2, ReadAbortMark(definition.c_str(), mark)) << "a completed run removes the mark";
}

TEST(AppCommandLine, MissingDefinitionCannotStart) {
  std::string program = testsupport::ScratchFolder() + "/TavrinAlone";
  fs::create_directories(program);
  ASSERT_TRUE(CopyFileA(TavrinExe().c_str(), (program + "/Tavrin.exe").c_str(), FALSE));
  TavrinProcess tavrin(program, "/R NoSuchSequence /Q", program + "/output.txt");
  EXPECT_EQ(kExitNotStarted, tavrin.WaitExit(60000));
  EXPECT_NE(std::string::npos, testsupport::ReadFile(program + "/output.txt").find("NoSuchSequence"));
}

TEST(AppCommandLine, OptionValuesFollowTheirLetterOrComeNextUnlessTheyLookLikeOptions) {
  AppCommandLine joined = ParseAppCommandLine({"-RC:/Seq/A.tvd"});
  EXPECT_TRUE(joined.run);
  EXPECT_EQ("C:/Seq/A.tvd", joined.runValue);

  AppCommandLine next = ParseAppCommandLine({"/r", "Sample", "/Q"});
  EXPECT_TRUE(next.run);
  EXPECT_EQ("Sample", next.runValue);
  EXPECT_TRUE(next.quiet);

  AppCommandLine noValue = ParseAppCommandLine({"/R", "-X"});
  EXPECT_TRUE(noValue.run);
  EXPECT_EQ("", noValue.runValue) << "an option after /R is not its value";
  EXPECT_TRUE(noValue.selfTest) << "and is processed itself";
  EXPECT_FALSE(noValue.quiet);
}

TEST(AppCommandLine, ADefinitionFileSelectsItsNameWhereverItLies) {
  std::string folder = testsupport::ScratchFolder() + "/elsewhere";
  fs::create_directories(folder);
  std::string definition = testsupport::WriteFile(folder + "/Breakout.TVD", "Symbols=ES\r\n");
  std::string other = testsupport::WriteFile(folder + "/Notes.txt", "");
  EXPECT_EQ("Breakout", ParseAppCommandLine({definition}).selectDefinition);
  EXPECT_EQ("", ParseAppCommandLine({other}).selectDefinition);
  EXPECT_EQ("", ParseAppCommandLine({folder + "/Missing.tvd", "whatever"}).selectDefinition);
}
