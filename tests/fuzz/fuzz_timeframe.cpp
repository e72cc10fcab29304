// Fuzz target: timeframe lines (interval|range[|end date]) through the reader, the composer, the dialog's
// check and the chart's interval parser, and step lists through the per-symbol queries.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"

namespace {

// What the timeframe dialog stores must read back as the same fields: composing a line from them again
// gives the same line, or saving a definition twice would change it.
void CheckComposeIsStable(const char* line) {
  TimeframeSpec spec;
  ReadTimeframeLine(line, spec);
  CTxt composed;
  ComposeTimeframeLine(spec, composed);
  TimeframeSpec again;
  ReadTimeframeLine(composed, again);
  CTxt recomposed;
  ComposeTimeframeLine(again, recomposed);
  if (CompareNoCase(composed, recomposed) != 0) std::abort();
}

void ParseInterval(const char* interval) {
  CTxt value;
  int barType = ParseChartInterval(interval, "ES", value);
  CTxt name, code;
  GetBarTypeName(barType, name);
  GetBarTypeCode(barType, value, code);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzsupport::ProgramFolder();
  std::string text = fuzzsupport::Text(data, size);
  CTxtArray lines;
  lines.LoadFromTxt(text.c_str());
  for (int i = 0; i < lines.GetSize() && i < 16; ++i) {
    const char* line = lines.GetAtTxt(i);
    if (!line) continue;
    CheckComposeIsStable(line);
    CTxt msg;
    ValidateTimeframeLine(line, msg);
    CTxt interval;
    strfld(line, '|', 1, 0, interval);
    ParseInterval(interval);
    strfld(line, '|', 3, 0, interval);  // the interval field of a step line
    ParseInterval(interval);
  }
  // The same lines as a step list: SYMBOL|OPTSET|INTERVAL|DURATION|ENDDATE|.
  int count = 0;
  for (int current = -1; current <= lines.GetSize() && current < 8; ++current) {
    CTxtArray out;
    CollectSymbolTimeframes(lines, -1, current, out);
    GetSymbolStepPosition(lines, current, &count);
    CTxt step;
    GetStepText(lines, current, step);
  }
  return 0;
}
