// A chart of a workspace: its data tracks, interval and date range; its window (an MDI child of class
// "ORContainerMDIChildFrame:8455") with the chart view ("ORInPlaceFrame") that draws its bars; the
// simulated data load (blank view, download log and cache file before 9.1, then bars).
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Market.h"
#include "PriceSeries.h"

namespace orchart {

class Workspace;

struct DataTrack {
  std::string symbol;
  Interval interval;
};

struct ChartSettings {
  std::vector<DataTrack> tracks;  // never empty; tracks[0] is Data1, the chart's own symbol
  DateRange range;
  std::string timeZone = "Exchange";
  bool applyRangeToAll = true;
  // Workspace keys this part of the stand-in does not use (a strategy, its inputs ...), kept as read.
  std::vector<std::pair<std::string, std::string>> extra;
};

class Chart {
 public:
  Chart(Workspace& owner, ChartSettings settings, bool injected = false);
  ~Chart();
  Chart(const Chart&) = delete;
  Chart& operator=(const Chart&) = delete;

  Workspace& Owner() const { return owner_; }
  const ChartSettings& Settings() const { return settings_; }
  // Takes new settings: the title changes at once, the data reloads; the workspace becomes modified.
  void Apply(const ChartSettings& settings);
  // Replaces the kept workspace keys (the strategy and its inputs): the workspace becomes modified, the
  // data is not reloaded, the view paints again.
  void SetExtra(std::vector<std::pair<std::string, std::string>> extra);
  // "Chart Analysis - MSFT 5 min [NASDAQ] Microsoft Corp"
  std::string Title() const;
  // A chart added by the SecondChart fault: not saved with the workspace.
  bool Injected() const { return injected_; }

  HWND Frame() const { return frame_; }
  HWND View() const { return view_; }
  void CreateWindows(HWND mdiClient, bool maximized);
  void DestroyWindows();
  // Maximises or restores the window (only the maximised window lacks the system-menu style).
  void SetMaximized(bool maximized);
  void EnableView(bool enabled);

  bool Loaded() const { return loaded_; }
  // The view shows one colour for `ms` milliseconds, as while the platform recalculates the chart.
  void ShowRecalculating(int ms);
  bool Recalculating() const;
  void StartLoad();
  const std::vector<Bar>& Bars() const { return bars_; }

  static void RegisterClasses(HINSTANCE instance);
  static Chart* FromWindow(HWND frameOrView);

 private:
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ViewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleView(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void LoadTick();
  void FinishLoad();
  void Paint(HDC dc, const RECT& rc);
  void WriteCacheFiles();
  // The download log's lines for one data track (before 9.1).
  void LogDownloadStart(size_t track);
  void LogDownloadDone(size_t track);

  Workspace& owner_;
  ChartSettings settings_;
  bool injected_;
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
  DWORD recalculateUntil_ = 0;  // tick count; 0: not recalculating
  bool cachedLoad_ = false;     // CachedLoadNoLog: the data came from the cache, no download lines
  bool held_ = false;           // loading held by a modal pop-up (ModalPopups), with heldElapsed_ ms done
  DWORD heldElapsed_ = 0;
  bool loaded_ = false;
  bool loading_ = false;
  DWORD loadStart_ = 0;
  size_t loadTrack_ = 0;  // the data track loading now; tracks load one after the other
  std::vector<Bar> bars_;
};

// Where a loaded view draws its bars: the first bar shown, the step between bars and the price scale.
struct ChartPlot {
  size_t firstBar = 0;
  int barStep = 7;
  double low = 0, high = 1;
  int top = 0, bottom = 1;
  int X(size_t bar) const { return static_cast<int>(bar - firstBar) * barStep + barStep / 2; }
  int Y(double price) const {
    return bottom - static_cast<int>((price - low) / (high - low) * (bottom - top - 4)) - 2;
  }
};
// Drawn over the bars of every loaded view (the strategy's trades).
using ChartOverlay = std::function<void(const Chart&, HDC, const ChartPlot&)>;
void SetChartOverlay(ChartOverlay overlay);

// Commands posted to a chart view (WM_COMMAND), by identifier. Format Symbol is registered by its
// dialog module; later features (strategies, reports) register theirs the same way.
using ChartCommand = std::function<void(Chart&)>;
void RegisterChartCommand(int id, ChartCommand command);
bool RunChartCommand(int id, Chart& chart);
// True for a command of the chart view (registered with RegisterChartCommand).
bool IsChartCommand(int id);

}  // namespace orchart
