// The sequence definition file and the plain list files beside it (symbol lists, the skip list,
// timeframe lists): their names, where they live, how they are written and the reading rules they share.
#pragma once

#include <optional>

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

// --- Names and keys ---------------------------------------------------------------------------------
constexpr const char* kDefinitionExtension = "tvd";
constexpr const char* kSymbolListExtension = "lst";
constexpr const char* kTimeframeListExtension = "frm";
constexpr const char* kSkipListFileName = "Skip.txt";

constexpr const char* kWorkspaceKey = "Workspace=";
constexpr const char* kSequenceFileKey = "SequenceFile=";
constexpr const char* kSymbolsKey = "Symbols=";
constexpr const char* kEndDateKey = "EndDate=";
constexpr const char* kMultiDataKey = "MultiData=";
constexpr const char* kGeneticKey = "Genetic=";
constexpr const char* kListScriptKey = "List=";
constexpr const char* kTestCommandKey = "Cmd=";
constexpr const char* kAbortKey = "Abort=";

constexpr const char* kDefaultTemplateName = "Template";
constexpr const char* kDefaultOptSetName = "OptSet";
constexpr const char* kSymbolListPrefix = "List:";
constexpr const char* kMultiSymbolEntry = "*MULTI";
constexpr const char* kSkipOptimization = "SKIP";
constexpr const char* kDefaultBarsSetting = "5000 Bars";

// --- Definition data --------------------------------------------------------------------------------

// Genetic optimisation settings; the file holds them as "%d|%.2f|%d|%.2f|".
struct GeneticSettings {
  int generations = 1;       // at least 1
  double mutationRate = 0;   // 0 to 0.99
  int population = 1;        // at least 1
  double crossoverRate = 0;  // 0 to 0.99

  // The four '|'-fields of text, each clamped to its range (missing fields read as 0, then clamped).
  static GeneticSettings Parse(const char* text);
  int Format(CTxt& out) const;  // returns out's length
};

// One strategy input line of a parameter section: number "/" name "|" min "|" max "|" increment "|".
// A line with min alone sets the input to that fixed value.
struct ParameterLine {
  int number = 0;  // 1-based position of the input in the strategy's input list, 1 to 100
  CTxt name;       // informational
  CTxt min, max, increment;

  // 0; -1 when the number is outside 1..100; -2 when min is empty. The fields are filled either way.
  int Parse(const char* line);
  int Format(CTxt& out) const;  // a fixed value as "%d/%s|%s|", a range with all four fields
  bool IsFixed() const { return max.IsEmpty(); }

  // Reading rule: a line of exactly three fields (number/name, min, max) gets the increment 1. Returns 1
  // when the line was completed, else 0.
  static int CompleteIncrement(CTxt& line);
};

// The in-memory form of one definition, as the sequence editor works on it.
class SequenceDefinition {
 public:
  CTxt name;          // file name without folder and extension
  CTxt filePath;      // full path of the definition file
  CTxt workspace;     // TradeStation workspace (.tsw), '/' separators
  CTxtArray symbols;  // entries: SYMBOL, "List:"NAME, SYMBOL/TEMPLATE/OPTSET or "*MULTI"
  CTxt endDate;       // "%d/%d/%04d"
  bool multiData = false;
  std::optional<GeneticSettings> genetic;  // absent: exhaustive optimisation
  CTxtArray templateLines;                 // timeframe lines of the "Template" section
  CTxtArray optSet;                        // parameter lines of the "OptSet" section

  // Sets filePath and derives name from it.
  void SetFilePath(const char* path);

  // The file's lines in the order the editor writes them. abortStep above 0 ends them with an empty line and
  // the mark turned into a comment (";Abort=n=text").
  void BuildLines(CTxtArray& out, int abortStep = 0, const char* abortText = nullptr) const;

  // Writes the definition to filePath, replacing the file atomically. An active abort mark of the file being
  // replaced is kept as a comment. Returns 0 and msg "Save Backtesting Script to:\r\n%s", or -1 and the
  // reason in msg (the original file then unchanged).
  int Save(CTxt& msg) const;
};

// --- Reading rules shared by every reader of definition lines ---------------------------------------------

