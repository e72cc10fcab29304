// The real driver behind the sequence runner's step-driver interface: the runner runs TradeStation
// through this adapter on Windows, and through a scripted driver in its native tests.
#pragma once

#include "execution/StepDriver.h"
#include "tsdriver/TsDriver.h"

class TsStepDriver : public StepDriver {
 public:
  explicit TsStepDriver(TsDriver& driver) : m_driver(driver) {}

  std::atomic<int>& AbortRequest() override { return m_driver.AbortRequest(); }
  std::atomic<int>& PauseRequest() override { return m_driver.PauseRequest(); }
  bool FindMainWindow(CTxt& resultText) override { return m_driver.FindMainWindow(resultText) != nullptr; }
  int GetTsBaseFolder(CTxt& folderOrError) override { return m_driver.GetTsBaseFolder(folderOrError, 0, 1); }
  void LoadSymbolRoots() override { ::LoadSymbolRoots(); }
  int OpenWorkspace(const char* path, CTxt& resultText, int checkMaximised) override {
    return m_driver.OpenWorkspace(path, resultText, 1, checkMaximised);
  }
  int ExecuteStep(const char* command, CTxt& resultText, int runOpt) override {
    return m_driver.ExecuteStep(command, resultText, runOpt);
  }
  void CloseTsPopups() override { m_driver.CloseTsPopups(0); }
  int AbortOptimization(CTxt& text) override { return m_driver.AbortOptimization(text); }
  void CheckApplicationErrors() override { m_driver.CheckApplicationErrors("Check"); }
  int SaveStrategyReport(const char* symbol, const char* name, int mode, CTxt& report, CTxt& err) override;
  int SaveOptimizationList(const char* symbol, const char* name, CTxt& err) override;
  void SetRunScript(const RunScript* script) override { m_driver.SetRunScript(script); }
  void SetRunFolder(const char* folder) override { m_driver.SetRunFolder(folder); }
  void SetCurrentWorkspace(const char* path) override { m_driver.SetCurrentWorkspace(path); }
  void SetCurrentStep(int index) override { m_driver.SetCurrentStep(index); }
  int PermutationCount() override { return m_driver.PermutationCount(); }
  bool Wait(int ms) override { return m_driver.Wait(ms); }
  double FreeSpaceGB(char drive) override;

 private:
  TsDriver& m_driver;
};
