// The chart load signals: the chart picture's colours against the stand-in's chart, the download log and
// the cache file of version 8 (written by the stand-in or by the test), their bounds and aborts; the symbol
// roots and the symbol list import.
#include <windows.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <thread>

#include "DriverChartSupport.h"
#include "foundation/FileRead.h"
#include "foundation/Settings.h"
#include "foundation/TxtArray.h"
#include "sequence/Timeframe.h"
#include "tsdriver/TsFacts.h"

namespace fs = std::filesystem;
using drivertest::ChartTest;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class DriverChartLoad : public ChartTest {
 protected:
  // A scratch "installation" of version 8.8 (no stand-in): its download log and cache folder.
  std::string Version8Folder() {
    std::string base = folder_ + "/Tradestation 8.8";
    fs::create_directories(base + "/Logs");
    fs::create_directories(base + "/Program/Cache/M");
    return base;
  }
  static void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
  }
};

TEST_F(DriverChartLoad, ColoursAreFewWhileTheChartLoadsAndManyOnceItHas) {
  auto ts = Start("9.5", "NeverLoad=1");
  CTxt title;
  HWND chart = FindChartWindow(title, 0);
  ASSERT_NE(chart, nullptr);
  CTxt err;
  int loading = driver_->CountChartColours(chart, err, nullptr, 30);
  EXPECT_GE(loading, 1) << err.ToStd();
  EXPECT_LT(loading, 3);
  ts->SetControl("NeverLoad=0");
  ASSERT_TRUE(standin::RunCommandLine(ts->Main(), "IBM"));
  int loaded = 0;
  EXPECT_TRUE(standin::WaitFor(
      [&] { return (loaded = driver_->CountChartColours(chart, err, nullptr, 30)) > 3; }, 15000))
      << loaded;
  // The limit caps the count.
  EXPECT_EQ(driver_->CountChartColours(chart, err, nullptr, 2), 2);
}

TEST_F(DriverChartLoad, PictureFilesCarryTheColourCount) {
  auto ts = Start("9.5");
  Set("SaveChartImage", "1");
  CTxt title, err;
  HWND chart = FindChartWindow(title, 0);
  std::string pattern = folder_ + "/pictures/CH_IBM_%%%%.bmp";
  int colours = driver_->CountChartColours(chart, err, pattern.c_str(), 30);
  ASSERT_GT(colours, 0) << err.ToStd();
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "_Clr%04d.bmp", colours);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(folder_ + "/pictures")) {
    ++files;
    std::string fileName = entry.path().filename().string();
    EXPECT_EQ(fileName.rfind("CH_IBM_", 0), 0u) << fileName;
    EXPECT_NE(fileName.find(suffix), std::string::npos) << fileName;
    std::string text;
    CTxt reason;
    ASSERT_EQ(ReadWholeFile(entry.path().string().c_str(), text, reason), FileReadResult::kRead);
    EXPECT_EQ(text.substr(0, 2), "BM");
  }
  EXPECT_EQ(files, 1);
}

TEST_F(DriverChartLoad, DownloadLogOfVersion8) {
  auto ts = Start("8.8");
  CTxt err;
  ASSERT_EQ(driver_->SetupChart(nullptr, nullptr, err, "CSCO", "Daily", nullptr), 0) << err.ToStd();
  EXPECT_EQ(driver_->WaitForDownloadToComplete("CSCO", err, 0), 2) << err.ToStd();
  // The newest download is another symbol's.
  EXPECT_EQ(driver_->WaitForDownloadToComplete("MSFT", err, 0), 1);
}

TEST_F(DriverChartLoad, DownloadLogIsNotReadOnVersion9) {
  auto ts = Start("9.5");
  CTxt err;
  EXPECT_EQ(driver_->WaitForDownloadToComplete("MSFT", err, 0), 0);
}

TEST_F(DriverChartLoad, DownloadThatNeverFinishesEndsOnAbortAndAtTheBound) {
  std::string base = Version8Folder();
  WriteFile(base + "/Logs/archmsgs.log",
            "01/02/2013 10:00:00, Downloading, request for ZZZ, Daily, 500 bars.\r\n"
            "01/02/2013 10:00:01, Success, request for ZZZ (500 bars).\r\n"
            "01/02/2013 10:00:02, Downloading, request for MSFT., Daily, 500 bars.\r\n");
  TsDriver driver;
  driver.SetBaseFolder(base.c_str());
  CTxt err;
  Set("FmtWaitLoadWaitSec", "2");
  long long start = tsdriver::SteadyMs();
  EXPECT_EQ(driver.WaitForDownloadToComplete("MSFT", err, 0), -4);
  long long took = tsdriver::SteadyMs() - start;
  EXPECT_GE(took, 1900);
  EXPECT_LT(took, 4000);

  Set("FmtWaitLoadWaitSec", "600");
  long long abortedAt = 0;
  std::thread aborter([&] {
    driver.Wait(300);
    abortedAt = tsdriver::SteadyMs();
    driver.AbortRequest().store(1);
  });
  EXPECT_EQ(driver.WaitForDownloadToComplete("MSFT", err, 0), -5);
  long long ended = tsdriver::SteadyMs();
  aborter.join();
  EXPECT_LT(ended - abortedAt, 1000);

  // The success line after the download ends the wait.
  driver.AbortRequest().store(0);
  WriteFile(base + "/Logs/archmsgs.log",
            "01/02/2013 10:00:02, Downloading, request for MSFT, Daily, 500 bars.\r\n"
            "01/02/2013 10:00:03, Success, request for MSFT (500 bars).\r\n");
  EXPECT_EQ(driver.WaitForDownloadToComplete("msft", err, 0), 2);
  fs::remove(base + "/Logs/archmsgs.log");
  EXPECT_EQ(driver.WaitForDownloadToComplete("MSFT", err, 0), -3);
}

