// Workspace files and the set of open workspaces.
#include "Workspace.h"

#include <algorithm>

#include "Options.h"
#include "StandIn.h"
#include "tsdriver/TsFacts.h"

namespace orchart {
namespace {

constexpr char kFormatLine[] = "orchart workspace 1";

bool Fail(std::string& error, const std::string& why) {
  error = why;
  return false;
}

bool ReadInterval(const std::string& text, char kaseUnit, Interval& out) {
  if (!ParseInterval(text, out)) return false;
  if (out.kind == BarKind::Kase && (kaseUnit == 'T' || kaseUnit == 'M')) out.kaseUnit = kaseUnit;
  return true;
}

}  // namespace

std::string Workspace::Name() const {
  std::string name = path.substr(path.find_last_of('/') + 1);
  size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

namespace {

// Reads a workspace file's key=value lines into chart settings: the format line first, then "Chart=" lines
// that each start a chart, followed by that chart's keys.
class WorkspaceParser {
 public:
  WorkspaceParser(std::vector<ChartSettings>& charts, std::string& error) : charts_(charts), error_(error) {}

  bool Parse(const std::string& text) {
    charts_.clear();
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string::npos) end = text.size();
      std::string line = Trimmed(text.substr(pos, end - pos));
      pos = end + 1;
      if (line.empty() || line[0] == '#' || line[0] == ';') continue;
      if (!TakeLine(line)) return false;
    }
    if (!formatSeen_) return Fail(error_, "empty file");
    return FinishChart();
  }

 private:
  bool TakeLine(const std::string& line) {
    size_t eq = line.find('=');
    if (eq == std::string::npos) return Fail(error_, "not a key=value line: " + line);
    std::string key = Trimmed(line.substr(0, eq)), value = Trimmed(line.substr(eq + 1));
    std::string k = Lower(key);
    if (!formatSeen_) {
      if (k != "format" || value != kFormatLine) return Fail(error_, "not a workspace of this TradeStation");
      formatSeen_ = true;
      return true;
    }
    if (k == "chart") return StartChart();
    if (!chart_) return true;  // workspace-wide keys: none yet
    if (k.size() > 4 && k.compare(0, 4, "data") == 0 && isdigit(static_cast<unsigned char>(k[4])))
      return AddDataTrack(value);
    return TakeChartKey(key, k, value);
  }

  bool StartChart() {
    if (!FinishChart()) return false;
    charts_.emplace_back();
    chart_ = &charts_.back();
    chart_->tracks.push_back(DataTrack{"", Interval{}});
    return true;
  }

  // A key of the current chart (`k`: the key in lower case).
  bool TakeChartKey(const std::string& key, const std::string& k, const std::string& value) {
    if (k == "symbol") {
      chart_->tracks[0].symbol = value;
    } else if (k == "interval") {
      intervalText_ = value;
    } else if (k == "kaseunit") {
      kaseUnit_ = value.empty() ? 0 : static_cast<char>(toupper(static_cast<unsigned char>(value[0])));
    } else if (k == "lastdate") {
      if (!value.empty() && !Date::Parse(value, chart_->range.last))
        return Fail(error_, "bad LastDate " + value);
    } else if (k == "firstdate") {
      if (!Date::Parse(value, chart_->range.first)) return Fail(error_, "bad FirstDate " + value);
      chart_->range.barsBack = false;
    } else if (k == "barsback") {
      chart_->range.barsBack = true;
      chart_->range.bars = std::max(1, atoi(value.c_str()));
    } else if (k == "daysback") {
      daysBack_ = std::max(1, atoi(value.c_str()));
    } else if (k == "timezone") {
      chart_->timeZone = value;
    } else if (k == "applyrange") {
      chart_->applyRangeToAll = value != "0";
    } else {
      chart_->extra.emplace_back(key, value);
    }
    return true;
  }

  bool AddDataTrack(const std::string& value) {
    size_t bar = value.find('|');
    DataTrack track{Trimmed(value.substr(0, bar)), Interval{}};
    if (bar == std::string::npos || !ParseInterval(Trimmed(value.substr(bar + 1)), track.interval))
      return Fail(error_, "bad data track " + value);
    chart_->tracks.push_back(track);
    return true;
  }

  // The keys that are read together (interval and Kase unit, days back and last date) take effect here.
  bool FinishChart() {
    if (!chart_) return true;
    if (chart_->tracks.empty() || chart_->tracks[0].symbol.empty())
      return Fail(error_, "chart without a symbol");
    if (!intervalText_.empty() && !ReadInterval(intervalText_, kaseUnit_, chart_->tracks[0].interval))
      return Fail(error_, "unknown interval '" + intervalText_ + "'");
    if (daysBack_ > 0) {
      chart_->range.barsBack = false;
      chart_->range.first = chart_->range.LastOrToday().AddDays(-daysBack_);
    }
    intervalText_.clear();
    kaseUnit_ = 0;
    daysBack_ = -1;
    return true;
  }

  std::vector<ChartSettings>& charts_;
  std::string& error_;
  bool formatSeen_ = false;
  ChartSettings* chart_ = nullptr;
  std::string intervalText_;
  char kaseUnit_ = 0;
  int daysBack_ = -1;
};

}  // namespace

