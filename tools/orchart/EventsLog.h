// TradeStation's windows for errors outside the dialogs' own flow: the "TradeStation Events Log" (an "Afx:"
// window whose "#32770" child holds the ">>" button 1002 and the event list 1003, filled once expanded),
// "orchart.exe - Application Error" boxes and "CtrlNotifySink" windows with a "Cancel" button. The last
// two are faults: ApplicationErrors=N and CtrlNotifySinks=N show N of them whenever the value changes.
#pragma once

#include <string>

namespace orchart {

// Shows the events log with one error event (replacing the one shown).
void ShowEventsLog(const std::string& source, const std::string& event, const std::string& description);

// Registers the window classes and the option observer of the error faults.
void RegisterErrorWindows();

}  // namespace orchart
