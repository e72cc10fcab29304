// TradeStation's command line: a "#32770" tool bar at the top of the main window holding a "ComboBox"
// (its edit has identifier 1001). Enter on the combo box or its edit runs the text:
//   .Open PATH                  opens a workspace
//   SYMBOL [INTERVAL] [RANGE]   changes the active chart's symbol, e.g. "MSFT 5 min 10 days", "IBM daily",
//                               "@ES 100 tick 500 bars"
// A command it cannot run raises "Command Line Error" (text in control 3509, an OK button).
#pragma once

#include <windows.h>

#include <string>

namespace orchart {

HWND CreateCommandBar(HWND main);
// Runs the text that Enter left for the main window (kRunCommandLineMessage).
void RunPendingCommandLine();
void RunCommandLine(const std::string& text);

}  // namespace orchart
