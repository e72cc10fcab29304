// Fuzz target: a saved Strategy Performance Report read by the report loader, from the archive decoder
// through the page scanner to the trade statistics and their table.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "execution/ReportLoader.h"
#include "execution/Summary.h"

namespace {

// The statistics promise finite figures whatever the report holds; a NaN or infinity would reach the
// summary files as text no spreadsheet reads.
void CheckFinite(const TradeStatistics& stats) {
  for (int column = 0; column < kStatColumns; ++column)
    for (int index = 0; index < kStatValues; ++index)
      if (!std::isfinite(stats.GetValue(column, index))) {
        std::fprintf(stderr, "statistic %d of column %d is %g\n", index, column,
                     stats.GetValue(column, index));
        std::abort();
      }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzzsupport::ProgramFolder() + "/Report.MHT";
  std::string input = fuzzsupport::Text(data, size);
  fuzzsupport::PutFile(path, input);

  std::string page;
  CTxt msg;
  int loaded = LoadReportPage(path.c_str(), page, msg);
  std::string decoded = input;
  DecodeReportArchive(decoded);
  // The in-memory file is always found, and the file reader and the decoder agree: the loader adds
  // nothing of its own.
  if (loaded != 0 || page != decoded) std::abort();

  TradeStatistics stats(5000.0);
  ReportHeader header;
  int trades = LoadTradesFromPage(decoded, "Report.MHT", stats, msg, &header);
  CheckFinite(stats);
  if (trades >= 0) {
    if (stats.GetTradeCount(kColumnAll) > static_cast<int>(stats.GetTrades().size())) std::abort();
    // A trade enters the statistics only with dates the calendar has.
    for (const Trade& trade : stats.GetTrades())
      if (!trade.entry.IsValid() || !trade.exit.IsValid()) std::abort();
    CTxtArray lines;
    AppendStatisticsTable(stats, lines);
  }

  std::string qp = input, b64 = input;
  DecodeQuotedPrintable(qp);
  DecodeBase64(b64);
  if (qp.size() > input.size() || b64.size() > input.size()) std::abort();  // decoding never grows
  fuzzsupport::ClearFiles();
  return 0;
}
