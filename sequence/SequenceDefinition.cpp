// Writing sequence definitions, the reading rules their readers share, and the list files beside them.
#include "sequence/SequenceDefinition.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#if defined(_WIN32)
#include <direct.h>
#define TAVRIN_GETCWD _getcwd
#else
#include <unistd.h>
#define TAVRIN_GETCWD getcwd
#endif

#include "foundation/DateTime.h"
#include "foundation/FileRead.h"
#include "foundation/Settings.h"

namespace {

bool BeginsWith(const char* line, const char* prefix) {
  return line && CompareNoCase(prefix, line, 2) == 0;
}

double ClampRate(double rate) {
  if (rate < 0) return 0;
  if (rate > 0.99) return 0.99;
  return rate;
}

// The line trimmed of blanks at both ends.
CTxt Trimmed(const char* line) {
  CTxt out(line ? line : "");
  out.Trim(' ');
  return out;
}

}  // namespace

// --- GeneticSettings and ParameterLine ----------------------------------------------------------------

GeneticSettings GeneticSettings::Parse(const char* text) {
  GeneticSettings g;
  if (!text) text = "";
  g.generations = GetFieldInt(text, '|', 1);
  g.mutationRate = ClampRate(GetFieldFloat(text, '|', 2));
  g.population = GetFieldInt(text, '|', 3);
  g.crossoverRate = ClampRate(GetFieldFloat(text, '|', 4));
  if (g.generations < 1) g.generations = 1;
  if (g.population < 1) g.population = 1;
  return g;
}

int GeneticSettings::Format(CTxt& out) const {
  return out.Format("%d|%.2f|%d|%.2f|", generations, mutationRate, population, crossoverRate);
}

int ParameterLine::Parse(const char* line) {
  CTxt numberAndName;
  strfld(line, '|', 1, 0, numberAndName);
  number = GetFieldInt(numberAndName, '/', 1);
  strfld(numberAndName, '/', 2, 99, name);
  name.Trim(' ');
  strfld(line, '|', 2, 0, min);
  strfld(line, '|', 3, 0, max);
  strfld(line, '|', 4, 0, increment);
  min.Trim(' ');
  max.Trim(' ');
  increment.Trim(' ');
  if (number < 1 || number > 100) return -1;
  if (min.IsEmpty()) return -2;
  return 0;
}

int ParameterLine::Format(CTxt& out) const {
  if (IsFixed()) return out.Format("%d/%s|%s|", number, (const char*)name, (const char*)min);
  return out.Format("%d/%s|%s|%s|%s|", number, (const char*)name, (const char*)min, (const char*)max,
                    increment.IsEmpty() ? "1" : (const char*)increment);
}

int ParameterLine::CompleteIncrement(CTxt& line) {
  if (CountFields(line, '|') != 3) return 0;
  // "2/Len|10|50|" already closes its max field: only the increment is missing.
  line += line.GetLength() > 0 && line[line.GetLength() - 1] == '|' ? "1|" : "|1|";
  return 1;
}

// --- SequenceDefinition ----------------------------------------------------------------------------------

void SequenceDefinition::SetFilePath(const char* path) {
  filePath = path;
  filePath.GetFileTxt(2, name);
}

void SequenceDefinition::BuildLines(CTxtArray& out, int abortStep, const char* abortText) const {
  out.RemoveAll();
  CTxt line;
  line.Format("%s%s", kWorkspaceKey, (const char*)workspace);
  out.Add(line);
  line.Format("SequenceFile=%s", (const char*)filePath);
  out.Add(line);
  line = kSymbolsKey;
  for (int i = 0; i < symbols.GetSize(); ++i) {
    line += symbols.GetAtTxt(i) ? symbols.GetAtTxt(i) : "";
    line += ",";
  }
  out.Add(line);
  line.Format("%s%s", kEndDateKey, (const char*)endDate);
  out.Add(line);
  if (multiData) out.Add("MultiData=YES");
  if (genetic) {
    CTxt value;
    genetic->Format(value);
    line.Format("%s%s", kGeneticKey, (const char*)value);
    out.Add(line);
  }
  out.Add("");
  line.Format("%s=", kDefaultTemplateName);
  out.Add(line);
  out.AddArray(templateLines);
  out.Add("");
  line.Format("%s=", kDefaultOptSetName);
  out.Add(line);
  out.AddArray(optSet);
  if (abortStep > 0) {
    out.Add("");
    line.Format("%c%s%d=%s", ';', kAbortKey, abortStep, abortText ? abortText : "");
    out.Add(line);
  }
}

