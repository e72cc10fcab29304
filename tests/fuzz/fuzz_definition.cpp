// Fuzz target: a sequence definition with its symbol list and skip list, read by the definition reader and
// expanded by BuildRunScript and by the editor's loader. The input carries the three files as parts
// separated by a "--" line: definition, "Demo.lst", skip list.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "execution/RunScript.h"
#include "sequence/SequenceDefinition.h"
#include "sequence/Timeframe.h"

namespace {

void CheckCommands(const RunScript& script, int built) {
  if (built > 0 && built != script.GetCommandCount()) std::abort();
  for (int i = 0; i < script.GetCommandCount(); ++i) {
    RunCommand command = script.GetRunCommand(i);
    CTxt line;
    command.ListingLine(i + 1, line);
    command.Symbol();
    command.OptSet();
    command.Interval();
    command.Duration();
    command.EndDate();
    CTxt value;
    ParseChartInterval(command.Interval(), "ES", value);
  }
}

void ReadSections(const CTxtArray& lines) {
  CTxt text;
  FindAbortMark(lines, text);
  CTxtArray out;
  ReadTemplateSection(lines, kDefaultTemplateName, out);
  bool skipSeen = false;
  ReadParameterSection(lines, kDefaultOptSetName, out, skipSeen);
  for (int i = 0; i < out.GetSize(); ++i) {
    ParameterLine parameter;
    parameter.Parse(out.GetAtTxt(i));
    parameter.Format(text);
  }
  if (FindKeyValue(lines, kGeneticKey, text) >= 0) GeneticSettings::Parse(text).Format(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& folder = fuzzsupport::ProgramFolder();
  std::vector<std::string> parts = fuzzsupport::SplitParts(fuzzsupport::Text(data, size), 3);
  const std::string definitionPath = folder + "/Fuzz.tvd";
  CTxt skipPath;
  SkipListPath(skipPath);
  fuzzsupport::PutFile(definitionPath, parts[0]);
  fuzzsupport::PutFile("Demo.lst", parts[1]);
  fuzzsupport::PutFile(static_cast<const char*>(skipPath), parts[2]);

  CTxtArray lines;
  CTxt msg;
  if (LoadDefinitionFile(definitionPath.c_str(), lines, msg) < 0) std::abort();  // it is in memory
  ReadSections(lines);

  RunScript script;
  CTxt errorText;
  int runOpt = 0;
  int built = script.BuildRunScript(definitionPath.c_str(), errorText, runOpt, 1);
  CheckCommands(script, built);
  for (int i = 0; i < script.GetCommandCount() && i < 8; ++i) script.FillTimeframeLines(i);

  RunScript editorScript;
  SequenceDefinition def;
  editorScript.LoadDefinition(definitionPath.c_str(), def, errorText);
  CTxtArray written;
  def.BuildLines(written, 3, "aborted");
  fuzzsupport::ClearFiles();
  return 0;
}
