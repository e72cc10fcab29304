// Report saving and the error watch against the stand-in: the Strategy Performance Report in every save mode,
// reports without trades, a new report with the title of the one saved before, stale files under an
// overwrite question, numbered names, the optimisation list, the Abort button and the abort of a running
// optimisation, the result boxes, and the application error boxes with and without the block flag.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>

#include "DriverChartSupport.h"
#include "StandInStrategyHarness.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"

using drivertest::ChartTest;
namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& part) {
  return text.rfind(part, 0) == 0;
}

CTxtArray Lines(std::initializer_list<const char*> lines) {
  CTxtArray out;
  for (const char* line : lines) out.Add(line);
  return out;
}

std::vector<HWND> TopDialogs(DWORD pid, const std::string& cls, const std::string& part) {
  std::vector<HWND> out;
  for (HWND h : standin::TopWindows(pid))
    if (IsWindowVisible(h) && standin::ClassOf(h) == cls && Contains(standin::TextOf(h), part))
      out.push_back(h);
  return out;
}

std::vector<HWND> ReportWindows(DWORD pid, const std::string& part) {
  std::vector<HWND> out;
  for (HWND h : standin::TopWindows(pid))
    if (StartsWith(standin::ClassOf(h), "Afx:") && Contains(standin::TextOf(h), part)) out.push_back(h);
  return out;
}

class DriverReport : public ChartTest {
 protected:
  void SetUp() override {
    ChartTest::SetUp();
    Set("WaitResultsSave", "1");
    Set("ReportFindSec", "3");
    Set("SaveDialogWaitMs", "1500");
  }

  // The stand-in with the sample chart; results go to a run folder beside the workspace copy.
  std::unique_ptr<standin::StandIn> StartWithRunFolder(const std::string& control = "") {
    auto ts = Start("9.5", control);
    CTxt title;
    EXPECT_TRUE(driver_->FindMainWindow(title));
    run_ = folder_ + "/SEQ_0001";
    fs::create_directories(run_);
    driver_->SetCurrentWorkspace((run_ + "/Tavrin Sample.tsw").c_str());
    driver_->SetCurrentStep(0);
    return ts;
  }

  // The result file name of MSFT 5 minutes for the current step, without extension.
  std::string ResultBase() {
    CTxt value, base;
    int kind = ParseChartInterval("Intra/5", "MSFT", value);
    driver_->MakeResultFileName("MSFT", kind, value, base);
    return base.ToStd();
  }

  int SaveMsft(int mode, CTxt& err) {
    CTxt value;
    int kind = ParseChartInterval("Intra/5", "MSFT", value);
    return driver_->SaveStrategyReport("MSFT", kind, value, err, mode);
  }

  // An optimisation of FastLength over 4..12:4 through the driver, waited for to its end.
  void Optimize(const standin::StandIn& ts) {
    CTxt err;
    ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"1|4|12|4|"}), err, 0, nullptr), 1) << err.ToStd();
    ASSERT_TRUE(standin::WaitOptimization(ts));
  }

  std::string run_;
};

TEST_F(DriverReport, EverySaveModeWritesItsFiles) {
  auto ts = StartWithRunFolder();
  struct Case {
    int mode;
    bool mht, xls;
  };
  for (const Case& c : {Case{0, true, true}, Case{1, true, false}, Case{2, false, true},
                        Case{3, false, false}, Case{4, true, false}, Case{5, false, true}}) {
    std::string base = ResultBase();
    fs::remove(base + ".MHT");
    fs::remove(base + ".XLS");
    CTxt err;
    ASSERT_EQ(SaveMsft(c.mode, err), 0) << c.mode << " " << err.ToStd();
    EXPECT_EQ(fs::exists(base + ".MHT"), c.mht) << c.mode;
    EXPECT_EQ(fs::exists(base + ".XLS"), c.xls) << c.mode;
    if (c.mht) {
      EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".MHT"), "From: <Saved by TradeStation>"))
          << c.mode;
    }
    // Also after a spreadsheet-only save the archive's name is remembered.
    if (c.mode != 3) {
      EXPECT_TRUE(EqualNoCase(driver_->LastReportPath(), (base + ".MHT").c_str())) << c.mode;
    } else {
      EXPECT_TRUE(driver_->LastReportPath().IsEmpty()) << "the report of the step before is not this one's";
    }
    EXPECT_TRUE(ReportWindows(ts->Pid(), "Strategy Performance Report").empty()) << "closed after the save";
    EXPECT_EQ(driver_->ErrorCheckBlock().load(), 0) << "released after the save";
  }
}

TEST_F(DriverReport, FileTypeIsAnnouncedByTheCombo) {
  // A TradeStation whose Save As takes the file type only from the type combo's change notification.
  auto ts = StartWithRunFolder("ComboChangesNotified=1");
  std::string base = ResultBase();
  CTxt err;
  ASSERT_EQ(SaveMsft(0, err), 0) << err.ToStd();
  EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".MHT"), "From: <Saved by TradeStation>"));
  EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".XLS"), "<HTML>")) << ts->ActivityLog();
}

