// Runs orchart.exe (the stand-in TradeStation) for a window-level test, and looks at its windows with
// plain Win32 calls. Every wait is bounded; the process is killed when the StandIn object goes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace standin {

struct StartOptions {
  std::string version = "9.5";
  std::string workspace = "Tavrin Sample";  // opened at start; empty: none
  std::string control;                      // initial control file lines
  std::vector<std::string> extraArgs;       // further --Key=Value arguments
  // 32: the 32-bit build, as TradeStation is, installed as <folder>/Program/orchart.exe; 64: the 64-bit
  // build, started from the build tree. Where 32-bit programs cannot run (a kernel without 32-bit
  // support under Wine), 32 falls back to 64: StandIn::Bits() tells which one runs.
  int bits = 32;
  // Installation folder ('/' separators). Empty: for 32 bits a fresh folder "TradeStation 9.5 (stand-in
  // PID-N)" ("Tradestation 8.8 ..." on 8.x) under "Program Files (x86)", removed again when the StandIn
  // goes; for 64 bits a folder in the test's scratch folder.
  std::string folder;
};

// "Program Files (x86)" of this machine (or Wine prefix), '/' separators.
std::string ProgramFilesX86();
// The 32-bit stand-in in the build tree (x86/orchart.exe beside the 64-bit one); empty when not built.
std::string StandIn32Exe();
// True when the 32-bit stand-in is built and starts on this machine; found out once per test program.
bool Runs32BitPrograms();

class StandIn {
 public:
  explicit StandIn(const StartOptions& setup = StartOptions());
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // The main window, once it exists (nullptr when the stand-in did not come up).
  HWND Main() const { return main_; }
  DWORD Pid() const { return pid_; }
  int Bits() const { return bits_; }
  HANDLE Process() const { return process_; }
  const std::string& Folder() const { return folder_; }  // installation folder, '/' separators
  const std::string& ControlPath() const { return controlPath_; }
  std::string WorkspacePath(const std::string& name) const { return folder_ + "/MyWork/" + name + ".tsw"; }
  // Writes the control file and has the stand-in read it before returning.
  void SetControl(const std::string& lines);
  // Waits until the stand-in has handled every message posted to it so far and has no deferred action
  // (a dialog about to appear, a delayed box) pending; false after `ms`. The way to check that
  // something did not happen, instead of sleeping.
  bool WaitSettled(int ms = 5000) const;
  // Waits until a chart has finished loading once (the chart a stand-in starts with loads for ChartLoadMs
  // and may still be loading when WaitSettled returns, which counts deferred actions only).
  bool WaitFirstChartLoaded(int ms = 15000) const;
  // Exit code after at most `ms` milliseconds, or -1 while it still runs.
  int WaitExit(int ms);
  std::string ActivityLog() const;

 private:
  std::string folder_, controlPath_;
  bool removeFolder_ = false;
  int bits_ = 64;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  HWND main_ = nullptr;
};

// A SignalAt moment of a running stand-in (tools/orchart/Options.h): made before the option is set, so
// that the stand-in finds both events. The stand-in holds at the moment until Release (or its SignalHoldMs);
// once released, later occurrences of the moment pass at once.
class Moment {
 public:
  Moment(const StandIn& ts, const std::string& name);
  ~Moment();  // releases a stand-in still held
  Moment(const Moment&) = delete;
  Moment& operator=(const Moment&) = delete;
  // True once the stand-in holds at the moment; false after `ms`.
  bool WaitReached(int ms = 30000);
  void Release();

 private:
  HANDLE reached_ = nullptr, go_ = nullptr;
};

// ---- Looking at windows ----
std::string ClassOf(HWND hwnd);
std::string TextOf(HWND hwnd);  // WM_GETTEXT, 1000 characters, bounded
std::vector<HWND> TopWindows(DWORD pid);
std::vector<HWND> Descendants(HWND parent);
// First top-level window of the process whose class equals `cls` (empty: any) and title begins with `title`.
HWND FindTop(DWORD pid, const std::string& cls, const std::string& title);
HWND WaitTop(DWORD pid, const std::string& cls, const std::string& title, int ms = 5000);
// A visible "#32770" window of the process whose parent is `parent` and whose title begins with `title`.
HWND WaitOwned(DWORD pid, HWND parent, const std::string& title, int ms = 5000);
// The n-th descendant of `parent` of the class (0-based).
HWND FindDescendant(HWND parent, const std::string& cls, int n = 0);
// Direct children of `parent` of the class.
std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls);
bool WaitFor(const std::function<bool()>& condition, int ms = 5000);
bool WaitGone(HWND hwnd, int ms = 5000);
bool WaitTitle(HWND hwnd, const std::string& expected, int ms = 5000);
// The chart windows of the process ("ORContainerMDIChildFrame:8455" or ":8655").
std::vector<HWND> ChartWindows(DWORD pid, HWND main);
HWND ChartView(HWND chart);
// The first chart window's view (waits for it) and title.
HWND FirstChartView(const StandIn& ts);
std::string FirstChartTitle(const StandIn& ts);
// True when following the parents of `window` reaches `ancestor`.
bool DescendsFrom(HWND window, HWND ancestor);
// The texts of a box's direct "Static" children, one a line.
std::string StaticTexts(HWND box);

// ---- Acting on windows, the way the driver does ----
void PostCommand(HWND target, int id);
// Posts a button click message (WM_COMMAND with the control) to the dialog that holds the control.
void PostClick(HWND dialog, int id);
// Selects a list box entry by a left click at x = 1, y = the heights of the entries above it.
bool ClickListBoxEntry(HWND list, const std::string& text);
// Types a date into a date field: a click at (1, 1), then month, day, year as WM_CHAR digits, each field
// followed by VK_RIGHT.
void TypeDate(HWND field, int month, int day, int year);
// Distinct colours in the window's on-screen picture (up to 1000).
int CountColours(HWND hwnd);
// Runs a command through the command line the way the driver types one.
bool RunCommandLine(HWND main, const std::string& command);
std::string ListBoxText(HWND list, int index);
std::string ComboText(HWND combo, int index);

}  // namespace standin
