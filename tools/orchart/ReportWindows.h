// The Strategy Performance Report (command 17542 sent to the chart view) and Strategy Optimization Report
// (17545) windows, class "Afx:...", and their file dialogs: 7002 "Save As" writes the performance report
// as MHT or XLS (with a "Saving Performance" box while it writes; no dialog when there are no trades),
// 7025 exports the optimisation report as CSV ("Spreadsheet") or HTML ("Report"), one line per test.
// Fault: ReportBoxes=N shows N "Tradestation" boxes after a performance report.
#pragma once

namespace orchart {

void RegisterReportCommands();

}  // namespace orchart
