// Expanding a sequence definition into run commands: symbols (with their list files and the skip list)
// form the outer loop, the timeframe lines of each symbol's template the inner one.
#include "execution/RunScript.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/SysUtil.h"
#include "sequence/SequenceDefinition.h"
#include "sequence/Timeframe.h"

namespace {

constexpr const char* kLogCategory = "RemoteTS";

bool BeginsWith(const char* text, const char* prefix) {
  return text && CompareNoCase(prefix, text, 2) == 0;
}

CTxt FieldOf(const char* text, char delim, int n) {
  CTxt out;
  strfld(text, delim, n, 0, out);
  out.Trim(' ');
  return out;
}

// The system's reason why path is not an existing file; empty when it is one.
CTxt MissingFileReason(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return CTxt(std::strerror(errno));
  if (status.st_mode & S_IFDIR) return CTxt(std::strerror(EISDIR));
  return CTxt();
}

}  // namespace

// --- RunCommand
// ---------------------------------------------------------------------------------------------

bool RunCommand::IsMultiSymbol() const {
  int semicolon = m_text.FindChar(';');
  int bar = m_text.FindChar('|');
  return semicolon >= 0 && (bar < 0 || semicolon < bar);
}

CTxt RunCommand::Field(int n) const {
  CTxt out;
  strfld(m_text, '|', n, 0, out);
  return out;
}

CTxt RunCommand::OptSet() const {
  if (!IsMultiSymbol()) return Field(2);
  CTxt out;
  strfld(m_text, ';', 1, 0, out);
  return out;
}

int RunCommand::ListingLine(int stepNumber, CTxt& out) const {
  CTxt fields(m_text);
  fields.Replace('|', ',');
  return out.Format("%d,%s", stepNumber, (const char*)fields);
}

// --- Building
// -----------------------------------------------------------------------------------------------

int RunScript::BuildRunScript(const char* definitionPath, CTxt& errorText, int& runOpt, int expandLists) {
  runOpt = Settings::GetBool("Tavrin", "RunOpt", true) ? 1 : 0;
  m_definitionLines.RemoveAll();
  m_symbols.RemoveAll();
  m_timeframeLines.RemoveAll();
  m_firstOptSet.RemoveAll();
  m_multiSymbol = false;
  int result = LoadDefinitionLines(definitionPath, errorText);
  if (result < 0) return result;

  CTxt value;
  if (FindKeyValue(m_definitionLines, kListScriptKey, value) >= 0) {
    m_listScript = value;
    m_listScriptCount = CountFields(value, '|');
    return 0;
  }
  CTxt skipMessage;
  LoadSkipList(skipMessage, "");
  ReadRunValues();
  m_commands.RemoveAll();
  if (m_definitionLines.FindStringStart(kTestCommandKey, 0) >= 0) return 0;

  result = ReadSymbolEntries(definitionPath, errorText, expandLists);
  if (result < 0) return result;
  CTxt defaultBars;
  ScriptDefaultBars(defaultBars);
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    result = AddCommandsOf(m_symbols.GetAtTxt(i), definitionPath, defaultBars, errorText, runOpt);
    if (result < 0) return result;
  }
  result = ReadWorkspace(definitionPath, errorText);
  return result < 0 ? result : GetCommandCount();
}

int RunScript::LoadDefinitionLines(const char* definitionPath, CTxt& errorText) {
  CTxt loadMessage;
  if (LoadDefinitionFile(definitionPath, m_definitionLines, loadMessage) < 0) {
    errorText.Format("Remote Script not found %s", (const char*)loadMessage);
    return -3;
  }
  if (m_definitionLines.GetSize() == 0) {
    errorText.Format("Remote Script %s empty", definitionPath);
    return -2;
  }
  return 0;
}

void RunScript::ReadRunValues() {
  CTxt value;
  if (FindKeyValue(m_definitionLines, kEndDateKey, value) >= 0)
    m_endDate = value;
  else
    DefaultEndDate(m_endDate);
  m_multiData = FindKeyValue(m_definitionLines, kMultiDataKey, value) >= 0 && TextToBool(value) ? 1 : 0;
  LogTrace(kLogCategory, kLogNormal, "MultiData=%d", m_multiData);
  FindKeyValue(m_definitionLines, kGeneticKey, m_genetic);
}

