// The strategy applied to a chart: its name, status, inputs (each a single value or an optimisation range),
// its MaxBarsBack and optimisation method; kept among the chart's workspace keys:
//   Strategy=MovAvg Cross     StrategyStatus=ON|OFF     MaxBarsBack=50
//   Input.FastLength=9        Input.SlowLength=5..25:5  (a range: start..stop:increment)
//   OptMethod=Exhaustive|Genetic                         Genetic=GENERATIONS|MUTATION|POPULATION|CROSSOVER
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace orchart {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct InputRange {
  double start = 0, stop = 0, step = 1;
};

// "5..25:5" as the inputs list shows a range; false when the text is no range.
bool ParseInputRange(const std::string& text, InputRange& out);
std::string FormatInputRange(const InputRange& range);
// start, start + step, ... while not beyond stop (allowing for rounding); empty when step <= 0 or
// start > stop.
std::vector<double> RangeValues(const InputRange& range);
// A decimal number and nothing else ("12", "-0.5", "1e3"); false for text inputs such as "Close".
bool ParseNumber(const std::string& text, double& out);

struct StrategyInput {
  std::string name;
  std::string value;    // the single value as typed ("9", "Close")
  bool numeric = true;  // text inputs are never optimised
  bool ranged = false;  // an optimisation range replaces the value
  InputRange range;

  // What the inputs list shows: the value, or the range.
  std::string Shown() const;
  // Takes a text typed into the list: a range, or a value (a numeric input keeps its old value when the
  // text is no number). False when the text was refused.
  bool Take(const std::string& text);
};

enum class OptimizationMethod { Exhaustive, Genetic };

struct GeneticSettings {
  int generations = 20;
  double mutation = 0.1;
  int population = 50;
  double crossover = 0.6;
};

struct StrategySetup {
  std::string name = "MovAvg Cross";
  bool on = true;
  std::vector<StrategyInput> inputs;
  int maxBarsBack = 50;
  OptimizationMethod method = OptimizationMethod::Exhaustive;
  GeneticSettings genetic;

  // "MovAvg Cross" with FastLength 9, SlowLength 18, Price Close, StopLoss 250.
  static StrategySetup Default();
  // The default setup overlaid with the strategy keys found among `keys`.
  static StrategySetup FromKeys(const KeyValues& keys);
  // `keys` with the strategy keys replaced by this setup's (other keys kept in their order).
  KeyValues ToKeys(const KeyValues& keys) const;

  bool HasRanges() const;
  // Product of the ranges' value counts (1 without ranges).
  double Permutations() const;
  // Indexes of the ranged inputs, in input order.
  std::vector<size_t> RangedInputs() const;
  // The same setup with every range replaced by the value given for it (in RangedInputs order).
  StrategySetup WithValues(const std::vector<double>& rangedValues) const;
  const StrategyInput* Find(const std::string& name) const;
};

std::string FormatGenetic(const GeneticSettings& g);
bool ParseGenetic(const std::string& text, GeneticSettings& out);

}  // namespace orchart
