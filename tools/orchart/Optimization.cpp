// Exhaustive and genetic test plans.
#include "Optimization.h"

#include <algorithm>
#include <cstdint>
#include <set>

namespace orchart {
namespace {

constexpr int kBreedAttempts = 20;

class SplitMix {
 public:
  explicit SplitMix(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

 private:
  uint64_t state_;
};

std::vector<std::vector<double>> ValueLists(const StrategySetup& setup) {
  std::vector<std::vector<double>> lists;
  for (size_t i : setup.RangedInputs()) lists.push_back(RangeValues(setup.inputs[i].range));
  return lists;
}

class ExhaustivePlan : public TestPlan {
 public:
  explicit ExhaustivePlan(std::vector<std::vector<double>> lists)
      : lists_(std::move(lists)), index_(lists_.size()) {
    for (const auto& l : lists_) done_ = done_ || l.empty();
  }

  bool Next(std::vector<double>& values) override {
    if (done_) return false;
    values.clear();
    for (size_t k = 0; k < lists_.size(); ++k) values.push_back(lists_[k][index_[k]]);
    // Advance the odometer: the last list moves fastest.
    size_t k = lists_.size();
    while (k > 0) {
      --k;
      if (++index_[k] < lists_[k].size()) break;
      index_[k] = 0;
      if (k == 0) done_ = true;
    }
    if (lists_.empty()) done_ = true;
    return true;
  }
  void Result(double) override {}
  size_t Planned() const override {
    size_t n = 1;
    for (const auto& l : lists_) n *= l.size();
    return n;
  }

 private:
  std::vector<std::vector<double>> lists_;
  std::vector<size_t> index_;
  bool done_ = false;
};

class GeneticPlan : public TestPlan {
 public:
  GeneticPlan(std::vector<std::vector<double>> lists, const GeneticSettings& g, uint64_t seed)
      : lists_(std::move(lists)), settings_(g), rng_(seed) {
    size_t total = 1;
    for (const auto& l : lists_) total = l.empty() ? 0 : std::min<size_t>(total * l.size(), 1u << 30);
    budget_ = std::min(total, static_cast<size_t>(std::max(1, g.generations)) *
                                  static_cast<size_t>(std::max(1, g.population)));
  }

  bool Next(std::vector<double>& values) override {
    if (handedOut_ >= budget_) return false;
    if (queue_.empty()) Breed();
    if (queue_.empty()) return false;
    current_ = queue_.front();
    queue_.erase(queue_.begin());
    ++handedOut_;
    values.clear();
    for (size_t k = 0; k < lists_.size(); ++k) values.push_back(lists_[k][current_[k]]);
    return true;
  }

  void Result(double netProfit) override { generation_.push_back({netProfit, current_}); }
  size_t Planned() const override { return budget_; }

 private:
  using Genes = std::vector<size_t>;

  Genes RandomGenes() {
    Genes g(lists_.size());
    for (size_t k = 0; k < lists_.size(); ++k) g[k] = rng_.Below(lists_[k].size());
    return g;
  }

  // Takes a candidate not run yet; false when none could be found.
  bool Admit(Genes g) {
    for (int attempt = 0; attempt < kBreedAttempts && seen_.count(g); ++attempt) g = RandomGenes();
    if (seen_.count(g)) {
      // Walk the permutations from a random one to the first unseen.
      for (size_t step = 0; step < budget_ * 4 && seen_.count(g); ++step) {
        size_t k = lists_.size();
        while (k > 0) {
          --k;
          if (++g[k] < lists_[k].size()) break;
          g[k] = 0;
        }
      }
      if (seen_.count(g)) return false;
    }
    seen_.insert(g);
    queue_.push_back(g);
    return true;
  }

  void Breed() {
    size_t size = std::min(static_cast<size_t>(std::max(1, settings_.population)), budget_ - handedOut_);
    std::vector<std::pair<double, Genes>> parents = generation_;
    generation_.clear();
    std::stable_sort(parents.begin(), parents.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    parents.resize((parents.size() + 1) / 2);
    for (size_t i = 0; i < size; ++i) {
      Genes child;
      if (parents.empty()) {
        child = RandomGenes();
      } else {
        const Genes& a = parents[rng_.Below(parents.size())].second;
        const Genes& b = parents[rng_.Below(parents.size())].second;
        child = a;
        for (size_t k = 0; k < child.size(); ++k) {
          if (rng_.Uniform() < settings_.crossover) child[k] = b[k];
          if (rng_.Uniform() < settings_.mutation) child[k] = rng_.Below(lists_[k].size());
        }
      }
      if (!Admit(child)) break;
    }
  }

  std::vector<std::vector<double>> lists_;
  GeneticSettings settings_;
  SplitMix rng_;
  size_t budget_ = 0, handedOut_ = 0;
  std::vector<Genes> queue_;
  std::set<Genes> seen_;
  Genes current_;
  std::vector<std::pair<double, Genes>> generation_;
};

uint64_t SeedOf(const StrategySetup& setup) {
  std::string text = setup.name + FormatGenetic(setup.genetic);
  for (const StrategyInput& in : setup.inputs) text += "|" + in.name + "=" + in.Shown();
  uint64_t h = 1469598103934665603ULL;
  for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return h;
}

}  // namespace

std::unique_ptr<TestPlan> MakeTestPlan(const StrategySetup& setup) {
  if (setup.method == OptimizationMethod::Genetic)
    return std::make_unique<GeneticPlan>(ValueLists(setup), setup.genetic, SeedOf(setup));
  return std::make_unique<ExhaustivePlan>(ValueLists(setup));
}

int OptimizationTable::Best() const {
  int best = -1;
  for (size_t i = 0; i < tests.size(); ++i)
    if (best < 0 || tests[i].figures.netProfit > tests[static_cast<size_t>(best)].figures.netProfit)
      best = static_cast<int>(i);
  return best;
}

}  // namespace orchart
