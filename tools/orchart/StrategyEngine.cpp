// The "MovAvg Cross" backtest and the figures of its trades.
#include "StrategyEngine.h"

#include <algorithm>
#include <cmath>

#include "Market.h"

namespace orchart {
namespace {

double Cents(double v) {
  return std::round(v * 100) / 100;
}

// An input's number (a range's start), or the fallback when the input is missing or not a number.
double InputNumber(const StrategySetup& setup, const char* name, double fallback) {
  const StrategyInput* in = setup.Find(name);
  if (!in) return fallback;
  if (in->ranged) return in->range.start;
  double v = 0;
  return ParseNumber(in->value, v) ? v : fallback;
}

double PriceOf(const Bar& b, const std::string& price) {
  if (EqualNoCase(price, "Open")) return b.open;
  if (EqualNoCase(price, "High")) return b.high;
  if (EqualNoCase(price, "Low")) return b.low;
  if (EqualNoCase(price, "Median") || price == "(H+L)/2") return (b.high + b.low) / 2;
  if (EqualNoCase(price, "Typical") || price == "(H+L+C)/3") return (b.high + b.low + b.close) / 3;
  return b.close;  // "Close" and anything the engine does not know
}

// Prices in exact units (1/60000 of a dollar holds cents, ten-thousandths, halves and thirds of them), so
// that averages compare exactly: a crossing never depends on the order of a floating-point sum.
constexpr double kPriceUnits = 60000;

// Sums of the last `length` prices ending at each index (-1 before they exist).
std::vector<long long> Sums(const std::vector<long long>& v, int length) {
  std::vector<long long> out(v.size(), -1);
  long long sum = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    sum += v[i];
    if (i >= static_cast<size_t>(length)) sum -= v[i - static_cast<size_t>(length)];
    if (i + 1 >= static_cast<size_t>(length)) out[i] = sum;
  }
  return out;
}

class Simulation {
 public:
  Simulation(const std::vector<Bar>& bars, double stopLoss) : bars_(bars), stopLoss_(stopLoss) {}

  // Runs pending orders and stops of bar i (before its close).
  void Trade(size_t i) {
    index_ = i;
    const Bar& b = bars_[i];
    if (pending_ != 0 && pending_ != direction_) {
      if (direction_ != 0) Close(b, b.open, direction_ > 0 ? "MA LX" : "MA SX");
      Open(b, pending_);
    }
    pending_ = 0;
    if (direction_ == 0) return;
    StrategyTrade& t = result_.trades.back();
    double favourable = direction_ > 0 ? b.high : b.low;
    double adverse = direction_ > 0 ? b.low : b.high;
    bool stopped = stopLoss_ > 0 && (direction_ > 0 ? b.low <= stop_ : b.high >= stop_);
    if (stopped) adverse = direction_ > 0 ? std::min(b.open, stop_) : std::max(b.open, stop_);
    Excursion(t, favourable);
    Excursion(t, adverse);
    if (stopped) Close(b, adverse, "StopLoss");
  }

  // At bar i's close: a cross of the averages orders the opposite position for the next bar.
  void Signal(bool crossUp, bool crossDown) {
    if (crossUp && direction_ != 1) pending_ = 1;
    if (crossDown && direction_ != -1) pending_ = -1;
  }

  BacktestResult Finish() {
    if (direction_ != 0 && !bars_.empty()) {
      StrategyTrade& t = result_.trades.back();
      const Bar& last = bars_.back();
      t.open = true;
      t.exit.date = last.date;
      t.exit.time = last.time;
      t.exit.price = last.close;
      t.exit.bar = bars_.size() - 1;
      t.gross = Cents((last.close - t.entry.price) * t.shares * t.direction);
      t.net = Cents(t.gross - t.entry.commission);
    }
    if (!bars_.empty()) {
      result_.firstDate = bars_.front().date;
      result_.lastDate = bars_.back().date;
    }
    result_.bars = bars_.size();
    return result_;
  }

 private:
  void Open(const Bar& b, int direction) {
    StrategyTrade t;
    t.direction = direction;
    t.entry =
        TradeSide{b.date, b.time, b.open, direction > 0 ? "MA LE" : "MA SE", kCommissionPerSide, index_};
    result_.trades.push_back(t);
    direction_ = direction;
    stop_ = b.open - direction * stopLoss_ / kSharesPerTrade;
  }

