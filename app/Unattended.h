// Runs without the main window: option R runs a definition at once and ends the process, option X sends the
// driver's command-line self test. In quiet mode (option Q) nothing waits for a person: no message boxes, no
// viewer, explorer or progress windows; questions take their safe answer and every text goes to the log and
// standard output. Ctrl+C, or a file named "STOP" in the run folder, asks the run to end after its step.
#pragma once

#include <string>

constexpr char kStopFileName[] = "STOP";

// Switches the process to quiet mode (before anything may show a box).
void EnterQuietMode();
bool QuietMode();

// Shows a text: a message box with the application title, or in quiet mode the log and standard output.
void ShowAppText(const char* text, bool isError);

// Option R: returns the process exit code (UnattendedExitCode of the run's result).
int RunUnattended(const std::string& definition, const std::string& programFolder, bool quiet);

// Option X: sends TradeStation the four test commands ten times.
void RunDriverSelfTest(const std::string& programFolder);

// The definition file a value of option R names: the value itself when it is a file, else the value with the
// definition extension added, looked for as given and then in the program folder. Empty when none exists.
std::string ResolveDefinitionPath(const std::string& value, const std::string& programFolder);