// Reads a definition file into lines the way the buffered line reader does (LF, NUL or Ctrl-Z end a line, CR
// is dropped, a Ctrl-Z at a line start ends the data, a last line without line end is kept) but without
// its limit on the length of a line: the lines are written back when marks are set or removed, so a
// shortened line would be lost from the user's file. Returns the number of lines, or -1 with
// "Cannot open %s (%s)" in msg.
int LoadDefinitionFile(const char* path, CTxtArray& lines, CTxt& msg);

// Index of the first line beginning with key (any case) and its value: everything after the first '='.
// -1 (value emptied) when there is no such line.
int FindKeyValue(const CTxtArray& lines, const char* key, CTxt& value);

// The first active abort mark ("Abort=n=text") of the lines: returns n (atoi of the second '='-field) and
// text = the third and later '='-fields; -2 when no line begins with "Abort=".
int FindAbortMark(const CTxtArray& lines, CTxt& text);

// Index of the line where section name starts: the first line containing name followed by '=' (any case);
// -1 when there is none.
int FindSectionStart(const CTxtArray& lines, const char* name);

// The timeframe lines of section name, each trimmed; comment lines (';') skipped; an empty line ends the
// section, and so does an abort mark line, which is never a timeframe. Returns the number of lines, or -1
// when the section does not exist.
int ReadTemplateSection(const CTxtArray& lines, const char* name, CTxtArray& out);

// The parameter lines of section name (trimmed, comments skipped, each completed by
// ParameterLine::CompleteIncrement). The section ends at an empty line, an "Abort=" line or a "SKIP" line;
// skipSeen is set when a "SKIP" line ended it. Returns the number of lines collected (0 when the section
// does not exist).
int ReadParameterSection(const CTxtArray& lines, const char* name, CTxtArray& out, bool& skipSeen);

// Completes a timeframe line: with fewer than two '|'-fields the default range, with fewer than three the
// end date. Closing '|' characters are dropped first, so that a line written as "Daily|2 Years|" is not
// given an empty third field.
void FillTimeframeDefaults(CTxt& line, const char* defaultBars, const char* endDate);

// The end date of a definition without "EndDate=": today minus two days, "%02d/%02d/%04d".
int DefaultEndDate(CTxt& out);

// The setting "Tavrin"/"ScriptDefaultBars" (default "5000 Bars"), written back so the key always exists.
int ScriptDefaultBars(CTxt& out);

// --- File names and locations ---------------------------------------------------------------------------

// Makes a name typed by the user safe as a file name: every character other than a letter, a digit or one
// of "~_+-#$(){}[]" becomes '_'. Returns the name's length.
int MakeFileSafeName(CTxt& name);

// The process's current folder, '/' separators, no trailing separator.
int CurrentFolder(CTxt& out);

// "folder/name.tvd" in the program folder.
int DefinitionPath(const char* name, CTxt& out);
// The current definition's name: setting "Tavrin"/"CurrDef" (default "DJ30", written back).
int CurrentDefinitionName(CTxt& out);

// "name.lst" relative to the current folder, and "programFolder/name.lst", where a list is looked for next.
int SymbolListFile(const char* name, CTxt& out);
int SymbolListFallbackPath(const char* name, CTxt& out);
// "currentFolder/Skip.txt".
int SkipListPath(CTxt& out);
// "name.frm" relative to the current folder.
int TimeframeListPath(const char* name, CTxt& out);

// Reads a symbol list, first from the current folder, then from the program folder. Blank lines are no
// symbols and are dropped. Returns the number of symbols, or -1 with "Cannot open %s (%s)" of the location
// tried last in msg and pathTried set to it.
int LoadSymbolList(const char* name, CTxtArray& symbols, CTxt& msg, CTxt* pathTried = nullptr);
// Writes a symbol list (or a timeframe list) in the current folder, replacing it atomically. 0, or -1 and
// msg.
int SaveSymbolList(const char* name, const CTxtArray& symbols, CTxt& msg);
int LoadTimeframeList(const char* name, CTxtArray& lines, CTxt& msg);
int SaveTimeframeList(const char* name, const CTxtArray& lines, CTxt& msg);
