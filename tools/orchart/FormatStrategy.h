// "Format Analysis Techniques & Strategies" (command 17852 to the chart view, owned by the main window) with
// its "Strategies" page, the strategy's status (applied at once) and the optimisation method; "&Format"
// opens "Format Strategy: NAME" (StrategyInputs.h); "Advanced Settings" holds the genetic fields on 9.5.
// OK applies the inputs to the chart and, with a range among them, starts the optimisation.
#pragma once

namespace orchart {

void RegisterFormatStrategyCommands();

}  // namespace orchart
