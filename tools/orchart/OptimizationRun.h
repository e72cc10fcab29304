// The optimisation of a chart's strategy as TradeStation runs it: one test every OptTestMs on the UI thread,
// a progress panel with an "Abort" button among the main window's windows for as long as tests run, the
// "Abort Optimization" question, and at the end the best test's inputs on the chart. Faults: an error
// event at a given test (EventsLogError), a crash (CrashAt=Optimization).
#pragma once

namespace orchart {

class Chart;

// Starts optimising the chart's ranged inputs; `bestTestOnly` keeps only the best test in the
// optimisation report. False when an optimisation is already running.
bool StartOptimization(Chart& chart, bool bestTestOnly);
bool OptimizationRunning();

}  // namespace orchart
