// The strategy engine: backtests the "MovAvg Cross" strategy on a chart's bars. A fast and a slow simple
// average of the Price input cross; a cross up buys and a cross down sells short at the next bar's open
// (leaving the opposite position first), and a StopLoss (dollars per position, 0 = none) leaves a position
// at its stop price. No trade before MaxBarsBack bars (nor before the slow average exists). 100 shares a
// trade, $2.00 commission a side. The same bars and inputs always give the same trades.
#pragma once

#include <string>
#include <vector>

#include "PriceSeries.h"
#include "Strategy.h"

namespace orchart {

constexpr int kSharesPerTrade = 100;
constexpr double kCommissionPerSide = 2.00;

struct TradeSide {
  int date = 0;  // YYYYMMDD
  int time = 0;  // HHMM; 0 on daily, weekly and monthly bars
  double price = 0;
  std::string signal;
  double commission = 0;
  size_t bar = 0;  // index of the bar it happened on
};

struct StrategyTrade {
  int direction = 1;  // +1 long, -1 short
  TradeSide entry, exit;
  int shares = kSharesPerTrade;
  bool open = false;    // still open at the end of the data; exit holds the last close, no commission
  double gross = 0;     // (exit - entry) * shares * direction
  double net = 0;       // gross less the commissions charged so far
  double runUp = 0;     // best excursion during the trade, >= 0
  double drawDown = 0;  // worst excursion during the trade, <= 0
};

// Figures of the closed trades of one column (all, long or short trades); an open position is not counted.
struct PerformanceFigures {
  double netProfit = 0, grossProfit = 0, grossLoss = 0;
  int trades = 0, winners = 0, losers = 0;
  double profitFactor = 0;       // gross profit / -gross loss; 0 without losers
  double percentProfitable = 0;  // winners / trades * 100
  double largestWinner = 0, largestLoser = 0, averageTrade = 0;
  double maxDrawdown = 0;          // closed-trade equity, peak to valley, <= 0
  double maxIntradayDrawdown = 0;  // including the trades' own excursions, <= 0
  double commissions = 0;
};

enum class TradeFilter { All, Long, Short };

struct BacktestResult {
  std::vector<StrategyTrade> trades;  // in entry order; at most the last one is open
  int firstDate = 0, lastDate = 0;    // of the bars
  size_t bars = 0;

  PerformanceFigures Figures(TradeFilter filter = TradeFilter::All) const;
  // Net profit of the open position (0 when none).
  double OpenPositionProfit() const;
};

// Backtests the setup (ranges use their start values) on the bars.
BacktestResult Backtest(const StrategySetup& setup, const std::vector<Bar>& bars);

}  // namespace orchart