int SequenceDefinition::Save(CTxt& msg) const {
  // An active restart point of the file being replaced stays visible, as a comment.
  int abortStep = 0;
  CTxt abortText;
  CTxtArray previous;
  CTxt loadMsg;
  if (LoadDefinitionFile(filePath, previous, loadMsg) > 0) abortStep = FindAbortMark(previous, abortText);
  CTxtArray lines;
  BuildLines(lines, abortStep, abortText);
  if (lines.SaveToFile(filePath, msg) < 0) return -1;
  msg.Format("Save Backtesting Script to:\r\n%s", (const char*)filePath);
  return 0;
}

// --- Reading rules -----------------------------------------------------------------------------------------

int LoadDefinitionFile(const char* path, CTxtArray& lines, CTxt& msg) {
  std::string content;
  CTxt reason;
  FileReadResult read = ReadWholeFile(path, content, reason);
  if (read != FileReadResult::kRead) {
    if (read == FileReadResult::kMissing) reason = std::strerror(ENOENT);
    msg.Format("Cannot open %s (%s)", path ? path : "", static_cast<const char*>(reason));
    return -1;
  }
  constexpr char kEndOfData = 26;  // Ctrl-Z
  lines.RemoveAll();
  std::string line;
  for (char c : content) {
    if (c == kEndOfData && line.empty()) return lines.GetSize();
    if (c == '\n' || c == '\0' || c == kEndOfData) {
      lines.Add(line.c_str());
      line.clear();
    } else if (c != '\r') {
      line += c;
    }
  }
  if (!line.empty()) lines.Add(line.c_str());
  return lines.GetSize();
}

int FindKeyValue(const CTxtArray& lines, const char* key, CTxt& value) {
  value.MakeEmpty();
  int index = lines.FindStringStart(key, 0);
  if (index < 0) return -1;
  strfld(lines.GetAtTxt(index), '=', 2, 99, value);
  return index;
}

int FindAbortMark(const CTxtArray& lines, CTxt& text) {
  text.MakeEmpty();
  int index = lines.FindStringStart(kAbortKey, 0);
  if (index < 0) return -2;
  const char* line = lines.GetAtTxt(index);
  strfld(line, '=', 3, 99, text);
  return GetFieldInt(line, '=', 2);
}

int FindSectionStart(const CTxtArray& lines, const char* name) {
  CTxt header;
  header.Format("%s=", name);
  for (int i = 0; i < lines.GetSize(); ++i) {
    const char* line = lines.GetAtTxt(i);
    if (line && FindNoCase(line, header) >= 0) return i;
  }
  return -1;
}

int ReadTemplateSection(const CTxtArray& lines, const char* name, CTxtArray& out) {
  out.RemoveAll();
  int start = FindSectionStart(lines, name);
  if (start < 0) return -1;
  for (int i = start + 1; i < lines.GetSize(); ++i) {
    CTxt line = Trimmed(lines.GetAtTxt(i));
    if (line.IsEmpty() || BeginsWith(line, kAbortKey)) break;
    if (line[0] == ';') continue;
    out.Add(line);
  }
  return out.GetSize();
}

int ReadParameterSection(const CTxtArray& lines, const char* name, CTxtArray& out, bool& skipSeen) {
  out.RemoveAll();
  skipSeen = false;
  int start = FindSectionStart(lines, name);
  if (start < 0) return 0;
  for (int i = start + 1; i < lines.GetSize(); ++i) {
    CTxt line = Trimmed(lines.GetAtTxt(i));
    if (line.IsEmpty() || BeginsWith(line, kAbortKey)) break;
    if (BeginsWith(line, kSkipOptimization)) {
      skipSeen = true;
      break;
    }
    if (line[0] == ';') continue;
    ParameterLine::CompleteIncrement(line);
    out.Add(line);
  }
  return out.GetSize();
}

