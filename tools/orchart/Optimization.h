// Which tests an optimisation runs and in what order: every permutation of the ranges (exhaustive, the
// last ranged input changing fastest), or a genetic search that runs at most generations x population
// distinct tests, each generation bred from the best half of the one before. Both are deterministic.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Strategy.h"
#include "StrategyEngine.h"

namespace orchart {

class TestPlan {
 public:
  virtual ~TestPlan() = default;
  // The ranged inputs' values of the next test (in StrategySetup::RangedInputs order); false when done.
  virtual bool Next(std::vector<double>& values) = 0;
  // The net profit of the test handed out last.
  virtual void Result(double netProfit) = 0;
  // How many tests the plan runs at most.
  virtual size_t Planned() const = 0;
};

std::unique_ptr<TestPlan> MakeTestPlan(const StrategySetup& setup);

struct OptimizationTest {
  int number = 0;              // 1-based, in the order run
  std::vector<double> values;  // of the ranged inputs
  PerformanceFigures figures;
};

// The results of one optimisation: the ranged inputs' names and every test run.
struct OptimizationTable {
  std::vector<std::string> inputNames;
  std::vector<OptimizationTest> tests;

  // Index of the test with the highest net profit (the first of equal ones); -1 without tests.
  int Best() const;
};

}  // namespace orchart