int RunScript::ReadSymbolEntries(const char* definitionPath, CTxt& errorText, int expandLists) {
  CTxt value;
  if (FindKeyValue(m_definitionLines, kSymbolsKey, value) < 0) {
    errorText.Format("No symbols defined in Sequence %s (%s)", definitionPath, kSymbolsKey);
    return -4;
  }
  m_symbols.LoadFromFields(value, ',', 1);
  // The editor writes every entry followed by ',', so "*MULTI," is as much a multi-symbol definition as
  // "*MULTI".
  if (m_symbols.GetSize() == 1 && CompareNoCase(m_symbols.GetAtTxt(0), kMultiSymbolEntry) == 0) {
    m_multiSymbol = true;
    m_symbols.SetAt(0, kMultiSymbolEntry);
  } else if (expandLists == 1) {
    ExpandSymbolLists();
  }
  return 0;
}

void RunScript::ExpandSymbolLists() {
  CTxtArray expanded;
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const char* entry = m_symbols.GetAtTxt(i);
    if (!BeginsWith(entry, kSymbolListPrefix)) {
      expanded.Add(entry);
      continue;
    }
    CTxt name(entry + std::strlen(kSymbolListPrefix));
    name.Trim(' ');
    CTxtArray listed;
    CTxt message, path;
    if (LoadSymbolList(name, listed, message, &path) < 0)
      LogTrace(kLogCategory, kLogNormal, "Symbol List Error: %s (%s)", (const char*)path,
               (const char*)message);
    else
      expanded.AddArray(listed);
  }
  m_symbols = expanded;
}

int RunScript::AddCommandsOf(const char* entry, const char* definitionPath, const char* defaultBars,
                             CTxt& errorText, int& runOpt) {
  CTxt symbol = FieldOf(entry, '/', 1);
  if (IsSkipped(symbol)) return 0;
  CTxt templateName = FieldOf(entry, '/', 2);
  if (templateName.IsEmpty()) templateName = kDefaultTemplateName;
  CTxt optSet = FieldOf(entry, '/', 3);
  if (optSet.IsEmpty()) optSet = kDefaultOptSetName;

  CTxtArray parameters;
  CTxt reason;
  if (LoadOptimizationSet(optSet, parameters, reason) == 0) {
    if (CompareNoCase(reason, kSkipOptimization) != 0) {
      errorText.Format("Strategy Optimization Definition '%s' is missing in:\r\n%s", (const char*)optSet,
                       definitionPath);
      return -5;
    }
    runOpt = 0;
  }
  if (m_firstOptSet.GetSize() == 0) m_firstOptSet = parameters;

  CTxtArray templateLines;
  if (ReadTemplateSection(m_definitionLines, templateName, templateLines) < 0) return 0;
  if (m_multiSymbol)
    AddMultiSymbolCommands(optSet, templateLines, defaultBars);
  else
    AddOrdinaryCommands(symbol, optSet, templateLines, defaultBars);
  return 0;
}

void RunScript::AddOrdinaryCommands(const CTxt& symbol, const CTxt& optSet, const CTxtArray& templateLines,
                                    const char* defaultBars) {
  for (int i = 0; i < templateLines.GetSize(); ++i) {
    CTxt line(templateLines.GetAtTxt(i));
    FillTimeframeDefaults(line, defaultBars, m_endDate);
    CTxt command;
    command.Format("%s|%s|%s|", (const char*)symbol, (const char*)optSet, (const char*)line);
    m_commands.Add(command);
  }
}

void RunScript::AddMultiSymbolCommands(const CTxt& optSet, const CTxtArray& templateLines,
                                       const char* defaultBars) {
  for (int i = 0; i < templateLines.GetSize(); ++i) {
    const char* line = templateLines.GetAtTxt(i);
    CTxt command;
    command.Format("%s;", (const char*)optSet);
    int groups = CountFields(line, ';');
    for (int g = 1; g <= groups; ++g) {
      CTxt group = FieldOf(line, ';', g);
      if (group.IsEmpty()) continue;  // "ES|5 min;;NQ|5 min" has no third stream
      CTxt symbol = FieldOf(group, '|', 1);
      CTxt rest;
      strfld(group, '|', 2, 99, rest);
      FillTimeframeDefaults(rest, defaultBars, m_endDate);
      CTxt part;
      part.Format("%s|%s;", (const char*)symbol, (const char*)rest);
      command += part;
    }
    m_commands.Add(command);
  }
}

int RunScript::ReadWorkspace(const char* definitionPath, CTxt& errorText) {
  CTxt value;
  if (FindKeyValue(m_definitionLines, kWorkspaceKey, value) < 0) {
    errorText.Format("%s entry missing in %s", kWorkspaceKey, definitionPath);
    return -3;
  }
  value.Trim(' ');
  CTxt portable(value);
  portable.MakeFn();
  CTxt dosPath(value);
  dosPath.MakeFnDOS();
  CTxt reason = MissingFileReason(portable);
  if (reason.IsFilled()) {
    errorText.Format("Workspace %s not found (%s)", (const char*)dosPath, (const char*)reason);
    return -4;
  }
  m_workspace = dosPath;
  return 0;
}