TEST_F(DriverChartLoad, DownloadLogSymbolIsCut) {
  EXPECT_STREQ(DownloadLogSymbol("x, Downloading, request for  @ES., 5 min"), "@ES");
  EXPECT_STREQ(DownloadLogSymbol("x, Success, request for MSFT (500 bars)."), "MSFT (500 bars)");
  EXPECT_STREQ(DownloadLogSymbol("no request here"), "");
}

TEST_F(DriverChartLoad, CacheFileAgeEndsTheSymbolWait) {
  std::string base = Version8Folder();
  TsDriver driver;
  driver.SetBaseFolder(base.c_str());
  CTxt err;
  EXPECT_EQ(driver.WaitForSymbolToLoad("", kBarDaily, err, 1), -1);
  EXPECT_EQ(err.ToStd(), "Symbol is missing");
  EXPECT_EQ(driver.WaitForSymbolToLoad("MSFT", kBarInvalid, err, 1), -2);
  EXPECT_EQ(err.ToStd(), "Interval is invalid (99)");

  // An old cache file ends the wait at once.
  std::string cache = base + "/Program/Cache/M/MSFT.min";
  WriteFile(cache, "bars");
  fs::last_write_time(cache, fs::file_time_type::clock::now() - std::chrono::hours(1));
  long long start = tsdriver::SteadyMs();
  EXPECT_GT(driver.WaitForSymbolToLoad("MSFT", kBarIntraday, err, 5), 5);
  EXPECT_LT(tsdriver::SteadyMs() - start, 1500);

  // No file: the wait ends after the seconds given, or on an abort within a second.
  start = tsdriver::SteadyMs();
  EXPECT_GE(driver.WaitForSymbolToLoad("IBM", kBarTick, err, 1), 1);
  EXPECT_LT(tsdriver::SteadyMs() - start, 4000);
  long long abortedAt = 0;
  std::thread aborter([&] {
    tsdriver::WaitMs(300, nullptr);
    abortedAt = tsdriver::SteadyMs();
    driver.AbortRequest().store(1);
  });
  driver.WaitForSymbolToLoad("IBM", kBarTick, err, 600);
  long long ended = tsdriver::SteadyMs();
  aborter.join();
  EXPECT_LT(ended - abortedAt, 1000);
}

TEST_F(DriverChartLoad, SymbolRootsOverwriteTheTickVolumes) {
  Settings::WriteInt("TickDailyVolume", "@ES", 7);
  EXPECT_EQ(LoadSymbolRoots(), 0);
  EXPECT_EQ(Settings::GetInt("TickDailyVolume", "@ES", 0), 155000);
  EXPECT_EQ(Settings::GetInt("TickDailyVolume", "@J7", 0), 60);
  EXPECT_EQ(Settings::GetInt("TickDailyVolume", "@YI", 0), 1270);
}

TEST_F(DriverChartLoad, SymbolListIsImportedSorted) {
  auto ts = Start("9.5");
  CTxtArray symbols;
  CTxt err;
  EXPECT_EQ(driver_->ImportSymbolList(symbols, err, 1, nullptr), -2);
  EXPECT_TRUE(err.ToStd().find("Insert Symbol List") != std::string::npos);
  HWND previous = nullptr;
  for (const char* inPage : {"0", "1"}) {
    ts->SetControl(std::string("SymbolListInPage=") + inPage +
                   "\nSymbolList=" + (inPage[0] == '0' ? "DJIA" : "Futures"));
    // The stand-in replaces the list shown before: wait until that one is gone and the new one is shown.
    HWND shown = nullptr;
    ASSERT_TRUE(standin::WaitFor([&] {
      if (previous && IsWindow(previous)) return false;
      shown = standin::WaitOwned(ts->Pid(), ts->Main(), tsfacts::kInsertSymbolListTitle, 0);
      return shown && IsWindowVisible(shown);
    }));
    previous = shown;
    std::string file = folder_ + "/dow" + inPage + ".txt";
    int count = driver_->ImportSymbolList(symbols, err, 1, file.c_str());
    ASSERT_GE(count, 2) << err.ToStd();
    std::string saved = folder_ + "/dow" + inPage + ".lst";
    EXPECT_EQ(err.ToStd(), saved);
    CTxtArray lines;
    CTxt msg;
    ASSERT_EQ(lines.LoadFromFile(saved.c_str(), msg, 0), count);
    for (int i = 1; i < lines.GetSize(); ++i)
      EXPECT_LE(Lower(lines.GetAtTxt(i - 1)), Lower(lines.GetAtTxt(i))) << i;
    CTxtArray withName;
    EXPECT_EQ(driver_->ImportSymbolList(withName, err, 0, file.c_str()), count + 1);
  }
}

}  // namespace
