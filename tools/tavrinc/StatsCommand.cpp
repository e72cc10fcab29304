// "tavrinc stats REPORT [PROGRAMFOLDER]": the statistics table of a saved Strategy Performance Report, as
// step execution appends it to a step file. StartingCapital and BaseRate come from the settings of
// PROGRAMFOLDER (default: the companion's own folder).
#include <cstdio>

#include "Commands.h"
#include "execution/Summary.h"
#include "foundation/Settings.h"

namespace {

int ShowStats(const std::vector<const char*>& args) {
  if (args.empty() || args.size() > 2) {
    std::fprintf(stderr, "usage: tavrinc stats REPORT [PROGRAMFOLDER]\n");
    return 2;
  }
  if (args.size() == 2) Settings::OverrideAppFolder(args[1]);
  TradeStatistics stats;
  CTxtArray lines;
  CTxt msg;
  if (BuildReportStatistics(args[0], stats, lines, msg) < 0) {
    std::fprintf(stderr, "%s\n", static_cast<const char*>(msg));
    return 1;
  }
  CTxt text;
  text.LoadFromArray(&lines);
  PrintText(text);
  return 0;
}

CommandRegistration registration({"stats", "REPORT [PROGRAMFOLDER]", ShowStats});

}  // namespace
