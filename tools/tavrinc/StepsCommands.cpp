// "tavrinc steps DEFINITION" prints the numbered step listing (ShowCmd.csv) of a definition; "tavrinc mark
// DEFINITION" prints its abort mark. The definition's folder stands for the program folder (settings,
// symbol lists found there); list files and Skip.txt are looked for in the current folder, as the program
// does.
#include <cstdio>
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

#include "Commands.h"
#include "execution/AbortMarks.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"
#include "sequence/SequenceDefinition.h"

namespace {

// Writes the file's bytes unchanged (CR LF kept), so that the output is exactly what the file holds.
void PrintFileBytes(const CTxt& text) {
#if defined(_WIN32)
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::fwrite(text.GetData() ? text.GetData() : "", 1, static_cast<size_t>(text.GetLength()), stdout);
}

int ListSteps(const std::vector<const char*>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tavrinc steps DEFINITION\n");
    return 2;
  }
  UseDefinitionFolder(args[0]);
  CTxtArray lines;
  CTxt message;
  int steps = WriteStepList(args[0], lines, message, 0);
  if (steps < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(message));
    return 1;
  }
  CTxt listing;
  if (listing.LoadFromFile(kStepListFileName) < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(listing));
    return 1;
  }
  PrintFileBytes(listing);
  return 0;
}

int ShowMark(const std::vector<const char*>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tavrinc mark DEFINITION\n");
    return 2;
  }
  CTxt text;
  int step = ReadAbortMark(args[0], text);
  if (step == -1) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(text));
    return 1;
  }
  if (step == -2) {
    std::printf("No abort mark in %s\n", args[0]);
    return 3;
  }
  std::printf("%s%d=%s\n", kAbortKey, step, static_cast<const char*>(text));
  return 0;
}

CommandRegistration stepsRegistration({"steps", "DEFINITION", ListSteps});
CommandRegistration markRegistration({"mark", "DEFINITION", ShowMark});

}  // namespace

void UseDefinitionFolder(const char* definitionPath) {
  CTxt path(definitionPath), folder;
  path.MakeFn();
  path.GetFileTxt(4, folder);
  folder.MakeFn();
  if (folder.IsEmpty()) CurrentFolder(folder);
  Settings::OverrideAppFolder(folder);
}
