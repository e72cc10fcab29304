// "tavrinc summary FOLDER": writes "_Summary.csv" of a run folder (as the program does at the end of a run)
// and prints it; the result message goes to standard error.
#include <cstdio>
#include <string>

#include "Commands.h"
#include "execution/Summary.h"

namespace {

int ShowSummary(const std::vector<const char*>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tavrinc summary FOLDER\n");
    return 2;
  }
  CTxt result;
  if (WriteSummary(args[0], result, 0) < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(result));
    return 1;
  }
  std::fprintf(stderr, "%s\n", static_cast<const char*>(result));
  CTxt dir(args[0]), path, text;
  dir.MakeFn();
  path.Format("%s/_Summary.csv", static_cast<const char*>(dir));
  if (text.LoadFromFile(path) < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(text));
    return 1;
  }
  PrintText(text);
  return 0;
}

CommandRegistration registration({"summary", "FOLDER", ShowSummary});

}  // namespace
