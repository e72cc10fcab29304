// The chart's strategy setup: inputs, ranges and the workspace keys that keep them.
#include "Strategy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Market.h"

namespace orchart {
namespace {

constexpr char kStrategyKey[] = "Strategy";
constexpr char kStatusKey[] = "StrategyStatus";
constexpr char kMaxBarsBackKey[] = "MaxBarsBack";
constexpr char kMethodKey[] = "OptMethod";
constexpr char kGeneticKey[] = "Genetic";
constexpr char kInputPrefix[] = "Input.";
constexpr double kRangeSlack = 1e-7;  // a range's last value may miss its stop by rounding only

bool IsStrategyKey(const std::string& key) {
  for (const char* k : {kStrategyKey, kStatusKey, kMaxBarsBackKey, kMethodKey, kGeneticKey})
    if (EqualNoCase(key, k)) return true;
  return key.size() > 6 && EqualNoCase(key.substr(0, 6), kInputPrefix);
}

StrategyInput MakeInput(const std::string& name, const std::string& value, bool numeric) {
  StrategyInput in;
  in.name = name;
  in.value = value;
  in.numeric = numeric;
  return in;
}

}  // namespace

bool ParseNumber(const std::string& text, double& out) {
  std::string t = Trimmed(text);
  if (t.empty()) return false;
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  if (!end || *end || !std::isfinite(v)) return false;
  out = v;
  return true;
}

bool ParseInputRange(const std::string& text, InputRange& out) {
  std::string t = Trimmed(text);
  size_t dots = t.find("..");
  if (dots == std::string::npos) return false;
  size_t colon = t.find(':', dots + 2);
  if (colon == std::string::npos) return false;
  InputRange r;
  if (!ParseNumber(t.substr(0, dots), r.start) ||
      !ParseNumber(t.substr(dots + 2, colon - dots - 2), r.stop) || !ParseNumber(t.substr(colon + 1), r.step))
    return false;
  out = r;
  return true;
}

std::string FormatInputRange(const InputRange& r) {
  return FormatNumber(r.start) + ".." + FormatNumber(r.stop) + ":" + FormatNumber(r.step);
}

std::vector<double> RangeValues(const InputRange& r) {
  std::vector<double> out;
  if (!(r.step > 0) || r.start > r.stop) return out;
  double span = (r.stop - r.start) / r.step;
  long count = static_cast<long>(std::floor(span + kRangeSlack)) + 1;
  for (long i = 0; i < count; ++i) {
    double v = r.start + static_cast<double>(i) * r.step;
    out.push_back(std::round(v * 1e9) / 1e9);  // 0.1 + 0.2 shows as 0.3
  }
  return out;
}

std::string StrategyInput::Shown() const {
  return ranged ? FormatInputRange(range) : value;
}

bool StrategyInput::Take(const std::string& text) {
  std::string t = Trimmed(text);
  InputRange r;
  if (numeric && ParseInputRange(t, r) && !RangeValues(r).empty()) {
    ranged = true;
    range = r;
    return true;
  }
  double v = 0;
  if (numeric && !ParseNumber(t, v)) return false;
  if (t.empty()) return false;
  value = numeric ? FormatNumber(v) : t;
  ranged = false;
  return true;
}

StrategySetup StrategySetup::Default() {
  StrategySetup s;
  s.inputs = {MakeInput("FastLength", "9", true), MakeInput("SlowLength", "18", true),
              MakeInput("Price", "Close", false), MakeInput("StopLoss", "250", true)};
  return s;
}

StrategySetup StrategySetup::FromKeys(const KeyValues& keys) {
  StrategySetup s = Default();
  for (const auto& [key, value] : keys) {
    if (EqualNoCase(key, kStrategyKey) && !Trimmed(value).empty()) {
      s.name = Trimmed(value);
    } else if (EqualNoCase(key, kStatusKey)) {
      s.on = !EqualNoCase(Trimmed(value), "OFF");
    } else if (EqualNoCase(key, kMaxBarsBackKey)) {
      s.maxBarsBack = std::max(1, std::atoi(value.c_str()));
    } else if (EqualNoCase(key, kMethodKey)) {
      s.method = EqualNoCase(Trimmed(value), "Genetic") ? OptimizationMethod::Genetic
                                                        : OptimizationMethod::Exhaustive;
    } else if (EqualNoCase(key, kGeneticKey)) {
      ParseGenetic(value, s.genetic);
    } else if (key.size() > 6 && EqualNoCase(key.substr(0, 6), kInputPrefix)) {
      std::string name = key.substr(6);
      bool found = false;
      for (StrategyInput& in : s.inputs) {
        if (!EqualNoCase(in.name, name)) continue;
        in.Take(value);
        found = true;
      }
      if (!found) {  // an input of the workspace's own: numeric when its value is a number or a range
        double v = 0;
        InputRange r;
        StrategyInput in =
            MakeInput(name, Trimmed(value), ParseNumber(value, v) || ParseInputRange(value, r));
        in.Take(value);
        s.inputs.push_back(in);
      }
    }
  }
  return s;
}

KeyValues StrategySetup::ToKeys(const KeyValues& keys) const {
  KeyValues out;
  for (const auto& kv : keys)
    if (!IsStrategyKey(kv.first)) out.push_back(kv);
  out.emplace_back(kStrategyKey, name);
  out.emplace_back(kStatusKey, on ? "ON" : "OFF");
  out.emplace_back(kMaxBarsBackKey, std::to_string(maxBarsBack));
  out.emplace_back(kMethodKey, method == OptimizationMethod::Genetic ? "Genetic" : "Exhaustive");
  out.emplace_back(kGeneticKey, FormatGenetic(genetic));
  for (const StrategyInput& in : inputs) out.emplace_back(kInputPrefix + in.name, in.Shown());
  return out;
}

bool StrategySetup::HasRanges() const {
  for (const StrategyInput& in : inputs)
    if (in.ranged) return true;
  return false;
}

double StrategySetup::Permutations() const {
  double n = 1;
  for (const StrategyInput& in : inputs)
    if (in.ranged) n *= static_cast<double>(RangeValues(in.range).size());
  return n;
}

std::vector<size_t> StrategySetup::RangedInputs() const {
  std::vector<size_t> out;
  for (size_t i = 0; i < inputs.size(); ++i)
    if (inputs[i].ranged) out.push_back(i);
  return out;
}

StrategySetup StrategySetup::WithValues(const std::vector<double>& rangedValues) const {
  StrategySetup s = *this;
  size_t k = 0;
  for (StrategyInput& in : s.inputs) {
    if (!in.ranged) continue;
    double v = k < rangedValues.size() ? rangedValues[k] : in.range.start;
    ++k;
    in.ranged = false;
    in.value = FormatNumber(v);
  }
  return s;
}

const StrategyInput* StrategySetup::Find(const std::string& n) const {
  for (const StrategyInput& in : inputs)
    if (EqualNoCase(in.name, n)) return &in;
  return nullptr;
}

std::string FormatGenetic(const GeneticSettings& g) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "%d|%.2f|%d|%.2f", g.generations, g.mutation, g.population, g.crossover);
  return buf;
}

bool ParseGenetic(const std::string& text, GeneticSettings& out) {
  GeneticSettings g;
  if (std::sscanf(text.c_str(), "%d|%lf|%d|%lf", &g.generations, &g.mutation, &g.population, &g.crossover) !=
      4)
    return false;
  if (g.generations < 1 || g.population < 1 || g.mutation < 0 || g.mutation > 1 || g.crossover < 0 ||
      g.crossover > 1)
    return false;
  out = g;
  return true;
}

}  // namespace orchart
