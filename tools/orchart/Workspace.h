// Workspaces: the stand-in's own text format (key=value lines under MyWork/*.tsw), and the set of open
// workspaces of which one is active (its charts have windows; the others' charts have none).
//
// File format:
//   Format=orchart workspace 1       first key; a file without it is not a workspace
//   Chart=1                          starts a chart; the keys below belong to it
//   Symbol=MSFT                      Data1
//   Interval=5 min                   as in chart titles ("100 Tick Bar", "Daily", "0.5 Kase Bar" ...)
//   KaseUnit=M                       Kase bars on minutes (M) or ticks (T)
//   LastDate=12/14/2012              empty: today
//   FirstDate=12/3/2012              or BarsBack=500, or DaysBack=10 (counted back from LastDate)
//   TimeZone=Exchange
//   Data2=SPY|5 min                  further data tracks
//   any other key (Strategy=..., Input.FastLength=...) is kept and written back unchanged
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Chart.h"

namespace orchart {

class Workspace {
 public:
  std::string path;  // '/' separators
  std::vector<std::unique_ptr<Chart>> charts;
  bool modified = false;

  // Base name without folder and extension: what the main title and "More Workspaces" show.
  std::string Name() const;
  std::string Serialize() const;
  bool Save(const std::string& to, std::string& error);
};

// Reads a workspace file's charts; false with a reason when the text is not a workspace.
bool ParseWorkspace(const std::string& text, std::vector<ChartSettings>& charts, std::string& error);
std::string SerializeChart(const ChartSettings& chart, int number);

// Open workspaces (App::workspaces). Opening an already open workspace activates it.
Workspace* OpenWorkspaceFile(const std::string& path, std::string& error);
void ActivateWorkspace(Workspace* ws);
void CloseWorkspace(Workspace* ws);
// Adds a chart to the active workspace (SecondChart fault) or removes the added ones.
void SetSecondChart(bool on);

// Sample workspaces written into MyWork/ when missing.
void WriteSampleWorkspaces();

}  // namespace orchart
