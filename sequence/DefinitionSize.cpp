// Counting a definition's steps and optimisation tests without running it, by the same reading rules the
// run script builder expands it with.
#include "sequence/DefinitionSize.h"

#include <cstdlib>
#include <limits>
#include <vector>

#include "foundation/Settings.h"
#include "sequence/SequenceDefinition.h"

namespace {

constexpr int64_t kMaxTests = std::numeric_limits<int64_t>::max();
constexpr int kFirstInput = 1;
constexpr int kLastInput = 100;

CTxt FieldOf(const char* text, char delim, int n) {
  CTxt out;
  strfld(text, delim, n, 0, out);
  out.Trim(' ');
  return out;
}

int64_t SaturatingProduct(int64_t a, int64_t b) {
  if (a > 0 && b > kMaxTests / a) return kMaxTests;
  return a * b;
}

int64_t SaturatingSum(int64_t a, int64_t b) {
  return a > kMaxTests - b ? kMaxTests : a + b;
}

// Values a range line steps through, as the driver counts them; 0 when the driver refuses the range.
int64_t RangeValueCount(const char* line) {
  double min = std::atof(FieldOf(line, '|', 2));
  double max = std::atof(FieldOf(line, '|', 3));
  double increment = std::atof(FieldOf(line, '|', 4));
  if (!(increment > 0) || !(min < max)) return 0;
  double steps = (max - min) / increment + 5.1f / 10;
  if (steps >= static_cast<double>(kMaxTests - 1)) return kMaxTests;
  return static_cast<int64_t>(steps) + 1;
}

bool IsSkipped(const CTxtArray& skipList, const CTxt& symbol) {
  for (int i = 0; i < skipList.GetSize(); ++i) {
    CTxt skipped(skipList.GetAtTxt(i));
    skipped.Trim(' ');
    if (skipped.IsFilled() && CompareNoCase(symbol, skipped) == 0) return true;
  }
  return false;
}

// The symbol entries with their "List:" entries replaced by the lists' symbols (a list that cannot be read
// contributes none, as when running).
void ExpandedSymbols(const CTxtArray& entries, CTxtArray& out) {
  out.RemoveAll();
  for (int i = 0; i < entries.GetSize(); ++i) {
    const char* entry = entries.GetAtTxt(i);
    if (!StartsWithNoCase(entry, kSymbolListPrefix)) {
      out.Add(entry);
      continue;
    }
    CTxtArray listed;
    CTxt message;
    if (LoadSymbolList(entry + CTxt(kSymbolListPrefix).GetLength(), listed, message) >= 0)
      out.AddArray(listed);
  }
}

// Fills the totals from the tests of each step; a run without optimisation tests each step once.
void Total(DefinitionSize& size, const std::vector<int64_t>& stepTests) {
  size.steps = static_cast<int>(stepTests.size());
  for (size_t i = 0; i < stepTests.size(); ++i) {
    int64_t tests = size.optimizes ? stepTests[i] : 1;
    size.totalTests = SaturatingSum(size.totalTests, tests);
    if (tests > size.largestStepTests) {
      size.largestStepTests = tests;
      size.largestStep = static_cast<int>(i) + 1;
    }
  }
}

}  // namespace

int64_t CountParameterTests(const CTxtArray& parameterLines, const char* genetic, CTxt* invalidLine) {
  int64_t permutations = 1;
  for (int i = 0; i < parameterLines.GetSize(); ++i) {
    const char* line = parameterLines.GetAtTxt(i);
    int input = std::atoi(FieldOf(line, '|', 1));
    if (input < kFirstInput || input > kLastInput || CountFields(line, '|') < 3) continue;
    int64_t values = RangeValueCount(line);
    if (values < 1) {
      if (invalidLine && invalidLine->IsEmpty()) *invalidLine = line;
      continue;
    }
    permutations = SaturatingProduct(permutations, values);
  }
  if (!genetic || !*genetic) return permutations;
  GeneticSettings g = GeneticSettings::Parse(genetic);
  return SaturatingProduct(g.generations, g.population);
}

int ComputeDefinitionSize(const CTxtArray& lines, const char* definitionPath, DefinitionSize& size,
                          CTxt& errorText) {
  size = DefinitionSize();
  CTxt value;
  if (FindKeyValue(lines, kListScriptKey, value) >= 0 || lines.FindStringStart(kTestCommandKey, 0) >= 0)
    return 0;
  CTxt genetic;
  FindKeyValue(lines, kGeneticKey, genetic);
  size.genetic = genetic.IsFilled();
  if (FindKeyValue(lines, kSymbolsKey, value) < 0) {
    errorText.Format("No symbols defined in Sequence %s (%s)", definitionPath, kSymbolsKey);
    return -4;
  }
  CTxtArray entries;
  entries.LoadFromFields(value, ',', 1);
  bool multiSymbol = entries.GetSize() == 1 && EqualNoCase(entries.GetAtTxt(0), kMultiSymbolEntry);
  CTxtArray symbols;
  if (multiSymbol)
    symbols.Add(kMultiSymbolEntry);
  else
    ExpandedSymbols(entries, symbols);

  CTxtArray skipList;
  CTxt skipPath, skipMessage;
  SkipListPath(skipPath);
  if (skipList.LoadFromFileBuf(skipPath, skipMessage, 0) < 0) skipList.RemoveAll();

  // Like the run, a run with optimisation switched off, or any set that says SKIP, tests every step once.
  size.optimizes = Settings::GetBool("Tavrin", "RunOpt", true);
  std::vector<int64_t> stepTests;
  for (int i = 0; i < symbols.GetSize(); ++i) {
    const char* entry = symbols.GetAtTxt(i);
    CTxt symbol = FieldOf(entry, '/', 1);
    if (IsSkipped(skipList, symbol)) continue;
    CTxt templateName = FieldOf(entry, '/', 2);
    if (templateName.IsEmpty()) templateName = kDefaultTemplateName;
    CTxt optSetName = FieldOf(entry, '/', 3);
    if (optSetName.IsEmpty()) optSetName = kDefaultOptSetName;

    CTxtArray parameters;
    bool skipSeen = false;
    if (ReadParameterSection(lines, optSetName, parameters, skipSeen) == 0 && !skipSeen) {
      errorText.Format("Strategy Optimization Definition '%s' is missing in:\r\n%s", (const char*)optSetName,
                       definitionPath);
      return -5;
    }
    if (skipSeen) size.optimizes = false;
    CTxtArray templateLines;
    int count = ReadTemplateSection(lines, templateName, templateLines);
    if (count <= 0) continue;
    int64_t tests = CountParameterTests(parameters, genetic, &size.invalidParameter);
    stepTests.insert(stepTests.end(), static_cast<size_t>(count), tests);
  }
  Total(size, stepTests);
  return size.steps;
}

int ComputeDefinitionSize(const char* definitionPath, DefinitionSize& size, CTxt& errorText) {
  size = DefinitionSize();
  CTxtArray lines;
  CTxt message;
  if (LoadDefinitionFile(definitionPath, lines, message) < 0) {
    errorText.Format("Remote Script not found %s", (const char*)message);
    return -3;
  }
  return ComputeDefinitionSize(lines, definitionPath, size, errorText);
}

int ComputeDefinitionSize(const SequenceDefinition& def, DefinitionSize& size, CTxt& errorText) {
  CTxtArray lines;
  def.BuildLines(lines);
  return ComputeDefinitionSize(lines, def.filePath, size, errorText);
}
