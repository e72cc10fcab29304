// tavrinc: a command-line companion for scripting and checking Tavrin's files without the GUI.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "Commands.h"
#include "foundation/Txt.h"

std::vector<CompanionCommand>& CompanionCommands() {
  static std::vector<CompanionCommand> commands;
  return commands;
}

void PrintText(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p)
    if (*p != '\r') out += *p;
  std::fwrite(out.data(), 1, out.size(), stdout);
  if (!out.empty() && out.back() != '\n') std::fputc('\n', stdout);
}

void PrintError(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p)
    if (*p != '\r') out += *p;
  std::fprintf(stderr, "%s\n", out.c_str());
}

namespace {

int Usage() {
  std::fprintf(stderr, "usage: tavrinc COMMAND ARGUMENTS\n");
  for (const CompanionCommand& c : CompanionCommands())
    std::fprintf(stderr, "  tavrinc %s %s\n", c.name, c.usage);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  try {
    for (const CompanionCommand& c : CompanionCommands()) {
      if (CompareNoCase(argv[1], c.name, 1) != 0) continue;
      std::vector<const char*> args(argv + 2, argv + argc);
      return c.run(args);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tavrinc: %s\n", e.what());
    return 1;
  }
  return Usage();
}