TEST_F(DriverReport, ReportWithoutTradesIsNoFailure) {
  auto ts = StartWithRunFolder("NoTrades=1");
  CTxt err;
  EXPECT_EQ(SaveMsft(0, err), 0) << err.ToStd();
  EXPECT_FALSE(fs::exists(ResultBase() + ".MHT"));
  EXPECT_TRUE(driver_->LastReportPath().IsEmpty());
  EXPECT_TRUE(Contains(ts->ActivityLog(), "no trades, no save dialog"));
}

TEST_F(DriverReport, NewReportWithTheTitleOfTheLastOneIsSaved) {
  auto ts = StartWithRunFolder();
  CTxt err;
  ASSERT_EQ(SaveMsft(1, err), 0) << err.ToStd();
  std::string first = ResultBase() + ".MHT";
  driver_->SetCurrentStep(1);  // the same symbol and interval again: an equal report title
  ASSERT_EQ(SaveMsft(1, err), 0) << err.ToStd();
  std::string second = ResultBase() + ".MHT";
  ASSERT_NE(first, second);
  EXPECT_TRUE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_TRUE(EqualNoCase(driver_->LastReportPath(), second.c_str()));
}

TEST_F(DriverReport, TheWindowSavedLastIsPassedOverWhileOpen) {
  auto ts = StartWithRunFolder();
  HWND shown = standin::ShowPerformanceReport(*ts);
  ASSERT_TRUE(shown);
  CTxt title, err, out;
  ASSERT_EQ(driver_->FindReportWindow(title, err, nullptr), shown);
  EXPECT_TRUE(StartsWith(title.ToStd(), "TradeStation Strategy Performance Report"));
  ASSERT_EQ(driver_->SaveReport(out, err, (run_ + "/one.mht").c_str(), 'M'), 0) << err.ToStd();
  EXPECT_TRUE(fs::exists(run_ + "/one.MHT") || fs::exists(run_ + "/one.mht"));
  CTxt again;
  EXPECT_EQ(driver_->FindReportWindow(again, err, nullptr), nullptr) << "already saved and still open";
  PostMessageA(shown, WM_CLOSE, 0, 0);
  ASSERT_TRUE(standin::WaitGone(shown));
  HWND next = standin::ShowPerformanceReport(*ts);
  ASSERT_TRUE(next);
  EXPECT_EQ(driver_->FindReportWindow(again, err, nullptr), next) << "a new window with the same title";
  EXPECT_EQ(again.ToStd(), title.ToStd());
}

TEST_F(DriverReport, StaleFilesAreReplacedWithoutAnOverwriteQuestionLeftOpen) {
  auto ts = StartWithRunFolder("OverwritePrompt=1");
  std::string base = ResultBase();
  for (const char* ext : {".MHT", ".XLS"}) std::ofstream(base + ext) << "stale";
  CTxt err;
  ASSERT_EQ(SaveMsft(0, err), 0) << err.ToStd();
  EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".MHT"), "From: <Saved by TradeStation>"));
  EXPECT_TRUE(StartsWith(testsupport::ReadFile(base + ".XLS"), "<HTML>"));
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_TRUE(TopDialogs(ts->Pid(), "#32770", "Save As").empty());
}

TEST_F(DriverReport, NumberedNamesTakeTheFirstFreeOne) {
  auto ts = StartWithRunFolder();
  fs::create_directories(folder_ + "/MhtSave");
  for (int n = 1; n <= 3; ++n)
    std::ofstream(folder_ + "/MhtSave/Report0000" + std::to_string(n) + ".mht") << "x";
  ASSERT_TRUE(standin::ShowPerformanceReport(*ts));
  CTxt title, err, out;
  ASSERT_TRUE(driver_->FindReportWindow(title, err, nullptr));
  ASSERT_EQ(driver_->SaveReport(out, err, nullptr, 'M'), 0) << err.ToStd();
  EXPECT_TRUE(Contains(out.ToStd(), "MhtSave/Report00004.mht")) << out.ToStd();
  EXPECT_GT(fs::file_size(folder_ + "/MhtSave/Report00004.mht"), 100u);
}

TEST_F(DriverReport, NoReportWindowIsReported) {
  auto ts = StartWithRunFolder();
  CTxt err, out;
  EXPECT_EQ(driver_->SaveReport(out, err, nullptr, 'M'), -1);
  EXPECT_EQ(err.ToStd(), "No Strategy Performance Report Window Found");
}

TEST_F(DriverReport, OptimizationListIsExportedAsSpreadsheet) {
  auto ts = StartWithRunFolder();
  Optimize(*ts);
  CTxt value, err;
  int kind = ParseChartInterval("Intra/5", "MSFT", value);
  ASSERT_EQ(driver_->SaveOptimizationList("MSFT", kind, value, err), 0) << err.ToStd();
  std::string list = ResultBase() + "-OptList.CSV";
  ASSERT_TRUE(fs::exists(list));
  std::string text = testsupport::ReadFile(list);
  EXPECT_TRUE(StartsWith(text, "Test,FastLength,All: Net Profit,")) << text;
  EXPECT_TRUE(Contains(text, "\r\n3,12,")) << text;
  EXPECT_TRUE(EqualNoCase(driver_->LastOptimizationList(), list.c_str()));
  EXPECT_TRUE(ReportWindows(ts->Pid(), "Strategy Optimization Report").empty());
}

