// The sequence editor's rules for what the user types: symbols, parameter lines, list and definition names,
// the end date and the genetic fields, and the import of a strategy's inputs as parameter lines. Portable, so
// that every message and check is tested without windows; the editor dialog only asks and shows.
#pragma once

#include "foundation/Txt.h"
#include "foundation/TxtArray.h"
#include "sequence/SequenceDefinition.h"

// Initial texts of the editor's prompts; answering one unchanged is refused.
constexpr const char* kNewSymbolText = "(NewSymbol)";
constexpr const char* kNewParameterText = "Seq/Name|Min|Max|Incr";
constexpr const char* kNewSymbolListText = "(SymbolList)";
constexpr const char* kNewTimeframeListText = "(TimeFrameList)";
constexpr const char* kNewDefinitionText = "(NewDef)";

// A typed symbol as the list keeps it: upper case, every character other than a letter, a digit or one of
// "~_+-#$(){}[]:$@." turned into '_' (es;x gives ES_X, @es gives @ES). Returns its length.
int NormalizeSymbol(CTxt& symbol);

// 0 when symbol (normalised) may be added to symbols; -1 with "Enter a different name!" for the prompt's
// initial text, -2 with "Symbol '%s' already in List" when present (ignoring case).
int CheckNewSymbol(const CTxtArray& symbols, const char* symbol, CTxt& msg);

// The checks of an added or edited parameter line: its number (the integer value of the first '/'-field)
// must be 1 to 100 ("Parameter Number %d out of Range in: %s") and its minimum (second '|'-field, trimmed)
// present ("Parameter (minimum) Value is missing in: %s"). 0, or -1 with the message.
int CheckParameterLine(const char* line, CTxt& msg);
// For Add: also refuses the prompt's initial text ("Enter a different Parameter!") and a line already in the
// list ("Parameter '%s' already in List"). 0, or -1 with the message.
int CheckNewParameter(const CTxtArray& optSet, const char* line, CTxt& msg);

// The name part of a parameter line (second '/'-field of the first '|'-field, trimmed).
CTxt ParameterName(const char* line);

// Appends the strategy's inputs (rows "name|value" in input order) as "%d/%s|%s" lines: inputs whose value
// holds a character other than "+-0123456789." are skipped, and, when addOnlyNew, inputs whose name is
// already a parameter's name (ignoring case). Returns the number appended.
int ImportStrategyInputs(CTxtArray& optSet, const CTxtArray& rows, bool addOnlyNew);

// A list or definition name typed into a prompt, made file-safe. Returns 0, or -1 with msg for the prompt's
// initial text (initialText) and -2 when the file already exists (path receives the file either way).
// Symbol lists: "Enter a different name!" / "SymbolList '%s' exists already (%s)".
int CheckNewSymbolListName(CTxt& name, CTxt& path, CTxt& msg);
// Timeframe lists: "Enter a different name!" / "TimeFrameList '%s' exists already (%s)".
int CheckNewTimeframeListName(CTxt& name, CTxt& path, CTxt& msg);
// Definitions in the program folder: "Choose a different name!" /
// "Definintion '%s' exists already - choose a different name\r\n(%s)".
int CheckNewDefinitionName(CTxt& name, CTxt& path, CTxt& msg);

// The end date typed into the editor, read by the date parser and written back as "%d/%d/%04d". 0, or -1
// with "EndDate: %s is not valid - reenter".
int NormalizeEndDate(const char* text, CTxt& out, CTxt& msg);

// The four genetic fields as typed (generations, mutation rate, population, crossover rate), clamped and
// returned in their normal forms ("%d", "%.2f", "%d", "%.2f").
GeneticSettings NormalizeGeneticFields(const char* generations, const char* mutation, const char* population,
                                       const char* crossover, CTxt normal[4]);
// The normal forms of settings, in field order.
void FormatGeneticFields(const GeneticSettings& g, CTxt normal[4]);
