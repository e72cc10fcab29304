// "tavrinc size DEFINITION" prints how big a definition's run is before it runs: the number of steps, the
// optimisation tests of its largest step and which step that is, and the tests of all steps together.
#include <cinttypes>
#include <cstdio>

#include "Commands.h"
#include "foundation/Txt.h"
#include "sequence/DefinitionSize.h"

namespace {

int ShowSize(const std::vector<const char*>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "usage: tavrinc size DEFINITION\n");
    return 2;
  }
  UseDefinitionFolder(args[0]);
  DefinitionSize size;
  CTxt message;
  int steps = ComputeDefinitionSize(args[0], size, message);
  if (steps < 0) {
    PrintError(message);
    return 1;
  }
  std::printf("Steps: %d\n", size.steps);
  if (size.steps > 0)
    std::printf("Largest step: %d with %" PRId64 " optimisation test%s\n", size.largestStep,
                size.largestStepTests, size.largestStepTests == 1 ? "" : "s");
  std::printf("Tests of all steps: %" PRId64 "\n", size.totalTests);
  if (!size.optimizes) std::printf("Optimisation: off (one test a step)\n");
  if (size.genetic) std::printf("Genetic: each step runs generations x population tests\n");
  if (size.invalidParameter.IsFilled())
    std::printf("Range refused by TradeStation (counted as one value): %s\n",
                static_cast<const char*>(size.invalidParameter));
  if (size.largestStepTests > kLargeStepTests)
    std::printf("Warning: step %d holds more than %" PRId64
                " tests; TradeStation's own optimiser becomes impractically slow\n",
                size.largestStep, kLargeStepTests);
  return 0;
}

CommandRegistration sizeRegistration({"size", "DEFINITION", ShowSize});

}  // namespace