bool ParseWorkspace(const std::string& text, std::vector<ChartSettings>& charts, std::string& error) {
  return WorkspaceParser(charts, error).Parse(text);
}

std::string SerializeChart(const ChartSettings& c, int number) {
  std::string out = "Chart=" + std::to_string(number) + "\r\n";
  const DataTrack& d1 = c.tracks.front();
  out += "Symbol=" + d1.symbol + "\r\n";
  out += "Interval=" + d1.interval.Text() + "\r\n";
  if (d1.interval.kind == BarKind::Kase) out += std::string("KaseUnit=") + d1.interval.kaseUnit + "\r\n";
  out += "LastDate=" + (c.range.last.Valid() ? c.range.last.Text() : std::string()) + "\r\n";
  if (c.range.barsBack)
    out += "BarsBack=" + std::to_string(c.range.bars) + "\r\n";
  else if (c.range.first.Valid())
    out += "FirstDate=" + c.range.first.Text() + "\r\n";
  out += "TimeZone=" + c.timeZone + "\r\n";
  out += std::string("ApplyRange=") + (c.applyRangeToAll ? "1" : "0") + "\r\n";
  for (size_t i = 1; i < c.tracks.size(); ++i)
    out += "Data" + std::to_string(i + 1) + "=" + c.tracks[i].symbol + "|" + c.tracks[i].interval.Text() +
           "\r\n";
  for (const auto& kv : c.extra) out += kv.first + "=" + kv.second + "\r\n";
  return out;
}

std::string Workspace::Serialize() const {
  std::string out = std::string("Format=") + kFormatLine + "\r\n";
  int n = 0;
  for (const auto& c : charts)
    if (!c->Injected()) out += SerializeChart(c->Settings(), ++n);
  return out;
}

bool Workspace::Save(const std::string& to, std::string& error) {
  std::string target = Slashed(to);
  if (!WriteWholeFile(target, Serialize())) {
    error = "cannot write " + target;
    return false;
  }
  path = target;
  modified = false;
  App::Get().Log("workspace saved: %s", target.c_str());
  return true;
}

// ---- Open workspaces ---------------------------------------------------------------------------

Workspace* OpenWorkspaceFile(const std::string& rawPath, std::string& error) {
  App& app = App::Get();
  std::string path = Slashed(rawPath);
  for (auto& ws : app.workspaces) {
    if (EqualNoCase(ws->path, path)) {
      ActivateWorkspace(ws.get());
      return ws.get();
    }
  }
  bool ok = false;
  std::string text = ReadWholeFile(path, &ok);
  if (!ok) {
    error = "The file does not exist: " + Backslashed(path);
    return nullptr;
  }
  std::vector<ChartSettings> charts;
  if (!ParseWorkspace(text, charts, error)) {
    error = "The file is not a valid workspace: " + Backslashed(path) + " (" + error + ")";
    return nullptr;
  }
  auto ws = std::make_unique<Workspace>();
  ws->path = path;
  for (ChartSettings& c : charts) ws->charts.push_back(std::make_unique<Chart>(*ws, std::move(c)));
  Workspace* raw = ws.get();
  app.workspaces.push_back(std::move(ws));
  app.Log("workspace opened: %s (%zu charts)", path.c_str(), raw->charts.size());
  ActivateWorkspace(raw);
  if (app.options.Flag("SecondChart")) SetSecondChart(true);
  app.FaultPoint("OpenWorkspace");
  return raw;
}

