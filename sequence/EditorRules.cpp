// Checks and normal forms of the sequence editor's inputs.
#include "sequence/EditorRules.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foundation/DateTime.h"
#include "foundation/SysUtil.h"

namespace {

constexpr const char* kSymbolExtraCharacters = ":$@.";
constexpr const char* kNumericCharacters = "+-0123456789.";
constexpr int kFirstInput = 1;
constexpr int kLastInput = 100;

bool FileExists(const char* path) {
  return IsFolder(path) == 0;
}

bool IsNumericValue(const char* value) {
  if (!value) return true;
  for (const char* p = value; *p; ++p)
    if (!std::strchr(kNumericCharacters, *p)) return false;
  return true;
}

int CheckNewListName(CTxt& name, CTxt& path, CTxt& msg, const char* initialText, const char* kindWord,
                     int (*pathOf)(const char*, CTxt&)) {
  if (CompareNoCase(name, initialText) == 0) {
    msg = "Enter a different name!";
    return -1;
  }
  MakeFileSafeName(name);
  pathOf(name, path);
  if (FileExists(path)) {
    msg.Format("%s '%s' exists already (%s)", kindWord, (const char*)name, (const char*)path);
    return -2;
  }
  return 0;
}

}  // namespace

int NormalizeSymbol(CTxt& symbol) {
  symbol.Trim(' ');
  symbol.MakeUpper();
  symbol.MaskNonFilename(1, kSymbolExtraCharacters);
  return symbol.GetLength();
}

int CheckNewSymbol(const CTxtArray& symbols, const char* symbol, CTxt& msg) {
  if (CompareNoCase(symbol, kNewSymbolText) == 0) {
    msg = "Enter a different name!";
    return -1;
  }
  if (symbols.FindString(symbol) >= 0) {
    msg.Format("Symbol '%s' already in List", symbol);
    return -2;
  }
  return 0;
}

int CheckParameterLine(const char* line, CTxt& msg) {
  CTxt first;
  strfld(line, '/', 1, 0, first);
  int number = std::atoi(first);
  if (number < kFirstInput || number > kLastInput) {
    msg.Format("Parameter Number %d out of Range in: %s", number, line);
    return -1;
  }
  CTxt min;
  strfld(line, '|', 2, 0, min);
  min.Trim(' ');
  if (min.IsEmpty()) {
    msg.Format("Parameter (minimum) Value is missing in: %s", line);
    return -1;
  }
  return 0;
}

int CheckNewParameter(const CTxtArray& optSet, const char* line, CTxt& msg) {
  if (CompareNoCase(line, kNewParameterText) == 0) {
    msg = "Enter a different Parameter!";
    return -1;
  }
  if (optSet.FindString(line) >= 0) {
    msg.Format("Parameter '%s' already in List", line);
    return -1;
  }
  return CheckParameterLine(line, msg);
}

CTxt ParameterName(const char* line) {
  CTxt first, name;
  strfld(line, '|', 1, 0, first);
  strfld(first, '/', 2, 0, name);
  name.Trim(' ');
  return name;
}

int ImportStrategyInputs(CTxtArray& optSet, const CTxtArray& rows, bool addOnlyNew) {
  int imported = 0;
  for (int i = 0; i < rows.GetSize(); ++i) {
    const char* row = rows.GetAtTxt(i);
    CTxt name, value;
    strfld(row, '|', 1, 0, name);
    strfld(row, '|', 2, 0, value);
    name.Trim(' ');
    value.Trim(' ');
    if (!IsNumericValue(value)) continue;
    if (addOnlyNew) {
      bool present = false;
      for (int k = 0; k < optSet.GetSize() && !present; ++k)
        present = CompareNoCase(ParameterName(optSet.GetAtTxt(k)), name) == 0;
      if (present) continue;
    }
    CTxt line;
    line.Format("%d/%s|%s", i + 1, (const char*)name, (const char*)value);
    optSet.Add(line);
    ++imported;
  }
  return imported;
}

int CheckNewSymbolListName(CTxt& name, CTxt& path, CTxt& msg) {
  return CheckNewListName(name, path, msg, kNewSymbolListText, "SymbolList", SymbolListFile);
}

int CheckNewTimeframeListName(CTxt& name, CTxt& path, CTxt& msg) {
  return CheckNewListName(name, path, msg, kNewTimeframeListText, "TimeFrameList", TimeframeListPath);
}

int CheckNewDefinitionName(CTxt& name, CTxt& path, CTxt& msg) {
  if (CompareNoCase(name, kNewDefinitionText) == 0) {
    msg = "Choose a different name!";
    return -1;
  }
  MakeFileSafeName(name);
  DefinitionPath(name, path);
  if (FileExists(path)) {
    msg.Format("Definintion '%s' exists already - choose a different name\r\n(%s)", (const char*)name,
               (const char*)path);
    return -2;
  }
  return 0;
}

int NormalizeEndDate(const char* text, CTxt& out, CTxt& msg) {
  CZELDateTime date;
  CTxt typed(text ? text : "");
  typed.Trim(' ');
  if (typed.IsEmpty() || date.SetDTCheck(typed) < 0) {
    msg.Format("EndDate: %s is not valid - reenter", text ? text : "");
    return -1;
  }
  out.Format("%d/%d/%04d", date.GetMonth(), date.GetDay(), date.GetYear());
  return 0;
}

void FormatGeneticFields(const GeneticSettings& g, CTxt normal[4]) {
  normal[0].Format("%d", g.generations);
  normal[1].Format("%.2f", g.mutationRate);
  normal[2].Format("%d", g.population);
  normal[3].Format("%.2f", g.crossoverRate);
}

GeneticSettings NormalizeGeneticFields(const char* generations, const char* mutation, const char* population,
                                       const char* crossover, CTxt normal[4]) {
  // A '|' typed into a field must not shift the fields after it.
  auto field = [](const char* typed) {
    std::string s = typed ? typed : "";
    s.erase(std::remove(s.begin(), s.end(), '|'), s.end());
    return s;
  };
  CTxt text;
  text.Format("%s|%s|%s|%s|", field(generations).c_str(), field(mutation).c_str(), field(population).c_str(),
              field(crossover).c_str());
  GeneticSettings g = GeneticSettings::Parse(text);
  FormatGeneticFields(g, normal);
  return g;
}