bool RunScript::IsSkipped(const CTxt& symbol) const {
  for (int i = 0; i < m_skipList.GetSize(); ++i) {
    CTxt skipped(m_skipList.GetAtTxt(i));
    skipped.Trim(' ');
    if (skipped.IsFilled() && CompareNoCase(symbol, skipped) == 0) return true;
  }
  return false;
}

// --- Lists and queries
// ---------------------------------------------------------------------------------------

int RunScript::LoadSkipList(CTxt& errorText, const char* path) {
  CTxt file(path);
  if (file.IsEmpty()) SkipListPath(file);
  m_skipList.RemoveAll();
  int count = m_skipList.LoadFromFileBuf(file, errorText, 0);
  if (count < 0) {
    m_skipList.RemoveAll();
    return count;
  }
  if (count > 0)
    LogTrace(kLogCategory, kLogNormal, "Loaded %d Symbols to be skipped from %s", count, (const char*)file);
  return count;
}

int RunScript::LoadOptimizationSet(const char* name, CTxtArray& lines, CTxt& errorText) const {
  bool skipSeen = false;
  int count = ReadParameterSection(m_definitionLines, name, lines, skipSeen);
  if (skipSeen) errorText = kSkipOptimization;
  return count;
}

int RunScript::FillTimeframeLines(int index) {
  return CollectSymbolTimeframes(m_commands, index, m_currentStep, m_timeframeLines);
}

int RunScript::GetList(const char* kind, CTxtArray& out) const {
  if (!kind || !*kind) return -1;
  const CTxtArray* list = nullptr;
  switch (std::toupper(static_cast<unsigned char>(kind[0]))) {
    case 'S':
      list = &m_symbols;
      break;
    case 'F':
      list = &m_timeframeLines;
      break;
    case 'O':
      list = &m_firstOptSet;
      break;
    default:
      return -1;
  }
  out = *list;
  return out.GetSize();
}

RunCommand RunScript::GetRunCommand(int index) const {
  const char* text = GetCommand(index);
  return RunCommand(text ? text : "");
}

// --- The editor's view
// ----------------------------------------------------------------------------------------

int RunScript::LoadDefinition(const char* definitionPath, SequenceDefinition& def, CTxt& errorText) {
  int runOpt = 0;
  int result = BuildRunScript(definitionPath, errorText, runOpt, 0);
  def.SetFilePath(definitionPath);
  CTxt value;
  FindKeyValue(m_definitionLines, kWorkspaceKey, def.workspace);
  def.workspace.Trim(' ');
  def.workspace.MakeFn();
  FindKeyValue(m_definitionLines, kEndDateKey, def.endDate);
  def.multiData = FindKeyValue(m_definitionLines, kMultiDataKey, value) >= 0 && TextToBool(value);
  def.genetic.reset();
  if (FindKeyValue(m_definitionLines, kGeneticKey, value) >= 0 && value.IsFilled())
    def.genetic = GeneticSettings::Parse(value);
  def.symbols = m_symbols;

  // Without steps (no symbols, all skipped) or for multi-stream lines the section itself is shown, so that
  // saving from the editor does not lose the timeframes.
  def.templateLines.RemoveAll();
  if (!m_multiSymbol && FillTimeframeLines(0) >= 0) {
    def.templateLines = m_timeframeLines;
  } else {
    CTxtArray section;
    CTxt defaultBars;
    ScriptDefaultBars(defaultBars);
    ReadTemplateSection(m_definitionLines, kDefaultTemplateName, section);
    for (int i = 0; i < section.GetSize(); ++i) {
      CTxt line(section.GetAtTxt(i));
      if (!m_multiSymbol) {
        CTxt filled(line);
        FillTimeframeDefaults(filled, defaultBars, "");
        strfld(filled, '|', 1, 2, line);  // interval and range, as the steps would show them
      }
      def.templateLines.Add(line);
    }
  }
  def.optSet = m_firstOptSet;
  if (def.optSet.GetSize() == 0) {
    // A set that only says SKIP keeps saying it after the editor saved the definition.
    CTxt reason;
    if (LoadOptimizationSet(kDefaultOptSetName, def.optSet, reason) == 0 && reason.IsFilled())
      def.optSet.Add(kSkipOptimization);
  }
  return result;
}
