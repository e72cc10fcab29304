// "Format Strategy: NAME": the "Inputs" page with the inputs list (8311, or 6608 with InputsListId=6608;
// rows selected by VK_HOME and VK_DOWN, a value edited in place by an "Edit" child on VK_F2 that Enter
// commits), "&Optimize" with its "Optimize" range dialog and that dialog's "Chart Analysis" errors, and a
// "Properties" page with MaxBarsBack.
#pragma once

#include <windows.h>

#include <functional>

#include "Strategy.h"

namespace orchart {

// Opens the dialog over `owner` (after DialogDelayMs; FormatStrategy in LateDialogs and MissingDialogs)
// for the inputs of `setup`; OK hands the edited setup to `onOk`.
void OpenStrategyInputs(HWND owner, const StrategySetup& setup,
                        std::function<void(const StrategySetup&)> onOk);
void RegisterStrategyInputsClasses();

}  // namespace orchart