TEST_F(DriverReport, AbortButtonIsFoundAndAbortStopsTheOptimization) {
  auto ts = StartWithRunFolder("OptTestMs=400");
  CTxt title, err;
  EXPECT_EQ(driver_->FindAbortButton(100), -4) << "no optimisation running";
  ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"1|1|40|1|", "2|10|30|10|"}), err, 0, nullptr), 2)
      << err.ToStd();
  ASSERT_TRUE(standin::WaitFor([&] { return driver_->FindAbortButton(0) == 0; }, 5000));
  EXPECT_EQ(standin::TextOf(driver_->AbortButton()), "Abort");
  driver_->AbortRequest() = 1;  // the runner sets its request before it stops TradeStation's optimisation
  CTxt text;
  EXPECT_EQ(driver_->AbortOptimization(text), 0) << text.ToStd();
  EXPECT_TRUE(standin::WaitFor([&] { return driver_->FindAbortButton(100) != 0; }, 5000));
  EXPECT_TRUE(standin::WaitFor([&] { return Contains(ts->ActivityLog(), "optimization aborted after"); }))
      << ts->ActivityLog();
  EXPECT_EQ(driver_->AbortOptimization(text), 0) << "nothing left to abort";
}

TEST_F(DriverReport, AbortButtonOfAProgressPopUpIsFound) {
  auto ts = StartWithRunFolder("OptTestMs=300\nProgressPopup=1");
  CTxt err;
  ASSERT_EQ(driver_->ApplyStrategyParameters(Lines({"1|1|30|1|"}), err, 0, nullptr), 1) << err.ToStd();
  ASSERT_TRUE(standin::WaitFor([&] { return driver_->FindAbortButton(1) == 0; }, 5000));
  EXPECT_EQ(driver_->FindAbortButton(0), 0) << "an owned pop-up's parent is the main window";
  EXPECT_EQ(driver_->FindAbortButton(100), 0);
  driver_->AbortRequest() = 1;
  CTxt text;
  EXPECT_EQ(driver_->AbortOptimization(text), 0) << text.ToStd();
}

TEST_F(DriverReport, ResultBoxesAreClosed) {
  auto ts = StartWithRunFolder();
  ASSERT_TRUE(standin::ShowPerformanceReport(*ts));
  EXPECT_EQ(driver_->WaitForResultBoxes(0), 0);
  EXPECT_TRUE(
      standin::WaitFor([&] { return ReportWindows(ts->Pid(), "Strategy Performance Report").empty(); }));
}

TEST_F(DriverReport, ApplicationErrorsWaitWhileASaveHoldsTheBlock) {
  auto ts = StartWithRunFolder();
  driver_->ErrorCheckBlock() = 1;
  ts->SetControl("ApplicationErrors=2\nCtrlNotifySinks=1\n");
  ASSERT_TRUE(
      standin::WaitFor([&] { return TopDialogs(ts->Pid(), "#32770", "Application Error").size() == 2; }));
  ASSERT_TRUE(standin::WaitFor([&] { return standin::FindTop(ts->Pid(), "CtrlNotifySink", "") != nullptr; }));
  EXPECT_EQ(driver_->CheckApplicationErrors("Check"), 1);
  ASSERT_TRUE(ts->WaitSettled());
  EXPECT_EQ(TopDialogs(ts->Pid(), "#32770", "Application Error").size(), 2u) << "left alone while blocked";
  EXPECT_TRUE(standin::FindTop(ts->Pid(), "CtrlNotifySink", ""));

  driver_->ErrorCheckBlock() = 0;
  EXPECT_EQ(driver_->CheckApplicationErrors("Check"), 1) << "one CtrlNotifySink window";
  EXPECT_TRUE(standin::WaitFor([&] { return TopDialogs(ts->Pid(), "#32770", "Application Error").empty(); }));
  EXPECT_TRUE(standin::WaitFor([&] { return standin::FindTop(ts->Pid(), "CtrlNotifySink", "") == nullptr; }));
}

TEST_F(DriverReport, BlockStartsFromTheSetting) {
  auto ts = StartWithRunFolder();
  Set("BlockACD", "0");
  ts->SetControl("CtrlNotifySinks=1\n");
  ASSERT_TRUE(standin::WaitFor([&] { return standin::FindTop(ts->Pid(), "CtrlNotifySink", "") != nullptr; }));
  EXPECT_EQ(driver_->CheckApplicationErrors("Check"), 1);
  EXPECT_EQ(driver_->ErrorCheckBlock().load(), 0);
  EXPECT_TRUE(standin::WaitFor([&] { return standin::FindTop(ts->Pid(), "CtrlNotifySink", "") == nullptr; }));
}

}  // namespace
