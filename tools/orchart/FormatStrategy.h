// "Format Analysis Techniques & Strategies" (command 17852 to the chart view) with its "Strategies" page,
// strategy status and optimisation method; "Format Strategy: NAME" with the inputs list (row selection by
// the keyboard, values edited in place with F2), the "Optimize" range dialog and its "Chart Analysis"
// errors; "Advanced Settings" for the genetic method. OK on the first dialog applies the inputs and, with
// a range among them, starts the optimisation.
#pragma once

namespace orchart {

void RegisterFormatStrategyCommands();

}  // namespace orchart
