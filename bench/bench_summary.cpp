// Summarises a generated run folder of 500 steps (each a step description file with its statistics table and
// a saved report of 200 trades with two strategy inputs, as a sequence leaves them) and prints the summary's
// time, best of three, and as a ratio to a plain read of every file of the folder in the same run.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ReportBuilder.h"
#include "execution/Summary.h"
#include "foundation/AtomicFile.h"
#include "foundation/FileRead.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"
#include "foundation/Txt.h"
#include "foundation/TxtArray.h"

namespace fs = std::filesystem;

namespace {

constexpr int kSteps = 500;
constexpr int kTradesPerReport = 200;
constexpr int kRounds = 3;

struct QuietUi : SummaryUi {
  void ShowProgress(const char*, int, int) override {}
  void CloseProgress() override {}
  void OpenFile(const char*) override {}
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

std::string Report(int step) {
  std::vector<reportbuilder::ReportTrade> trades(kTradesPerReport);
  for (int i = 0; i < kTradesPerReport; ++i) {
    reportbuilder::ReportTrade& t = trades[static_cast<size_t>(i)];
    t.isShort = i % 2 == 1;
    t.entryDate = t.exitDate = std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28) + "/2010";
    t.entryTime = "09:35";
    t.exitTime = "15:50";
    t.entryPrice = 1200 + i % 100;
    t.exitPrice = t.entryPrice + (i % 7) - 3;
    t.shares = 1;
    t.profit = ((i * 37 + step) % 1000 - 480) * 1.25;
  }
  std::string page =
      reportbuilder::ReportPage("MovAvg Cross", "ES", "5 min", trades,
                                {{"FastLength", std::to_string(step % 20)}, {"SlowLength", "18"}});
  return reportbuilder::Archive(page, "quoted-printable", "TradeStation Strategy Performance Report");
}

std::string StepFile(int step) {
  TradeStatistics stats(5000);
  for (int i = 0; i < 40; ++i) {
    Trade t;
    t.direction = i % 3 == 0 ? -1 : 1;
    t.profit = static_cast<float>((i * 53 + step) % 400 - 180);
    t.entry.SetDT(20100104 + i % 20, 100000);
    t.exit.SetDT(20100104 + i % 20, 150000);
    stats.AddTrade(t);
  }
  stats.Finish();
  CTxtArray lines;
  lines.Add("Seq,Symbol,Interval,Permutations,Duration(HMS),Duration(Sec),");
  lines.Add("1,ES,5min5.00,4,00:01:00,60,");
  lines.Add("List of 2 Strategy Input Parameters used:");
  lines.Add("");
  AppendStatisticsTable(stats, lines);
  CTxt text;
  text.LoadFromArray(&lines);
  return static_cast<const char*>(text);
}

void Write(const fs::path& path, const std::string& bytes) {
  CTxt reason;
  if (WriteFileAtomically(path.string().c_str(), bytes.data(), bytes.size(), reason) != 0)
    std::fprintf(stderr, "bench_summary: cannot write %s: %s\n", path.string().c_str(),
                 static_cast<const char*>(reason));
}

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() / ("tavrin-bench-summary-" + std::to_string(getpid()));
  fs::path run = dir / "SEQ_0001";
  fs::create_directories(run);
  Settings::OverrideAppFolder(dir.string().c_str());
  SetLogFolder(dir.string().c_str());
  static QuietUi quiet;
  SetSummaryUi(&quiet);

  std::vector<std::string> intervals = {"5min", "15min", "60min", "Daily"};
  for (int step = 1; step <= kSteps; ++step) {
    std::string stem = "SYM" + std::to_string(step % 125) + "_" + intervals[static_cast<size_t>(step % 4)] +
                       "_" + std::to_string(step);
    Write(run / (stem + ".csv"), StepFile(step));
    Write(run / (stem + ".MHT"), Report(step));
  }

  double summary = 1e9;
  int lines = 0;
  CTxt result;
  for (int round = 0; round < kRounds; ++round) {
    auto start = std::chrono::steady_clock::now();
    lines = WriteSummary(run.string().c_str(), result, 0);
    summary = std::min(summary, Seconds(std::chrono::steady_clock::now() - start));
  }
  // The baseline of the same run: every file of the folder read into memory, nothing else.
  double plainRead = 1e9;
  size_t bytes = 0;
  for (int round = 0; round < kRounds; ++round) {
    bytes = 0;
    auto start = std::chrono::steady_clock::now();
    for (const fs::directory_entry& entry : fs::directory_iterator(run)) {
      std::string content;
      CTxt reason;
      ReadWholeFile(entry.path().string().c_str(), content, reason);
      bytes += content.size();
    }
    plainRead = std::min(plainRead, Seconds(std::chrono::steady_clock::now() - start));
  }
  std::printf("summary of %d steps (%.1f MB of step files and reports): %.3f s (best of %d)\n", lines,
              static_cast<double>(bytes) / (1024.0 * 1024.0), summary, kRounds);
  std::printf("  = %.1f times a plain read of the folder's files (%.4f s)\n", summary / plainRead, plainRead);
  std::error_code ec;
  fs::remove_all(dir, ec);
  return lines == kSteps ? 0 : 1;
}
