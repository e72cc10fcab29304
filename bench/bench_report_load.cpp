// Loads a generated Strategy Performance Report of 20,000 trades (a quoted-printable web archive, as saved)
// and prints the loader's throughput in megabytes per second and as a ratio to a plain read of the same file
// in the same run, the strategy-input reader's time on the same
// file, and the peak memory of the loading process (which runs apart from the generating one, so the
// figure is the loader's own).
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ReportBuilder.h"
#include "execution/ReportLoader.h"
#include "execution/Summary.h"
#include "foundation/Log.h"
#include "foundation/Settings.h"

namespace {

constexpr int kTrades = 20000;
constexpr int kRounds = 5;

std::string GenerateReport() {
  std::vector<reportbuilder::ReportTrade> trades(kTrades);
  for (int i = 0; i < kTrades; ++i) {
    reportbuilder::ReportTrade& t = trades[static_cast<size_t>(i)];
    t.isShort = i % 2 == 1;
    int month = 1 + (i / 28) % 12, day = 1 + i % 28, year = 2000 + i / 336;
    t.entryDate = t.exitDate = std::to_string(month) + "/" + std::to_string(day) + "/" + std::to_string(year);
    t.entryTime = "09:35";
    t.exitTime = "15:50";
    t.entryPrice = 1200 + i % 100;
    t.exitPrice = t.entryPrice + (i % 7) - 3;
    t.shares = 1;
    t.profit = ((i * 37) % 1000 - 480) * 1.25;
    t.entryCommission = t.exitCommission = 2.5;
  }
  std::string page = reportbuilder::ReportPage("MovAvg Cross", "ES", "5 min", trades,
                                               {{"FastLength", "9"}, {"SlowLength", "18"}});
  return reportbuilder::Archive(page, "quoted-printable", "TradeStation Strategy Performance Report");
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace

// Measures the loading of the report at path (in a process of its own).
int Measure(const char* path) {
  double megabytes = static_cast<double>(std::filesystem::file_size(path)) / (1024.0 * 1024.0);
  double best = 1e9;
  int trades = 0;
  for (int round = 0; round < kRounds; ++round) {
    TradeStatistics stats(5000);
    CTxt msg;
    auto start = std::chrono::steady_clock::now();
    trades = LoadTradeReport(path, stats, msg);
    best = std::min(best, Seconds(std::chrono::steady_clock::now() - start));
    if (trades != kTrades) {
      std::fprintf(stderr, "bench_report_load: loaded %d trades instead of %d: %s\n", trades, kTrades,
                   static_cast<const char*>(msg));
      return 1;
    }
  }
  // The baseline of the same run: reading the file into memory and nothing else.
  double plainRead = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    CTxt whole;
    auto readStart = std::chrono::steady_clock::now();
    whole.LoadFromFile(path);
    plainRead = std::min(plainRead, Seconds(std::chrono::steady_clock::now() - readStart));
  }
  auto start = std::chrono::steady_clock::now();
  CTxt strategy;
  CTxtArray inputs;
  int found = ReadStrategyInputs(path, strategy, inputs);
  double inputsTime = Seconds(std::chrono::steady_clock::now() - start);

  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("report loader: %d trades, %.1f MB in %.3f s (best of %d) = %.1f MB/s\n", trades, megabytes,
              best, kRounds, megabytes / best);
  std::printf("  = %.1f times a plain read of the file (%.4f s)\n", best / plainRead, plainRead);
  std::printf("strategy inputs of the same report: %d inputs in %.3f s\n", found, inputsTime);
  double peak = static_cast<double>(usage.ru_maxrss) / 1024.0;
  std::printf("peak memory of the loading process: %.1f MB = %.2f times the file\n", peak, peak / megabytes);
  return found == 2 ? 0 : 1;
}

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("tavrin-bench-" + std::to_string(getpid()));
  fs::create_directories(dir);
  Settings::OverrideAppFolder(dir.string().c_str());
  SetLogFolder(dir.string().c_str());
  if (argc == 3 && std::string(argv[1]) == "--load") {
    int result = Measure(argv[2]);
    std::error_code ec;
    fs::remove_all(dir, ec);
    return result;
  }
  std::string path = (dir / "Report20000.MHT").string();
  {
    std::string archive = GenerateReport();
    std::ofstream(path, std::ios::binary).write(archive.data(), static_cast<std::streamsize>(archive.size()));
  }
  std::string command = "\"" + fs::read_symlink("/proc/self/exe").string() + "\" --load \"" + path + "\"";
  int result = std::system(command.c_str());
  std::error_code ec;
  fs::remove_all(dir, ec);
  return result == 0 ? 0 : 1;
}