  void Close(const Bar& b, double price, const char* signal) {
    StrategyTrade& t = result_.trades.back();
    t.exit = TradeSide{b.date, b.time, price, signal, kCommissionPerSide, index_};
    Excursion(t, price);
    t.gross = Cents((price - t.entry.price) * t.shares * t.direction);
    t.net = Cents(t.gross - t.entry.commission - t.exit.commission);
    direction_ = 0;
  }

  static void Excursion(StrategyTrade& t, double price) {
    double move = Cents((price - t.entry.price) * t.shares * t.direction);
    t.runUp = std::max(t.runUp, move);
    t.drawDown = std::min(t.drawDown, move);
  }

  const std::vector<Bar>& bars_;
  double stopLoss_;
  BacktestResult result_;
  int direction_ = 0;
  int pending_ = 0;
  double stop_ = 0;
  size_t index_ = 0;
};

}  // namespace

BacktestResult Backtest(const StrategySetup& setup, const std::vector<Bar>& bars) {
  int fast = std::max(1, static_cast<int>(std::lround(InputNumber(setup, "FastLength", 9))));
  int slow = std::max(1, static_cast<int>(std::lround(InputNumber(setup, "SlowLength", 18))));
  double stopLoss = std::max(0.0, InputNumber(setup, "StopLoss", 0));
  const StrategyInput* priceInput = setup.Find("Price");
  std::string price = priceInput ? priceInput->value : "Close";

  std::vector<long long> prices(bars.size());
  for (size_t i = 0; i < bars.size(); ++i) prices[i] = std::llround(PriceOf(bars[i], price) * kPriceUnits);
  std::vector<long long> fastSum = Sums(prices, fast), slowSum = Sums(prices, slow);
  // fast average - slow average, scaled by both lengths: its sign is the averages' order.
  auto spread = [&](size_t i) { return fastSum[i] * slow - slowSum[i] * fast; };
  size_t firstSignal = static_cast<size_t>(std::max({setup.maxBarsBack, fast, slow}));

  Simulation sim(bars, stopLoss);
  for (size_t i = 0; i < bars.size(); ++i) {
    sim.Trade(i);
    if (i < firstSignal) continue;
    if (fastSum[i - 1] < 0 || slowSum[i - 1] < 0) continue;
    long long before = spread(i - 1), now = spread(i);
    sim.Signal(now > 0 && before <= 0, now < 0 && before >= 0);
  }
  return sim.Finish();
}

PerformanceFigures BacktestResult::Figures(TradeFilter filter) const {
  PerformanceFigures f;
  double equity = 0, peak = 0, intradayPeak = 0;
  for (const StrategyTrade& t : trades) {
    if (t.open) continue;
    if ((filter == TradeFilter::Long && t.direction < 0) || (filter == TradeFilter::Short && t.direction > 0))
      continue;
    ++f.trades;
    f.netProfit += t.net;
    f.commissions += t.entry.commission + t.exit.commission;
    if (t.net > 0) {
      ++f.winners;
      f.grossProfit += t.net;
      f.largestWinner = std::max(f.largestWinner, t.net);
    } else if (t.net < 0) {
      ++f.losers;
      f.grossLoss += t.net;
      f.largestLoser = std::min(f.largestLoser, t.net);
    }
    intradayPeak = std::max(intradayPeak, equity + t.runUp - t.entry.commission);
    f.maxIntradayDrawdown =
        std::min(f.maxIntradayDrawdown, equity + t.drawDown - t.entry.commission - intradayPeak);
    equity += t.net;
    peak = std::max(peak, equity);
    intradayPeak = std::max(intradayPeak, equity);
    f.maxDrawdown = std::min(f.maxDrawdown, equity - peak);
  }
  f.netProfit = Cents(f.netProfit);
  f.grossProfit = Cents(f.grossProfit);
  f.grossLoss = Cents(f.grossLoss);
  f.maxDrawdown = Cents(f.maxDrawdown);
  f.maxIntradayDrawdown = Cents(std::min(f.maxIntradayDrawdown, f.maxDrawdown));
  f.profitFactor = f.grossLoss < 0 ? f.grossProfit / -f.grossLoss : 0;
  f.percentProfitable = f.trades ? 100.0 * f.winners / f.trades : 0;
  f.averageTrade = f.trades ? Cents(f.netProfit / f.trades) : 0;
  return f;
}

double BacktestResult::OpenPositionProfit() const {
  return !trades.empty() && trades.back().open ? trades.back().net : 0;
}

}  // namespace orchart
