// TradeStation's main window (class "ORPLAT.EXE TRADESTATION"): the MDI frame holding the command line
// bar and the chart windows, its title, its menu, and the commands posted to it.
#pragma once

#include <functional>

namespace orchart {

// Commands posted to the main window (WM_COMMAND), by identifier. Commands that are not registered here
// but are chart commands go to the active chart's view.
using MainCommand = std::function<void()>;
void RegisterMainCommand(int id, MainCommand command);

// Registers the window classes of the stand-in and creates the main window; false on failure.
bool CreateMainWindow();

// Composes the title: PREFIX DESKTOP [" - " WORKSPACE] [" - [" CHART-TITLE "]" when a chart is maximised].
void UpdateMainTitle();

}  // namespace orchart
