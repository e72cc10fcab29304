// A chart's strategy as the stand-in runs it: the setup kept among the chart's workspace keys, the backtest
// of its current inputs on the chart's data, the chart's last optimisation, and the trades drawn on the
// chart.
#pragma once

#include "Chart.h"
#include "Optimization.h"
#include "Reports.h"
#include "Strategy.h"
#include "StrategyEngine.h"

namespace orchart {

StrategySetup SetupOf(const Chart& chart);
// Keeps the setup in the chart's workspace keys; the chart paints its trades again.
void StoreSetup(Chart& chart, const StrategySetup& setup);

// The chart's Data1 bars (the same the chart shows once loaded).
std::vector<Bar> StrategyBars(const Chart& chart);
// The backtest of `setup` on `bars`; no trades at all while the NoTrades fault is on, or while the
// strategy is switched off.
BacktestResult RunBacktest(const StrategySetup& setup, const std::vector<Bar>& bars);
// The backtest of the chart's current setup (ranges at their start values).
BacktestResult CurrentBacktest(const Chart& chart);
ReportSubject SubjectOf(const Chart& chart, const StrategySetup& setup);

// The chart's last optimisation; nullptr when there was none or the chart's data changed since.
void StoreOptimization(const Chart& chart, const OptimizationTable& table);
void ForgetOptimization(const Chart& chart);
const OptimizationTable* LastOptimization(const Chart& chart);

// Draws every chart's strategy trades over its bars.
void RegisterStrategyOverlay();

}  // namespace orchart
