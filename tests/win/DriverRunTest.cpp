// A whole sequence against the stand-in: the sequence runner with the real driver behind its step-driver
// interface runs every step of a definition, and the run folder holds each step's files and the summary.
#include <windows.h>

#include <filesystem>
#include <fstream>

#include "DriverChartSupport.h"
#include "execution/SequenceRunner.h"
#include "tsdriver/RunnerBinding.h"

using drivertest::ChartTest;
namespace fs = std::filesystem;

namespace {

class DriverRun : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    Set("WaitForOpt", "0");
    Set("WaitStartOpt", "0");
    Set("WaitResultsSave", "1");
    Set("ReportFindSec", "3");
    Set("SaveDialogWaitMs", "1500");
    Set("ChartMinColors", "3");
    Set("FmtNextSymWait", "100");
    Set("CheckChartMaximized", "NO");
  }
};

int LinesOf(const std::string& text) {
  int n = 0;
  for (char c : text) n += c == '\n';
  return n;
}

TEST_F(DriverRun, TwoStepsOfADefinitionLeaveTheirFilesAndTheSummary) {
  auto ts = Start("9.5");
  ASSERT_TRUE(ts->Main());
  std::string definition = ts->Folder() + "/MyWork/Run2.tvd";
  {
    std::ofstream out(definition, std::ios::binary);
    out << "Workspace=" << ts->WorkspacePath("Tavrin Sample")
        << "\r\nSymbols=MSFT,CSCO\r\nEndDate=12/31/2012\r\n\r\n"
        << "Template=\r\nIntra/5|30 Days\r\n\r\nOptSet=\r\n1/FastLength|4|12|4\r\n";
  }
  TsStepDriver steps(*driver_);
  SequenceRunner runner(steps);
  CTxt text;
  int result = runner.Run(definition.c_str(), "", text);
  ASSERT_EQ(result, kRunCompleted) << text.ToStd() << "\n" << ts->ActivityLog();
  std::string folder = runner.RunFolder();
  EXPECT_EQ(folder, ts->Folder() + "/MyWork/Tavrin/Run2/SEQ_0001");
  int reports = 0, lists = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    reports += entry.path().extension() == ".MHT";
    lists += name.find("-OptList.CSV") != std::string::npos;
  }
  EXPECT_EQ(reports, 2);
  EXPECT_EQ(lists, 2);
  std::string summary = testsupport::ReadFile(folder + "/_Summary.csv");
  EXPECT_EQ(LinesOf(summary), 5) << summary;  // Start, empty line, header, one line per step
  EXPECT_NE(summary.find(",MSFT,"), std::string::npos) << summary;
  EXPECT_NE(summary.find(",CSCO,"), std::string::npos) << summary;
}

}  // namespace
