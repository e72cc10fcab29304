// The statistics catalogue and table, the strategy inputs of a saved report, and the run folder summary.
#include "execution/Summary.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "execution/ReportLoader.h"
#include "execution/Summary_platform.h"
#include "foundation/Log.h"
#include "foundation/SysUtil.h"
#include "foundation/Xml.h"

// --- The catalogue -----------------------------------------------------------------------------------------

namespace {

#define STAT_VALUE(desc, unit, name, decimals) \
  { desc, unit, "$" #name, decimals, kRowValue, kStat##name }
#define STAT_DATE(desc, name) \
  { desc, "Date", "$" #name, 0, kRowDate, k##name }
#define STAT_SEPARATOR \
  { "", "", "", 0, kRowSeparator, 0 }

const StatRow kCatalogue[kStatRows] = {
    STAT_VALUE("Net Profit+Loss", "$", PL, 2),
    STAT_VALUE("Net Profit+Loss Annualized", "$", PLYr, 2),
    STAT_VALUE("Ending Equity", "$", Equ, 2),
    STAT_VALUE("Starting Equity", "$", EquStart, 2),
    STAT_VALUE("Maximum Equity", "$", MaxEqu, 2),
    STAT_DATE("Date of highest Equity", DateMaxEqu),
    STAT_VALUE("Minimum Equity", "$", MinEqu, 2),
    STAT_DATE("Date of lowest Equity", DateMinEqu),
    STAT_VALUE("Gross Gain Amount", "$", GrossGain, 2),
    STAT_VALUE("Gross Loss Amount", "$", GrossLoss, 2),
    STAT_VALUE("Return per Year (%)", "%", RetYr, 2),
    STAT_VALUE("Profit Factor (Gross)", "Ratio", PF, 2),
    STAT_VALUE("Sharpe Ratio", "Ratio", Sharpe, 3),
    STAT_VALUE("MAR Ratio", "Ratio", MAR, 3),
    STAT_VALUE("ZEL Volatility (%)", "%", VolatityPer, 2),
    STAT_VALUE("ZEL Volatility ($)", "$", VolatityAmt, 2),
    STAT_SEPARATOR,
    STAT_VALUE("Average Trade PL", "$", AvgTrdAmt, 2),
    STAT_VALUE("Average Winner Amount", "$", AvgGainAmt, 2),
    STAT_VALUE("Average Loser Amount", "$", AvgLossAmt, 2),
    STAT_VALUE("Profit Factor (AvgTrd)", "Ratio", PFAvg, 2),
    STAT_VALUE("Maximum Winner Amount", "$", MaxGainAmt, 2),
    STAT_DATE("Date of biggest Winner", DateMaxGain),
    STAT_VALUE("Maximum Loser Amount", "$", MaxLossAmt, 2),
    STAT_DATE("Date of biggest Loser", DateMaxLoss),
    STAT_SEPARATOR,
    STAT_VALUE("Median Trade PL", "$", MedTrdAmt, 2),
    STAT_VALUE("Median Winner Amount", "$", MedGainAmt, 2),
    STAT_VALUE("Median Loser Amount", "$", MedLossAmt, 2),
    STAT_VALUE("Profit Factor (Median)", "Ratio", PFMed, 2),
    STAT_SEPARATOR,
    STAT_VALUE("Total Trades", "#", CntTrd, 0),
    STAT_VALUE("Number of Winners", "#", CntGain, 0),
    STAT_VALUE("Number of Losers", "#", CntLoss, 0),
    STAT_VALUE("Probability", "%", Prob, 2),
    STAT_VALUE("Maximum consecutive Winners", "#", MaxGainCnt, 0),
    STAT_VALUE("Maximum consecutive Losers", "#", MaxLossCnt, 0),
    STAT_SEPARATOR,
    STAT_VALUE("Maximum Drawdown Amount", "$", MaxDDAmt, 2),
    STAT_VALUE("Maximum Drawdown Percent", "%", MaxDDPer, 2),
    STAT_DATE("Date of maximum Drawdown", DateMaxDD),
    STAT_VALUE("Maximum Drawup Amount", "$", MaxDUAmt, 2),
    STAT_VALUE("Maximum Drawup Percent", "%", MaxDUPer, 2),
    STAT_DATE("Date of maximum Drawup", DateMaxDU),
    STAT_VALUE("Total Commissions", "$", TotFee, 2),
    STAT_SEPARATOR,
    STAT_VALUE("Total Trading Period (Days)", "Days", TrdRngDay, 2),
    STAT_VALUE("Total Trading Period (Years)", "Years", TrdRngYr, 3),
    STAT_DATE("Date of last Trade", DateMaxTrd),
    STAT_DATE("Date of first Trade", DateMinTrd),
    STAT_SEPARATOR,
    STAT_VALUE("Total Trade Duration (Days)", "Days", TrdDurTotal, 2),
    STAT_VALUE("Percent in Market", "%", TrdDurPer, 2),
    STAT_VALUE("Average Trade Duration (Hours)", "Hours", DurTrdAvg, 2),
    STAT_VALUE("Average Winner Duration (Hours)", "Hours", DurGainAvg, 2),
    STAT_VALUE("Average Loser Duration (Hours)", "Hours", DurLossAvg, 2),
    STAT_VALUE("Shortest Trade Duration (Hours)", "Hours", DurMin, 2),
    STAT_VALUE("Longest Trade Duration (Hours)", "Hours", DurMax, 2),
    STAT_SEPARATOR,
    STAT_VALUE("Std Deviation Amount", "$", DevAmt, 2),
    STAT_VALUE("Std Deviation (% of Capital)", "%", DevPer, 2),
    STAT_VALUE("Std Deviation Winner Amount", "$", DevGainAmt, 2),
    STAT_VALUE("Std Deviation Winner (% of Capital)", "%", DevGainPer, 2),
    STAT_VALUE("Std Deviation Loser Amount", "$", DevLossAmt, 2),
    STAT_VALUE("Std Deviation Loser (% of Capital)", "%", DevLossPer, 2),
};

#undef STAT_VALUE
#undef STAT_DATE
#undef STAT_SEPARATOR

const char kTableHeader[] = "Description,,,,Unit,All Trades,,Longs only,,Shorts only,,ShortName";

void FormatCell(const TradeStatistics& stats, const StatRow& row, int column, CTxt& out) {
  out.MakeEmpty();
  if (row.kind == kRowSeparator) return;
  if (stats.GetTradeCount(column) == 0) {
    out = "---";
  } else if (row.kind == kRowDate) {
    CZELDateTime date = stats.GetDate(column, row.index);
    if (date.IsFilled())
      out.Format("%d/%d/%04d %02d:%02d:%02d", date.GetMonth(), date.GetDay(), date.GetYear(), date.GetHour(),
                 date.GetMinute(), date.GetSecond());
  } else {
    out.Format("%.*f", row.decimals, stats.GetValue(column, row.index));
  }
}

}  // namespace

const StatRow* GetStatCatalogue() {
  return kCatalogue;
}

const StatRow* FindStatRow(const char* shortName) {
  for (const StatRow& row : kCatalogue)
    if (row.kind != kRowSeparator && CompareNoCase(row.shortName, shortName, 1) == 0) return &row;
  return nullptr;
}

// --- The statistics table ----------------------------------------------------------------------------------

int AppendStatisticsTable(const TradeStatistics& stats, CTxtArray& lines) {
  lines.Add(kTableHeader);
  std::string line;
  CTxt cell;
  for (const StatRow& row : kCatalogue) {
    line.assign(row.description).append(",,,,").append(row.unit).append(",");
    for (int column = kColumnAll; column < kStatColumns; ++column) {
      FormatCell(stats, row, column, cell);
      line.append(static_cast<const char*>(cell)).append(",,");
    }
    line.append(row.shortName).append(",");
    lines.Add(line.c_str());
  }
  return kStatRows + 1;
}

int BuildReportStatistics(const char* reportPath, TradeStatistics& stats, CTxtArray& lines, CTxt& msg) {
  int trades = LoadTradeReport(reportPath, stats, msg);
  if (trades < 0) return trades;
  AppendStatisticsTable(stats, lines);
  return trades;
}

// --- Strategy inputs ---------------------------------------------------------------------------------------

namespace {

// The node's content with its entities (and non-breaking blanks) decoded, trimmed.
std::string CellText(const PlainNode& node) {
  CTxt text;
  node.GetContentBin(text);
  text.ReplaceInText("&nbsp;", " ");
  std::string s = static_cast<const char*>(text);
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

std::string Trimmed(const std::string& s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return std::string();
  return s.substr(a, s.find_last_not_of(" \t\r\n") - a + 1);
}

// Position of the '<' before the first "Strategy Inputs" (any case) of the page, 0 when there is none.
size_t FindInputsBlock(const std::string& page) {
  static const char kMarker[] = "strategy inputs";
  const size_t n = sizeof(kMarker) - 1;
  for (size_t i = 0; i + n <= page.size(); ++i) {
    if ((page[i] | 0x20) != 's') continue;
    size_t k = 1;
    while (k < n && (page[i + k] == kMarker[k] || (page[i + k] | 0x20) == kMarker[k])) ++k;
    if (k < n) continue;
    size_t lt = page.rfind('<', i);
    return lt == std::string::npos ? 0 : lt;
  }
  return 0;
}

bool IdStartsWith(const PlainNode& node, const char* prefix) {
  const PlainNodeAttr* id = node.FindAttr("id");
  return id && CompareNoCase(prefix, static_cast<const char*>(id->GetValue()), 2) == 0;
}

}  // namespace

int ReadStrategyInputs(const char* reportPath, CTxt& resultText, CTxtArray& inputs) {
  inputs.RemoveAll();
  std::string page;
  if (LoadReportPage(reportPath, page, resultText) < 0) return -1;
  // The inputs block sits near the end of a report, after a trades list that can hold a million tags:
  // the node list starts at the tag before the first mention of the block (the whole page when none).
  size_t from = FindInputsBlock(page);
  RootPlainNode root;
  CTxt msg;
  if (root.LoadHTM(page.data() + from, page.size() - from, msg) < 1) {
    resultText.Format("Cannot read '%s' as HTML", reportPath);
    return -2;
  }
  page.clear();
  page.shrink_to_fit();
  int marker = root.FindContent("TradeStation Strategy Inputs");
  if (marker < 0) {
    resultText.Format("Could not find TradeStation Strategy Inputs in '%s'", reportPath);
    return -3;
  }
  int outer = root.FindTag("TABLE", marker + 1);
  if (outer < 0) {
    resultText.Format("Could not find TradeStation Strategy Inputs Table1 in '%s'", reportPath);
    return -4;
  }
  int inner = root.FindTag("TABLE", outer + 1);
  if (inner < 0) {
    resultText.Format("Could not find TradeStation Strategy Inputs Table2 in '%s'", reportPath);
    return -4;
  }
  // The inner table runs to its end tag (its partner's plain ID), or to the end of an unclosed page.
  int innerID = inner + 1;
  int partner = root.GetNode(innerID)->GetParentID();
  int last = partner > innerID ? partner - 1 : root.GetNumNode();
  std::string strategy, name;
  bool haveStrategy = false;
  for (int id = innerID + 1; id <= last; ++id) {
    const PlainNode* node = root.GetNode(id);
    if (!node) continue;
    if (IdStartsWith(*node, "inputName")) {
      // "STRATEGY - INPUT": input names never hold a '-', strategy names may, so the last one separates.
      std::string text = CellText(*node);
      size_t dash = text.rfind('-');
      name = Trimmed(dash == std::string::npos ? text : text.substr(dash + 1));
      if (!haveStrategy) {
        strategy = Trimmed(dash == std::string::npos ? std::string() : text.substr(0, dash));
        haveStrategy = true;
      }
    } else if (IdStartsWith(*node, "inputValue")) {
      std::string value = CellText(*node);
      if (!value.empty() && !name.empty()) inputs.SetValue(name.c_str(), value.c_str());
    }
  }
  resultText = strategy.c_str();
  return inputs.GetSize();
}

// --- The results summary -----------------------------------------------------------------------------------

void SummaryUi::ShowProgress(const char* text, int index, int count) {
  GaugetteUpdate(text, index, count);
}
void SummaryUi::CloseProgress() {
  GaugetteClose();
}
void SummaryUi::OpenFile(const char* path) {
  OpenSummaryFile(path);
}

namespace {

SummaryUi*& InstalledUi() {
  static SummaryUi* ui = nullptr;
  return ui;
}

class DefaultSummaryUi : public SummaryUi {
 public:
  void BeginWait() override { SummaryWaitCursor(true); }
  void EndWait() override { SummaryWaitCursor(false); }
};

SummaryUi& CurrentUi() {
  static DefaultSummaryUi fallback;
  return InstalledUi() ? *InstalledUi() : fallback;
}

// The figures of a step file, in the summary's column order.
struct StepFigure {
  const char* marker;
  const char* format;
};
const StepFigure kFigures[] = {
    {",$PL", "%.2f,"},    {",$PF", "%.3f,"},       {",$CntTrd", "%.0f,"},   {",$Prob", "%.2f,"},
    {",$RetYr", "%.2f,"}, {",$MaxDDAmt", "%.2f,"}, {",$MaxDDPer", "%.2f,"},
};

// Field 6 of the first line holding marker, as a number; 0 when no line holds it.
double ReadFigure(const CTxtArray& lines, const char* marker) {
  int at = lines.FindStringSegment(marker);
  if (at < 0) return 0;
  CTxt field;
  strfld(lines.GetAtTxt(at), ',', 6, 0, field);
  return atof(field);
}

// The program's own files in a run folder: best results, optimisation lists and summaries.
bool IsOwnFile(const char* relativePath) {
  return FindNoCase(relativePath, "-Best") >= 0 || FindNoCase(relativePath, "-OptList") >= 0 ||
         FindNoCase(relativePath, "Summary") >= 0;
}

std::string HeaderLine(const CTxtArray& inputs) {
  CTxt head;
  head.Format("SeqNum,Symbol,Interval,Profit/Loss$,ProfitFactor,Trades,Probability%%,ReturnYr%%,DD$,DD%%,");
  std::string line = static_cast<const char*>(head);
  CTxt name;
  for (int i = 0; i < inputs.GetSize(); ++i) {
    strfld(inputs.GetAtTxt(i), '|', 1, 0, name);
    line.append(static_cast<const char*>(name)).append(",");
  }
  return line + ",,FileName";
}

std::string DataLine(int number, const char* path, const CTxtArray& lines, const CTxtArray& inputs) {
  CTxt stem, symbol, interval, text;
  CTxt(path).GetFileTxt(2, stem);
  strfld(stem, '_', 1, 0, symbol);
  strfld(stem, '_', 2, 0, interval);
  text.Format("%d,%s,%s,", number, static_cast<const char*>(symbol), static_cast<const char*>(interval));
  std::string line = static_cast<const char*>(text);
  for (const StepFigure& f : kFigures) {
    text.Format(f.format, ReadFigure(lines, f.marker));
    line.append(static_cast<const char*>(text));
  }
  for (int i = 0; i < inputs.GetSize(); ++i) {
    const char* entry = inputs.GetAtTxt(i);
    const char* bar = entry ? strchr(entry, '|') : nullptr;
    line.append(bar ? bar + 1 : "").append(",");
  }
  return line + ",," + path;
}

}  // namespace

void SetSummaryUi(SummaryUi* ui) {
  InstalledUi() = ui;
}

int WriteSummary(const char* folder, CTxt& resultText, int open) {
  SummaryUi& ui = CurrentUi();
  ui.BeginWait();
  CTxt dir(folder);
  dir.MakeFn();
  CTxt summaryPath;
  // The previous summary stays until the new one replaces it whole.
  summaryPath.Format("%s/_Summary.csv", static_cast<const char*>(dir));

  CTxtArray files;
  files.LoadFromDir(dir, 1, 1, "!csv");
  CTxtArray out;
  CTxt text;
  text.Format("Start,%s", static_cast<const char*>(dir));
  out.Add(text);
  out.Add("");
  size_t dirLength = static_cast<size_t>(dir.GetLength());
  int dataLines = 0;
  int unreadable = 0;
  for (int i = 0, n = files.GetSize(); i < n; ++i) {
    const char* path = files.GetAtTxt(i);
    if (!path) continue;
    // Only the part below the summarised folder decides: a folder named "...Summary..." is no reason to skip.
    const char* relative = CompareNoCase(dir, path, 2) == 0 ? path + dirLength : path;
    if (IsOwnFile(relative)) continue;
    ui.ShowProgress(path, i, n);
    CTxtArray lines;
    CTxt msg;
    int read = lines.LoadFromFileBuf(path, msg);
    if (read < 0) {
      LogTrace("Summary", 0, "Step file not summarised: %s", static_cast<const char*>(msg));
      ++unreadable;
    }
    if (read < 1) continue;
    CTxt report(path);
    report.MakeFileExt("MHT");
    if (FileSizeOf(report) < 0) report.MakeFileExt("mht");  // file systems that tell case apart
    CTxtArray inputs;
    CTxt inputsText;
    if (ReadStrategyInputs(report, inputsText, inputs) < 0) inputs.RemoveAll();
    if (dataLines == 0) out.Add(HeaderLine(inputs).c_str());
    out.Add(DataLine(++dataLines, path, lines, inputs).c_str());
  }
  ui.CloseProgress();
  CTxt msg;
  if (out.SaveToFile(summaryPath, msg) < 0) {
    resultText = msg;
    ui.EndWait();
    return -1;
  }
  resultText.Format("Created Summary for %d Symbols/Timeframes to %s", dataLines,
                    static_cast<const char*>(summaryPath));
  if (unreadable) {
    CTxt missing;
    missing.Format("\r\n%d step file(s) could not be read and are missing (see the log)", unreadable);
    resultText += missing;
  }
  if (open == 1) ui.OpenFile(summaryPath);
  ui.EndWait();
  return dataLines;
}
