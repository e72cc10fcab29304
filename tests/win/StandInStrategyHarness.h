// Window helpers for the stand-in's strategy, optimisation and report windows, acting the way the driver
// acts: commands to the chart view, clicks posted to dialogs, keys posted to the inputs list, file dialogs
// filled by WM_SETTEXT. Every wait is bounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "StandInHarness.h"

namespace standin {

// "Format Analysis Techniques & Strategies": the dialog, its strategies page, the strategy list (7080 on
// the page, or 12320 on the dialog), and the page's method sub-page.
struct StrategiesDialog {
  HWND dialog = nullptr, page = nullptr, list = nullptr, method = nullptr;
};
StrategiesDialog OpenStrategies(const StandIn& ts);

// "Format Strategy: NAME": the dialog, its inputs page and inputs list (8311, else 6608).
struct InputsDialog {
  HWND dialog = nullptr, page = nullptr, list = nullptr;
};
// Clicks "&Format" and waits for the inputs dialog.
InputsDialog OpenInputs(const StandIn& ts, const StrategiesDialog& strategies);

// The rows of a list view of the stand-in, read from its process: "cell|cell|..." (one column: the cell).
std::vector<std::string> ListRows(HWND list, int columns);
// Selects row `row` (0-based) as the driver does: VK_HOME, then VK_DOWN `row` times.
void SelectRowByKeys(HWND list, int row);
// The in-place editor: VK_F2, the "Edit" child's text set, Enter. False when no editor appeared.
bool TypeInPlace(HWND list, const std::string& text);
// "&Optimize" for the selected row, the range typed into 8280..8282 and OK. Returns the range dialog (still
// open when the stand-in refused the range) or nullptr when it did not appear.
HWND OptimizeSelectedRow(const StandIn& ts, const InputsDialog& inputs, const std::string& start,
                         const std::string& stop, const std::string& increment);

// Confirms the inputs dialog, then the strategies dialog (optionally choosing the method first).
void ConfirmStrategies(const InputsDialog& inputs, const StrategiesDialog& strategies,
                       const std::string& method = "Exhaustive");

// TradeStation's "Abort" button: a "Button" titled "Abort" among the main window's child windows, else
// among the windows owned by it.
HWND FindAbortButton(const StandIn& ts);
// Waits for the optimisation: its Abort button appears (or the optimisation already ended) and goes.
bool WaitOptimization(const StandIn& ts, int ms = 20000);

// Sends 17542 (17545) to the chart view and waits for the report window ("Afx:" class).
HWND ShowPerformanceReport(const StandIn& ts);
HWND ShowOptimizationReport(const StandIn& ts, int ms = 3000);
// The first file dialog of the process ("#32770" with 1136, 1152 or 1148, IDOK and IDCANCEL).
HWND WaitFileDialog(DWORD pid, int ms = 5000);
HWND FileNameControl(HWND dialog);
// Posts the save command to the report, fills the dialog (type index, spreadsheet option for 'C') and
// confirms it; then waits until the file exists with a size that holds still. False on any failure.
bool SaveReport(const StandIn& ts, HWND report, char type, const std::string& path);
std::string Backslashed(std::string path);

}  // namespace standin
