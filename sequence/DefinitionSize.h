// The size of a definition before it runs: how many steps it expands to and how many optimisation tests
// its largest step holds, so that the editor and the console companion can warn about a sequence that
// would keep the platform's optimiser busy for days.
#pragma once

#include <cstdint>

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

class SequenceDefinition;

// Above this many tests in one step the platform's own optimiser becomes impractically slow.
constexpr int64_t kLargeStepTests = 10000;

struct DefinitionSize {
  int steps = 0;                 // steps the definition expands to (symbol lists and the skip list applied)
  int64_t largestStepTests = 0;  // optimisation tests of the largest step (1 for a step without ranges)
  int largestStep = 0;           // 1-based number of the first step with that many tests; 0 without steps
  int64_t totalTests = 0;        // sum over all steps (saturates at INT64_MAX)
  bool optimizes =
      true;  // false when the run optimises nothing (RunOpt off or a set says SKIP): one test a step
  bool genetic = false;   // genetic steps run generations x population tests
  CTxt invalidParameter;  // first range line the driver would refuse (increment <= 0, min >= max)
};

// Tests of one optimisation set: the product of the values each range line steps through, counted as the
// driver counts them when it fills the range dialog (truncate((max - min) / increment + 0.51) + 1); a
// fixed value counts 1, lines whose input number is outside 1..100 are ignored like the driver ignores
// them. With genetic settings ("%d|%.2f|%d|%.2f|") the step runs generations x population tests instead.
// A refused range counts 1 and is named in invalidLine (when given and still empty). Saturates at INT64_MAX.
int64_t CountParameterTests(const CTxtArray& parameterLines, const char* genetic,
                            CTxt* invalidLine = nullptr);

// The size of the definition held in lines (a definition file's lines): steps as the run script builder
// expands them (symbols in order, "List:" entries replaced by their files, Skip.txt applied, one step per
// timeframe line of each symbol's template; a "*MULTI" definition has one step per line). Returns the
// number of steps, or -5 with "Strategy Optimization Definition '%s' is missing in:\r\n%s" when a symbol's
// optimisation set has no lines and no SKIP (as the builder fails), or -4 without "Symbols=". A list
// script ("List=") or test script ("Cmd=") has no steps of its own and gives 0.
int ComputeDefinitionSize(const CTxtArray& lines, const char* definitionPath, DefinitionSize& size,
                          CTxt& errorText);

// The same for a definition file; -3 with "Remote Script not found %s" when it cannot be read.
int ComputeDefinitionSize(const char* definitionPath, DefinitionSize& size, CTxt& errorText);

// The same for a definition being edited, as it would be saved.
int ComputeDefinitionSize(const SequenceDefinition& def, DefinitionSize& size, CTxt& errorText);
