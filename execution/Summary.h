// The statistics table of a trade report (the catalogue of 65 rows and its CSV lines), the strategy inputs
// read back from a saved report, and the results summary "_Summary.csv" of a run folder.
#pragma once

#include "execution/TradeStats.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

// --- The catalogue -----------------------------------------------------------------------------------------

enum StatRowKind { kRowSeparator, kRowValue, kRowDate };

struct StatRow {
  const char* description;
  const char* unit;
  const char* shortName;  // the marker the summary finds the row by
  int decimals;
  StatRowKind kind;
  int index;  // StatValue or StatDate of the row
};

constexpr int kStatRows = 65;
const StatRow* GetStatCatalogue();                  // kStatRows rows in display order
const StatRow* FindStatRow(const char* shortName);  // by short name ignoring case; null when unknown

// --- The statistics table ----------------------------------------------------------------------------------

// The header "Description,,,,Unit,All Trades,,Longs only,,Shorts only,,ShortName" and one line per catalogue
// row (description, ",,,,", unit, ",", the all/long/short cells each followed by ",,", short name, ","),
// appended to lines. A cell is "---" for a column without trades, the value with the row's decimals, or the
// date as "M/D/YYYY hh:mm:ss" (empty when the column never had that event). Returns the lines appended.
int AppendStatisticsTable(const TradeStatistics& stats, CTxtArray& lines);

// Loads the trade list of a saved Strategy Performance Report into stats (report loader) and appends its
// statistics table to lines. The number of trades, or the loader's negative code with its message in msg.
int BuildReportStatistics(const char* reportPath, TradeStatistics& stats, CTxtArray& lines, CTxt& msg);

// --- Strategy inputs of a saved report ---------------------------------------------------------------------

// Reads the "TradeStation Strategy Inputs" table of a saved report (archive or plain HTML) into inputs as
// name|value lines. The number of inputs with the strategy name in resultText, or -1 unreadable file (the
// load error in resultText), -2 not HTML, -3 no inputs block, -4 no inputs table.
int ReadStrategyInputs(const char* reportPath, CTxt& resultText, CTxtArray& inputs);

// --- The results summary -----------------------------------------------------------------------------------

// What the summary shows the user while it works. The application plugs in the wait cursor, the progress
// window and the file opener; the default shows the progress window where there is one and opens nothing.
class SummaryUi {
 public:
  virtual ~SummaryUi() = default;
  virtual void BeginWait() {}
  virtual void EndWait() {}
  virtual void ShowProgress(const char* text, int index, int count);
  virtual void CloseProgress();
  virtual void OpenFile(const char* path);
};
// Installs the user interface of the summaries (null: the default); the caller keeps it alive.
void SetSummaryUi(SummaryUi* ui);

// Collects the key figures of every step CSV file of folder (and its sub-folders) and the inputs of the
// matching MHT reports into "folder/_Summary.csv", replaced atomically. Returns the number of data lines;
// resultText gets "Created Summary for %d Symbols/Timeframes to %s", or the save error (then -1). open = 1
// opens the finished file.
int WriteSummary(const char* folder, CTxt& resultText, int open);
