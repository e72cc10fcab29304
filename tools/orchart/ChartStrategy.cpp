// Charts and their strategies: setup in the workspace keys, backtests, optimisation results, trade marks.
#include "ChartStrategy.h"

#include <map>

#include "StandIn.h"

namespace orchart {
namespace {

// What a chart's data is: results computed for other data are stale.
std::string DataKey(const Chart& chart) {
  const ChartSettings& s = chart.Settings();
  const DataTrack& d = s.tracks.front();
  std::string key = Upper(d.symbol) + "|" + d.interval.Text() + "|" + s.range.last.Text();
  key += s.range.barsBack ? "|bars " + std::to_string(s.range.bars) : "|from " + s.range.first.Text();
  return key;
}

struct StoredOptimization {
  std::string dataKey;
  OptimizationTable table;
};

std::map<const Chart*, StoredOptimization>& Optimizations() {
  static std::map<const Chart*, StoredOptimization> stored;
  return stored;
}

// The last backtest drawn, so that painting does not run the strategy again.
struct DrawnBacktest {
  std::string key;
  BacktestResult result;
};

void DrawMark(HDC dc, int x, int y, int direction, bool entry) {
  COLORREF colour = entry ? (direction > 0 ? RGB(0, 255, 255) : RGB(255, 0, 255)) : RGB(255, 255, 255);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HBRUSH brush = CreateSolidBrush(colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  if (entry) {
    // A triangle pointing the trade's way, below a long entry and above a short one.
    int tip = y + (direction > 0 ? 6 : -6), base = tip + (direction > 0 ? 8 : -8);
    POINT p[3] = {{x, tip}, {x - 4, base}, {x + 4, base}};
    Polygon(dc, p, 3);
  } else {
    MoveToEx(dc, x - 3, y - 3, nullptr);
    LineTo(dc, x + 4, y + 4);
    MoveToEx(dc, x + 3, y - 3, nullptr);
    LineTo(dc, x - 4, y + 4);
  }
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void DrawTrades(const Chart& chart, HDC dc, const ChartPlot& plot) {
  static DrawnBacktest drawn;
  StrategySetup setup = SetupOf(chart);
  std::string key = DataKey(chart);
  for (const auto& kv : setup.ToKeys({})) key += "|" + kv.first + "=" + kv.second;
  key += App::Get().options.Flag("NoTrades") ? "|none" : "";
  if (key != drawn.key) {
    drawn.key = key;
    drawn.result = RunBacktest(setup, chart.Bars());
  }
  const std::vector<Bar>& bars = chart.Bars();
  for (const StrategyTrade& t : drawn.result.trades) {
    if (t.entry.bar >= plot.firstBar && t.entry.bar < bars.size()) {
      const Bar& b = bars[t.entry.bar];
      DrawMark(dc, plot.X(t.entry.bar), plot.Y(t.direction > 0 ? b.low : b.high), t.direction, true);
    }
    if (!t.open && t.exit.bar >= plot.firstBar && t.exit.bar < bars.size())
      DrawMark(dc, plot.X(t.exit.bar), plot.Y(t.exit.price), t.direction, false);
  }
  if (!setup.on) return;
  std::string label = setup.name;
  for (const StrategyInput& in : setup.inputs)
    label += (&in == &setup.inputs.front() ? " (" : ", ") + in.Shown();
  label += setup.inputs.empty() ? "" : ")";
  SetTextColor(dc, RGB(0, 255, 255));
  TextOutA(dc, 4, plot.top + 2, label.c_str(), static_cast<int>(label.size()));
}

}  // namespace

StrategySetup SetupOf(const Chart& chart) {
  return StrategySetup::FromKeys(chart.Settings().extra);
}

void StoreSetup(Chart& chart, const StrategySetup& setup) {
  chart.SetExtra(setup.ToKeys(chart.Settings().extra));
}

std::vector<Bar> StrategyBars(const Chart& chart) {
  if (chart.Loaded()) return chart.Bars();
  const ChartSettings& s = chart.Settings();
  return BuildBars(s.tracks.front().symbol, s.tracks.front().interval, s.range);
}

BacktestResult RunBacktest(const StrategySetup& setup, const std::vector<Bar>& bars) {
  if (!setup.on || App::Get().options.Flag("NoTrades")) {
    static const std::vector<Bar> none;
    BacktestResult empty = Backtest(setup, none);
    empty.bars = bars.size();
    if (!bars.empty()) {
      empty.firstDate = bars.front().date;
      empty.lastDate = bars.back().date;
    }
    return empty;
  }
  return Backtest(setup, bars);
}

BacktestResult CurrentBacktest(const Chart& chart) {
  return RunBacktest(SetupOf(chart), StrategyBars(chart));
}

ReportSubject SubjectOf(const Chart& chart, const StrategySetup& setup) {
  const DataTrack& d = chart.Settings().tracks.front();
  ReportSubject s;
  s.strategy = setup.name;
  s.symbol = d.symbol;
  s.interval = d.interval.Text();
  s.intraday = d.interval.kind != BarKind::Daily && d.interval.kind != BarKind::Weekly &&
               d.interval.kind != BarKind::Monthly;
  for (const StrategyInput& in : setup.inputs)
    s.inputs.emplace_back(in.name, in.ranged ? FormatNumber(in.range.start) : in.value);
  return s;
}

void StoreOptimization(const Chart& chart, const OptimizationTable& table) {
  Optimizations()[&chart] = StoredOptimization{DataKey(chart), table};
}

void ForgetOptimization(const Chart& chart) {
  Optimizations().erase(&chart);
}

const OptimizationTable* LastOptimization(const Chart& chart) {
  auto it = Optimizations().find(&chart);
  if (it == Optimizations().end() || !App::Get().IsOpenChart(&chart) || it->second.dataKey != DataKey(chart))
    return nullptr;
  return &it->second.table;
}

void RegisterStrategyOverlay() {
  SetChartOverlay(DrawTrades);
}

}  // namespace orchart
