// The run script: a sequence definition expanded into the numbered steps a run executes, with the values
// every step shares. The sequence runner owns one and rebuilds it before each run; the step listing, the
// abort marks and the sequence editor build their own.
#pragma once

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

class SequenceDefinition;

// One step. Ordinary form SYMBOL|OPTSET|INTERVAL|DURATION|ENDDATE|; the multi-symbol form is
// OPTSET; followed by one SYMBOL|INTERVAL|DURATION|ENDDATE; group per data stream.
class RunCommand {
 public:
  explicit RunCommand(const char* text) : m_text(text) {}

  const CTxt& Text() const { return m_text; }
  bool IsMultiSymbol() const;  // the text starts with OPTSET; rather than a symbol and '|'

  // Field n (1-based, at '|') of the ordinary form; empty beyond the last field.
  CTxt Field(int n) const;
  CTxt Symbol() const { return Field(1); }
  CTxt OptSet() const;  // field 2, or the part before the first ';' of the multi-symbol form
  CTxt Interval() const { return Field(3); }
  CTxt Duration() const { return Field(4); }
  CTxt EndDate() const { return Field(5); }

  // The step-listing line: "%d,%s" with the step number and the text with every '|' turned into ','.
  int ListingLine(int stepNumber, CTxt& out) const;

 private:
  CTxt m_text;
};

class RunScript {
 public:
  // Expands the definition at definitionPath into the commands. runOpt is set to the setting
  // "Tavrin"/"RunOpt" and to 0 when an optimisation set says SKIP. expandLists = 1 replaces "List:" entries
  // by the symbols of their list files. Returns the number of commands; 0 at once for a list script ("List=")
  // or a test script ("Cmd="); -2 empty file, -3 unreadable file or no "Workspace=", -4 no "Symbols=" or the
  // workspace file missing, -5 an optimisation set missing; errorText says why.
  int BuildRunScript(const char* definitionPath, CTxt& errorText, int& runOpt, int expandLists);

  // Loads the skip list; an empty path means "Skip.txt" of the current folder. Returns the number of lines
  // or the negative load result (the list is then empty; a missing skip list is no error for a build).
  int LoadSkipList(CTxt& errorText, const char* path);

  // The parameter lines of the named optimisation set of the definition lines. errorText becomes "SKIP"
  // when a SKIP line ended the set. Returns the number of lines.
  int LoadOptimizationSet(const char* name, CTxtArray& lines, CTxt& errorText) const;

  // The timeframe lines (interval|duration) of every command of the symbol of command index (-1: the
  // current step). Returns their number, -1 when index names no command.
  int FillTimeframeLines(int index);

  // Copies a list into out: kind "S" the symbol entries, "F" the timeframe lines, "O" the first optimisation
  // set. Returns its size; -1 (out unchanged) for another kind.
  int GetList(const char* kind, CTxtArray& out) const;

  // The editor's view of a definition: builds it with the "List:" entries kept and fills def with the
  // symbol entries as written, the timeframe lines (interval and range) of the first symbol's steps, the
  // first optimisation set, the workspace, end date, multi-data flag and genetic settings. Returns the
  // build's result; def holds what could be read even on failure.
  int LoadDefinition(const char* definitionPath, SequenceDefinition& def, CTxt& errorText);

  // --- Commands --------------------------------------------------------------------------------------
  int GetCommandCount() const { return m_commands.GetSize(); }
  const char* GetCommand(int index) const { return m_commands.GetAtTxt(index); }  // null outside 0..count-1
  RunCommand GetRunCommand(int index) const;  // an empty command outside 0..count-1
  // The command texts in step order, for the per-symbol step queries (sequence/Timeframe.h).
  const CTxtArray& Commands() const { return m_commands; }

  // The step being executed (index), -1 when idle; the runner keeps it up to date.
  int GetCurrentStep() const { return m_currentStep; }
  void SetCurrentStep(int index) { m_currentStep = index; }

  // --- Values of the last build -------------------------------------------------------------------------
  CTxtArray& DefinitionLines() { return m_definitionLines; }
  const CTxtArray& DefinitionLines() const { return m_definitionLines; }
  const CTxtArray& SymbolEntries() const { return m_symbols; }
  const CTxtArray& TimeframeLines() const { return m_timeframeLines; }
  const CTxtArray& FirstOptimizationSet() const { return m_firstOptSet; }
  const CTxtArray& SkipList() const { return m_skipList; }
  const CTxt& ListScript() const { return m_listScript; }  // the "List=" value
  int ListScriptCount() const { return m_listScriptCount; }
  const CTxt& EndDate() const { return m_endDate; }
  int MultiData() const { return m_multiData; }
  const CTxt& Genetic() const { return m_genetic; }
  const CTxt& Workspace() const { return m_workspace; }  // '\' separators
  bool IsMultiSymbol() const { return m_multiSymbol; }

 private:
  int LoadDefinitionLines(const char* definitionPath, CTxt& errorText);
  void ReadRunValues();
  int ReadSymbolEntries(const char* definitionPath, CTxt& errorText, int expandLists);
  void ExpandSymbolLists();
  int AddCommandsOf(const char* entry, const char* definitionPath, const char* defaultBars, CTxt& errorText,
                    int& runOpt);
  void AddOrdinaryCommands(const CTxt& symbol, const CTxt& optSet, const CTxtArray& templateLines,
                           const char* defaultBars);
  void AddMultiSymbolCommands(const CTxt& optSet, const CTxtArray& templateLines, const char* defaultBars);
  int ReadWorkspace(const char* definitionPath, CTxt& errorText);
  bool IsSkipped(const CTxt& symbol) const;

  CTxtArray m_definitionLines;
  CTxtArray m_symbols;
  CTxtArray m_timeframeLines;
  CTxtArray m_firstOptSet;
  CTxtArray m_commands;
  CTxtArray m_skipList;
  CTxt m_listScript;
  int m_listScriptCount = 0;
  CTxt m_endDate;
  int m_multiData = 0;
  CTxt m_genetic;
  CTxt m_workspace;
  bool m_multiSymbol = false;
  int m_currentStep = -1;
};