void FillTimeframeDefaults(CTxt& line, const char* defaultBars, const char* endDate) {
  line.Trim(' ');
  while (line.GetLength() > 0 && line[line.GetLength() - 1] == '|') {
    line.MakeLength(line.GetLength() - 1);
    line.TrimRight(' ');
  }
  int fields = CountFields(line, '|');
  if (fields < 2) {
    line += "|";
    line += defaultBars;
  }
  if (fields < 3) {
    line += "|";
    line += endDate;
  }
}

int DefaultEndDate(CTxt& out) {
  CZELDateTime date;
  date.SetNow();
  date.ShiftDate(-2);
  return date.GetTxt(out, 12);
}

int ScriptDefaultBars(CTxt& out) {
  Settings::GetString("Tavrin", "ScriptDefaultBars", kDefaultBarsSetting, out);
  Settings::WriteString("Tavrin", "ScriptDefaultBars", out);
  return out.GetLength();
}

// --- File names and locations
// --------------------------------------------------------------------------------

int MakeFileSafeName(CTxt& name) {
  name.MaskNonFilename(1);
  return name.GetLength();
}

int CurrentFolder(CTxt& out) {
  // The ANSI form of the folder, as every other path of the program.
  char folder[4096];
  out = TAVRIN_GETCWD(folder, static_cast<int>(sizeof folder)) ? folder : ".";
  return out.MakeFn();
}

int DefinitionPath(const char* name, CTxt& out) {
  CTxt folder;
  Settings::GetAppFolder(folder);
  return out.Format("%s/%s.%s", (const char*)folder, name, kDefinitionExtension);
}

int CurrentDefinitionName(CTxt& out) {
  Settings::GetString("Tavrin", "CurrDef", "DJ30", out);
  Settings::WriteString("Tavrin", "CurrDef", out);
  return out.GetLength();
}

int SymbolListFile(const char* name, CTxt& out) {
  return out.Format("%s.%s", name, kSymbolListExtension);
}

int SymbolListFallbackPath(const char* name, CTxt& out) {
  CTxt folder;
  Settings::GetAppFolder(folder);
  return out.Format("%s/%s.%s", (const char*)folder, name, kSymbolListExtension);
}

int SkipListPath(CTxt& out) {
  CTxt folder;
  CurrentFolder(folder);
  return out.Format("%s/%s", (const char*)folder, kSkipListFileName);
}

int TimeframeListPath(const char* name, CTxt& out) {
  return out.Format("%s.%s", name, kTimeframeListExtension);
}

namespace {

// Lines of a list file without blank ones (each kept as written otherwise); -1 and msg when unreadable.
int LoadListLines(const char* path, CTxtArray& out, CTxt& msg) {
  CTxtArray lines;
  if (lines.LoadFromFileBuf(path, msg, 0) < 0) return -1;
  out.RemoveAll();
  for (int i = 0; i < lines.GetSize(); ++i)
    if (Trimmed(lines.GetAtTxt(i)).IsFilled()) out.Add(lines.GetAtTxt(i));
  return out.GetSize();
}

}  // namespace

int LoadSymbolList(const char* name, CTxtArray& symbols, CTxt& msg, CTxt* pathTried) {
  CTxt path;
  SymbolListFile(name, path);
  int count = LoadListLines(path, symbols, msg);
  if (count < 0) {
    SymbolListFallbackPath(name, path);
    count = LoadListLines(path, symbols, msg);
  }
  if (pathTried) *pathTried = path;
  return count;
}

int SaveSymbolList(const char* name, const CTxtArray& symbols, CTxt& msg) {
  CTxt path;
  SymbolListFile(name, path);
  return symbols.SaveToFile(path, msg) < 0 ? -1 : 0;
}

int LoadTimeframeList(const char* name, CTxtArray& lines, CTxt& msg) {
  CTxt path;
  TimeframeListPath(name, path);
  return LoadListLines(path, lines, msg);
}

int SaveTimeframeList(const char* name, const CTxtArray& lines, CTxt& msg) {
  CTxt path;
  TimeframeListPath(name, path);
  return lines.SaveToFile(path, msg) < 0 ? -1 : 0;
}
