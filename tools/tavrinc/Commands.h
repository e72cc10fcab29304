// The console companion's commands. A command registers itself with a static CommandRegistration in
// its own source file, so adding one never touches the others.
#pragma once

#include <vector>

struct CompanionCommand {
  const char* name;
  const char* usage;                                 // the arguments, as shown by "tavrinc help"
  int (*run)(const std::vector<const char*>& args);  // exit code; args exclude the command name
};

std::vector<CompanionCommand>& CompanionCommands();

struct CommandRegistration {
  explicit CommandRegistration(const CompanionCommand& command) { CompanionCommands().push_back(command); }
};

// Prints text to standard output with '\n' line ends (CR LF of stored files is normalised).
void PrintText(const char* text);

// The definition's folder stands for the program folder (settings and symbol lists are found there).
void UseDefinitionFolder(const char* definitionPath);
// Prints a message of the product (CR LF normalised) to standard error.
void PrintError(const char* text);
