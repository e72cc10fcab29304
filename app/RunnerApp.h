// The application object: the program's folder and name, the file-type registration, the command line, the
// sample data relocation, then either an unattended run (/R, /X) or the main window.
#pragma once

#include <string>
#include <vector>

#include "sequence/SequenceDefinition.h"

// The application title: the caption of every message box and the last part of the main window's title.
constexpr char kAppTitle[] = "Tavrinex (Tavrin)";

// What the command line asks for (the arguments after the program name, in order).
struct AppCommandLine {
  std::string selectDefinition;  // the name of a definition file given (its folder is not used)
  bool run = false;              // /R or -R
  std::string runValue;          // the definition to run (may be empty: the option had no value)
  bool selfTest = false;         // /X or -X
  bool quiet = false;            // /Q or -Q: no message boxes or viewers; texts go to the log and stdout
};

// An option's value is the rest of its argument (-Rpath); when that is empty, the next argument unless it
// starts with '-' or '/'. A path of an existing file with the definition extension (any case) selects that
// definition; other files and unknown arguments are ignored.
AppCommandLine ParseAppCommandLine(const std::vector<std::string>& args);

class RunnerApp {
 public:
  RunnerApp();
  // The whole program: returns the process exit code.
  int Run(const std::vector<std::string>& args);

  const std::string& ProgramFolder() const { return m_programFolder; }  // ends with '/'
  const std::string& ProgramName() const { return m_programName; }
  const std::string& ExecutablePath() const { return m_executablePath; }
  const char* Title() const { return kAppTitle; }
  const char* DefinitionExtension() const { return kDefinitionExtension; }

 private:
  void DeterminePaths();
  void RegisterDefinitionType();
  void ApplyCommandLine(const AppCommandLine& command);
  void RelocateSampleData();

  std::string m_programFolder;
  std::string m_programName;
  std::string m_executablePath;
};

// The arguments of this process after the program name, in the system's code page.
std::vector<std::string> ProcessArguments();
