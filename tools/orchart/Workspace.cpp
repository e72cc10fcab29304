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

bool ParseWorkspace(const std::string& text, std::vector<ChartSettings>& charts, std::string& error) {
  charts.clear();
  bool formatSeen = false;
  ChartSettings* chart = nullptr;
  std::string intervalText;
  char kaseUnit = 0;
  int daysBack = -1;
  auto finishChart = [&]() -> bool {
    if (!chart) return true;
    if (chart->tracks.empty() || chart->tracks[0].symbol.empty()) {
      error = "chart without a symbol";
      return false;
    }
    if (!intervalText.empty() && !ReadInterval(intervalText, kaseUnit, chart->tracks[0].interval)) {
      error = "unknown interval '" + intervalText + "'";
      return false;
    }
    if (daysBack > 0) {
      chart->range.barsBack = false;
      chart->range.first = chart->range.LastOrToday().AddDays(-daysBack);
    }
    intervalText.clear();
    kaseUnit = 0;
    daysBack = -1;
    return true;
  };
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trimmed(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) {
      error = "not a key=value line: " + line;
      return false;
    }
    std::string key = Trimmed(line.substr(0, eq)), value = Trimmed(line.substr(eq + 1));
    std::string k = Lower(key);
    if (!formatSeen) {
      if (k != "format" || value != kFormatLine) {
        error = "not a workspace of this TradeStation";
        return false;
      }
      formatSeen = true;
      continue;
    }
    if (k == "chart") {
      if (!finishChart()) return false;
      charts.emplace_back();
      chart = &charts.back();
      chart->tracks.push_back(DataTrack{"", Interval{}});
      continue;
    }
    if (!chart) continue;  // workspace-wide keys: none yet
    if (k == "symbol") {
      chart->tracks[0].symbol = value;
    } else if (k == "interval") {
      intervalText = value;
    } else if (k == "kaseunit") {
      kaseUnit = value.empty() ? 0 : static_cast<char>(toupper(static_cast<unsigned char>(value[0])));
    } else if (k == "lastdate") {
      if (!value.empty() && !Date::Parse(value, chart->range.last))
        return Fail(error, "bad LastDate " + value);
    } else if (k == "firstdate") {
      if (!Date::Parse(value, chart->range.first)) return Fail(error, "bad FirstDate " + value);
      chart->range.barsBack = false;
    } else if (k == "barsback") {
      chart->range.barsBack = true;
      chart->range.bars = std::max(1, atoi(value.c_str()));
    } else if (k == "daysback") {
      daysBack = std::max(1, atoi(value.c_str()));
    } else if (k == "timezone") {
      chart->timeZone = value;
    } else if (k == "applyrange") {
      chart->applyRangeToAll = value != "0";
    } else if (k.size() > 4 && k.compare(0, 4, "data") == 0 && isdigit(static_cast<unsigned char>(k[4]))) {
      size_t bar = value.find('|');
      DataTrack track{Trimmed(value.substr(0, bar)), Interval{}};
      if (bar == std::string::npos || !ParseInterval(Trimmed(value.substr(bar + 1)), track.interval))
        return Fail(error, "bad data track " + value);
      chart->tracks.push_back(track);
    } else {
      chart->extra.emplace_back(key, value);
    }
  }
  if (!formatSeen) {
    error = "empty file";
    return false;
  }
  return finishChart();
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