void ActivateWorkspace(Workspace* ws) {
  App& app = App::Get();
  // The active workspace's charts lose their windows only when the charting process ended; activating it
  // again brings them back.
  bool windowsGone = ws && !ws->charts.empty() && !ws->charts.front()->Frame();
  if (app.activeWorkspace == ws && !windowsGone) return;
  // Charts of a workspace that goes to the background lose their windows, or, with InactiveChartsStay,
  // keep them behind the active workspace's: a window search then finds the charts of every open
  // workspace.
  if (app.activeWorkspace && app.activeWorkspace != ws && !app.options.Flag("InactiveChartsStay"))
    for (auto& c : app.activeWorkspace->charts) c->DestroyWindows();
  app.activeWorkspace = ws;
  if (ws) {
    bool maximized = !app.options.Flag("NotMaximized");
    for (auto& c : ws->charts) c->CreateWindows(app.mdiClient, maximized);
    if (!ws->charts.empty() && ws->charts.front()->Frame())
      SendMessageA(app.mdiClient, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(ws->charts.front()->Frame()), 0);
    app.Log("workspace active: %s", ws->Name().c_str());
  }
  PostMessageA(app.main, kUpdateTitleMessage, 0, 0);
}

void CloseWorkspace(Workspace* ws) {
  App& app = App::Get();
  auto it = std::find_if(app.workspaces.begin(), app.workspaces.end(),
                         [ws](const std::unique_ptr<Workspace>& w) { return w.get() == ws; });
  if (it == app.workspaces.end()) return;
  app.Log("workspace closed: %s", ws->Name().c_str());
  std::unique_ptr<Workspace> closing = std::move(*it);
  app.workspaces.erase(it);
  if (app.activeWorkspace == ws) {
    app.activeWorkspace = nullptr;
    closing->charts.clear();
    ActivateWorkspace(app.workspaces.empty() ? nullptr : app.workspaces.back().get());
  }
  PostMessageA(app.main, kUpdateTitleMessage, 0, 0);
}

void SetSecondChart(bool on) {
  App& app = App::Get();
  Workspace* ws = app.activeWorkspace;
  if (!ws) return;
  auto injected = std::find_if(ws->charts.begin(), ws->charts.end(),
                               [](const std::unique_ptr<Chart>& c) { return c->Injected(); });
  if (on && injected == ws->charts.end() && ws->charts.size() == 1) {
    ChartSettings s;
    s.tracks.push_back(DataTrack{"IBM", Interval{BarKind::Daily, 1, 'M'}});
    s.range.first = Date::Today().AddMonths(-6);
    ws->charts.push_back(std::make_unique<Chart>(*ws, s, true));
    ws->charts.back()->CreateWindows(app.mdiClient, !app.options.Flag("NotMaximized"));
    app.Log("second chart added");
  } else if (!on && injected != ws->charts.end()) {
    ws->charts.erase(injected);
    app.Log("second chart removed");
  }
  PostMessageA(app.main, kUpdateTitleMessage, 0, 0);
}

void WriteSampleWorkspaces() {
  App& app = App::Get();
  struct Sample {
    const char* name;
    const char* body;
  };
  static const Sample samples[] = {
      {"Tavrin Sample",
       "Chart=1\r\nSymbol=MSFT\r\nInterval=5 min\r\nLastDate=12/14/2012\r\nFirstDate=12/3/2012\r\n"},
      {"Sample IBM Daily",
       "Chart=1\r\nSymbol=IBM\r\nInterval=Daily\r\nLastDate=12/14/2012\r\nFirstDate=1/3/2011\r\n"},
      {"Sample ES Ticks",
       "Chart=1\r\nSymbol=@ES\r\nInterval=100 Tick Bar\r\nLastDate=12/14/2012\r\nBarsBack=2000\r\n"},
      {"Sample Multi Data",
       "Chart=1\r\nSymbol=MSFT\r\nInterval=5 "
       "min\r\nLastDate=12/14/2012\r\nFirstDate=12/3/2012\r\nData2=SPY|5 min\r\n"},
      {"Sample Two Charts",
       "Chart=1\r\nSymbol=MSFT\r\nInterval=5 min\r\nLastDate=12/14/2012\r\nFirstDate=12/3/2012\r\n"
       "Chart=2\r\nSymbol=CSCO\r\nInterval=15 min\r\nLastDate=12/14/2012\r\nFirstDate=12/3/2012\r\n"},
  };
  for (const Sample& s : samples) {
    std::string path = app.WorkspaceFolder() + "/" + s.name + tsfacts::kWorkspaceExtension;
    if (FileExists(path)) continue;
    WriteWholeFile(path, std::string("# Workspace of the stand-in TradeStation\r\nFormat=") + kFormatLine +
                             "\r\n" + s.body);
  }
}

}  // namespace orchart
